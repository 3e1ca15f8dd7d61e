// Control bars by id: toolbars (buttons and combo buttons by index and id)
// and the status bar (panes by index). The update pass sets their states
// through CCmdUI; the Qt widgets show them.
#pragma once

#include <string>
#include <vector>

#include "platform/wnd.h"

namespace platform {

inline constexpr UINT TBBS_BUTTON = 0x0000;
inline constexpr UINT TBBS_SEPARATOR = 0x0001;
inline constexpr UINT TBBS_CHECKBOX = 0x0002;
inline constexpr UINT TBBS_GROUP = 0x0004;
inline constexpr UINT TBBS_CHECKGROUP = TBBS_GROUP | TBBS_CHECKBOX;
inline constexpr UINT TBBS_CHECKED = 0x0100;
inline constexpr UINT TBBS_INDETERMINATE = 0x0200;
inline constexpr UINT TBBS_DISABLED = 0x0400;
inline constexpr UINT TBBS_PRESSED = 0x0800;
inline constexpr UINT SBPS_NORMAL = 0x0000;
inline constexpr UINT SBPS_NOBORDERS = 0x0100;
inline constexpr UINT SBPS_POPOUT = 0x0200;
inline constexpr UINT SBPS_DISABLED = 0x04000000;
inline constexpr UINT SBPS_STRETCH = 0x08000000;

class CFrameWnd;

class CControlBar : public CWnd {
public:
    // Runs the update pass over the bar's items with `target`'s route.
    virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) = 0;
    BOOL Create(CWnd* parent, UINT id = AFX_IDW_TOOLBAR, const std::string& text = {}) override;
    bool IsVisible() const { return visible_; }
    void SetVisible(bool visible);
    // Bumped on every change the widget has to show.
    unsigned Revision() const { return revision_; }

    DECLARE_DYNAMIC(CControlBar)

protected:
    void Changed();
    bool visible_ = true;
    unsigned revision_ = 0;
};

class CToolBar : public CControlBar {
public:
    struct Button {
        UINT id = 0;  // ID_SEPARATOR for a separator
        int image = -1;
        UINT style = TBBS_BUTTON;  // TBBS_ style and state bits
        // A combo button: its width and items (the selection by CCmdUI text).
        int comboWidth = 0;
        std::vector<std::string> comboItems;
        std::string comboText;
        std::string tip;
    };

    // Buttons from ids (ID_SEPARATOR for a gap), images in order.
    BOOL SetButtons(const UINT* ids, int count);
    BOOL SetButtons(const std::vector<UINT>& ids) { return SetButtons(ids.data(), static_cast<int>(ids.size())); }
    int GetCount() const { return static_cast<int>(buttons_.size()); }
    UINT GetItemID(int index) const;
    int CommandToIndex(UINT id) const;
    void SetButtonInfo(int index, UINT id, UINT style, int image);
    UINT GetButtonStyle(int index) const;
    void SetButtonStyle(int index, UINT style);
    void SetComboButton(int index, int width, std::vector<std::string> items);
    void InsertButton(int index, const Button& button);
    void RemoveButton(int index);
    const std::vector<Button>& Buttons() const { return buttons_; }
    // The image list's resource (XPM text or a file), as the bar was loaded.
    void SetImageSource(std::vector<std::string> xpmOrFiles) { images_ = std::move(xpmOrFiles); }
    const std::vector<std::string>& ImageSource() const { return images_; }

    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;

    DECLARE_DYNAMIC(CToolBar)

private:
    std::vector<Button> buttons_;
    std::vector<std::string> images_;
};

class CStatusBar : public CControlBar {
public:
    struct Pane {
        UINT id = 0;
        UINT style = SBPS_NORMAL;
        int width = 0;  // pixels; SBPS_STRETCH takes the rest
        std::string text;
        int progress = -1;  // percent of a progress control in the pane; -1: none
    };

    BOOL Create(CWnd* parent, UINT id = AFX_IDW_STATUS_BAR, const std::string& text = {}) override
    {
        return CControlBar::Create(parent, id, text);
    }
    // Panes from ids; a pane's initial text is the string resource of its id
    // (ID_SEPARATOR: the stretching message pane).
    BOOL SetIndicators(const UINT* ids, int count);
    BOOL SetIndicators(const std::vector<UINT>& ids) { return SetIndicators(ids.data(), static_cast<int>(ids.size())); }
    int GetCount() const { return static_cast<int>(panes_.size()); }
    UINT GetItemID(int index) const;
    int CommandToIndex(UINT id) const;
    void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    std::string GetPaneText(int index) const;
    BOOL SetPaneText(int index, const std::string& text, BOOL update = TRUE);
    void SetPaneProgress(int index, int percent);
    const std::vector<Pane>& Panes() const { return panes_; }

    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;

    DECLARE_DYNAMIC(CStatusBar)

private:
    std::vector<Pane> panes_;
};

}  // namespace platform

using platform::CControlBar;
using platform::CStatusBar;
using platform::CToolBar;
