// The script hint box (dialog 105): a line of text that closes itself. The
// script server's HintBox(text, delay, position) shows it modally. Timer 1
// ticks every delay x 10 ms and the box ends (result 1) after delay x 10
// ticks; a delay of 0 or less ends it at the first tick, and no box stays
// longer than 60 s. Esc closes it. Position codes 1-4 put it in a corner of
// the screen (3 pixels beyond the right and bottom edges), 0 and others
// leave it where it opens.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/dialog.h"

namespace shell {

inline constexpr UINT IDD_HINT_BOX = 105;
inline constexpr int IDC_HINT_TEXT = 1157;
inline constexpr UINT_PTR kHintTimer = 1;

// Where a box of `box` size goes on a screen of `screen` size, or nothing.
std::optional<POINT> HintBoxPlace(short position, SIZE screen, SIZE box);

// The screen's size for the corners (the Qt part installs the real one).
void SetScreenSizeSource(std::function<SIZE()> source);
SIZE ScreenSize();

class CHintBoxDlg : public CDialog {
public:
    CHintBoxDlg(std::string text, LONG delay, short position, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;

    // The timer's interval and the ticks after which the box ends.
    UINT Interval() const;
    LONG TicksToEnd() const;
    LONG m_lDelay;
    LONG m_nTicks = 0;
    UINT_PTR m_nTimer = 0;
    std::string m_text;
    short m_sPos;

protected:
    void OnTimer(UINT_PTR id) override;
};

}  // namespace shell

using shell::CHintBoxDlg;
