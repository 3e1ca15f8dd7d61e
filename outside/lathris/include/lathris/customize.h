// The toolbar customize sheet's model and the rebar.
//
// CBCGToolbarCustomize holds the commands offered to the user by category
// (from toolbar resources, single buttons and menus) and performs what the
// sheet's pages do: drop a command on a bar, take a button off, make and
// delete user bars, reset a bar. It is modeless: Create opens it once, and a
// sheet made with new deletes itself when it is closed.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lathris/frame.h"

namespace lathris {

class CBCGToolbarCustomize {
public:
    explicit CBCGToolbarCustomize(CFrameWnd* frame);
    ~CBCGToolbarCustomize();
    static void* operator new(size_t size);
    static void operator delete(void* p);

    // The buttons of a toolbar resource under `category`.
    BOOL AddToolBar(const std::string& category, UINT resourceId);
    void AddButton(const std::string& category, const CBCGToolbarButton& button, int index = -1);
    // Takes the command out of a category ("" every category): the index it
    // had in the last category that held it, -1 when none did.
    int RemoveButton(const std::string& category, UINT id);
    // Every command of a menu resource under its popup's title.
    BOOL AddMenu(UINT resourceId);
    // The category whose buttons carry the user images.
    void SetUserCategory(const std::string& category) { userCategory_ = category; }
    const std::string& GetUserCategory() const { return userCategory_; }
    void EnableUserDefinedToolbars(BOOL enable = TRUE) { userBars_ = enable != FALSE; }
    bool UserDefinedToolbarsEnabled() const { return userBars_; }
    // Opens the sheet (once); FALSE when it is open already. The window
    // layer shows it through the hook below.
    BOOL Create();
    bool IsOpen() const { return open_; }
    // The sheet's window closed: a sheet made with new is deleted.
    void Close();
    CFrameWnd* GetFrame() const { return frame_; }
    // Shows an opened sheet (the Qt part installs one).
    using ShowHook = void (*)(CBCGToolbarCustomize* sheet);
    static void SetShowHook(ShowHook hook);

    std::vector<std::string> Categories() const;
    const std::vector<std::unique_ptr<CBCGToolbarButton>>* ButtonsOf(const std::string& category) const;

    // The sheet's actions.
    int DropButton(CBCGToolBar* bar, const std::string& category, UINT id, int index = -1);
    CBCGToolBar* NewUserToolbar(const std::string& name);
    BOOL DeleteUserToolbar(CBCGToolBar* bar);

private:
    CFrameWnd* frame_;
    std::vector<std::string> order_;
    std::map<std::string, std::vector<std::unique_ptr<CBCGToolbarButton>>> categories_;
    std::string userCategory_;
    bool userBars_ = false;
    bool open_ = false;
    bool onHeap_ = false;
};

// A rebar: bands holding child windows (a toolbar, a combo), in rows.
class CCoolBar : public CControlBar {
public:
    struct Band {
        CWnd* child = nullptr;
        SIZE minimum;
        int width = 0;
        std::string text;
        bool newRow = false;
    };
    BOOL Create(CWnd* parent, DWORD style, DWORD barStyle, UINT id);
    using CControlBar::Create;
    // Makes the bands: 1 on success; 0 or -1 makes Create fail.
    virtual int CreateBands() { return 1; }
    BOOL InsertBand(CWnd* child, SIZE minimum, int width, const std::string& text = {}, int index = -1,
                    BOOL newRow = FALSE);
    const std::vector<Band>& Bands() const { return bands_; }
    void SetColors(COLORREF text, COLORREF background);
    COLORREF TextColor() const { return text_; }
    COLORREF BackgroundColor() const { return background_; }
    // The background picture (a resource number or a file's image index).
    void SetBackgroundBitmap(UINT bitmap) { bitmap_ = bitmap; }
    UINT BackgroundBitmap() const { return bitmap_; }
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}

    DECLARE_DYNAMIC(CCoolBar)

private:
    std::vector<Band> bands_;
    COLORREF text_ = 0;
    COLORREF background_ = 0xC0C0C0;
    UINT bitmap_ = 0;
};

// A flat toolbar for a rebar band.
class CFlatToolBar : public CBCGToolBar {
public:
    DECLARE_DYNAMIC(CFlatToolBar)
};

}  // namespace lathris

using lathris::CBCGToolbarCustomize;
using lathris::CCoolBar;
using lathris::CFlatToolBar;
