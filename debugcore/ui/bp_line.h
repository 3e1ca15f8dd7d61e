// The breakpoint dialog's text line: one list-box string per breakpoint,
// written and read back by one pair of plain functions.
//
//   " +  (0x00008000 #main.c#12)  {i > 3}  [Read Write at 0x00020000]macro  <COUNT=3>"
//
// Character 1 is the enable mark ("+" enabled, "-" disabled); the address
// text (and, when known, the source position "#file#line") stands between
// parentheses; then the condition between braces, the access part of an
// access breakpoint between brackets followed by its macro text, and last
// the pass count. Parts are separated by two blanks. Conditions hold "<"
// and ">", so each part is read after the one before and the count from
// the end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sarvik::ui {

// Breakpoint types of the line (and of the dialog's type combo).
inline constexpr int BP_LINE_PLAIN = 0;
inline constexpr int BP_LINE_CONDITIONAL = 1;
inline constexpr int BP_LINE_ACCESS = 3;

// Access types: read 1, write 2.
inline constexpr int BP_ACCESS_READ = 1;
inline constexpr int BP_ACCESS_WRITE = 2;

struct BpLine {
    bool enabled = true;
    std::string address;   // the address text ("0x00008000")
    std::string position;  // "#file#line", or empty
    std::string condition;
    bool access = false;  // an access breakpoint (the bracket part)
    int accessType = 0;   // BP_ACCESS_*
    std::string accessAddress;
    std::string macro;
    uint32_t count = 1;
    // BP_LINE_ACCESS with an access part, else BP_LINE_CONDITIONAL with a
    // condition, else BP_LINE_PLAIN.
    int Type() const;
    friend bool operator==(const BpLine&, const BpLine&) = default;
};

std::string WriteBpLine(const BpLine& line);
// False when the text is not a breakpoint line (`out` may be partly set).
bool ReadBpLine(std::string_view text, BpLine& out);

}  // namespace sarvik::ui
