// Customisable toolbars: buttons as objects (plain, separator, combo box),
// the user's button images, the command -> image table, and the bar whose
// button list the user changes and which saves it as a registry value.
//
// A bar's state lives in the registry key "<path>\BCGToolBar-<bar id>",
// value "Buttons": a "ZKTB" record (bar_state.h). A damaged or foreign
// record is never applied in part: the bar keeps its default layout and
// LastStateError names the registry file, the key, the value and the offset.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/control_bars.h"

namespace lathris {

using namespace platform;

// Combo box styles of the combo button.
inline constexpr DWORD CBS_SIMPLE = 0x0001;
inline constexpr DWORD CBS_DROPDOWN = 0x0002;
inline constexpr DWORD CBS_DROPDOWNLIST = 0x0003;

class CBCGToolbarButton : public CObject {
public:
    CBCGToolbarButton() = default;
    // `userImage`: `image` indexes the user images rather than the bar's.
    CBCGToolbarButton(UINT id, int image, const std::string& text = {}, BOOL userImage = FALSE);
    ~CBCGToolbarButton() override = default;

    virtual std::unique_ptr<CBCGToolbarButton> Clone() const { return std::make_unique<CBCGToolbarButton>(*this); }
    BOOL IsSeparator() const { return (m_nStyle & TBBS_SEPARATOR) != 0; }
    static std::unique_ptr<CBCGToolbarButton> Separator();

    UINT m_nID = 0;
    int m_iImage = -1;
    BOOL m_bUserButton = FALSE;
    std::string m_strText;
    UINT m_nStyle = TBBS_BUTTON;  // TBBS_ style and state bits

    DECLARE_DYNAMIC(CBCGToolbarButton)
};

// A combo box on a bar: a list of (text, data) items and an edit text that the
// user types or a selection sets. Enter in the edit and a selection send the
// button's command to the frame.
class CBCGToolbarComboBoxButton : public CBCGToolbarButton {
public:
    CBCGToolbarComboBoxButton() = default;
    CBCGToolbarComboBoxButton(UINT id, int image, DWORD style = CBS_DROPDOWN, int width = 150);

    std::unique_ptr<CBCGToolbarButton> Clone() const override
    {
        return std::make_unique<CBCGToolbarComboBoxButton>(*this);
    }

    // Index of the new item.
    int AddItem(const std::string& text, DWORD data = 0);
    int GetCount() const { return static_cast<int>(items_.size()); }
    // Empty for an index out of range.
    std::string GetItem(int index) const;
    DWORD GetItemData(int index) const;
    void RemoveAllItems();
    int GetCurSel() const { return cursel_; }
    // Selects an item and takes its text into the edit; FALSE out of range.
    BOOL SelectItem(int index);
    // The edit text as the user typed it (or the selected item's).
    const std::string& GetText() const { return text_; }
    void SetText(const std::string& text);
    int GetWidth() const { return m_nWidth; }
    DWORD GetStyle() const { return m_dwStyle; }

    int m_nWidth = 150;
    DWORD m_dwStyle = CBS_DROPDOWN;

    DECLARE_DYNAMIC(CBCGToolbarComboBoxButton)

private:
    struct Item {
        std::string text;
        DWORD data = 0;
    };
    std::vector<Item> items_;
    int cursel_ = -1;
    std::string text_;
};

// One strip of equally sized images, 32-bit ARGB pixels row by row.
struct ImageStrip {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// Reads and writes image files; the Qt part installs one (BMP through
// QImage). Without one Load and Save fail.
class ImageFileCodec {
public:
    virtual ~ImageFileCodec() = default;
    virtual bool Read(const std::string& file, ImageStrip& strip, std::string& error) = 0;
    virtual bool Write(const std::string& file, const ImageStrip& strip, std::string& error) = 0;
};
void SetImageFileCodec(ImageFileCodec* codec);
ImageFileCodec* GetImageFileCodec();

class CBCGToolBarImages {
public:
    // Size of one image; 16 x 15 by default.
    void SetImageSize(SIZE size);
    SIZE GetImageSize() const { return size_; }
    int GetCount() const { return count_; }
    // Appends an image (width x height pixels); its index.
    int AddImage(const std::vector<uint32_t>& pixels);
    // Pixels of one image; empty out of range.
    std::vector<uint32_t> GetImage(int index) const;
    void Clear();
    // The strip from `file` (its height is the image height): FALSE, with
    // LastError and the images unchanged, when it cannot be read.
    BOOL Load(const std::string& file);
    // Writes through a temporary file renamed over `file`.
    BOOL Save(const std::string& file);
    const std::string& LastError() const { return error_; }
    const std::string& FileName() const { return file_; }

private:
    SIZE size_{16, 15};
    int count_ = 0;
    std::vector<uint32_t> strip_;  // count_ images side by side
    std::string error_;
    std::string file_;
};

// Which image shows each command: the bars' own images and the user's.
class CImageHash {
public:
    static void Set(UINT command, int image, BOOL user);
    // -1 when the command has none.
    static int GetImageOfCommand(UINT command, BOOL user = FALSE);
    static void Clear();
};

class CBCGToolBar : public CControlBar {
public:
    CBCGToolBar();
    ~CBCGToolBar() override;

    BOOL Create(CWnd* parent, DWORD style, UINT id);
    BOOL Create(CWnd* parent, UINT id = AFX_IDW_TOOLBAR, const std::string& text = {}) override;
    // Buttons from the toolbar resource; they are also the default layout.
    BOOL LoadToolBar(UINT resourceId);
    // Makes the current buttons the default layout (bars built in code).
    void SetDefaultButtons();
    void ResetToDefault();

    // The registry state under `path` (bar index and id -1: this bar).
    BOOL SaveState(const std::string& path, int index = -1, UINT id = static_cast<UINT>(-1));
    BOOL LoadState(const std::string& path, int index = -1, UINT id = static_cast<UINT>(-1));
    // The last refused state ("file: key\Buttons+offset: what"); empty when none.
    const std::string& LastStateError() const { return stateError_; }
    static std::string StateKey(const std::string& path, UINT barId);

    int GetCount() const { return static_cast<int>(buttons_.size()); }
    int CommandToIndex(UINT id) const;
    CBCGToolbarButton* GetButton(int index) const;
    // A copy of `button` at `index` (-1 or past the end: at the end); its index.
    int InsertButton(const CBCGToolbarButton& button, int index = -1);
    int InsertSeparator(int index = -1);
    BOOL RemoveButton(int index);
    void RemoveAllButtons();
    // The combo button of a command, or null.
    CBCGToolbarComboBoxButton* GetComboButton(UINT id) const;

    DWORD GetBarStyle() const { return style_; }
    // User bars (made in the customize sheet) may be renamed and deleted.
    bool IsUserBar() const { return userBar_; }
    void SetUserBar(bool user) { userBar_ = user; }

    static void SetUserImages(CBCGToolBarImages* images) { userImages_ = images; }
    static CBCGToolBarImages* GetUserImages() { return userImages_; }

    // The button list changed from outside (a combo's items): tell the widget.
    void ButtonsChanged() { Changed(); }
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;

    // Every bar alive (the customize sheet's list).
    static const std::vector<CBCGToolBar*>& AllToolbars();

    DECLARE_DYNAMIC(CBCGToolBar)

private:
    friend struct ToolBarState;
    std::vector<std::unique_ptr<CBCGToolbarButton>> buttons_;
    std::vector<std::unique_ptr<CBCGToolbarButton>> defaults_;
    DWORD style_ = 0;
    bool userBar_ = false;
    std::string stateError_;
    static CBCGToolBarImages* userImages_;
};

}  // namespace lathris

using lathris::CBCGToolBar;
using lathris::CBCGToolbarButton;
using lathris::CBCGToolbarComboBoxButton;
using lathris::CBCGToolBarImages;
using lathris::CImageHash;
