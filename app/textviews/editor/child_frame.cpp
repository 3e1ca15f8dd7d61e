#include "child_frame.h"

namespace editor {

IMPLEMENT_DYNCREATE(CChildFrame, CCJMDIChildWnd)

BOOL CChildFrame::LoadFrame(UINT resourceId, CWnd* parent, CCreateContext* context)
{
    // The window layer takes the template's shared menu and accelerators; the
    // caption is the document's title.
    m_nIDHelp = resourceId;
    return CCJMDIChildWnd::LoadFrame(resourceId, parent, context);
}

BOOL CChildFrame::OnCreateClient(CCreateContext* context)
{
    // Two rows and two columns at most, panes no smaller than 10 x 10.
    return m_wndSplitter.Create(this, 2, 2, SIZE{10, 10}, context, kSplitterId);
}

int CChildFrame::OnCreate()
{
    const int result = CCJMDIChildWnd::OnCreate();
    if (result == 0)
        m_bigIcon = kBigIcon;
    return result;
}

}  // namespace editor
