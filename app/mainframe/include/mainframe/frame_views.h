// What the main frame hands to the views of its tab bars: the text of the
// "Command" shell tab (with the capture of a shell command that automation
// started), and the hover relays of the symbol tree and the editor. The
// views implement these beside their own classes; the frame finds them by
// dynamic cast, so a tab whose view class is not there yet gets nothing.
#pragma once

#include <string>

#include "platform/win32.h"

namespace mainframe {

// The "Command" tab (the command shell's view).
class CommandTextView {
public:
    virtual ~CommandTextView() = default;
    virtual void NewLine() = 0;
    // Output text, with its attribute (1: output).
    virtual void AppendText(const std::string& text, int attribute) = 0;
    // Replaces the line the caret is on.
    virtual void ReplaceCurrentLine(const std::string& text) = 0;
};

// The output of a shell command that automation started, collected while
// `active` is set.
struct ShellCapture {
    bool active = false;
    std::string text;
};
ShellCapture& ShellCommandCapture();

// Output text of the console-text kind: the part past the first ten
// characters joins the capture (a shorter text adds nothing).
void CaptureOutput(ShellCapture& capture, const std::string& text);
// A replaced current line: the capture loses its trailing line feeds and
// its last line, then gets the new line and a line feed.
void CaptureReplacedLine(ShellCapture& capture, const std::string& text);

// A view's tool-tip relay: sees each message before it is translated.
class HoverRelay {
public:
    virtual ~HoverRelay() = default;
    virtual void RelayEvent(const MSG& msg) = 0;
};

}  // namespace mainframe
