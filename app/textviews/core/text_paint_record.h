// The paint record of a text view: for the exposed rows, what to draw (fills,
// text runs by format class, inverted ranges, margin icons by their resource
// numbers, line numbers). Coordinates are client pixels; text runs are placed
// in cells of the view's fixed-pitch font (tabs already expanded), so the
// window side turns them into the window layer's cell rows: column =
// (x - margin) / cell width + first visible column.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace textcore {

struct PaintRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PaintRect&) const = default;
};

// A fill with the background of a format class's colour pair, or a system
// colour (COLOR_ number) when `systemColour` is not negative.
struct PaintFill {
    PaintRect rect;
    int formatClass = 0;
    int systemColour = -1;
    bool operator==(const PaintFill&) const = default;
};

// Text in the colours of a format class, starting at pixel (x, y); each of its
// characters (UTF-8 sequence, or one byte that is none) takes one cell.
struct PaintRun {
    int row = 0;
    int x = 0;
    int y = 0;
    int cells = 0;
    std::string text;
    int formatClass = 0;
    bool textColourSet = false;    // the text colour replaced (error lines: red)
    std::uint32_t textColour = 0;  // COLORREF
    bool operator==(const PaintRun&) const = default;
};

// A rectangle whose colours are inverted after the runs are drawn (each colour
// XOR 0xFFFFFF).
struct PaintInvert {
    int row = 0;
    PaintRect rect;
    bool operator==(const PaintInvert&) const = default;
};

struct PaintIcon {
    int row = 0;
    int x = 0;
    int y = 0;
    int icon = 0;  // the program's icon resource number
    bool operator==(const PaintIcon&) const = default;
};

// Drawn in pair 0's colours and clipped to `clip`.
struct PaintLineNumber {
    int row = 0;
    int x = 0;
    int y = 0;
    std::string text;
    PaintRect clip;
    bool operator==(const PaintLineNumber&) const = default;
};

struct TextPaint {
    int cellWidth = 0;
    int lineHeight = 0;
    std::vector<PaintFill> fills;  // drawn first, in order
    std::vector<PaintIcon> icons;
    std::vector<PaintLineNumber> lineNumbers;
    std::vector<PaintRun> runs;
    std::vector<PaintInvert> inverts;  // applied last
    void Clear()
    {
        fills.clear();
        icons.clear();
        lineNumbers.clear();
        runs.clear();
        inverts.clear();
    }
};

}  // namespace textcore
