// The templates of sarvik's two dialogs, registered with the library's
// resources.
#include <platform/resources.h>

#include "bp_dialog.h"
#include "ids.h"
#include "watch_dialog.h"

namespace sarvik::ui {

using platform::ControlKind;
using platform::IDC_STATIC;
using platform::WS_DISABLED;

namespace {

platform::ControlTemplate C(ControlKind kind, int id, const char* text, int x, int y, int cx, int cy, DWORD style = 0,
                            const char* className = "")
{
    return {kind, id, text, x, y, cx, cy, style, className};
}

}  // namespace

std::shared_ptr<const DialogTemplate> BreakpointDialogTemplate()
{
    static const auto t = [] {
        auto d = std::make_shared<DialogTemplate>();
        d->caption = "Breakpoint";
        d->cx = 330;
        d->cy = 236;
        d->controls = {
            C(ControlKind::Static, IDC_STATIC, "Type:", 7, 9, 45, 10),
            C(ControlKind::DropList, IDC_BP_TYPE, "", 55, 7, 190, 60),
            C(ControlKind::Static, IDC_BP_LOCATION_LABEL, "Location:", 7, 26, 45, 10),
            C(ControlKind::Edit, IDC_BP_LOCATION, "", 55, 24, 190, 13),
            C(ControlKind::Static, IDC_BP_CONDITION_LABEL, "Condition", 7, 43, 45, 10),
            C(ControlKind::Edit, IDC_BP_CONDITION, "", 55, 41, 190, 13),
            C(ControlKind::Static, IDC_STATIC, "&Count:", 7, 60, 45, 10),
            C(ControlKind::Edit, IDC_BP_COUNT, "", 55, 58, 50, 13),
            // The list box shows its lines in the fixed font.
            C(ControlKind::List, IDC_BP_LIST, "", 7, 78, 238, 86, 0, "FixedFont"),
            C(ControlKind::DefButton, IDOK, "&OK", 258, 7, 64, 15),
            C(ControlKind::Button, IDCANCEL, "Cancel", 258, 25, 64, 15),
            C(ControlKind::Button, IDC_BP_ADD, "Add", 258, 58, 64, 15),
            C(ControlKind::Button, IDC_BP_DELETE, "Delete", 258, 78, 64, 15),
            C(ControlKind::Button, IDC_BP_DELETE_ALL, "Delete All", 258, 96, 64, 15),
            C(ControlKind::Button, IDC_BP_ENABLE, "Enable", 258, 114, 64, 15),
            C(ControlKind::Button, IDC_BP_SAVE, "Save...", 258, 132, 64, 15),
            C(ControlKind::Button, IDC_BP_RESTORE, "Restore...", 258, 150, 64, 15),
            C(ControlKind::Button, IDC_BP_MORE, "More >>", 258, 172, 64, 15),
            // The text of the button when the dialog is at its full height.
            C(ControlKind::Static, IDC_BP_LESS, "<< Less", 0, 0, 0, 0),
            // The height of the collapsed dialog.
            C(ControlKind::Static, IDC_BP_COLLAPSED, "", 7, 192, 0, 0),
            C(ControlKind::Check, IDC_BP_TASK_QUALIFY, "Task Qualify", 7, 196, 70, 12),
            C(ControlKind::DropList, IDC_BP_TASKS, "", 80, 195, 165, 60),
            C(ControlKind::Button, IDC_BP_ACCESS, "Break at Access", 7, 214, 70, 14, WS_DISABLED),
            C(ControlKind::Static, IDC_BP_MEMORY_LABEL, "Memory:", 82, 217, 32, 10, WS_DISABLED),
            C(ControlKind::Edit, IDC_BP_MEMORY, "", 116, 215, 60, 13, WS_DISABLED),
            C(ControlKind::Button, IDC_BP_ACCESS_TYPE, "Access Type:", 180, 214, 55, 14, WS_DISABLED),
            C(ControlKind::Check, IDC_BP_READ, "Read", 240, 215, 35, 12, WS_DISABLED),
            C(ControlKind::Check, IDC_BP_WRITE, "Write", 278, 215, 40, 12, WS_DISABLED),
        };
        return d;
    }();
    return t;
}

std::shared_ptr<const DialogTemplate> WatchpointDialogTemplate()
{
    static const auto t = [] {
        auto d = std::make_shared<DialogTemplate>();
        d->caption = "Watchpoint";
        d->cx = 330;
        d->cy = 204;
        auto unit = [&d](int base, int check, const char* name, int y) {
            const int addr = base == 0 ? 203 : 213;
            const int rw = base == 0 ? 204 : 214;
            d->controls.insert(d->controls.end(),
                               {C(ControlKind::Check, check, name, 7, y, 80, 12),
                                C(ControlKind::Check, base == 0 ? 241 : 251, "Enable", 95, y, 60, 12),
                                C(ControlKind::Static, IDC_STATIC, "Address:", 14, y + 17, 45, 10),
                                C(ControlKind::Edit, addr, "", 62, y + 15, 70, 13),
                                C(ControlKind::Static, IDC_STATIC, "Mask:", 140, y + 17, 30, 10),
                                C(ControlKind::Edit, base == 0 ? 227 : 237, "", 172, y + 15, 70, 13),
                                C(ControlKind::Static, IDC_STATIC, "Data:", 14, y + 34, 45, 10),
                                C(ControlKind::Edit, base == 0 ? 224 : 234, "", 62, y + 32, 70, 13),
                                C(ControlKind::Static, IDC_STATIC, "Mask:", 140, y + 34, 30, 10),
                                C(ControlKind::Edit, base == 0 ? 225 : 235, "", 172, y + 32, 70, 13),
                                C(ControlKind::Static, IDC_STATIC, "Read/Write:", 14, y + 51, 45, 10),
                                C(ControlKind::DropList, rw, "", 62, y + 49, 70, 60),
                                C(ControlKind::Static, IDC_STATIC, "Size:", 140, y + 51, 30, 10),
                                C(ControlKind::DropList, base == 0 ? 226 : 236, "", 172, y + 49, 70, 60),
                                C(ControlKind::Static, IDC_STATIC, "Access:", 14, y + 68, 45, 10),
                                C(ControlKind::DropList, base == 0 ? 228 : 238, "", 62, y + 66, 100, 60)});
        };
        unit(0, 1007, "Watchpoint 0", 7);
        unit(1, 1008, "Watchpoint 1", 100);
        d->controls.push_back(C(ControlKind::Static, IDC_STATIC,
                                "Watchpoint 1 is reserved for software breakpoint, you can not use it for other "
                                "purpose.",
                                7, 186, 315, 12));
        d->controls.push_back(C(ControlKind::DefButton, 260, "&OK", 258, 7, 64, 15));
        d->controls.push_back(C(ControlKind::Button, 261, "&Cancel", 258, 25, 64, 15));
        d->controls.push_back(C(ControlKind::Button, 1009, "&Reset", 258, 43, 64, 15));
        d->controls.push_back(C(ControlKind::Button, 9, "&Help", 258, 61, 64, 15));
        return d;
    }();
    return t;
}

}  // namespace sarvik::ui

namespace sarvik::res {

void RegisterDialogTemplates()
{
    platform::resources::AddDialog(IDD_BREAKPOINT, ui::BreakpointDialogTemplate());
    platform::resources::AddDialog(IDD_WATCHPOINT, ui::WatchpointDialogTemplate());
}

}  // namespace sarvik::res
