// The main frame's status bar: two pane layouts (before and after the
// connection), an olive-yellow tint while the target runs or idles, a
// message of coloured text pieces in the message pane, and the PC pane's
// double click that changes the program counter. CProgressBar shows a
// progress control in one of its panes for long operations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/control_bars.h"
#include "platform/win32.h"
#include "win_ui.h"

namespace shell {

// One piece of a status message: a zero-terminated text block (the bar owns
// it once handed over) and its highlight flag (1: red).
struct TextPiece {
    HGLOBAL text = nullptr;
    int highlight = 0;
};
inline constexpr int kMaxTextPieces = 100;
// The tint is an OR of every pixel with this colour.
inline constexpr COLORREF kRunningTint = RGB(0x7F, 0x7F, 0x00);
inline constexpr COLORREF TintPixel(COLORREF c)
{
    return c | kRunningTint;
}
// The PC pane's text: "PC:%08lX".
std::string PcPaneText(uint32_t pc);

// Pane 2 (the run-state pane) of the connected layouts.
inline constexpr int kRunStatePane = 2;

class CSuperStatusBar : public CStatusBar {
public:
    CSuperStatusBar() = default;
    ~CSuperStatusBar() override;

    // The bar (id 59393) in the not-connected layout.
    BOOL Create(CWnd* parent);
    // The layout for the frame's connected flag and the Simulate setting.
    void SetUpPanes(BOOL connected);
    // Sets the text and redraws; for the run-state pane the tint follows
    // ("Running" or "Idle" in the text), and a change of it repaints the bar.
    BOOL SetPaneText(int pane, const std::string& text, BOOL update = TRUE);
    // Takes the first `count` pieces (at most 100; the blocks of the rest are
    // freed); a count below 1 only clears the list.
    void SetTextPieces(int count, const TextPiece* pieces);

    // What the painting draws: the pieces (texts and highlight flags) when
    // the message pane shows no message, and whether the tint is on.
    struct PieceText {
        std::string text;
        bool highlight;
    };
    std::vector<PieceText> VisiblePieces() const;
    BOOL IsTinted() const { return running_; }
    int PieceCount() const { return count_; }
    // How often the whole bar was repainted for a tint change.
    int TintRepaints() const { return tintRepaints_; }

    // A double click on pane `pane` at `screen`: beeps while the target
    // runs; on the PC pane runs "Change Program Counter" there and, on OK,
    // sets the PC and refreshes the main window.
    void OnPaneDoubleClick(int pane, POINT screen);
    // A click is never pre-translated (it reaches the bar as it is).
    BOOL PreTranslateMessage(MSG* msg) override;

    DECLARE_DYNAMIC(CSuperStatusBar)

private:
    void FreePieces();
    BOOL running_ = FALSE;
    TextPiece pieces_[kMaxTextPieces] = {};
    int count_ = 0;
    int tintRepaints_ = 0;
};

// Where the progress control goes in a pane: right of the caption (and four
// blanks), `sizePercent` of the room left, inset by a tenth of the height.
RECT ProgressPlacement(RECT pane, int captionWidth, int blankWidth, int sizePercent);

class CProgressBar : public CWnd {
public:
    // Finds the main window's status bar; without one the control is inert.
    CProgressBar(const std::string& caption, int sizePercent, int maxValue, BOOL smooth, int pane);
    ~CProgressBar() override;
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    BOOL IsInert() const { return bar_ == nullptr; }
    void SetRange(int low, int high, int step);
    // Also makes the control visible (the pane then shows the caption).
    void SetPos(int pos);
    void SetStep(int step);
    int GetPos() const { return pos_; }
    BOOL IsShown() const { return shown_; }
    // Percent of the range the position stands at.
    int Percent() const;

    // The shared percent value of the symbol-load query.
    static int& SharedPercent();
    // The symbol-load query the timer asks (SymGetLoadStatus: TRUE while a
    // load runs, the percent written); null: none, the timer ends at its
    // first tick. Returns the previous one.
    using LoadStatusQuery = BOOL (*)(int* percent);
    static LoadStatusQuery SetLoadStatusQuery(LoadStatusQuery query);

    DECLARE_DYNAMIC(CProgressBar)

protected:
    void OnTimer(UINT_PTR id) override;

private:
    void Show();
    CStatusBar* bar_ = nullptr;
    std::string caption_, previous_;
    int size_ = 90, pane_ = 0;
    int low_ = 0, high_ = 100, step_ = 1, pos_ = 0;
    BOOL shown_ = FALSE;
    UINT_PTR timer_ = 0;
};

}  // namespace shell

using shell::CProgressBar;
using shell::CSuperStatusBar;
