// brevan: the command-shell server. It keeps the table of text commands
// (a command word, its syntax text and the handler that takes the words of a
// line as argc/argv, argv[0] being the command word), executes command lines,
// and carries every library's messages to the "Command" console.
//
// The console is the main frame's: ShlInitServer names it. Text reaches it as
// WM_EMU_UPDATE_VIEWS with kind DVK_CONSOLE_TEXT, sent: lParam 0 starts a new
// line; otherwise lParam is an HGLOBAL block holding a NUL-terminated text
// that the frame appends to the current line and frees. A message (flag 0)
// goes line by line, each line one block that begins with the output margin
// (BREVAN_OUTPUT_MARGIN blanks, which set output apart from the typed lines
// and which the frame's capture of a command's output leaves out), followed
// by a new line. A raw text (flag 1) is one block as given: "\n" alone
// starts a new line.
//
// GUI thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "win_types.h"

inline constexpr int BREVAN_OUTPUT_MARGIN = 10;
inline constexpr int SHL_PRINT_MESSAGE = 0;  // ShlPrintMessage flag: a message of its own line(s)
inline constexpr int SHL_PRINT_RAW = 1;      // ShlPrintMessage flag: the text as given
inline constexpr int SHL_NO_SUCH_COMMAND = -1;

// A command: the words of the line, argv[0] the command word. Its result is
// the result of ShlExecuteCommand.
using ShlCommandProc = int (*)(int argc, char** argv);

extern "C" {

// Keeps the main frame, whose console receives the output (null: output is
// dropped unless a message sink takes it). flags: bit 0 the simulator is the
// target, bit 1 run access; kept for the commands. Result 0.
int ShlInitServer(HWND frame, intptr_t reserved, int flags);
// Registers the debugger core's commands, bound by name in sarvik: the
// breakpoint commands "BP", "BC", "WP" (the line's result 0) and the run
// commands "GO", "STEP", "HALT", "RESET", "JUMP" (their results). Result 0;
// a command whose library or entry is missing is left out.
int ShlStartServer(void);
// Forgets every command and the frame. Result 0.
int ShlExitServer(void);

// Adds a command (a word of the same name, compared without regard to case,
// is replaced). 0, or -1 for an empty name or a null handler.
int ShlAddCommand(const char* name, const char* syntax, ShlCommandProc handler);
// Executes one command line: prompt characters ('>' and blanks) before the
// command word are passed over, the words are split at blanks and tabs.
// The command's result; 0 for an empty line; SHL_NO_SUCH_COMMAND (after the
// message "No such command") when no command has that word. *waitFlag (when
// given) is cleared: no command here leaves the shell waiting; *inputMode
// stays as it is.
int ShlExecuteCommand(const char* text, int length, int* inputMode, int* waitFlag);
// Non-zero while a command line executes.
int ShlIsBusy(void);

// Prints to the console: flag SHL_PRINT_MESSAGE or SHL_PRINT_RAW (above).
// Result 0.
int ShlPrintMessage(const char* text, int flag);

}  // extern "C"

namespace brevan {

// Where ShlPrintMessage's texts go instead of the console (tools, tests).
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void Print(const std::string& text, int flag) = 0;
};

// Installs a sink (null: the frame's console again); returns the previous.
MessageSink* SetMessageSink(MessageSink* sink);

// Collects the texts printed while it is installed, in order.
class MessageCapture : public MessageSink {
public:
    MessageCapture() : previous_(SetMessageSink(this)) {}
    ~MessageCapture() override { SetMessageSink(previous_); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    void Print(const std::string& text, int flag) override { (flag == SHL_PRINT_RAW ? raw : texts).push_back(text); }
    std::vector<std::string> texts;  // flag SHL_PRINT_MESSAGE
    std::vector<std::string> raw;    // flag SHL_PRINT_RAW

private:
    MessageSink* previous_;
};

// A command with a handler of any kind (a C++ caller's own).
using CommandHandler = std::function<int(int argc, char** argv)>;
int AddCommand(const std::string& name, const std::string& syntax, CommandHandler handler);
// The syntax text of a command; false when no command has that word.
bool LookupCommand(const std::string& word, std::string* name, std::string* syntax);

}  // namespace brevan
