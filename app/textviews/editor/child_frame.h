// `CChildFrame`: the MDI child frame of the source template and of several
// debug windows: a dynamic splitter of up to 2 x 2 panes, each a view of the
// same document.
#pragma once

#include "lathris/frame.h"
#include "platform/frame_wnd.h"

namespace editor {

class CChildFrame : public CCJMDIChildWnd {
public:
    static constexpr UINT kSplitterId = 0xE900;
    static constexpr UINT kBigIcon = 120;

    BOOL LoadFrame(UINT resourceId, CWnd* parent = nullptr, CCreateContext* context = nullptr) override;
    BOOL OnCreateClient(CCreateContext* context) override;

    CSplitterWnd m_wndSplitter;
    UINT m_nIDHelp = 0;  // the resource id the frame was loaded from
    UINT m_bigIcon = 0;  // icon resource of WM_SETICON ICON_BIG

    DECLARE_DYNCREATE(CChildFrame)

protected:
    int OnCreate() override;
};

}  // namespace editor

using editor::CChildFrame;
