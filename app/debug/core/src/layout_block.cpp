// The window layout block over the main frame's MDI children: the writer
// walks them from the active one backwards, the reader reopens windows by
// kind and gives each its placement.
#include "appdebug/layout_block.h"

#include <algorithm>
#include <cstring>

#include "appdebug/debug_core.h"
#include "emu_messages.h"
#include "lathris/frame.h"
#include "shell/path_functions.h"

namespace appdebug {

namespace {

// Frame and view classes by name along the base chain: the source and
// disassembly frames and the mixed view live in the text views, which this
// library does not link.
bool IsClassNamed(const CObject* object, const char* name)
{
    for (const CRuntimeClass* c = object ? object->GetRuntimeClass() : nullptr; c; c = c->m_pBaseClass)
        if (std::strcmp(c->m_lpszClassName, name) == 0)
            return true;
    return false;
}

// Converts the normal rectangle's corner between screen coordinates and
// client coordinates of the main window, keeping its size.
void ConvertCorner(WINDOWPLACEMENT& p, const CWnd& mainWindow, bool toClient)
{
    RECT& r = p.rcNormalPosition;
    const LONG width = r.Width(), height = r.Height();
    POINT corner{r.left, r.top};
    if (toClient)
        mainWindow.ScreenToClient(&corner);
    else
        mainWindow.ClientToScreen(&corner);
    r = {corner.x, corner.y, corner.x + width, corner.y + height};
}

// A placement into a saved record's first eleven words (length 44); the
// six words stay.
void CopyPlacement(const WINDOWPLACEMENT& p, DebugWindowPlacement& out)
{
    out.length = static_cast<int32_t>(sizeof(WINDOWPLACEMENT));
    out.flags = static_cast<int32_t>(p.flags);
    out.showCmd = static_cast<int32_t>(p.showCmd);
    out.minPosition[0] = p.ptMinPosition.x;
    out.minPosition[1] = p.ptMinPosition.y;
    out.maxPosition[0] = p.ptMaxPosition.x;
    out.maxPosition[1] = p.ptMaxPosition.y;
    out.normalPosition[0] = p.rcNormalPosition.left;
    out.normalPosition[1] = p.rcNormalPosition.top;
    out.normalPosition[2] = p.rcNormalPosition.right;
    out.normalPosition[3] = p.rcNormalPosition.bottom;
}

// The record of one child frame; false for a frame the block leaves out.
bool DescribeFrame(CMDIChildWnd* frame, const LayoutContext& context, LayoutRecord& record)
{
    record.Clear();
    if (IsClassNamed(frame, "CAsmFrame")) {
        record.frameClass = kLayoutAsmFrame;
        record.subKind = IsClassNamed(frame->GetActiveView(), "CMixedView") ? kLayoutMixedView : kLayoutAsmView;
    } else if (IsClassNamed(frame, "CChildFrame")) {
        record.frameClass = kLayoutSourceFrame;
        if (CDocument* doc = frame->GetActiveDocument(); doc && !doc->GetPathName().empty())
            record.path = LayoutSourcePath(doc->GetPathName(), context.projectPath);
    } else if (const auto* window = dynamic_cast<const DebugWindow*>(frame); window &&
               frame->IsKindOf(RUNTIME_CLASS(CCJMDIChildWnd)) && window->Kind() >= 0 && window->Kind() <= 0xFF) {
        record.frameClass = kLayoutDebugFrame;
        record.subKind = static_cast<uint8_t>(window->Kind());
        // Only the first memory window and the Bit window keep words.
        if (record.subKind == DVK_MEMORY1 || record.subKind == DVK_BIT_MEMORY) {
            uint32_t words[6] = {0, 1, 0, 0, 0, 0};
            window->LayoutWords(words);
            if (record.subKind == DVK_MEMORY1)
                std::copy(words, words + 5, record.words);
            else
                std::copy(words + 2, words + 4, record.words + 2);
        }
    } else {
        return false;
    }
    WINDOWPLACEMENT p;
    if (frame->GetWindowPlacement(&p)) {
        p.length = sizeof(WINDOWPLACEMENT);
        p.flags = frame->IsZoomed() ? WPF_RESTORETOMAXIMIZED : 0;
        if (context.mainFrame)
            ConvertCorner(p, *context.mainFrame, true);
        record.placement = p;
    }
    return true;
}

CFrameWnd* FirstViewFrame(CDocTemplate* t)
{
    if (!t || t->Documents().empty())
        return nullptr;
    const CDocument* doc = t->Documents().front();
    return doc->Views().empty() ? nullptr : doc->Views().front()->GetParentFrame();
}

CWnd* WindowOf(const DebugWindow* window)
{
    return window ? CWnd::FromHandle(window->Window()) : nullptr;
}

// Opens or takes the debug window of a class-1 record.
CWnd* RestoreDebugWindow(const LayoutRecord& record, const LayoutContext& context)
{
    CDebugCore* core = context.core;
    if (!core || !core->MainFrame() || !core->MainFrame()->IsConnected())
        return nullptr;
    switch (record.subKind) {
    case DVK_REGISTERS: core->OpenRegisterWindow(); return WindowOf(core->RegisterWnd());
    case DVK_MEMORY1: {
        const size_t before = core->MemoryWnds().size();
        core->OpenMemoryWindow(static_cast<int32_t>(record.words[0]), record.words[1] & 0xFFFF);
        if (core->MemoryWnds().size() == before)
            return nullptr;
        DebugWindow* window = core->MemoryWnds().back();
        window->SetColors(record.words[2], record.words[3], record.words[4]);
        return WindowOf(window);
    }
    case DVK_CALL_STACK: core->OpenCallStackWindow(); return WindowOf(core->StackWnd());
    case DVK_WATCH: core->OpenWatchWindow(); return WindowOf(core->WatchWnd());
    case DVK_BIT_MEMORY: return WindowOf(core->BitWnd());
    case DVK_AUX_WINDOW: {
        // Halvek's window comes to the front; only a frame of its own (none
        // the block knows) takes the placement, so a peripheral window that
        // did not open leaves the others where they are.
        core->OnPeripheralWindow();
        CMDIChildWnd* active = context.mainFrame ? context.mainFrame->MDIGetActive() : nullptr;
        LayoutRecord probe;
        return active && !DescribeFrame(active, context, probe) ? active : nullptr;
    }
    default: return nullptr;  // other kinds are not reopened; their records place nothing
    }
}

CWnd* RestoreAsmWindow(const LayoutRecord& record, const LayoutContext& context)
{
    // The table entry stays even without a view, for the view's next opening.
    // Sub-kinds past the table (18 and up) have no entry.
    if (record.subKind < kPlacementCount)
        CopyPlacement(record.placement, g_windowPlacements[record.subKind]);
    if (record.subKind == kLayoutAsmView)
        return FirstViewFrame(context.disassemblyTemplate);
    if (record.subKind == kLayoutMixedView)
        return FirstViewFrame(context.mixedTemplate);
    return nullptr;
}

std::string ToHostSeparators(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

CWnd* RestoreSourceWindow(const LayoutRecord& record, const LayoutContext& context)
{
    if (record.path.empty() || !context.sourceTemplate)
        return nullptr;
    // The stored path separates with backslashes; the host's files with "/".
    const std::string path = ToHostSeparators(MakeAbsolutePath(record.path, context.projectPath));
    if (!FileExists(path))
        return nullptr;
    for (CDocument* doc : context.sourceTemplate->Documents())
        if (CompareSourceFileNames(doc->GetPathName(), path) == 0)
            // Already open: its own frame takes the placement.
            return doc->Views().empty() ? nullptr : doc->Views().front()->GetParentFrame();
    if (!context.sourceTemplate->OpenDocumentFile(path.c_str(), TRUE))
        return nullptr;
    return context.mainFrame ? context.mainFrame->MDIGetActive() : nullptr;
}

}  // namespace

bool SaveWindowPlacement(const CWnd& frame, const CWnd* mainWindow, DebugWindowPlacement& out)
{
    WINDOWPLACEMENT p;
    if (!frame.GetWindowPlacement(&p))
        return false;
    p.flags = frame.IsZoomed() ? WPF_RESTORETOMAXIMIZED : 0;
    if (mainWindow)
        ConvertCorner(p, *mainWindow, true);
    CopyPlacement(p, out);
    return true;
}

bool ApplySavedPlacement(CWnd& frame, const CWnd* mainWindow, const DebugWindowPlacement& saved)
{
    if (!saved.IsValid())
        return false;
    WINDOWPLACEMENT p;
    p.flags = static_cast<UINT>(saved.flags);
    p.showCmd = static_cast<UINT>(saved.showCmd);
    p.ptMinPosition = {saved.minPosition[0], saved.minPosition[1]};
    p.ptMaxPosition = {saved.maxPosition[0], saved.maxPosition[1]};
    p.rcNormalPosition = {saved.normalPosition[0], saved.normalPosition[1], saved.normalPosition[2],
                          saved.normalPosition[3]};
    if (mainWindow)
        ConvertCorner(p, *mainWindow, false);
    return frame.SetWindowPlacement(&p) != FALSE;
}

std::string LayoutSourcePath(const std::string& documentPath, const std::string& projectPath)
{
    const std::string name = GetFileNameOfPath(documentPath);
    if (IsSameDirectory(documentPath, projectPath))
        return name;
    std::string relative;
    MakeRelativePath(GetDriveDirOfPath(projectPath), GetDriveDirOfPath(documentPath), &relative);
    std::replace(relative.begin(), relative.end(), '/', '\\');
    if (relative.empty() || relative.back() != '\\')
        relative += '\\';
    return relative + name;
}

void StoreDebugLayout(CArchive& ar, const LayoutContext& context)
{
    if (!context.mainFrame)
        return;
    // A copy: the list is front to back, the active child first.
    const std::vector<CMDIChildWnd*> children = context.mainFrame->MDIChildren();
    LayoutRecord record;
    for (CMDIChildWnd* frame : children)
        if (frame && frame->m_hWnd && !frame->IsDestroying() && DescribeFrame(frame, context, record))
            WriteLayoutRecord(record, ar);
}

void RestoreDebugLayout(CArchive& ar, const LayoutContext& context)
{
    LayoutRecord record;
    while (ReadLayoutRecord(record, ar)) {
        CWnd* window = nullptr;
        if (record.frameClass == kLayoutDebugFrame)
            window = RestoreDebugWindow(record, context);
        else if (record.frameClass == kLayoutAsmFrame)
            window = RestoreAsmWindow(record, context);
        else
            window = RestoreSourceWindow(record, context);
        if (!window)
            continue;
        WINDOWPLACEMENT p = record.placement;
        if (context.mainFrame)
            ConvertCorner(p, *context.mainFrame, false);
        window->SetWindowPlacement(&p);
    }
}

void SaveDebugLayout(const std::string& path, const LayoutContext& context)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite))
        return;
    try {
        CArchive ar(&file, CArchive::store, 4096);
        StoreDebugLayout(ar, context);
        ar.Close();
        file.Close();
    } catch (const platform::CException&) {
        // A write that failed leaves what it wrote; the save reports nothing.
        file.Abort();
    }
}

LayoutLoad LoadDebugLayout(const std::string& path, const LayoutContext& context)
{
    platform::CFileStatus status;
    if (!CFile::GetStatus(path.c_str(), status) || status.m_size < kLayoutMinimumSize)
        return LayoutLoad::Skipped;
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead))
        return LayoutLoad::Skipped;
    try {
        CArchive ar(&file, CArchive::load, 4096);
        RestoreDebugLayout(ar, context);
        ar.Close();
    } catch (const platform::CException&) {
        // A cut block (or a read error): what was read stays restored, the file is kept and
        // the project's open goes on.
        return LayoutLoad::Cut;
    }
    file.Close();
    try {
        CFile::Remove(path.c_str());
    } catch (const platform::CException&) {}
    return LayoutLoad::Restored;
}

bool FileExists(const std::string& path)
{
    platform::CFileStatus status;
    return !path.empty() && CFile::GetStatus(path.c_str(), status) && !(status.m_attribute & 0x10);
}

}  // namespace appdebug
