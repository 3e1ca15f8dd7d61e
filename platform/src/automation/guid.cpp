// GUIDs to text and back, in the registry form with braces.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/automation.h"

HRESULT CLSIDFromString(const char* text, CLSID* clsid)
{
    if (!clsid)
        return E_INVALIDARG;
    *clsid = GUID_NULL;
    if (!text || std::strlen(text) != 38 || text[0] != '{' || text[37] != '}')
        return CO_E_CLASSSTRING;
    // Hex digit counts of the groups between the dashes.
    static const int groups[] = {8, 4, 4, 4, 12};
    uint8_t bytes[16];
    int n = 0;
    const char* p = text + 1;
    for (int g = 0; g < 5; ++g) {
        if (g > 0 && *p++ != '-')
            return CO_E_CLASSSTRING;
        for (int i = 0; i < groups[g]; i += 2) {
            if (!std::isxdigit(static_cast<unsigned char>(p[0])) || !std::isxdigit(static_cast<unsigned char>(p[1])))
                return CO_E_CLASSSTRING;
            auto hex = [](char c) {
                return std::isdigit(static_cast<unsigned char>(c))
                    ? c - '0'
                    : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
            };
            bytes[n++] = static_cast<uint8_t>(hex(p[0]) << 4 | hex(p[1]));
            p += 2;
        }
    }
    GUID g;
    g.Data1 = uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
    g.Data2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
    g.Data3 = static_cast<uint16_t>(bytes[6] << 8 | bytes[7]);
    std::memcpy(g.Data4, bytes + 8, 8);
    *clsid = g;
    return S_OK;
}

int StringFromGUID2(const GUID& guid, char* text, int size)
{
    if (!text || size < 39)
        return 0;
    std::snprintf(text, static_cast<size_t>(size), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1,
                  guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                  guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return 39;
}
