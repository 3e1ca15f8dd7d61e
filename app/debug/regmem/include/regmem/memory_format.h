// The memory window's cells: the nine unit and format layouts, value texts,
// the characters an edit accepts and the typed text read back as a value.
// Values are composed from and written as bytes in the target's byte order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace regmem {

enum class Unit { Byte = 1, Half = 2, Word = 3 };
enum class Format { Hex = 1, Unsigned = 2, Signed = 3, Disassembly = 4 };

inline int UnitSize(Unit u)
{
    return u == Unit::Byte ? 1 : u == Unit::Half ? 2 : 4;
}

struct CellLayout {
    int cells;  // a row
    int width;  // characters of a cell
};
// divisor 1: 16 bytes a row, 2: short lines of 8. Not for disassembly.
CellLayout LayoutOf(Format format, Unit unit, int divisor);

// The value text of a cell ("%02X", "%05u", "%+011ld" ...), uncentred.
std::string ValueText(Format format, Unit unit, uint32_t value);
// The index of a cell's last character (hexadecimal 1, 3, 7; unsigned 2, 4,
// 9; signed 3, 5, 10).
int LastCharIndex(Format format, Unit unit);

// The value of `size` bytes in target byte order.
uint32_t ComposeValue(const uint8_t* bytes, int size, bool bigEndian);
// The `size` bytes of a value in target byte order.
void DecomposeValue(uint32_t value, int size, bool bigEndian, uint8_t* out);

// Whether `ch` may be typed at `position` of a data cell.
bool AcceptsChar(Format format, Unit unit, int position, char ch);
// A cell's text read back: base 16 or 10, within the unit's range (a byte
// 0-255, half words 0-65535 or -32768-32767, words 0-4294967295 or
// -2147483648-2147483647). The result is the unit's bit pattern.
std::optional<uint32_t> ParseCellText(Format format, Unit unit, const std::string& text);

// The ASCII column's character of a byte.
inline char AsciiChar(uint8_t b)
{
    return b >= 33 && b <= 126 ? static_cast<char>(b) : '.';
}

}  // namespace regmem
