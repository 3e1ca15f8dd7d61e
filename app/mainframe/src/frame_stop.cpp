// The stop display of the main frame: WM_EMU_REFRESH reads the program
// counter, finds its source line, updates (or opens) the source document at
// it and the code views, and refreshes the debug windows; WM_SETPCLINE is
// relayed to the text views and to the document of the address's source.
// The stop position is what the text views read through TextViewFrame. At
// the program's end the message pane shows the end's line.
#include <cstring>

#include "appdebug/source_lookups.h"
#include "base_view.h"
#include "dolmer/dolmer.h"
#include "emu_messages.h"
#include "frame_templates.h"
#include "mainframe/main_frame.h"
#include "platform/frame_wnd.h"
#include "platform/paths.h"
#include "quentor.h"
#include "quinar/quinar.h"
#include "sarvik.h"
#include "shell/debugger_app.h"
#include "shell/path_functions.h"
#include "vexlor/vexlor.h"

namespace mainframe {

namespace {

constexpr DWORD kTargetLost = static_cast<DWORD>(-27);
// Bits of the stop display's update hint.
constexpr LPARAM kHintSourcePreferred = 0x1;  // A: the source is to be shown
constexpr LPARAM kHintHasSource = 0x2;        // S: the PC has a source line
constexpr LPARAM kHintDocumentShown = 0x4;    // D: a source document shows it
constexpr LPARAM kHintThisDocument = static_cast<LPARAM>(0x80000000u);

bool IsFrameClass(CMDIChildWnd* child, const char* name)
{
    return child && std::strcmp(child->GetRuntimeClass()->m_lpszClassName, name) == 0;
}

// The open source document of a file (file names compared without case
// and without folders).
CDocument* SourceDocumentOf(const std::string& path)
{
    CWinApp* app = AfxGetApp();
    if (!app || app->DocManager()->Templates().empty() || path.empty())
        return nullptr;
    for (CDocument* doc : app->DocManager()->Templates().front()->Documents())
        if (shell::CompareSourceFileNames(doc->GetPathName(), path) == 0)
            return doc;
    return nullptr;
}

CMDIChildWnd* FrameOfDocument(CDocument* doc)
{
    if (!doc || doc->Views().empty())
        return nullptr;
    return dynamic_cast<CMDIChildWnd*>(doc->Views().front()->GetParentFrame());
}

// The source file of an address that a window can show. A source the
// machine does not hold (a library built elsewhere, its compilation folder
// gone) is none: the stop goes to the disassembly instead of a failed open at
// every stop inside it.
bool ShownSourceOf(const ADDR& address, std::string& path, int* word)
{
    return appdebug::SymFindSourceFileOfAddr(&address, path, word) && platform::PathExists(path);
}

}  // namespace

StopPosition& CurrentStop()
{
    static StopPosition stop;
    return stop;
}

TextViewStop CMainFrame::GetStopPosition() const
{
    const StopPosition& stop = CurrentStop();
    return {stop.sourcePath, stop.line, stop.pc.off, stop.previous.file};
}

bool CMainFrame::GetFindText(std::string& text) const
{
    return editBar_.GetFindText(text) != FALSE;
}

void CMainFrame::AddFindText(const std::string& text)
{
    editBar_.AddFindText(text);
}

void CMainFrame::GoToAssembly(const ADDR* from)
{
    ShowDisassemblyAt(from ? *from : CurrentStop().pc);
}

int CMainFrame::AddWatch(const std::string& expression)
{
    return core_ ? core_->AddWatch(expression) : 0;
}

int CMainFrame::OpenInspectWindow(const std::string& name)
{
    return core_ ? core_->OpenInspectWindow(name) : 0;
}

void CMainFrame::ReportTargetConnectionLost()
{
    if (core_)
        core_->ReportTargetLost();
}

bool CMainFrame::ActiveIsDisassembly() const
{
    return IsFrameClass(MDIGetActive(), "CAsmFrame");
}

bool CMainFrame::PcIsAtMain(uint32_t pc) const
{
    ADDR main{0, ADDR_SPACE_TARGET};
    if (AdrTextToAddr("#main", &main, 1) != 1) {
        main = {0, ADDR_SPACE_TARGET};
        if (AdrTextToAddr("#MAIN", &main, 1) != 1)
            return false;
    }
    return (main.off & ~1u) == (pc & ~1u);
}

bool CMainFrame::FindStopSource(StopPosition& stop)
{
    if (!LdrIsSymbolLoaded() || !appdebug::SymIsAddrInModule(&stop.pc))
        return false;
    std::string path;
    if (!ShownSourceOf(stop.pc, path, &stop.word))
        return false;
    stop.sourcePath = path;
    stop.line = appdebug::SourceLineOfAddr(stop.pc.off);
    return stop.line > 0;
}

LRESULT CMainFrame::OnEmuRefresh()
{
    SymNotifyTargetHalted();
    StopPosition& stop = CurrentStop();
    stop.previous = {stop.sourcePath, stop.pc.off, ADDR_SPACE_TARGET, stop.line};

    DWORD pc = 0;
    const int result = CpuGetPC(&pc);
    if (result != 0) {
        if (static_cast<DWORD>(result) == kTargetLost && core_)
            core_->ReportTargetLost();
        return -1;
    }
    Globals().keptPc = pc;
    stop.pc = {pc, ADDR_SPACE_TARGET};

    // A: the source is preferred unless the disassembly is in front (then
    // only a stop at main shows the source).
    const bool asmActive = ActiveIsDisassembly();
    const bool atMain = asmActive && PcIsAtMain(pc);
    const bool preferSource = !asmActive || atMain;
    // S: the PC's source file and line.
    stop.sourcePath.clear();
    stop.line = -1;
    stop.word = 0;
    const bool hasSource = FindStopSource(stop);
    if (!hasSource)
        stop.line = -1;

    LPARAM hint = (preferSource ? kHintSourcePreferred : 0) | (hasSource ? kHintHasSource : 0);
    bool shown = false;
    auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp());
    if (app && !app->DocManager()->Templates().empty()) {
        // A copy: an update may open or close documents.
        const std::vector<CDocument*> docs = app->DocManager()->Templates().front()->Documents();
        for (CDocument* doc : docs) {
            LPARAM docHint = hint;
            if (hasSource && shell::CompareSourceFileNames(doc->GetPathName(), stop.sourcePath) == 0) {
                shown = true;
                docHint |= kHintThisDocument;
                // A source view scrolled past the stop line shows it again
                // from the top.
                auto* view = doc->Views().empty() ? nullptr : dynamic_cast<CBaseView*>(doc->Views().front());
                if (view && std::strcmp(view->GetRuntimeClass()->m_lpszClassName, "CQEditView") == 0 &&
                    view->topLine + 1 >= stop.line)
                    OpenSourceAtLine(stop.line, doc->GetPathName());
            }
            doc->UpdateAllViews(nullptr, docHint, nullptr);
        }
    }
    if (preferSource && hasSource && !shown && app) {
        if (CDocument* doc = app->OpenDocumentFile(stop.sourcePath.c_str())) {
            if (CMDIChildWnd* child = FrameOfDocument(doc))
                MDIActivate(child);
            doc->UpdateAllViews(nullptr, hint | kHintThisDocument, nullptr);
            shown = true;
        }
    }
    if (shown)
        hint |= kHintDocumentShown;

    // The code views; the first one's frame is remembered unless the
    // disassembly is in front already.
    CMDIChildWnd* codeFrame = nullptr;
    bool codeDocument = false;
    for (const char* name : {"assembly", "mixed"}) {
        CDocTemplate* t = TemplateOf(name);
        if (!t)
            continue;
        const std::vector<CDocument*> docs = t->Documents();
        for (CDocument* doc : docs) {
            doc->UpdateAllViews(nullptr, hint, nullptr);
            codeDocument = true;
            if (!codeFrame && !asmActive)
                codeFrame = FrameOfDocument(doc);
        }
    }
    if (!(preferSource && hasSource && shown)) {
        if (codeDocument || asmActive) {
            if (codeFrame)
                MDIActivate(codeFrame);
        } else {
            ShowDisassemblyAt(stop.pc);
        }
    }

    if (core_)
        for (int kind : {4, 9, 8, 1, 3, 11, 13, 20})
            core_->RefreshDebugWindows(kind, -1);
    // No trace module exists in this system (its "TrcRefresh" would follow).
    return 1;
}

void CMainFrame::ShowProgramEnd()
{
    DWORD reason = 0;
    if (!SemihostGetExit(&reason, nullptr))
        return;
    std::string text = SemihostExitText(reason);
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    statusBar_.SetPaneText(0, text);
}

LRESULT CMainFrame::OnSetPcLine(WPARAM wParam, LPARAM lParam)
{
    if ((wParam & 0xFF) == 0)
        return RelaySetPcLine(wParam, lParam);
    const ADDR address{static_cast<uint32_t>(lParam), static_cast<uint16_t>(wParam & 0xFF)};
    std::string path;
    int word = 0;
    if (LdrIsSymbolLoaded() && ShownSourceOf(address, path, &word)) {
        CDocument* doc = SourceDocumentOf(path);
        if (doc && !doc->Views().empty()) {
            // The document stays where it is in the Z order (the platform
            // has no order behind the active frame); it is not activated.
            doc->Views().front()->SendMessage(WM_SETPCLINE, wParam, lParam);
        } else if (auto* app = AfxGetApp()) {
            CMDIChildWnd* active = MDIGetActive();
            if (CDocument* opened = app->OpenDocumentFile(path.c_str())) {
                if (active && active != FrameOfDocument(opened))
                    MDIActivate(active);
                if (!opened->Views().empty())
                    opened->Views().front()->SendMessage(WM_SETPCLINE, wParam, lParam);
            }
        }
    }
    // The disassembly document, then the mixed one, when a disassembly
    // document exists.
    CDocTemplate* assembly = TemplateOf("assembly");
    if (assembly && !assembly->Documents().empty()) {
        CDocument* doc = assembly->Documents().front();
        doc->SetTitle("Disassemble");
        if (!doc->Views().empty())
            doc->Views().front()->SendMessage(WM_SETPCLINE, wParam, lParam);
        if (CDocTemplate* mixed = TemplateOf("mixed"); mixed && !mixed->Documents().empty()) {
            CDocument* m = mixed->Documents().front();
            m->SetTitle(m->GetTitle());
            if (!m->Views().empty())
                m->Views().front()->SendMessage(WM_SETPCLINE, wParam, lParam);
        }
    }
    return 1;
}

}  // namespace mainframe
