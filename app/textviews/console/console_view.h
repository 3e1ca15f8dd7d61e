// CConsoleView: the "Console" tab of the main frame's output bar, the target
// program's semihosting console. The program's output is appended to it;
// while the program waits for input, the characters typed into it are
// collected as the input line in the process-wide input state, which the
// main frame hands to the debugger core when Enter ends the line. The common
// text view on lines of its own, no margin, coloured as output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base_view.h"
#include "console_lines.h"

// The command that clears the console ("&Clear All" in the menu).
inline constexpr UINT ID_CONSOLE_CLEAR = 32912;

// The console's input state: up while a semihosting read waits for a typed
// line. The typed bytes go to `buffer`, the line ending with a line feed
// (Enter), which also drops `waiting`. Bytes beyond the buffer are not
// stored; the last byte is kept for the line feed.
struct ConsoleInput {
    static constexpr int kCapacity = 512;
    int waiting = 0;
    int count = 0;
    uint8_t buffer[kCapacity] = {};
};
ConsoleInput& ConsoleInputState();

class CConsoleView : public CBaseView {
public:
    CConsoleView();

    // The program's output: cut into lines as a terminal shows it (see
    // console_lines.h), the caret after it. The view shows the end of the
    // text at most every kShowInterval ms (a program writing line by line
    // would otherwise repaint the console per line), or at once by
    // ShowOutput().
    void AppendText(std::string_view text);
    void AppendChar(char ch);
    void ShowOutput();
    static constexpr UINT_PTR kShowTimer = 0x4F55;
    static constexpr UINT kShowInterval = 50;
    // Removes every line.
    void Clear();

    // The console is the only view of its lines.
    void UpdateViewsOfDocument(int) override {}

    DECLARE_DYNCREATE(CConsoleView)

protected:
    // The output bar makes its views without an initial update: the first
    // size on the widget gives the view its font and metrics.
    void OnSize(UINT type, int cx, int cy) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnTimer(UINT_PTR id) override;
    void OnRButtonDown(UINT flags, POINT point) override;

private:
    // Typing at the caret (printable characters, tab and Enter), repeated.
    bool TypeIntoText(UINT ch, UINT repeat);
    void ShowEnd();
    textconsole::ConsoleLineWriter writer_;
    bool metricsSet_ = false;
    bool showPending_ = false;  // output not shown yet: the timer runs
};
