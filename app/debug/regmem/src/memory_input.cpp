// Reading address ranges and patterns of the memory tools.
#include "regmem/memory_input.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "dolmer/dolmer.h"
#include "regmem/memory_format.h"

namespace regmem {

namespace {

std::string Field(const std::string& text, size_t max)
{
    return text.substr(0, max);
}

// A plain number of the length field in C notation (0x, 0 octal, decimal);
// false when the text is not all number.
bool CNumber(const std::string& text, uint64_t& value)
{
    size_t b = text.find_first_not_of(" \t");
    size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos)
        return false;
    const std::string t = text.substr(b, e - b + 1);
    if (!std::isdigit(static_cast<unsigned char>(t[0])))
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(t.c_str(), &end, 0);
    return errno == 0 && *end == '\0';
}

}  // namespace

bool ReadAddress(const std::string& text, ADDR& addr)
{
    ADDR a;
    if (AdrTextToAddr(Field(text, kRangeFieldMax).c_str(), &a, 1) != 1)
        return false;
    if (a.seg == ADDR_SPACE_NONE)
        a.seg = ADDR_SPACE_TARGET;
    addr = a;
    return true;
}

RangeInput ReadRange(const std::string& startText, RangeMode mode, const std::string& secondText)
{
    RangeInput r;
    if (!ReadAddress(startText, r.start))
        return r;
    r.field = 1;
    const std::string second = Field(secondText, kRangeFieldMax);
    uint32_t first = 0, last = 0xFFFFFFFFu;
    AdrGetAddrRange(r.start.seg, &first, &last);
    if (mode == RangeMode::Length) {
        // The length is a count of bytes: the whole space from 0 is last + 1,
        // which no 32-bit value holds.
        uint64_t length = 0;
        ADDR plain;
        if (CNumber(second, length) && r.start.off == 0 && length == uint64_t{last} + 1) {
            length = uint64_t{last} + 1;
        } else if (AdrTextToAddr(second.c_str(), &plain, 0) == 1) {
            length = plain.off;
        } else {
            return r;
        }
        const uint64_t end = uint64_t{r.start.off} + length - 1;
        if (length == 0 || end > 0xFFFFFFFFull) {
            r.code = ADR_E_OUT_OF_RANGE;
            return r;
        }
        r.end = {static_cast<uint32_t>(end), r.start.seg};
    } else {
        if (AdrTextToAddr(second.c_str(), &r.end, 1) != 1)
            return r;
        if (r.end.seg == ADDR_SPACE_NONE)
            r.end.seg = r.start.seg;
    }
    const int check = AdrCheck2Addr(r.start, r.end);
    if (check != 1) {
        r.code = check;
        return r;
    }
    r.ok = true;
    return r;
}

std::vector<uint8_t> ReadPattern(const std::string& raw, size_t maxValues, size_t maxBytes, int unit, bool bigEndian)
{
    std::string text = Field(raw, kPatternFieldMax);
    const size_t e = text.find_last_not_of(' ');
    if (e == std::string::npos)
        return {};
    text.resize(e + 1);
    std::vector<uint8_t> bytes;
    if (text[0] == '"') {
        if (text.size() < 3 || text.back() != '"' || text.size() - 2 > maxBytes)
            return {};
        return std::vector<uint8_t>(text.begin() + 1, text.end() - 1);
    }
    if (unit != 1 && unit != 2 && unit != 4)
        return {};
    const uint64_t limit = unit == 4 ? 0xFFFFFFFFull : (1ull << (8 * unit)) - 1;
    size_t values = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == ',') {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != ',')
            ++j;
        const std::string token = text.substr(i, j - i);
        i = j;
        uint64_t v = 0;
        if (token.size() == 3 && token[0] == '\'' && token[2] == '\'') {
            v = static_cast<unsigned char>(token[1]);
        } else {
            const bool hex = token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X');
            const size_t from = hex ? 2 : 0;
            if (token.size() == from || token.size() - from > 16)
                return {};
            for (size_t k = from; k < token.size(); ++k) {
                const unsigned char c = static_cast<unsigned char>(token[k]);
                if (hex ? !std::isxdigit(c) : !std::isdigit(c))
                    return {};
                v = v * (hex ? 16 : 10) + static_cast<uint64_t>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
                if (v > limit)
                    return {};
            }
        }
        if (v > limit || ++values > maxValues || bytes.size() + static_cast<size_t>(unit) > maxBytes)
            return {};
        uint8_t out[4];
        DecomposeValue(static_cast<uint32_t>(v), unit, bigEndian, out);
        bytes.insert(bytes.end(), out, out + unit);
    }
    return bytes;
}

}  // namespace regmem
