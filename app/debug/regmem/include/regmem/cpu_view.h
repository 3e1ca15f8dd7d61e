// CCpuView: one register group of the CPU model as a grid of name and value
// cells, in columns that wrap at the client's bottom and scroll sideways.
// Values that changed at the last refresh are on yellow; a value is edited
// in place; a name drags out as the watch expression "@(name)".
//
// The view draws into a CDC display list (fills and texts in client pixels);
// tests assert it. The in-place edit is a field the widget shows over the
// cell while `Edit().visible`; the widget hands its text back through
// EndEdit when it loses the focus.
#pragma once

#include <string>
#include <vector>

#include "dockview/dockable_view.h"

namespace regmem {

// One flag for all register views: 0 hexadecimal (at start), 1 decimal.
int RegisterDisplayBase();
void SetRegisterDisplayBase(int base);

// Colours of the grid.
inline constexpr COLORREF kRegGridBackground = RGB(192, 192, 192);  // the stock light-grey brush
inline constexpr COLORREF kRegNameFace = RGB(240, 240, 240);        // COLOR_BTNFACE
inline constexpr COLORREF kRegNameText = RGB(255, 0, 0);
inline constexpr COLORREF kRegSelectedFace = RGB(0, 0, 128);  // the system's highlight
inline constexpr COLORREF kRegSelectedText = RGB(255, 255, 255);
inline constexpr COLORREF kRegChanged = RGB(255, 255, 0);
inline constexpr COLORREF kRegUnchanged = RGB(255, 255, 255);
inline constexpr COLORREF kRegValueText = RGB(0, 0, 0);

class CCpuView : public CDockableView {
public:
    CCpuView();

    struct Row {
        std::string name;
        WORD index = 0;       // the CPU model's overall register index
        WORD auxiliary = 0;   // + 1 on a decoded row
        WORD decodeKind = 0;  // 0: numeric row
        WORD displayWidth = 0;
    };
    const std::vector<Row>& Rows() const { return rows_; }
    const std::vector<DWORD>& Values() const { return current_; }
    const std::vector<DWORD>& PreviousValues() const { return previous_; }
    int NameWidth() const { return nameW_; }
    int RowHeight() const { return rowH_; }
    int ValueWidth() const { return valueW_; }
    int Selected() const { return selected_; }
    int HorizontalOffset() const { return hScroll_; }

    bool HasGroup() const override { return true; }
    BYTE GetGroup() const override { return group_; }
    void SetGroup(BYTE group) override { group_ = group; }

    // Cells of row `row` in client pixels.
    struct Cells {
        RECT name, value;
    };
    std::vector<Cells> Layout() const;
    // Row + 0x100 on a name cell, the row on a value cell (2 pixels of
    // slack), else -1.
    int HitTest(POINT point) const;
    // The grid into `dc`.
    void Paint(CDC& dc) const;
    // The value text of a row (hexadecimal or decimal, or the decoded text);
    // false when the CPU model refused.
    bool ValueText(int row, std::string& text) const;

    struct InPlaceEdit {
        bool visible = false;
        std::string text;
        int limit = 0;
        RECT rect;
    };
    const InPlaceEdit& Edit() const { return edit_; }
    void StartEdit(int row);
    // The field lost the focus with `text` in it: write the register.
    void EndEdit(const std::string& text);
    // Escape: hide the field; nothing is written.
    void CancelEdit();

    // The values read again: the value cells whose text or changed mark
    // differs are invalidated (none when none differs).
    void Refresh();
    // While a refresh invalidates the view: those value cells (a host may
    // repaint just them); empty otherwise (the whole view).
    const std::vector<RECT>& RefreshedCells() const { return refreshed_; }
    // Command 32959: the main frame's tab bar that holds a register view
    // loses it and shows its "CTreeViewSymbol" tab instead.
    void RemoveFromWorkspace();

    int OnCreate() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnHScroll(UINT code, UINT pos) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonDblClk(UINT flags, POINT point) override;
    void OnContextMenu(POINT point) override;

    DECLARE_DYNCREATE(CCpuView)

private:
    void BuildRows();
    // The rows' values from the CPU model: 0 or its error.
    int ReadValues(std::vector<DWORD>& values) const;
    int ScrollRange() const;
    void SetHorizontal(int offset);

    BYTE group_ = 0;
    std::vector<Row> rows_;
    WORD widest_ = 0;
    std::vector<DWORD> current_, previous_;
    std::vector<RECT> refreshed_;
    int selected_ = 0;
    int editRow_ = -1;
    int hScroll_ = 0;
    int nameW_ = 0;
    int rowH_ = 8;
    int valueW_ = 68;
    InPlaceEdit edit_;
};

}  // namespace regmem
