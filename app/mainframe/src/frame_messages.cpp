// The private messages addressed to the main window: the debug windows'
// refresh by kind, the stop of a run, the run-state text, the poll flag, the
// watch expression and the closing of a debug window.
#include <algorithm>
#include <cstring>

#include "emu_messages.h"
#include "frame_templates.h"
#include "mainframe/frame_views.h"
#include "mainframe/main_frame.h"
#include "sarvik.h"
#include "sarvik/frame_stop.h"
#include "shell/debugger_app.h"
#include "vexlor/vexlor.h"

namespace mainframe {

CDocTemplate* TemplateOf(const char* name)
{
    auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp());
    if (!app)
        return nullptr;
    size_t registered = 0, unregistered = 0;
    for (const shell::TemplateRow& row : shell::kTemplateRows) {
        const auto& made = app->m_templatesMade;
        if (std::find(made.begin(), made.end(), row.name) == made.end())
            continue;
        CDocTemplate* t = nullptr;
        if (row.registered) {
            const auto& list = app->DocManager()->Templates();
            t = registered < list.size() ? list[registered] : nullptr;
            ++registered;
        } else {
            t = unregistered < app->m_unregisteredTemplates.size() ? app->m_unregisteredTemplates[unregistered].get()
                                                                   : nullptr;
            ++unregistered;
        }
        if (std::strcmp(row.name, name) == 0)
            return t;
    }
    return nullptr;
}

namespace {

constexpr LPARAM kBreakpointsHint = 0x01010101;
constexpr LPARAM kCodeViewsHint = 0xFFFF;

void UpdateDocuments(CDocTemplate* t, LPARAM hint, CObject* hintObject)
{
    if (!t)
        return;
    // A copy: an update may close a document.
    const std::vector<CDocument*> docs = t->Documents();
    for (CDocument* doc : docs)
        doc->UpdateAllViews(nullptr, hint, hintObject);
}

// The bytes of a block the receiver owns; the block is freed.
std::string TakeBlock(LPARAM block)
{
    auto handle = reinterpret_cast<HGLOBAL>(block);
    std::string bytes;
    if (const char* data = static_cast<const char*>(GlobalLock(handle))) {
        bytes.assign(data, GlobalSize(handle));
        GlobalUnlock(handle);
    }
    GlobalFree(handle);
    return bytes;
}

// The zero-terminated text from `from` on.
std::string TextAt(const std::string& bytes, size_t from)
{
    if (from >= bytes.size())
        return {};
    return bytes.substr(from, strnlen(bytes.data() + from, bytes.size() - from));
}

const sarvik::StopEntries kStopEntries = sarvik::LinkedStopEntries();

}  // namespace

ShellCapture& ShellCommandCapture()
{
    static ShellCapture capture;
    return capture;
}

void CaptureOutput(ShellCapture& capture, const std::string& text)
{
    if (capture.active && text.size() > 10)
        capture.text += text.substr(10);
}

void CaptureReplacedLine(ShellCapture& capture, const std::string& text)
{
    if (!capture.active)
        return;
    std::string& c = capture.text;
    while (!c.empty() && c.back() == '\n')
        c.pop_back();
    const size_t lf = c.rfind('\n');
    c.erase(lf == std::string::npos ? 0 : lf + 1);
    c += text + "\n";
}

void CMainFrame::MapMessages()
{
    OnMessage(WM_EMU_UPDATE_VIEWS, [this](WPARAM w, LPARAM l) { return OnUpdateViews(w, l); });
    OnMessage(WM_EMU_REFRESH, [this](WPARAM, LPARAM) { return OnEmuRefresh(); });
    OnMessage(WM_SETPCLINE, [this](WPARAM w, LPARAM l) { return OnSetPcLine(w, l); });
    OnMessage(WM_EMU_OPEN_IMAGE, [this](WPARAM w, LPARAM l) { return OnOpenImage(w, l); });
    OnMessage(WM_EMU_ERROR, [this](WPARAM w, LPARAM l) { return OnEmuError(w, l); });
    OnMessage(WM_EMU_BUSY, [this](WPARAM w, LPARAM l) -> LRESULT {
        statusBar_.SetPaneText(static_cast<int>(w), l == 0 ? "Running" : "Halt");
        return 1;
    });
    OnMessage(WM_EMU_POLL_STATUS, [this](WPARAM w, LPARAM) -> LRESULT {
        m_bPoll = static_cast<BOOL>(w);
        return 1;
    });
    OnMessage(WM_EMU_ADD_WATCH, [this](WPARAM, LPARAM l) { return OnAddWatch(l); });
    OnMessage(WM_EMU_MEMORY_TEST, [this](WPARAM w, LPARAM l) { return OnMemoryTest(w, l); });
    OnMessage(WM_EMU_SEMIHOST_IO, [this](WPARAM w, LPARAM l) { return OnSemihostIo(w, l); });
    OnMessage(WM_EMU_VIEW_CLOSED,
              [this](WPARAM w, LPARAM) -> LRESULT { return core_ ? core_->OnDebugWndClosed(static_cast<int>(w)) : 0; });
}

LRESULT CMainFrame::OnUpdateViews(WPARAM wParam, LPARAM param)
{
    const int kind = static_cast<int>(wParam);
    FrameGlobals& g = Globals();
    if (kind == DVK_FREEZE) {
        g.freezeViews = param != 0 ? FALSE : !g.freezeViews;
        return 1;
    }
    if (kind < 0 || kind > DVK_CLASSES)
        return 1;
    if (kind == DVK_CONSOLE_TEXT) {
        OnConsoleText(param);
        return 1;
    }
    if (g.freezeViews)
        return 1;
    auto refresh = [this](int k, LPARAM p) {
        if (core_)
            core_->RefreshDebugWindows(k, p);
    };
    switch (kind) {
    case DVK_ALL:
        for (int k : {9, 8, 1, 7})
            refresh(k, -1);
        break;
    case DVK_REGISTERS:
    case DVK_CALL_STACK:
    case DVK_WATCH:
    case DVK_AUX_WINDOW: refresh(kind, -1); break;
    case DVK_MEMORY1:
    case DVK_MEMORY2:
    case DVK_MEMORY3:
        // The senders pass the memory space a change touched; 0 and -1
        // mean every memory window.
        refresh(kind, param == 0 ? -1 : param);
        break;
    case DVK_CODE_VIEWS:
        UpdateDocuments(TemplateOf("assembly"), kCodeViewsHint, nullptr);
        UpdateDocuments(TemplateOf("mixed"), kCodeViewsHint, nullptr);
        break;
    case DVK_SYMBOLS:
        if (CView* symbols = workspaceBar_.GetView(2))
            symbols->SendMessage(WM_EMU_SYMBOLS_CHANGED);
        if (core_)
            if (HWND watch = core_->WatchWindow())
                ::SendMessage(watch, WM_EMU_REFRESH, 0, 0);
        break;
    case DVK_BIT_MEMORY:
        refresh(kind, -1);
        OnBreakpointsChanged(param);
        break;
    case DVK_BREAKPOINTS:
        OnBreakpointsChanged(param);
        if (core_)
            core_->ShowBreakpointList(2);
        break;
    case DVK_CLASSES:
        if (CView* classes = workspaceBar_.GetView(1))
            classes->SendMessage(WM_EMU_CLASSES_CHANGED);
        break;
    default: break;
    }
    return 1;
}

void CMainFrame::OnConsoleText(LPARAM block)
{
    CommandTextView* view = nullptr;
    for (const auto& tab : outputBar_.Tabs())
        if (tab.label == "Command")
            view = dynamic_cast<CommandTextView*>(tab.view);
    if (block == 0) {
        if (view)
            view->NewLine();
        return;
    }
    // The block is the receiver's whether or not a view takes the text.
    const std::string bytes = TakeBlock(block);
    if (!view || bytes.empty())
        return;
    ShellCapture& capture = ShellCommandCapture();
    if (bytes[0] != 0) {
        const std::string text = TextAt(bytes, 0);
        view->AppendText(text, 1);
        CaptureOutput(capture, text);
    } else {
        // A first byte of 0: the line from the second byte replaces the
        // current one.
        const std::string line = TextAt(bytes, 1);
        view->ReplaceCurrentLine(line);
        CaptureReplacedLine(capture, line);
    }
}

void CMainFrame::OnBreakpointsChanged(LPARAM address)
{
    // The hint the code views read: a planted breakpoint at the address.
    CBpData hint(ADDR{static_cast<uint32_t>(address), ADDR_SPACE_TARGET}, std::string(), 1, 1);
    hint.SetStatus(BKPT_STATUS_PLANTED);
    auto* app = AfxGetApp();
    if (app && !app->DocManager()->Templates().empty())
        UpdateDocuments(app->DocManager()->Templates().front(), kBreakpointsHint, &hint);
    UpdateDocuments(TemplateOf("assembly"), kBreakpointsHint, &hint);
    UpdateDocuments(TemplateOf("mixed"), kBreakpointsHint, &hint);
}

LRESULT CMainFrame::OnEmuError(WPARAM wParam, LPARAM lParam)
{
    class Display : public sarvik::StopDisplay {
    public:
        explicit Display(CMainFrame& frame) : frame_(frame) {}
        void ShowHalt(uint16_t cause, const char* text) override
        {
            // A run that ended the program stopped at the semihosting
            // vector's breakpoint: the pane shows the end, not that stop.
            if (SemihostGetExit(nullptr, nullptr))
                frame_.ShowProgramEnd();
            else
                frame_.statusBar_.SetPaneText(0, text);
            if (frame_.core_)
                frame_.core_->FireEvent(kEventHalt, static_cast<short>(cause));
        }
        void Refresh() override { frame_.SendMessage(WM_EMU_REFRESH); }

    private:
        CMainFrame& frame_;
    } display(*this);
    sarvik::HandleTargetStop(kStopEntries, display, wParam, lParam);
    return 1;
}

LRESULT CMainFrame::OnAddWatch(LPARAM block)
{
    if (block == 0)
        return 1;
    const std::string expression = TextAt(TakeBlock(block), 0);
    if (core_)
        core_->AddWatch(expression);
    return 1;
}

}  // namespace mainframe
