// The register and memory windows' resources: the dialog templates of the
// modify and assemble dialogs and of the memory tools' pages, and the
// sheet's caption.
#include <platform/dlg_items.h>
#include <platform/resources.h>

#include "regmem/modify_dialogs.h"
#include "regmem/regmem_ids.h"

namespace regmem {

namespace {

using platform::ControlTemplate;
using platform::IDC_STATIC;
using platform::resources::AddDialog;

ControlTemplate Control(ControlKind kind, int id, const char* text, int x, int y, int cx, int cy, DWORD style = 0)
{
    return {kind, id, text, x, y, cx, cy, style, {}};
}

std::shared_ptr<DialogTemplate> Dialog(const char* caption, int cx, int cy, std::vector<ControlTemplate> controls)
{
    auto t = std::make_shared<DialogTemplate>();
    t->caption = caption;
    t->cx = cx;
    t->cy = cy;
    t->controls = std::move(controls);
    return t;
}

// The range fields every page starts with.
std::vector<ControlTemplate> RangeFields(int start, int mode, int end)
{
    return {
        Control(ControlKind::Static, IDC_STATIC, "Start Address:", 7, 9, 66, 8),
        Control(ControlKind::Edit, start, "", 78, 7, 80, 12),
        Control(ControlKind::DropList, mode, "", 7, 25, 66, 40),
        Control(ControlKind::Edit, end, "", 78, 25, 80, 12),
    };
}

std::shared_ptr<DialogTemplate> Page(const char* caption, std::vector<ControlTemplate> range,
                                     std::vector<ControlTemplate> more)
{
    range.insert(range.end(), more.begin(), more.end());
    return Dialog(caption, 250, 150, std::move(range));
}

void AddDialogs()
{
    AddDialog(IDD_MODIFY_MEMORY,
              Dialog("Modify Memory", 186, 62,
                     {
                         Control(ControlKind::Static, IDC_STATIC, "Modify data from:", 7, 9, 64, 8),
                         Control(ControlKind::Edit, IDC_MODIFY_ADDRESS, "", 74, 7, 50, 12, platform::ES_READONLY),
                         Control(ControlKind::Static, IDC_STATIC, "Data(Byte):", 7, 27, 64, 8),
                         Control(ControlKind::Edit, IDC_MODIFY_DATA, "", 74, 25, 50, 12),
                         Control(ControlKind::DefButton, IDC_MODIFY_OK, "OK", 131, 6, 48, 14),
                         Control(ControlKind::Button, IDC_MODIFY_MODIFY, "Modify", 131, 24, 48, 14),
                         Control(ControlKind::Button, IDC_MODIFY_CANCEL, "Cancel", 131, 42, 48, 14),
                     }));
    AddDialog(IDD_ASSEMBLE,
              Dialog("Assemble", 250, 62,
                     {
                         Control(ControlKind::Static, IDC_STATIC, "Address:", 7, 9, 36, 8),
                         Control(ControlKind::Edit, IDC_ASSEMBLE_ADDRESS, "", 46, 7, 50, 12, platform::ES_READONLY),
                         Control(ControlKind::Edit, IDC_ASSEMBLE_TEXT, "", 7, 25, 182, 12),
                         Control(ControlKind::DefButton, IDC_ASSEMBLE_OK, "OK", 195, 6, 48, 14),
                         Control(ControlKind::Button, IDC_ASSEMBLE_ACCEPT, "Accept", 195, 24, 48, 14),
                         Control(ControlKind::Button, IDC_ASSEMBLE_CANCEL, "Cancel", 195, 42, 48, 14),
                     }));
    AddDialog(IDD_MEM_SEARCH,
              Page("Search", RangeFields(IDC_SEARCH_START, IDC_SEARCH_MODE, IDC_SEARCH_END),
                   {Control(ControlKind::Static, IDC_STATIC, "Pattern:", 7, 43, 56, 8),
                    Control(ControlKind::Edit, IDC_SEARCH_PATTERN, "", 78, 41, 165, 12),
                    Control(ControlKind::Check, IDC_SEARCH_CASE, "&Case sensitive", 7, 58, 100, 10),
                    Control(ControlKind::List, IDC_SEARCH_OUTPUT, "", 7, 72, 236, 72)}));
    AddDialog(IDD_MEM_COMPARE,
              Page("Compare ", RangeFields(IDC_COMPARE_START, IDC_COMPARE_MODE, IDC_COMPARE_END),
                   {Control(ControlKind::Static, IDC_STATIC, "Destination:", 7, 43, 56, 8),
                    Control(ControlKind::Edit, IDC_COMPARE_DEST, "", 78, 41, 80, 12),
                    Control(ControlKind::Check, IDC_COMPARE_STOP, "&Stop when mismatch is found", 7, 58, 140, 10),
                    Control(ControlKind::List, IDC_COMPARE_OUTPUT, "", 7, 72, 236, 72)}));
    AddDialog(IDD_MEM_CHECKSUM,
              Page("Checksum", RangeFields(IDC_CHECKSUM_START, IDC_CHECKSUM_MODE, IDC_CHECKSUM_END),
                   {Control(ControlKind::Edit, IDC_CHECKSUM_OUTPUT, "", 7, 45, 236, 14, platform::ES_READONLY)}));
    AddDialog(IDD_MEM_COPY,
              Page("Copy", RangeFields(IDC_COPY_START, IDC_COPY_MODE, IDC_COPY_END),
                   {Control(ControlKind::Static, IDC_STATIC, "Destination:", 7, 43, 56, 8),
                    Control(ControlKind::Edit, IDC_COPY_DEST, "", 78, 41, 80, 12),
                    Control(ControlKind::Edit, IDC_COPY_OUTPUT, "", 7, 62, 236, 14, platform::ES_READONLY)}));
    AddDialog(IDD_MEM_FILL,
              Page("Fill", RangeFields(IDC_FILL_START, IDC_FILL_MODE, IDC_FILL_END),
                   {Control(ControlKind::Static, IDC_STATIC, "Pattern:", 7, 43, 56, 8),
                    Control(ControlKind::Edit, IDC_FILL_PATTERN, "", 78, 41, 165, 12),
                    Control(ControlKind::Edit, IDC_FILL_OUTPUT, "", 7, 62, 236, 14, platform::ES_READONLY)}));
    AddDialog(IDD_MEM_TEST,
              Page("Test", RangeFields(IDC_TEST_START, IDC_TEST_MODE, IDC_TEST_END),
                   {Control(ControlKind::Group, IDC_STATIC, "Action", 7, 42, 110, 56),
                    Control(ControlKind::Radio, IDC_TEST_MEMORY, "Memory ", 14, 54, 90, 10, platform::WS_GROUP),
                    Control(ControlKind::Radio, IDC_TEST_DATA_BUS, "Data Bus", 14, 68, 90, 10),
                    Control(ControlKind::Radio, IDC_TEST_ADDRESS_BUS, "Address Bus", 14, 82, 90, 10),
                    Control(ControlKind::Group, IDC_STATIC, "Width", 126, 42, 117, 56),
                    Control(ControlKind::Radio, IDC_TEST_BYTE, "Byte", 133, 54, 90, 10, platform::WS_GROUP),
                    Control(ControlKind::Radio, IDC_TEST_HALF, "Half_word", 133, 68, 90, 10),
                    Control(ControlKind::Radio, IDC_TEST_WORD, "Word", 133, 82, 90, 10),
                    Control(ControlKind::Edit, IDC_TEST_OUTPUT, "", 7, 104, 236, 40,
                            platform::ES_READONLY | platform::ES_MULTILINE)}));
}

}  // namespace

void RegisterRegMemResources()
{
    static const bool done = [] {
        platform::resources::AddString(IDS_MEMORY_GROUP, "Memory Group");
        AddDialogs();
        return true;
    }();
    (void)done;
}

}  // namespace regmem
