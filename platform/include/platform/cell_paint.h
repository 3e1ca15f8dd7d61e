// CellPaint: what a self-drawn view shows in its exposed rows, as data.
// The logic fills it; CellPainter (platform/qt) draws it; tests assert it.
//
// Cells are fixed: x = margin + (column - firstColumn) x cell width,
// y = row x line height (rows counted from the first shown row). Colours come
// in {fg, bg} pairs per format class; an inverted range shows each colour
// XOR 0xFFFFFF (computed here, so printing inverts the same way).
#pragma once

#include <string>
#include <vector>

#include "win_ui.h"

namespace platform {

struct CellColors {
    COLORREF fg = RGB(0, 0, 0);
    COLORREF bg = RGB(255, 255, 255);
    bool operator==(const CellColors&) const = default;
};

inline CellColors Inverted(CellColors c)
{
    return {c.fg ^ 0xFFFFFFu, c.bg ^ 0xFFFFFFu};
}

enum class CellIcon {
    Breakpoint,
    DisabledBreakpoint,
    ProgramCounter,
    Bookmark,
    Error,
    CursorLink,      // the position another window follows
    UnitBreakpoint,  // a breakpoint of a watchpoint unit
    DisabledUnitBreakpoint,
};

struct CellRow {
    struct Fill {
        int column;
        int count;  // -1: to the end of the row
        int format;
    };
    struct Run {
        int column;
        std::string text;  // tabs already expanded
        int format;
    };
    struct Range {
        int column;
        int count;  // -1: to the end of the row
    };
    struct Icon {
        int slot;  // margin slot (slot x cell width from the left)
        CellIcon icon;
    };
    struct Edge {
        enum Side { Top, Bottom } side;
        COLORREF color;
    };

    int row = 0;
    std::vector<Fill> fills;
    std::vector<Run> runs;
    std::vector<Range> inverted;
    std::vector<Icon> icons;
    std::string lineNumber;  // right-aligned in the margin, before the text
    std::vector<Edge> edges;
};

struct CellPaint {
    int firstColumn = 0;
    int margin = 0;                                 // pixels left of column firstColumn
    int columns = 0;                                // cells that fit; 0: computed from the width
    std::vector<CellColors> formats{CellColors{}};  // format class 0 is the default
    CellColors marginColors{RGB(0, 0, 0), RGB(240, 240, 240)};
    // An icon strip of its own colour at the left of the margin (0: none).
    int stripWidth = 0;
    COLORREF stripColor = RGB(212, 208, 200);
    // Pixels: line numbers drawn from here, clipped to the margin (-1: right
    // aligned one cell before the text).
    int lineNumberX = -1;
    std::vector<CellRow> rows;

    CellColors Colors(int format) const
    {
        return format >= 0 && format < static_cast<int>(formats.size()) ? formats[format] : formats[0];
    }
    // The colours of one cell: fills, then runs, then inversion.
    CellColors CellAt(const CellRow& row, int column) const;
    // The character drawn in one cell (' ' when none).
    char CharAt(const CellRow& row, int column) const;
};

// Expands tabs to the next multiple of `tabWidth` cells from the start.
std::string ExpandTabs(const std::string& text, int tabWidth = 4);

}  // namespace platform

using platform::CellColors;
using platform::CellPaint;
using platform::CellRow;
