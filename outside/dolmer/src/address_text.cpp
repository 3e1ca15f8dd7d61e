// Address texts: hexadecimal numbers and "#symbol".
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "dolmer/dolmer.h"
#include "quinar/symbol_store.h"

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
        if (s.size() < 2)
            return 0;
        // A function, else a plain ELF symbol (a label or a data label).
        const auto address = quinar::Symbols().AddressOfName(s);
        if (!address)
            return 0;
        *addr = {*address, ADDR_SPACE_TARGET};
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
    quinar::SymbolStore& symbols = quinar::Symbols();
    const auto at = symbols.CodeAt(addr.off);
    if (!at || at->kind != SYM_KIND_FUNCTION || at->start != addr.off)
        return 0;
    const auto name = symbols.SymbolName(at->handle);
    if (!name)
        return 0;
    // "#" and the name, cut to fit the text with its NUL.
    char symbol[ADR_SYMBOL_TEXT_SIZE] = "#";
    const size_t length = std::min(name->size(), sizeof symbol - 2);
    std::memcpy(symbol + 1, name->data(), length);
    symbol[length + 1] = '\0';
    // A static function whose name another function also bears leads the
    // text elsewhere: such a text would move the breakpoint.
    ADDR back{};
    if (AdrTextToAddr(symbol, &back, 1) != 1 || back.off != addr.off)
        return 0;
    std::memcpy(text, symbol, std::strlen(symbol) + 1);
    return 1;
}

}  // extern "C"
