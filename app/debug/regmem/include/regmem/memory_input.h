// The memory tools' readers of what the user typed: an address range (start
// and end, or start and length) and a search or fill pattern. Range
// arithmetic is 64-bit, so a range may end on the last byte of the 32-bit
// space and a length may cover all of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "emu_types.h"

namespace regmem {

enum class RangeMode { EndAddress = 0, Length = 1 };

struct RangeInput {
    bool ok = false;
    ADDR start, end;
    // On failure: the field at fault (0 start, 1 end or length) and the code
    // for the invalid-address report (dolmer's ADR_E_ codes, -1: not an
    // address text).
    int field = 0;
    int code = -1;
};
RangeInput ReadRange(const std::string& startText, RangeMode mode, const std::string& secondText);

// One address field (a copy's or compare's destination); ok with the address.
bool ReadAddress(const std::string& text, ADDR& addr);

// A pattern: a quoted text ("abc": its characters) or 1 to `maxValues`
// values of `unit` bytes (1, 2, 4) separated by blanks or commas, each a
// character literal 'c', 0x-hexadecimal or decimal digits and fitting the
// unit. Values are stored in the target's byte order. At most `maxBytes`
// bytes in all. Empty on refusal.
std::vector<uint8_t> ReadPattern(const std::string& text, size_t maxValues, size_t maxBytes, int unit, bool bigEndian);

// The fields' limits of the dialogs.
inline constexpr size_t kRangeFieldMax = 50;
inline constexpr size_t kPatternFieldMax = 100;
inline constexpr size_t kSearchPatternMax = 32;
inline constexpr size_t kFillPatternMax = 256;

}  // namespace regmem
