// The "Breakpoints" window: an MDI child (CBkptWnd) whose client is a
// report list (CBkptView) of every breakpoint: status, address, type and
// source position. Its context commands act on the target at once and each
// change is announced to the main window with WM_EMU_UPDATE_VIEWS (12, -1).
#pragma once

#include <lathris/frame.h>
#include <platform/doc_view.h>

#include <string>
#include <vector>

#include "sarvik/bp_records.h"

namespace sarvik::ui {

// Commands of the view.
inline constexpr UINT ID_BPLIST_REFRESH = 32802;
inline constexpr UINT ID_BPLIST_ENABLE = 1022;
inline constexpr UINT ID_BPLIST_DISABLE = 1010;
inline constexpr UINT ID_BPLIST_ENABLE_ALL = 1012;
inline constexpr UINT ID_BPLIST_DISABLE_ALL = 1011;
inline constexpr UINT ID_BPLIST_DELETE = 1039;
inline constexpr UINT ID_BPLIST_ADD = 1014;
inline constexpr UINT ID_BPLIST_DELETE_ALL = 1013;

// The view's style bits added to CListView's: report, single selection,
// always show the selection, no sort header.
inline constexpr DWORD BPLIST_VIEW_STYLE = 0x800D;
inline constexpr DWORD BPLIST_CHILD_STYLE = 0x50800000;
inline constexpr DWORD BPLIST_FRAME_STYLE = 0x50CF0000;
// The state images of bitmap 135.
inline constexpr int BPLIST_IMAGE_DISABLED = 1;
inline constexpr int BPLIST_IMAGE_ENABLED = 2;

struct BkptColumn {
    const char* title;
    int width;
    int align;  // 0 left, 1 right, 2 centred
};
inline constexpr BkptColumn kBkptColumns[4] = {
    {"Status", 100, 0}, {"Address", 100, 1}, {"Type", 60, 2}, {"Symbol", 140, 0}};

struct BkptRow {
    int image = 0;
    std::string text[4];
    ADDR addr{};
};

class CBkptView : public CView {
public:
    CBkptView();
    const std::vector<BkptRow>& Rows() const { return rows_; }
    int GetSelected() const { return selected_; }
    void SetSelected(int row) { selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1; }
    // Rows from the breakpoint list.
    void Refresh();
    // A double click on a row: the breakpoint dialog for its address.
    void OpenRow(int row);
    void OnInitialUpdate() override { Refresh(); }
    void OnLButtonDblClk(UINT flags, POINT point) override { OpenRow(selected_); }
    // The context menu at the screen point.
    void OnContextMenu(POINT point) override;

    DECLARE_DYNCREATE(CBkptView)

private:
    // False (after message 32773) while the target runs.
    bool TargetStopped();
    void SetEnabled(int row, bool enable);
    // The record a row shows (rows follow the list's order), or null when
    // the list changed since the rows were made.
    CBpDataEx* RecordOf(int row) const;
    void Announce();
    std::vector<BkptRow> rows_;
    int selected_ = -1;
};

class CBkptWnd : public CCJMDIChildWnd {
public:
    CBkptWnd();
    BOOL OnCreateClient(CCreateContext* context) override;
    CBkptView* View() const;

    DECLARE_DYNCREATE(CBkptWnd)

protected:
    void OnDestroy() override;
};

// The one window, or null.
CBkptWnd* OpenBkptWnd();

}  // namespace sarvik::ui
