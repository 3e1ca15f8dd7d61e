// The three breakpoint windows for tools/screens, over examples/hello loaded
// in the real simulator: a plain, a conditional and counted, a disabled and
// (with the stand-in kernel view's tasks A, B and C) a task-qualified
// breakpoint.
#include <QListWidget>

#include <cstdio>
#include <string>

#include "bp_dialog.h"
#include "bp_list_wnd.h"
#include "core.h"
#include "dolmer/dolmer.h"
#include "falcrest.h"
#include "platform/messages.h"
#include "platform/modules.h"
#include "platform/qt/dialog_widget.h"
#include "platform/qt/screens.h"
#include "quentor.h"
#include "sarvik.h"
#include "sarvik_qt/bp_list_widget.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"
#include "watch_dialog.h"

namespace sarvik::qt {
namespace {

using platform::qt::DialogWidget;
using platform::qt::ScreenRegistrar;
using namespace sarvik::ui;

constexpr uint32_t kTaskB = 0x00021100;  // the stand-in kernel view's task B

void SetAt(const char* symbol, const char* condition, unsigned count, int enable, uint32_t task)
{
    ADDR at{};
    if (AdrTextToAddr(symbol, &at, 1) != 1) {
        std::fprintf(stderr, "screens: %s is not in the example\n", symbol);
        return;
    }
    if (BptSetBp(&at, condition, count, 0, enable, task) == EMU_OK)
        Core().breakpoints.Records().back()->SetSymbol(symbol);
}

// Once: the simulator with the example loaded and the four breakpoints.
bool Session()
{
    static const bool ready = [] {
        static HWND sink = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
        InitDLL_CpuServer(0, sink, "ARM7TDMI", 0);
        int port = 0;
        if (NewABIDLL(1, "ARM7TDMI", &port, "Simulator", 1) != 1) {
            std::fprintf(stderr, "screens: no simulator library\n");
            return false;
        }
        MemInitServer(sink);
        const std::string folder = platform::ModuleFolder();
        platform::SetModuleFolder(ZK_FAKE_CORVANE_DIR);
        EmuInit(sink);
        platform::SetModuleFolder(folder);
        const EMU_TARGET_CONFIG config{0x001, 8, 0x08000000, EMU_PROTOCOL_SIMULATOR, 0};
        EmuSetTargetConfig(&config);
        if (LdrLoadWin(ZK_EXAMPLE_ELF, 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr) != LDR_OK) {
            std::fprintf(stderr, "screens: %s does not load\n", ZK_EXAMPLE_ELF);
            return false;
        }
        SetAt("#main", "", 1, 1, 0);
        SetAt("#queue_put", "value > 3", 2, 1, 0);
        SetAt("#format_number", "", 1, 0, 0);
        SetAt("#queue_get", "", 1, 1, kTaskB);
        return true;
    }();
    return ready;
}

template <class Dialog>
QWidget* DialogScreen(const std::function<void(DialogWidget&, Dialog&)>& act)
{
    if (!Session())
        return nullptr;
    static std::vector<std::unique_ptr<Dialog>> dialogs;
    dialogs.push_back(std::make_unique<Dialog>());
    auto* w = new DialogWidget(*dialogs.back()->Template());
    w->Attach(*dialogs.back());
    act(*w, *dialogs.back());
    return w;
}

ScreenRegistrar breakpointDialog("sarvik_breakpoint_dialog", [] {
    return DialogScreen<CBreakpointDlg>([](DialogWidget& w, CBreakpointDlg& dialog) {
        // The task-qualified line selected, the dialog at its full height.
        const int last = w.GetCount(IDC_BP_LIST) - 1;
        w.UserSelect(IDC_BP_LIST, last);
        w.UserClick(IDC_BP_MORE);
    });
});

ScreenRegistrar conditionDialog("sarvik_breakpoint_dialog_condition", [] {
    return DialogScreen<CBreakpointDlg>([](DialogWidget& w, CBreakpointDlg&) { w.UserSelect(IDC_BP_LIST, 1); });
});

ScreenRegistrar watchDialog("sarvik_watchpoint_dialog", [] {
    return DialogScreen<CWatchpointDlg>([](DialogWidget& w, CWatchpointDlg&) {
        const WatchUnitIds& u0 = kWatchUnitIds[0];
        w.UserClick(u0.activate);
        w.UserClick(u0.enable);
        w.UserType(u0.address, "2001C");
        w.UserSelect(u0.readWrite, 2);
        w.UserSelect(u0.size, 1);
        w.UserSelect(u0.access, 2);
    });
});

ScreenRegistrar listWindow("sarvik_breakpoint_list", []() -> QWidget* {
    if (!Session())
        return nullptr;
    static CBkptView* view = [] {
        auto* v = new CBkptView;
        v->Create(nullptr);
        v->Refresh();
        v->SetSelected(1);
        return v;
    }();
    auto* w = new BkptListWidget(view);
    w->setWindowTitle("Breakpoints");
    w->resize(440, 140);
    return w;
});

}  // namespace
}  // namespace sarvik::qt
