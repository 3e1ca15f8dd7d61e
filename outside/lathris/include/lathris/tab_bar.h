// Docking bars that hold views: the sizable control bar and the tabbed bar
// whose tabs are (label, view) pairs. The views are child windows of the bar
// (their parent frame is the bar's frame, so the frame's command route
// reaches the view that had the focus); destroying a tab destroys its view.
#pragma once

#include <string>
#include <vector>

#include "platform/doc_view.h"

namespace lathris {

using namespace platform;

// Sides a bar may dock on and the docking styles.
inline constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
inline constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
inline constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
inline constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
inline constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
inline constexpr DWORD CBRS_TOOLTIPS = 0x0010;
inline constexpr DWORD CBRS_FLYBY = 0x0020;
inline constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0040;

class CCJControlBar : public CControlBar {
public:
    BOOL Create(CWnd* parent, UINT id, const std::string& name, SIZE size, DWORD style = CBRS_ALIGN_LEFT);
    using CControlBar::Create;
    // The sides the bar accepts.
    void EnableDockingOnSizeBar(DWORD alignment) { alignment_ = alignment & CBRS_ALIGN_ANY; }
    DWORD GetDockingAlignment() const { return alignment_; }
    // The side it sits on now (one CBRS_ALIGN_ bit).
    DWORD GetDockedSide() const { return side_; }
    void SetDockedSide(DWORD side);
    SIZE GetBarSize() const { return size_; }
    // The popup shown on the bar's caption (a menu resource), 0 for none.
    void SetMenuID(UINT menu) { menuId_ = menu; }
    UINT GetMenuID() const { return menuId_; }
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}

    DECLARE_DYNAMIC(CCJControlBar)

protected:
    DWORD alignment_ = CBRS_ALIGN_ANY;
    DWORD side_ = CBRS_ALIGN_LEFT;
    SIZE size_{200, 200};
    UINT menuId_ = 0;
};

class CImageList;

class CCJTabCtrlBar : public CCJControlBar {
public:
    struct Tab {
        std::string label;
        CView* view = nullptr;
    };

    // A new view of `viewClass` as a tab; FALSE (no tab) when it cannot be made.
    BOOL AddView(const std::string& label, const CRuntimeClass* viewClass, CCreateContext* context = nullptr);
    // Creates `view`'s window in the bar as the labelled last tab. FALSE when
    // the window failed (the view, auto-deleting, went with it) or when the
    // bar has no window (the view stays the caller's).
    virtual BOOL DoAddView(CView* view, CCreateContext* context, const std::string& label);
    // The first tab's view of that class (or a class derived from it).
    CView* GetView(const CRuntimeClass* viewClass) const;
    CView* GetView(int index) const;
    int GetViewIndex(const CView* view) const;
    CView* GetActiveView() const { return GetView(active_); }
    int GetActiveIndex() const { return active_; }
    void SetActiveView(const CRuntimeClass* viewClass);
    void SetActiveView(int index);
    void SetActiveView(CView* view) { SetActiveView(GetViewIndex(view)); }
    // Removes the view's tab and destroys the view.
    void DestroyView(CView* view);
    // The same for the first view of a class; FALSE when there is none.
    BOOL DeleteView(const CRuntimeClass* viewClass);
    int GetTabCount() const { return static_cast<int>(tabs_.size()); }
    const std::vector<Tab>& Tabs() const { return tabs_; }
    void SetTabImageList(CImageList* list) { images_ = list; }

    DECLARE_DYNAMIC(CCJTabCtrlBar)

protected:
    void OnDestroy() override;

private:
    void NotifyHost(HostEvent event, CWnd* about);
    std::vector<Tab> tabs_;
    int active_ = -1;
    CImageList* images_ = nullptr;
};

}  // namespace lathris

using lathris::CCJControlBar;
using lathris::CCJTabCtrlBar;
