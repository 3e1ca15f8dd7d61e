// The breakpoint and watchpoint text commands: one command object per
// command line, holding the location its words name.
#pragma once

#include <string>

#include "sarvik.h"

namespace sarvik {

class CBptCommand {
public:
    virtual ~CBptCommand() = default;

    // The command's result: 0, or a target failure's code ("Communication
    // Failed!" follows).
    EmuResult Set(int argc, char** argv);
    EmuResult Clear(int argc, char** argv);
    EmuResult Watchpoint(int argc, char** argv);

private:
    // An address text, aligned for its code (Thumb: halfword, ARM: word),
    // with the symbol text of the address; false when it is no address.
    bool ParseLocation(const char* text);

    CBpDataEx m_bp;
};

// The shell console (brevan), one message per call.
void PrintToShell(const std::string& text);
// printf-style formatting of one message.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool SameWord(const char* a, const char* b);
// What is wrong with an address word that AdrTextToAddr refused: a "#name"
// that is no symbol, a name written without its '#', or a bad number.
std::string AddressWordError(const char* text);

inline constexpr const char* kCommunicationFailed = "Communication Failed!";
inline constexpr const char* kUnit1ReservedSet =
    "Watchpoint 1 is reserved for software breakpoint, do you really set it?";
inline constexpr const char* kUnit1ReservedClear =
    "Watchpoint 1 is reserved for software breakpoint, do you really clear it?";

}  // namespace sarvik
