// The source editor for tools/screens: the example program's main.c in a
// view of its document, with the example loaded into the real simulator,
// line numbers on, breakpoints set by sarvik on two of its lines, the
// program counter stopped on a third (read back from the simulator) and a
// selection.
#include "base_view_widget.h"
#include "emu_types.h"
#include "falcrest.h"
#include "lookups/sym_lookups.h"
#include "platform/messages.h"
#include "platform/qt/screens.h"
#include "qedit_doc.h"
#include "qedit_view.h"
#include "quentor.h"
#include "sarvik.h"
#include "shell/settings.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "text_view_frame.h"
#include "vexlor/vexlor.h"

namespace editor::qt {
namespace {

// The stop position as the main frame keeps it, read from the simulator.
class ScreenFrame : public TextViewFrame {
public:
    bool IsConnected() const override { return true; }
    TextViewStop GetStopPosition() const override { return stop; }
    bool GetFindText(std::string& text) const override { return false; }
    void AddFindText(const std::string&) override {}
    TextViewStop stop;
};

// The code address of a one-based line of main.c (0: none).
std::uint32_t LineAddress(int module, int line)
{
    ADDR start;
    ADDR end;
    return lookups::SymGetLineAddrRange(line, &start, &end, module, FALSE) ? start.off : 0;
}

bool ConnectExample(ScreenFrame& frame)
{
    static HWND window = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    const char* processor = "ARM7TDMI";
    InitDLL_CpuServer(0, window, processor, 0);
    int port = 0;
    if (NewABIDLL(1, processor, &port, "Simulator", 1) != 1)
        return false;
    MemInitServer(window);
    EmuInit(window);
    const EMU_TARGET_CONFIG config{EMU_CFG_BREAK_IN_STEPS, 8, 0x08000000, EMU_PROTOCOL_SIMULATOR, EMU_CATCH_DEFAULT};
    EmuSetTargetConfig(&config);
    SetBpSaveFile("");
    if (LdrLoadWin(ZK_EXAMPLE_ELF, 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr) != LDR_OK)
        return false;
    ADDR start{0, ADDR_SPACE_TARGET};
    LdrGetStartPC(&start);
    EmuResetTarget(start);
    int module = 0;
    if (!lookups::SymFindModuleOfFile("main.c", &module))
        return false;
    // Breakpoints on the queue's set-up and on the sum's printf.
    for (int line : {16, 23}) {
        const ADDR at{LineAddress(module, line), ADDR_SPACE_TARGET};
        if (at.off)
            BptSetBp(&at, "", 1, 0, 1, 0xFFFFFFFFu);
    }
    // The program counter on the loop's first line.
    CpuSetPC(LineAddress(module, 17));
    DWORD pc = 0;
    CpuGetPC(&pc);
    std::uint32_t pcModule = 0;
    std::uint32_t pcLine = 0;
    lookups::LineOfAddr(pc, pcModule, pcLine);
    frame.stop = {ZK_EXAMPLE_SOURCE, static_cast<int>(pcLine), static_cast<std::uint32_t>(pc)};
    return true;
}

platform::qt::ScreenRegistrar sourceEditor("textviews_source_editor", []() -> QWidget* {
    static ScreenFrame frame;
    static bool connected = ConnectExample(frame);
    if (!connected)
        return nullptr;
    SetTextViewFrame(&frame);
    if (theSettings.FormatColors[0].back == 0 && theSettings.FormatColors[0].fore == 0)
        theSettings.SetDefaultColors();
    theSettings.LineNumbe = 1;

    // Kept to the end of the tool with its view, never destroyed.
    auto* doc = new CQEditDoc;
    if (!doc->OnOpenDocument(ZK_EXAMPLE_SOURCE))
        return nullptr;
    doc->SetPathName(ZK_EXAMPLE_SOURCE, FALSE);
    auto* view = new CQEditView;
    doc->AddView(view);
    if (!view->Create(nullptr))
        return nullptr;
    auto* widget = new textbase::qt::BaseViewWidget(view);
    widget->resize(640, 420);
    view->OnInitialUpdate();
    view->SendMessage(WM_SIZE, 0, MAKELPARAM(widget->viewport()->width(), widget->viewport()->height()));
    view->SetSelection(19, 8, 20, 23, true);
    return widget;
});

}  // namespace
}  // namespace editor::qt
