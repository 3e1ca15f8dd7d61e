// CPopupTipWnd: the tip window, a pop-up without caption that shows a line (or a
// few lines) of text over a view. Each text view creates one when its window
// is created and keeps it for its lifetime; the source editor also keeps one
// shared tip for its address-range display. The owner sets the text, moves,
// shows and hides the window itself; the tip never takes the focus and is
// shown without activation: a top-most bordered pop-up (WS_POPUP |
// WS_BORDER, WS_EX_TOPMOST) without title, cursor or background brush.
//
// Painting: a white box with a one-pixel border, the text centred in it (a
// tip without text is a plain white box). The widget (qt/) measures the text
// in the tip's font through `PopupTipHost`; without one (Qt-free tests) a
// character is a cell of the host's cell size.
#pragma once

#include <string>
#include <vector>

#include "platform/window_host.h"
#include "platform/wnd.h"

// What the tip needs of its widget beyond `WindowHost`: text measures in
// the tip's font and its place on the screen.
class PopupTipHost {
public:
    virtual ~PopupTipHost() = default;
    virtual int TextWidth(const std::string& line) const = 0;
    virtual int LineHeight() const = 0;
    // The window's outer rectangle in screen coordinates.
    virtual void SetScreenRect(const RECT& rect) = 0;
};

// The size of a tip for its text: the text split at line feeds, width =
// widest line + 15 pixels, height = lines x line height + 4 pixels.
SIZE TipSizeForLines(const std::vector<int>& lineWidths, int lineHeight);

// The tip's rectangle (screen coordinates) for a pointer: just below it,
// kept within the parent window's rectangle (moved left, and above the
// pointer when it does not fit below), never left of x = 0 nor above y = 0.
// A tip larger than the parent keeps its size and the parent's top-left.
RECT PlaceTipBelowPointer(POINT pointer, SIZE tip, RECT parent);

// Pixels between the pointer's hot spot and the top of a tip below it (the
// height of the arrow cursor).
inline constexpr int kTipPointerGap = 20;

// Messages that hide a data tip: keys (WM_KEYDOWN, WM_SYSKEYDOWN) and the
// down and up messages of the left, middle and right buttons.
bool IsTipHidingMessage(UINT message);

class CPopupTipWnd : public CWnd {
public:
    CPopupTipWnd() = default;

    // Creates the window as a pop-up owned by `parent`, at `rect` (screen
    // coordinates; empty: (0, 0, 0, 0)), hidden, with no title.
    BOOL CreateTip(CWnd* parent, const RECT& rect = {});

    // Sets the text, sizes the tip to it and places it below the pointer
    // (screen coordinates) within the parent window, then shows it without
    // activation. An empty text hides the tip instead.
    void ShowTipAt(POINT pointer, const std::string& text);
    // Puts the tip at a rectangle (screen coordinates), position and size.
    void SetTipRect(const RECT& rect);
    // Shown without activation: SW_SHOWNOACTIVATE.
    void ShowTip();
    void HideTip();
    bool IsTipShown() const { return IsWindowVisible() != FALSE; }

    // The outer rectangle (screen coordinates).
    RECT TipRect() const { return rect_; }
    // The text the tip paints: taken from its window text at every paint.
    const std::string& PaintText();
    // The size its text needs, measured by the widget or in cells.
    SIZE MeasureText(const std::string& text) const;

    DECLARE_DYNCREATE(CPopupTipWnd)

protected:
    int OnCreate() override;

private:
    PopupTipHost* TipHost() const;
    std::string m_text;  // the text of the last paint
    RECT rect_;
};
