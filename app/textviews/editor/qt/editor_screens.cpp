// The source editor for tools/screens: the example program's main.c in a
// view of its document, with the example loaded into the real simulator,
// line numbers on, breakpoints set by sarvik on two of its lines, the
// program counter stopped on a third (read back from the simulator) and a
// selection; then the example run to the sum's printf with a data tip on
// `total`, and the address note of View Address Range on `main`.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

#include "base_view_widget.h"
#include "emu_messages.h"
#include "emu_types.h"
#include "falcrest.h"
#include "lookups/sym_lookups.h"
#include "platform/messages.h"
#include "platform/qt/screens.h"
#include "qedit_doc.h"
#include "qedit_view.h"
#include "quentor.h"
#include "sarvik.h"
#include "sarvik/frame_stop.h"
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

// The main frame's part at a stop: sarvik's stop entry and the count and
// condition test; nothing is shown.
class NoDisplay : public sarvik::StopDisplay {
public:
    void ShowHalt(uint16_t, const char*) override {}
    void Refresh() override {}
};

LRESULT FrameMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    static const sarvik::StopEntries core = sarvik::LinkedStopEntries();
    static NoDisplay display;
    if (msg == WM_EMU_ERROR)
        sarvik::HandleTargetStop(core, display, wParam, lParam);
    return 0;
}

bool ConnectExample(ScreenFrame& frame)
{
    static HWND window = platform::CreateSink(&FrameMessage);
    const char* processor = "ARM7TDMI";
    InitDLL_CpuServer(0, window, processor, 0);
    int port = 0;
    if (NewABIDLL(1, processor, &port, "Simulator", 1) != 1)
        return false;
    MemInitServer(window);
    EmuInit(window);
    // Semihosting on: the example prints through it when it runs.
    const EMU_TARGET_CONFIG config{EMU_CFG_BREAK_IN_STEPS | (1u << EMU_CFG_SEMIHOST_SHIFT), 8, 0x08000000,
                                   EMU_PROTOCOL_SIMULATOR, EMU_CATCH_DEFAULT};
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

// The frame of the screens, connected once for the process.
ScreenFrame* ExampleFrame()
{
    static ScreenFrame frame;
    static bool connected = ConnectExample(frame);
    if (!connected)
        return nullptr;
    SetTextViewFrame(&frame);
    if (theSettings.FormatColors[0].back == 0 && theSettings.FormatColors[0].fore == 0)
        theSettings.SetDefaultColors();
    theSettings.LineNumbe = 1;
    return &frame;
}

// main.c in a view of its own document and its widget, both kept to the end
// of the tool, never destroyed.
textbase::qt::BaseViewWidget* ExampleEditor(QWidget* parent = nullptr)
{
    auto* doc = new CQEditDoc;
    if (!doc->OnOpenDocument(ZK_EXAMPLE_SOURCE))
        return nullptr;
    doc->SetPathName(ZK_EXAMPLE_SOURCE, FALSE);
    auto* view = new CQEditView;
    doc->AddView(view);
    if (!view->Create(nullptr))
        return nullptr;
    auto* widget = new textbase::qt::BaseViewWidget(view, parent);
    widget->resize(640, 420);
    view->OnInitialUpdate();
    view->SendMessage(WM_SIZE, 0, MAKELPARAM(widget->viewport()->width(), widget->viewport()->height()));
    return widget;
}

platform::qt::ScreenRegistrar sourceEditor("textviews_source_editor", []() -> QWidget* {
    if (!ExampleFrame())
        return nullptr;
    textbase::qt::BaseViewWidget* widget = ExampleEditor();
    if (!widget)
        return nullptr;
    static_cast<CQEditView*>(widget->BaseView())->SetSelection(19, 8, 20, 23, true);
    return widget;
});

// Runs the example from its start to a line of main.c (a go till its first
// address); the stop comes back to the frame's sink, which hands it to sarvik. The stop
// position is kept and relayed to the views.
bool RunToLine(ScreenFrame& frame, int line)
{
    int module = 0;
    if (!lookups::SymFindModuleOfFile("main.c", &module))
        return false;
    const std::uint32_t address = LineAddress(module, line);
    // From the image's start: the start-up code sets the stack and the heap.
    ADDR start{0, ADDR_SPACE_TARGET};
    LdrGetStartPC(&start);
    EmuResetTarget(start);
    if (!address)
        return false;
    // Breakpoints of this and other screens (in the same process) stop the
    // run on the way.
    // The example prints on the way: each semihosting call stops the run
    // and its handling runs it on.
    DWORD pc = 0;
    for (int go = 0; go < 50 && pc != address; ++go) {
        const sarvik::RunMark mark = sarvik::MarkRuns();
        if (EmuRun(EMU_RUN_GO_TILL, ADDR{address, ADDR_SPACE_TARGET}) != EMU_OK)
            return false;
        // Bounded in time, not in passes of the pump: every posted stop
        // ends a pass early.
        if (!platform::ModalWait([&] { return sarvik::RunsSettled(mark); }, 60000))
            return false;
        platform::PumpPending();
        CpuGetPC(&pc);
    }
    frame.stop = {ZK_EXAMPLE_SOURCE, line, static_cast<std::uint32_t>(pc)};
    frame.RelaySetPcLine(1, static_cast<LPARAM>(pc));
    return pc == address;
}

// The tool grabs one widget; the tips are windows of their own. The editor
// goes into a container and each shown tip is drawn where it stands.
QWidget* EditorWithTips(QWidget* container, std::initializer_list<CPopupTipWnd*> tips)
{
    for (CPopupTipWnd* tip : tips) {
        auto* tipWidget = tip ? dynamic_cast<QWidget*>(tip->GetHost()) : nullptr;
        if (!tipWidget || !tip->IsTipShown())
            continue;
        const RECT at = tip->TipRect();
        tipWidget->resize(at.right - at.left, at.bottom - at.top);
        auto* picture = new QLabel(container);
        picture->setPixmap(tipWidget->grab());
        picture->move(container->mapFromGlobal(QPoint(at.left, at.top)));
        picture->resize(picture->pixmap().size());
        picture->show();
    }
    return container;
}

// A container of the editor's size with the editor in it, shown (so that
// screen positions hold).
QWidget* Container(textbase::qt::BaseViewWidget*& editor)
{
    auto* container = new QWidget;
    container->resize(640, 420);
    editor = ExampleEditor(container);
    if (!editor)
        return nullptr;
    container->move(0, 0);
    container->show();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    return container;
}

// Stopped before the sum is printed, the pointer at rest on `total`.
platform::qt::ScreenRegistrar dataTip("textviews_source_editor_datatip", []() -> QWidget* {
    ScreenFrame* frame = ExampleFrame();
    static bool stopped = frame && RunToLine(*frame, 23);
    if (!stopped)
        return nullptr;
    theSettings.DataTip = 1;
    textbase::qt::BaseViewWidget* editor = nullptr;
    QWidget* container = Container(editor);
    if (!container)
        return nullptr;
    auto* view = static_cast<CQEditView*>(editor->BaseView());
    const int line = 22;
    const int column = static_cast<int>(std::string(view->LineText(line)).find("total")) + 2;
    const QPoint at(view->TextPosToX(column, line) + 2,
                    (line - view->topLine) * view->lineHeight + view->lineHeight / 2);
    QMouseEvent move(QEvent::MouseMove, QPointF(at), editor->viewport()->mapToGlobal(QPointF(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    frame->RelayDataTipEvent(MSG{view->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(at.x(), at.y()), 0});
    QApplication::sendEvent(editor->viewport(), &move);
    for (int i = 0; i < CQEditView::kDataTipDelayTicks && !(view->TipWindow() && view->TipWindow()->IsTipShown()); ++i)
        view->SendMessage(WM_TIMER, kDataTipTimer, 0);
    return EditorWithTips(container, {view->TipWindow()});
});

// The address note of View Address Range on `main`, chosen from the
// context menu.
platform::qt::ScreenRegistrar addressNote("textviews_source_editor_address_range", []() -> QWidget* {
    if (!ExampleFrame())
        return nullptr;
    textbase::qt::BaseViewWidget* editor = nullptr;
    QWidget* container = Container(editor);
    if (!container)
        return nullptr;
    auto* view = static_cast<CQEditView*>(editor->BaseView());
    const int line = 9;  // int main(void)
    const int column = static_cast<int>(std::string(view->LineText(line)).find("main")) + 1;
    view->BuildContextMenu({view->TextPosToX(column, line) + 2, (line - view->topLine) * view->lineHeight + 4});
    view->SendMessage(WM_COMMAND, ID_VIEW_ADDRESS_RANGE);
    return EditorWithTips(container, {CQEditView::AddressRangeTip()});
});

}  // namespace
}  // namespace editor::qt
