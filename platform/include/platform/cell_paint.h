// The paint record of a self-drawn view: for the exposed rows the view's logic
// says what to draw (fills, text runs by format class, inverted ranges, icons,
// line numbers) and the window layer's CellPainter draws it. Coordinates are
// client pixels; text runs are placed in cells of the view's fixed-pitch font
// (tabs already expanded by the logic).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct CellRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const CellRect&) const = default;
};

// A fill with the background of a format class's colour pair, or a system
// colour (COLOR_ number) when `systemColour` is not negative.
struct CellFill {
    CellRect rect;
    int formatClass = 0;
    int systemColour = -1;
    bool operator==(const CellFill&) const = default;
};

// Text in the colours of a format class, starting at pixel (x, y); each of its
// characters (UTF-8 sequence, or one byte that is none) takes one cell.
struct CellRun {
    int row = 0;
    int x = 0;
    int y = 0;
    int cells = 0;
    std::string text;
    int formatClass = 0;
    bool textColourSet = false;    // the text colour replaced (error lines: red)
    std::uint32_t textColour = 0;  // COLORREF
    bool operator==(const CellRun&) const = default;
};

// A rectangle whose colours are inverted after the runs are drawn (each colour
// XOR 0xFFFFFF).
struct CellInvert {
    int row = 0;
    CellRect rect;
    bool operator==(const CellInvert&) const = default;
};

struct CellIcon {
    int row = 0;
    int x = 0;
    int y = 0;
    int icon = 0;  // the program's icon resource number
    bool operator==(const CellIcon&) const = default;
};

// Drawn in pair 0's colours and clipped to `clip`.
struct CellLineNumber {
    int row = 0;
    int x = 0;
    int y = 0;
    std::string text;
    CellRect clip;
    bool operator==(const CellLineNumber&) const = default;
};

struct CellPaint {
    int cellWidth = 0;
    int lineHeight = 0;
    std::vector<CellFill> fills;  // drawn first, in order
    std::vector<CellIcon> icons;
    std::vector<CellLineNumber> lineNumbers;
    std::vector<CellRun> runs;
    std::vector<CellInvert> inverts;  // applied last
    void Clear()
    {
        fills.clear();
        icons.clear();
        lineNumbers.clear();
        runs.clear();
        inverts.clear();
    }
};

}  // namespace platform
