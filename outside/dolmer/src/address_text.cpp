// Address texts: hexadecimal numbers and "#function".
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "dolmer/dolmer.h"
#include "quinar/quinar.h"

namespace {

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// At most eight hexadecimal digits, nothing else.
bool ParseHex(std::string_view s, uint32_t& value)
{
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s.remove_prefix(2);
    if (s.empty() || s.size() > 8)
        return false;
    uint32_t v = 0;
    for (char c : s) {
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
            : (c >= 'a' && c <= 'f')                              ? c - 'a' + 10
            : (c >= 'A' && c <= 'F')                              ? c - 'A' + 10
                                                                  : -1;
        if (d < 0)
            return false;
        v = (v << 4) | static_cast<uint32_t>(d);
    }
    value = v;
    return true;
}

}  // namespace

extern "C" {

int AdrTextToAddr(const char* text, ADDR* addr, int inSpace)
{
    if (!text || !addr)
        return 0;
    const std::string_view s = Trimmed(text);
    if (!s.empty() && s[0] == '#') {
        ADDR start{};
        ADDR end{};
        if (s.size() < 2 || SrcGetFuncRange(std::string(s).c_str(), &start, &end) != SYM_OK)
            return 0;
        *addr = {start.off, ADDR_SPACE_TARGET};
        return 1;
    }
    uint32_t value = 0;
    if (!ParseHex(s, value))
        return 0;
    const ADDR a{value, static_cast<uint16_t>(inSpace ? ADDR_SPACE_TARGET : ADDR_SPACE_NONE)};
    if (inSpace && AdrCheckAddrRange(a) != 1)
        return 0;
    *addr = a;
    return 1;
}

int AdrAddrToHex(ADDR addr, char* text)
{
    if (!text || addr.seg == ADDR_SPACE_NONE)
        return 0;
    std::snprintf(text, 11, "0x%08X", addr.off);
    return 1;
}

int AdrAddrToSymbol(ADDR addr, char* text)
{
    if (!text || addr.seg == ADDR_SPACE_NONE)
        return 0;
    uint32_t kind = 0;
    uint32_t start = 0;
    uint32_t handle = 0;
    if (SymGetAddrInfo(SYM_ADDR_CODE, addr.off, nullptr, &kind, &start, nullptr, &handle, nullptr) != SYM_OK ||
        kind != SYM_KIND_FUNCTION || start != addr.off)
        return 0;
    char symbol[ADR_SYMBOL_TEXT_SIZE] = "#";
    if (SymGetSymbolName(handle, symbol + 1, sizeof symbol - 1) != SYM_OK)
        return 0;
    // A static function whose name another function also bears leads the
    // text elsewhere: such a text would move the breakpoint.
    ADDR back{};
    if (AdrTextToAddr(symbol, &back, 1) != 1 || back.off != addr.off)
        return 0;
    std::memcpy(text, symbol, std::strlen(symbol) + 1);
    return 1;
}

}  // extern "C"
