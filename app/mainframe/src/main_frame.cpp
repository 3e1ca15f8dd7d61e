#include "mainframe/main_frame.h"

#include "platform/resources.h"
#include "shell/debugger_app.h"
#include "shell/modules.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"

namespace mainframe {

IMPLEMENT_DYNCREATE(CMainFrame, CCJMDIFrameWnd)

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(DWORD& style)
{
    style &= ~FWS_ADDTOTITLE;
    return TRUE;
}

BOOL CMainFrame::LoadFrame(UINT resourceId, CWnd* parent, CCreateContext* context)
{
    DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE;
    if (!PreCreateWindow(style))
        return FALSE;
    style_ = style;
    shell::RegisterShellResources();
    menu_ = platform::resources::LoadMenu(resourceId);
    if (!CCJMDIFrameWnd::LoadFrame(resourceId, parent, context))
        return FALSE;
    if (menu_)
        SetDefaultMenu(menu_);
    return TRUE;
}

void CMainFrame::OnUpdateFrameTitle(BOOL)
{
    CCJMDIFrameWnd::OnUpdateFrameTitle(FALSE);
}

int CMainFrame::OnCreate()
{
    if (CCJMDIFrameWnd::OnCreate() == -1)
        return -1;

    if (!statusBar_.Create(this))
        return -1;
    if (!editBar_.Create(this, 1, 1))
        return -1;

    // The optional modules and the build-tool library, once per process. A
    // missing build-tool library leaves its entry points null (every caller
    // tests them) and says so in the message pane.
    std::string message;
    if (!shell::LoadFrameModules(menu_.get(), shell::Modules(), theSettings.ToolChain, message)) {
        startMessage_ = message;
        SetMessageText(message);
    }
    return 0;
}

void CMainFrame::OnDestroy()
{
    // Only a frame that really goes tells the modules (a close the user
    // cancels keeps them open).
    shell::CloseFrameModules(shell::Modules());
    CCJMDIFrameWnd::OnDestroy();
}

void CMainFrame::OnConnected()
{
    if (m_bConnected)
        return;
    m_bConnected = TRUE;
    auto* app = dynamic_cast<shell::CDebuggerApp*>(AfxGetApp());
    if (!app)
        return;
    std::string include = app->TakePendingInclude();
    if (!include.empty() && includeHandler_)
        includeHandler_(include);
}

}  // namespace mainframe
