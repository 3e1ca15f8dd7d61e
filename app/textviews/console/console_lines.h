// The console's line assembler: the target program's output arrives in
// pieces of any size (a text, a single character) and is laid into the
// console's lines as a terminal would show it. CR LF and LF CR are one line
// end, also when the two come in different pieces; any other CR or LF ends
// a line of its own, so blank lines stay. Text after a piece that did not end
// its line continues that line. A line holds at most 255 characters: the
// rest continues on the next line. Control bytes are shown in caret notation
// ("^@", "^G", "^?"), never acted on; a tab stays a tab.
#pragma once

#include <string>
#include <string_view>

namespace textcore {
class TextBuffer;
}

namespace textconsole {

inline constexpr int kConsoleLineLength = 255;

class ConsoleLineWriter {
public:
    // Lays `text` into `lines`, whose last line is the open one when
    // LastLineOpen() says so.
    void Append(std::string_view text, textcore::TextBuffer& lines);
    // Typing went into the text: the next output continues the last line
    // when `open` (the caret was left on it), else starts a new one.
    void AfterTyping(bool open);
    // The lines were cleared.
    void Reset();
    bool LastLineOpen() const { return open_; }

private:
    bool open_ = false;    // the last line has no line end yet
    char pendingEnd_ = 0;  // the last byte was this line end: its partner is swallowed
};

// What a byte of output shows as: itself, or caret notation for a control
// byte (tab excepted).
std::string_view ShownByte(unsigned char byte, char (&scratch)[2]);

}  // namespace textconsole
