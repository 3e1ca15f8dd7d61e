// The memory tools' range reader on arbitrary text: no crash, and every
// range it accepts lies in one space with its start not after its end. The
// first byte chooses the mode; the rest is "start\nsecond".
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dolmer/dolmer.h"
#include "regmem/memory_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const auto mode = (data[0] & 1) ? regmem::RangeMode::Length : regmem::RangeMode::EndAddress;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = text.find('\n');
    const std::string start = text.substr(0, split);
    const std::string second = split == std::string::npos ? std::string() : text.substr(split + 1);
    const regmem::RangeInput r = regmem::ReadRange(start, mode, second);
    if (r.ok && (r.start.off > r.end.off || r.start.seg != r.end.seg || AdrCheck2Addr(r.start, r.end) != 1))
        std::abort();
    ADDR destination;
    regmem::ReadAddress(second, destination);
    return 0;
}
