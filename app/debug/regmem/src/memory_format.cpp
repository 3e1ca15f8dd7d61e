// Cell layouts, value texts and typed values of the memory window.
#include "regmem/memory_format.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace regmem {

namespace {

int Row(Unit u)
{
    return u == Unit::Byte ? 0 : u == Unit::Half ? 1 : 2;
}

}  // namespace

CellLayout LayoutOf(Format format, Unit unit, int divisor)
{
    static constexpr int kWidths[3][3] = {{3, 5, 9}, {4, 6, 11}, {5, 7, 12}};
    const int f = format == Format::Unsigned ? 1 : format == Format::Signed ? 2 : 0;
    const int cells = 16 / UnitSize(unit) / (divisor == 2 ? 2 : 1);
    return {cells, kWidths[f][Row(unit)]};
}

std::string ValueText(Format format, Unit unit, uint32_t value)
{
    char text[24];
    switch (format) {
    case Format::Unsigned: {
        static constexpr const char* kFormats[] = {"%03u", "%05u", "%010u"};
        std::snprintf(text, sizeof text, kFormats[Row(unit)], value);
        break;
    }
    case Format::Signed: {
        static constexpr const char* kFormats[] = {"%+04d", "%+06d", "%+011d"};
        const int32_t v = unit == Unit::Byte ? static_cast<int8_t>(value)
            : unit == Unit::Half             ? static_cast<int16_t>(value)
                                             : static_cast<int32_t>(value);
        std::snprintf(text, sizeof text, kFormats[Row(unit)], v);
        break;
    }
    default: {
        static constexpr const char* kFormats[] = {"%02X", "%04X", "%08X"};
        std::snprintf(text, sizeof text, kFormats[Row(unit)], value);
        break;
    }
    }
    return text;
}

int LastCharIndex(Format format, Unit unit)
{
    static constexpr int kLast[3][3] = {{1, 3, 7}, {2, 4, 9}, {3, 5, 10}};
    const int f = format == Format::Unsigned ? 1 : format == Format::Signed ? 2 : 0;
    return kLast[f][Row(unit)];
}

uint32_t ComposeValue(const uint8_t* bytes, int size, bool bigEndian)
{
    uint32_t v = 0;
    for (int i = 0; i < size; ++i) {
        const int at = bigEndian ? i : size - 1 - i;
        v = (v << 8) | bytes[at];
    }
    return v;
}

void DecomposeValue(uint32_t value, int size, bool bigEndian, uint8_t* out)
{
    for (int i = 0; i < size; ++i) {
        const uint8_t b = static_cast<uint8_t>(value >> (8 * i));
        out[bigEndian ? size - 1 - i : i] = b;
    }
}

bool AcceptsChar(Format format, Unit unit, int position, char ch)
{
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (format) {
    case Format::Hex: return std::isxdigit(c) != 0;
    case Format::Unsigned: return std::isdigit(c) != 0;
    case Format::Signed:
        if (position == 0)
            return ch == '+' || (ch == '-' && unit != Unit::Byte);
        return std::isdigit(c) != 0;
    default: return false;
    }
}

std::optional<uint32_t> ParseCellText(Format format, Unit unit, const std::string& text)
{
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    const char* begin = text.c_str();
    char* end = nullptr;
    const int size = UnitSize(unit);
    const uint64_t mask = size == 4 ? 0xFFFFFFFFull : (1ull << (8 * size)) - 1;
    if (format == Format::Signed) {
        if (begin[0] != '+' && begin[0] != '-')
            return std::nullopt;
        for (const char* p = begin + 1; *p; ++p)
            if (!std::isdigit(static_cast<unsigned char>(*p)))
                return std::nullopt;
        const long long v = std::strtoll(begin, &end, 10);
        const long long lo = size == 1 ? 0 : -(1ll << (8 * size - 1));
        const long long hi = size == 1 ? 255 : (1ll << (8 * size - 1)) - 1;
        if (*end || v < lo || v > hi)
            return std::nullopt;
        return static_cast<uint32_t>(static_cast<uint64_t>(v) & mask);
    }
    const int base = format == Format::Hex ? 16 : 10;
    for (const char* p = begin; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (base == 16 ? !std::isxdigit(c) : !std::isdigit(c))
            return std::nullopt;
    }
    const unsigned long long v = std::strtoull(begin, &end, base);
    if (*end || v > mask)
        return std::nullopt;
    return static_cast<uint32_t>(v);
}

}  // namespace regmem
