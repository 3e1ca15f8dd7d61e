// Documents and views.
#include <algorithm>
#include <cstdio>

#include "platform/doc_view.h"
#include "platform/modal_ui.h"
#include "platform/win_app.h"

namespace platform {

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)
IMPLEMENT_DYNAMIC(CView, CWnd)

// --- CDC ------------------------------------------------------------------------

void CDC::TextOut(int x, int y, const std::string& text)
{
    Op op{Op::Text};
    op.x = x, op.y = y, op.text = text, op.fg = fg_, op.bg = bg_;
    ops_.push_back(std::move(op));
}

void CDC::FillSolidRect(const RECT& r, COLORREF c)
{
    Op op{Op::Fill};
    op.x = r.left, op.y = r.top, op.x2 = r.right, op.y2 = r.bottom, op.bg = c;
    ops_.push_back(std::move(op));
}

void CDC::Line(int x1, int y1, int x2, int y2, COLORREF c)
{
    Op op{Op::Line};
    op.x = x1, op.y = y1, op.x2 = x2, op.y2 = y2, op.fg = c;
    ops_.push_back(std::move(op));
}

void CDC::DrawCells(int x, int y, CellPaint paint)
{
    Op op{Op::Cells};
    op.x = x, op.y = y, op.cells = std::move(paint);
    ops_.push_back(std::move(op));
}

int CDC::GetDeviceCaps(int index) const
{
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return dpi_;
    case HORZRES: return page_.Width();
    case VERTRES: return page_.Height();
    default: return 0;
    }
}

// --- CDocument ---------------------------------------------------------------------

CDocument::CDocument()
{
    OnCommand(ID_FILE_SAVE, [this] { DoFileSave(); });
    OnCommand(ID_FILE_SAVE_AS, [this] { DoSave(nullptr); });
    OnCommand(ID_FILE_CLOSE, [this] {
        if (SaveModified())
            OnCloseDocument();
    });
}

CDocument::~CDocument()
{
    for (CView* v : views_)
        v->document_ = nullptr;
    if (template_)
        template_->RemoveDocument(this);
}

void CDocument::SetTitle(const std::string& title)
{
    title_ = title;
    for (CView* v : views_)
        if (CFrameWnd* f = v->GetParentFrame())
            f->OnUpdateFrameTitle(TRUE);
}

void CDocument::SetPathName(const std::string& path, BOOL addToMRU)
{
    path_ = path;
    size_t slash = path.find_last_of("/\\");
    SetTitle(slash == std::string::npos ? path : path.substr(slash + 1));
    if (addToMRU && AfxGetApp())
        AfxGetApp()->AddToRecentFileList(path.c_str());
}

void CDocument::AddView(CView* view)
{
    if (view->document_ && view->document_ != this)
        view->document_->RemoveView(view);
    if (std::find(views_.begin(), views_.end(), view) == views_.end())
        views_.push_back(view);
    view->document_ = this;
}

void CDocument::RemoveView(CView* view)
{
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
    if (view->document_ == this)
        view->document_ = nullptr;
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject)
{
    for (CView* v : std::vector<CView*>(views_))
        if (v != sender)
            v->OnUpdate(sender, hint, hintObject);
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    path_.clear();
    modified_ = false;
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const char* path)
{
    DeleteContents();
    try {
        CFile file(path, CFile::modeRead | CFile::shareDenyWrite);
        CArchive ar(&file, CArchive::load);
        Serialize(ar);
        ar.Close();
    } catch (const std::exception& e) {
        DeleteContents();
        ReportSaveLoadException(path, e, FALSE);
        return FALSE;
    }
    modified_ = false;
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const char* path)
{
    try {
        // The whole document is stored first: a Serialize that throws leaves
        // the file on disk as it was.
        CMemFile memory;
        {
            CArchive ar(&memory, CArchive::store);
            Serialize(ar);
            ar.Close();
        }
        std::string temp = std::string(path) + ".saving";
        {
            CFile file(temp.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
            file.Write(memory.Data().data(), static_cast<UINT>(memory.Data().size()));
            file.Close();
        }
        if (std::rename(temp.c_str(), path) != 0) {
            std::remove(temp.c_str());
            throw CException(std::string("cannot replace ") + path);
        }
    } catch (const std::exception& e) {
        ReportSaveLoadException(path, e, TRUE);
        return FALSE;
    }
    modified_ = false;
    return TRUE;
}

void CDocument::ReportSaveLoadException(const char* path, const std::exception& e, BOOL saving)
{
    std::string text = std::string(saving ? "Failed to save document " : "Failed to open document ") +
        (path ? path : "") + ".\n" + e.what();
    MessageBoxRequest request;
    request.text = text;
    request.caption = platform::AppName();
    request.type = MB_OK | MB_ICONEXCLAMATION;
    ShowMessageBox(request);
}

void CDocument::OnCloseDocument()
{
    if (closing_)
        return;
    closing_ = true;
    // Destroying the frames destroys the views, which leave the list.
    while (!views_.empty()) {
        CView* v = views_.front();
        CFrameWnd* frame = v->GetParentFrame();
        size_t before = views_.size();
        if (frame)
            frame->DestroyWindow();
        else
            v->DestroyWindow();
        if (views_.size() == before)
            RemoveView(v);
    }
    DeleteContents();
    if (template_)
        template_->RemoveDocument(this);
    template_ = nullptr;
    DeleteAfterDispatch(this);
}

BOOL CDocument::SaveModified()
{
    if (!modified_)
        return TRUE;
    // A document on disk is named by its file, not by its title (which may
    // carry marks such as the editor's "*" for unsaved changes).
    std::string name = title_.empty() ? std::string("Untitled") : title_;
    if (!path_.empty())
        name = path_.substr(path_.find_last_of("/\\") + 1);
    MessageBoxRequest request;
    request.text = "Save changes to " + name + "?";
    request.caption = platform::AppName();
    request.type = MB_YESNOCANCEL | MB_ICONEXCLAMATION;
    switch (ShowMessageBox(request)) {
    case IDCANCEL: return FALSE;
    case IDYES: return DoFileSave();
    default: return TRUE;
    }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* frame)
{
    for (CView* v : views_)
        if (v->GetParentFrame() != frame)
            return TRUE;  // another frame keeps the document open
    return SaveModified();
}

BOOL CDocument::DoFileSave()
{
    return DoSave(path_.empty() ? nullptr : path_.c_str());
}

BOOL CDocument::DoSave(const char* path, BOOL replace)
{
    std::string target = path ? path : "";
    if (target.empty()) {
        FileDialogRequest request;
        request.open = false;
        request.fileName = title_;
        request.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
        if (template_) {
            request.filter = template_->FilterName() + "|*" + template_->Extension() + "|All Files (*.*)|*.*||";
            request.defaultExt = template_->Extension();
        }
        FileDialogResult result;
        if (!ShowFileDialog(request, result) || result.paths.empty())
            return FALSE;
        target = result.paths.front();
    }
    if (!OnSaveDocument(target.c_str()))
        return FALSE;
    if (replace)
        SetPathName(target);
    return TRUE;
}

BOOL CDocument::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info)
{
    if (DispatchOwn(id, code, extra, info))
        return TRUE;
    return template_ && template_->OnCmdMsg(id, code, extra, info);
}

// --- CView ---------------------------------------------------------------------

CView::CView()
{
    m_bAutoDelete = true;
}

CView::~CView()
{
    if (document_)
        document_->RemoveView(this);
}

BOOL CView::Create(CWnd* parent, UINT id, const std::string& text)
{
    return CWnd::Create(parent, id, text);
}

void CView::OnDestroy()
{
    if (CFrameWnd* frame = GetParentFrame())
        if (frame->GetActiveView() == this)
            frame->SetActiveView(nullptr, FALSE);
    if (document_)
        document_->RemoveView(this);
}

void CView::OnSetFocus()
{
    if (CFrameWnd* frame = GetParentFrame())
        frame->SetActiveView(this);
}

void CView::OnPrepareDC(CDC*, CPrintInfo* info)
{
    // Without a page count the first page is the only one.
    if (info && info->m_nMaxPage == 0xFFFF && info->m_nCurPage > 1)
        info->m_bContinuePrinting = FALSE;
}

BOOL CView::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info)
{
    if (CWnd::OnCmdMsg(id, code, extra, info))
        return TRUE;
    return document_ && document_->OnCmdMsg(id, code, extra, info);
}

}  // namespace platform
