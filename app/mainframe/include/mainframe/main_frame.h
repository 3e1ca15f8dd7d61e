// The program's main window: a lathris multiple-document frame with the
// status bar, the "Edit" toolbar and the optional modules bound at its
// creation. A missing build-tool library doesn't stop it: the frame opens
// and its message pane says which library is missing.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "lathris/frame.h"
#include "mainframe/edit_toolbar.h"
#include "shell/status_bar.h"

namespace mainframe {

// Style bit of the frame: the title shows the active document's name.
inline constexpr DWORD FWS_ADDTOTITLE = 0x8000;
inline constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;

class CMainFrame : public CCJMDIFrameWnd {
public:
    CMainFrame();
    ~CMainFrame() override;

    // The frame never shows the active document's name in its title.
    virtual BOOL PreCreateWindow(DWORD& style);
    // The menu table of `resourceId` is loaded first, so the creation's
    // module steps add their items to the menu the frame then shows.
    BOOL LoadFrame(UINT resourceId, CWnd* parent = nullptr, CCreateContext* context = nullptr) override;
    void OnUpdateFrameTitle(BOOL addToTitle) override;

    // The first successful connection: the connected flag goes to 1 and
    // stays; the ".inc" file kept from the command line goes to the
    // include handler (the command shell, once it exists).
    void OnConnected();
    using IncludeHandler = std::function<void(const std::string&)>;
    void SetIncludeHandler(IncludeHandler handler) { includeHandler_ = std::move(handler); }

    CSuperStatusBar& StatusBar() { return statusBar_; }
    CEditToolBar& EditToolBar() { return editBar_; }
    // The text put in the message pane at creation (empty: none).
    const std::string& StartMessage() const { return startMessage_; }
    DWORD Style() const { return style_; }

    BOOL m_bPoll = TRUE;
    BOOL m_bConnected = FALSE;
    UINT_PTR m_timerId = 0;

    DECLARE_DYNCREATE(CMainFrame)

protected:
    int OnCreate() override;
    void OnDestroy() override;

private:
    CSuperStatusBar statusBar_;
    CEditToolBar editBar_;
    std::shared_ptr<CMenu> menu_;
    std::string startMessage_;
    DWORD style_ = 0;
    IncludeHandler includeHandler_;
};

}  // namespace mainframe

using mainframe::CMainFrame;
