#include "platform/frame_wnd.h"

#include <algorithm>

#include "platform/doc_view.h"
#include "platform/resources.h"
#include "platform/win_app.h"

namespace platform {

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)
IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)

CFrameWnd::CFrameWnd()
{
    m_bAutoDelete = true;
    // The bar toggles of the View menu.
    OnCommandEx(ID_VIEW_TOOLBAR, [this](UINT id) {
        CControlBar* bar = GetControlBar(id);
        if (!bar)
            return FALSE;
        ShowControlBar(bar, !bar->IsVisible());
        return TRUE;
    });
    OnCommandEx(ID_VIEW_STATUS_BAR, [this](UINT id) {
        CControlBar* bar = GetControlBar(id);
        if (!bar)
            return FALSE;
        ShowControlBar(bar, !bar->IsVisible());
        return TRUE;
    });
    OnUpdateRange(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, [this](CCmdUI* ui) {
        CControlBar* bar = GetControlBar(ui->m_nID);
        if (!bar) {
            ui->ContinueRouting();
            return;
        }
        ui->SetCheck(bar->IsVisible() ? 1 : 0);
    });
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, CWnd* parent, CCreateContext* context)
{
    if (!Create(parent, resourceId))
        return FALSE;
    if (auto menu = resources::LoadMenu(resourceId))
        SetDefaultMenu(menu);
    if (auto accel = resources::LoadAccelerators(resourceId))
        accel_ = accel;
    // The frame's string resource lists its title first, then the document
    // template's strings, one a line: only the first line is the title.
    if (title_.empty()) {
        const std::string text = resources::LoadString(resourceId);
        title_ = text.substr(0, text.find('\n'));
    }
    if (!OnCreateClient(context)) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::OnCreateClient(CCreateContext* context)
{
    if (context && context->m_pNewViewClass)
        return CreateView(context) != nullptr;
    return TRUE;
}

CView* CFrameWnd::CreateView(CCreateContext* context, UINT id)
{
    if (!context || !context->m_pNewViewClass)
        return nullptr;
    auto* view = dynamic_cast<CView*>(context->m_pNewViewClass->CreateObject());
    if (!view)
        return nullptr;
    if (context->m_pCurrentDoc)
        context->m_pCurrentDoc->AddView(view);
    if (!view->Create(this, id)) {
        delete view;  // not auto-deleted without a handle
        return nullptr;
    }
    NotifyHost(HostEvent::ChildAdded, view);
    return view;
}

void CFrameWnd::SetActiveView(CView* view, BOOL notify)
{
    CView* old = activeView_;
    if (old == view)
        return;
    activeView_ = view;
    if (notify) {
        if (old)
            old->OnActivateView(FALSE, view, old);
        if (view)
            view->OnActivateView(TRUE, view, old);
    }
    NotifyHost(HostEvent::ChildActivated, view);
}

CDocument* CFrameWnd::GetActiveDocument()
{
    return activeView_ ? activeView_->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument* doc, BOOL makeVisible)
{
    CView* first = nullptr;
    std::vector<CView*> views;
    std::function<void(CWnd*)> collect = [&](CWnd* w) {
        for (CWnd* c : w->Children()) {
            if (auto* v = dynamic_cast<CView*>(c))
                views.push_back(v);
            else if (!dynamic_cast<CControlBar*>(c))
                collect(c);
        }
    };
    collect(this);
    // The widget builds its panes before the views' first update.
    NotifyHost(HostEvent::Layout, this);
    for (CView* v : views) {
        if (!first)
            first = v;
        v->OnInitialUpdate();
    }
    if (!activeView_ && first)
        SetActiveView(first);
    OnUpdateFrameTitle(TRUE);
    if (makeVisible)
        ShowWindow(SW_SHOW);
}

void CFrameWnd::SetDefaultMenu(std::shared_ptr<CMenu> menu)
{
    defaultMenu_ = std::move(menu);
    NotifyHost(HostEvent::MenuChanged, this);
}

void CFrameWnd::AddControlBar(CControlBar* bar)
{
    if (std::find(bars_.begin(), bars_.end(), bar) == bars_.end())
        bars_.push_back(bar);
    NotifyHost(HostEvent::ChildAdded, bar);
}

void CFrameWnd::RemoveControlBar(CControlBar* bar)
{
    bars_.erase(std::remove(bars_.begin(), bars_.end(), bar), bars_.end());
}

CControlBar* CFrameWnd::GetControlBar(UINT id) const
{
    for (CControlBar* b : bars_)
        if (b->GetDlgCtrlID() == id)
            return b;
    return nullptr;
}

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL)
{
    if (!bar)
        return;
    bar->SetVisible(show != FALSE);
    NotifyHost(HostEvent::BarsChanged, bar);
}

void CFrameWnd::SetMessageText(const std::string& text)
{
    if (auto* status = dynamic_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR)))
        status->SetPaneText(0, text);
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    for (CControlBar* b : std::vector<CControlBar*>(bars_))
        if (b->IsVisible())
            b->OnUpdateCmdUI(this, TRUE);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle)
{
    std::string text = title_;
    if (addToTitle) {
        if (CDocument* doc = GetActiveDocument())
            text = title_.empty() ? doc->GetTitle() : title_ + " - " + doc->GetTitle();
    }
    SetWindowText(text);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg)
{
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return FALSE;
    return accel_ && accel_->Translate(m_hWnd, *msg);
}

BOOL CFrameWnd::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info)
{
    if (activeView_ && activeView_->OnCmdMsg(id, code, extra, info))
        return TRUE;
    if (CWnd::OnCmdMsg(id, code, extra, info))
        return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, code, extra, info);
}

void CFrameWnd::OnDestroy()
{
    activeView_ = nullptr;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
}

void CFrameWnd::OnClose()
{
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        if (!app->SaveAllModified())
            return;
        app->CloseAllDocuments(FALSE);
        DestroyWindow();
        PostQuitMessage(0);
        return;
    }
    if (CDocument* doc = GetActiveDocument()) {
        if (!doc->CanCloseFrame(this))
            return;
        const auto& views = doc->Views();
        if (std::none_of(views.begin(), views.end(), [this](CView* v) { return v->GetParentFrame() != this; })) {
            doc->OnCloseDocument();
            return;
        }
    }
    DestroyWindow();
}

void CFrameWnd::NotifyHost(HostEvent event, CWnd* about)
{
    if (GetHost())
        GetHost()->Notify(event, about);
}

// --- MDI frame -------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

CMDIFrameWnd::CMDIFrameWnd()
{
    OnCommand(ID_WINDOW_CASCADE, [this] { MDICascade(); });
    OnCommand(ID_WINDOW_TILE_HORZ, [this] { MDITile(TRUE); });
    OnCommand(ID_WINDOW_TILE_VERT, [this] { MDITile(FALSE); });
    OnUpdateRange(ID_WINDOW_CASCADE, ID_WINDOW_TILE_VERT, [this](CCmdUI* ui) { ui->Enable(!children_.empty()); });
    UINT lastListed = AFX_IDM_FIRST_MDICHILD + kMaxListedChildren - 1;
    OnCommandRange(AFX_IDM_FIRST_MDICHILD, lastListed, [this](UINT id) {
        std::vector<CMDIChildWnd*> list = MDIWindowList();
        size_t n = id - AFX_IDM_FIRST_MDICHILD;
        if (n < list.size())
            MDIActivate(list[n]);
    });
    OnUpdateRange(AFX_IDM_FIRST_MDICHILD, lastListed, [this](CCmdUI* ui) {
        std::vector<CMDIChildWnd*> list = MDIWindowList();
        size_t n = ui->m_nID - AFX_IDM_FIRST_MDICHILD;
        ui->Enable(n < list.size());
        ui->SetCheck(n < list.size() && list[n] == MDIGetActive());
    });
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const
{
    return active_;
}

void CMDIFrameWnd::MDIActivate(CMDIChildWnd* child)
{
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end())
        return;
    CMDIChildWnd* old = MDIGetActive();
    if (old == child)
        return;
    children_.erase(it);
    children_.insert(children_.begin(), child);
    active_ = child;
    if (old)
        old->OnMDIActivate(FALSE);
    child->OnMDIActivate(TRUE);
    NotifyHost(HostEvent::ChildActivated, child);
    if (old == nullptr || old->GetSharedMenu() != child->GetSharedMenu())
        NotifyHost(HostEvent::MenuChanged, this);
}

void CMDIFrameWnd::MDINext(BOOL previous)
{
    if (!active_ && !children_.empty()) {
        MDIActivate(children_.front());
        return;
    }
    if (children_.size() < 2)
        return;
    if (previous) {
        MDIActivate(children_.back());
    } else {
        // The active child goes to the back, the next one comes forward.
        CMDIChildWnd* old = children_.front();
        CMDIChildWnd* next = children_[1];
        children_.erase(children_.begin());
        children_.push_back(old);
        children_.erase(std::find(children_.begin(), children_.end(), next));
        children_.insert(children_.begin(), next);
        active_ = next;
        old->OnMDIActivate(FALSE);
        next->OnMDIActivate(TRUE);
        NotifyHost(HostEvent::ChildActivated, next);
        if (old->GetSharedMenu() != next->GetSharedMenu())
            NotifyHost(HostEvent::MenuChanged, this);
    }
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame()
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? static_cast<CFrameWnd*>(child) : this;
}

CDocument* CMDIFrameWnd::GetActiveDocument()
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? child->GetActiveDocument() : CFrameWnd::GetActiveDocument();
}

std::shared_ptr<CMenu> CMDIFrameWnd::GetShownMenu() const
{
    CMDIChildWnd* child = MDIGetActive();
    if (child && child->GetSharedMenu())
        return child->GetSharedMenu();
    return defaultMenu_;
}

void CMDIFrameWnd::OnIdleUpdateCmdUI()
{
    CFrameWnd::OnIdleUpdateCmdUI();
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* msg)
{
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return FALSE;
    if (CMDIChildWnd* child = MDIGetActive()) {
        auto table = child->GetAccelTable();
        // A key of the child's table is a command of the whole route.
        if (table && table->Translate(m_hWnd, *msg))
            return TRUE;
    }
    return CFrameWnd::PreTranslateMessage(msg);
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info)
{
    if (CMDIChildWnd* child = MDIGetActive())
        if (child->OnCmdMsg(id, code, extra, info))
            return TRUE;
    return CFrameWnd::OnCmdMsg(id, code, extra, info);
}

LRESULT CMDIFrameWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MDIGETACTIVE: {
        CMDIChildWnd* child = MDIGetActive();
        return reinterpret_cast<LRESULT>(child ? child->m_hWnd : nullptr);
    }
    case WM_MDINEXT: MDINext(lParam != 0); return 0;
    case WM_MDIACTIVATE:
        if (auto* child = dynamic_cast<CMDIChildWnd*>(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
            MDIActivate(child);
        return 0;
    case WM_MDICASCADE: MDICascade(); return 0;
    case WM_MDITILE: MDITile(TRUE); return 0;
    default: return CFrameWnd::WindowProc(msg, wParam, lParam);
    }
}

void CMDIFrameWnd::AddChild(CMDIChildWnd* child)
{
    children_.push_back(child);
    opened_.push_back(child);
    NotifyHost(HostEvent::ChildAdded, child);
}

void CMDIFrameWnd::RemoveChild(CMDIChildWnd* child)
{
    bool wasActive = MDIGetActive() == child;
    auto old = child->GetSharedMenu();
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
    opened_.erase(std::remove(opened_.begin(), opened_.end(), child), opened_.end());
    NotifyHost(HostEvent::ChildRemoved, child);
    if (wasActive) {
        active_ = children_.empty() ? nullptr : children_.front();
        if (CMDIChildWnd* next = MDIGetActive())
            next->OnMDIActivate(TRUE);
        NotifyHost(HostEvent::ChildActivated, MDIGetActive());
        NotifyHost(HostEvent::MenuChanged, this);
    }
}

// --- MDI child ----------------------------------------------------------------

CMDIChildWnd::CMDIChildWnd() = default;

BOOL CMDIChildWnd::LoadFrame(UINT resourceId, CWnd* parent, CCreateContext* context)
{
    mdiFrame_ = dynamic_cast<CMDIFrameWnd*>(parent);
    if (!mdiFrame_ && AfxGetApp())
        mdiFrame_ = dynamic_cast<CMDIFrameWnd*>(AfxGetApp()->m_pMainWnd);
    if (!mdiFrame_)
        return FALSE;
    if (!Create(mdiFrame_, resourceId))
        return FALSE;
    if (context && context->m_pNewDocTemplate) {
        sharedMenu_ = context->m_pNewDocTemplate->SharedMenu();
        accel_ = context->m_pNewDocTemplate->SharedAccel();
    }
    mdiFrame_->AddChild(this);
    if (!OnCreateClient(context)) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

void CMDIChildWnd::MDIActivate()
{
    if (mdiFrame_)
        mdiFrame_->MDIActivate(this);
}

void CMDIChildWnd::InitialUpdateFrame(CDocument* doc, BOOL makeVisible)
{
    CFrameWnd::InitialUpdateFrame(doc, makeVisible);
    if (makeVisible)
        MDIActivate();
}

void CMDIChildWnd::OnDestroy()
{
    CFrameWnd::OnDestroy();
    if (mdiFrame_)
        mdiFrame_->RemoveChild(this);
    mdiFrame_ = nullptr;
}

void CMDIChildWnd::OnClose()
{
    CFrameWnd::OnClose();
}

// --- Splitter ---------------------------------------------------------------

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

CSplitterWnd::CSplitterWnd() = default;

BOOL CSplitterWnd::CreateStatic(CWnd* parent, int rows, int cols, UINT id)
{
    if (rows < 1 || cols < 1 || rows > 16 || cols > 16)
        return FALSE;
    rows_ = maxRows_ = rows;
    cols_ = maxCols_ = cols;
    dynamic_ = false;
    return CWnd::Create(parent, id);
}

BOOL CSplitterWnd::Create(CWnd* parent, int maxRows, int maxCols, SIZE, CCreateContext* context, UINT id)
{
    if (maxRows < 1 || maxCols < 1 || maxRows > 2 || maxCols > 2 || !context)
        return FALSE;
    maxRows_ = maxRows;
    maxCols_ = maxCols;
    rows_ = cols_ = 1;
    dynamic_ = true;
    context_ = *context;
    if (!CWnd::Create(parent, id))
        return FALSE;
    return CreateView(0, 0, context->m_pNewViewClass, {}, context);
}

BOOL CSplitterWnd::CreateView(int row, int col, const CRuntimeClass* viewClass, SIZE, CCreateContext* context)
{
    if (row < 0 || col < 0 || row >= rows_ || col >= cols_ || GetPane(row, col))
        return FALSE;
    auto* view = dynamic_cast<CView*>(viewClass ? viewClass->CreateObject() : nullptr);
    if (!view)
        return FALSE;
    if (context && context->m_pCurrentDoc)
        context->m_pCurrentDoc->AddView(view);
    if (!view->Create(this, IdFromRowCol(row, col))) {
        delete view;
        return FALSE;
    }
    if (GetHost())
        GetHost()->Notify(HostEvent::ChildAdded, view);
    return TRUE;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const
{
    UINT id = IdFromRowCol(row, col);
    for (CWnd* c : Children())
        if (c->GetDlgCtrlID() == id)
            return c;
    return nullptr;
}

BOOL CSplitterWnd::AddPane(int row, int col)
{
    auto* first = dynamic_cast<CView*>(GetPane(0, 0));
    CCreateContext ctx = context_;
    if (first) {
        ctx.m_pNewViewClass = first->GetRuntimeClass();
        ctx.m_pCurrentDoc = first->GetDocument();
    }
    if (!CreateView(row, col, ctx.m_pNewViewClass, {}, &ctx))
        return FALSE;
    if (auto* view = dynamic_cast<CView*>(GetPane(row, col)))
        view->OnInitialUpdate();
    return TRUE;
}

BOOL CSplitterWnd::SplitRow(int)
{
    if (!dynamic_ || rows_ >= maxRows_)
        return FALSE;
    ++rows_;
    for (int c = 0; c < cols_; ++c)
        if (!AddPane(rows_ - 1, c)) {
            --rows_;
            return FALSE;
        }
    if (GetHost())
        GetHost()->Notify(HostEvent::Layout, this);
    return TRUE;
}

BOOL CSplitterWnd::SplitColumn(int)
{
    if (!dynamic_ || cols_ >= maxCols_)
        return FALSE;
    ++cols_;
    for (int r = 0; r < rows_; ++r)
        if (!AddPane(r, cols_ - 1)) {
            --cols_;
            return FALSE;
        }
    if (GetHost())
        GetHost()->Notify(HostEvent::Layout, this);
    return TRUE;
}

void CSplitterWnd::DeleteRow(int row)
{
    if (rows_ <= 1 || row < 0 || row >= rows_)
        return;
    for (int c = 0; c < cols_; ++c)
        if (CWnd* pane = GetPane(row, c))
            pane->DestroyWindow();
    // Panes below move up one row.
    for (int r = row + 1; r < rows_; ++r)
        for (int c = 0; c < cols_; ++c)
            if (CWnd* pane = GetPane(r, c))
                pane->SetDlgCtrlID(IdFromRowCol(r - 1, c));
    --rows_;
    if (GetHost())
        GetHost()->Notify(HostEvent::Layout, this);
}

void CSplitterWnd::DeleteColumn(int col)
{
    if (cols_ <= 1 || col < 0 || col >= cols_)
        return;
    for (int r = 0; r < rows_; ++r)
        if (CWnd* pane = GetPane(r, col))
            pane->DestroyWindow();
    for (int c = col + 1; c < cols_; ++c)
        for (int r = 0; r < rows_; ++r)
            if (CWnd* pane = GetPane(r, c))
                pane->SetDlgCtrlID(IdFromRowCol(r, c - 1));
    --cols_;
    if (GetHost())
        GetHost()->Notify(HostEvent::Layout, this);
}

}  // namespace platform
