// The search and fill pattern reader on arbitrary text: no crash, and a
// pattern it accepts fits its buffer and holds whole values. The first
// byte chooses the unit, the byte order and the value limit.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "regmem/memory_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static constexpr int kUnits[] = {1, 2, 4, 3};
    const int unit = kUnits[data[0] & 3];
    const bool bigEndian = (data[0] & 4) != 0;
    const size_t maxValues = (data[0] & 8) ? regmem::kSearchPatternMax : 1 + (data[0] >> 4);
    const size_t maxBytes = (data[0] & 8) ? regmem::kSearchPatternMax * 4 : regmem::kFillPatternMax;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::vector<uint8_t> p = regmem::ReadPattern(text, maxValues, maxBytes, unit, bigEndian);
    if (p.size() > maxBytes)
        std::abort();
    const bool quoted = text.find_first_not_of(' ') != std::string::npos && text[0] == '"';
    if (!p.empty() && !quoted &&
        (unit == 3 || p.size() % static_cast<size_t>(unit) != 0 || p.size() / static_cast<size_t>(unit) > maxValues))
        std::abort();
    return 0;
}
