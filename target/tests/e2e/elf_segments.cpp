#include "elf_segments.h"

#include "host_tools.h"

namespace falcrest_e2e {

namespace {

uint32_t Le32(const std::string& b, size_t at)
{
    if (at + 4 > b.size())
        return 0;
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

uint16_t Le16(const std::string& b, size_t at)
{
    if (at + 2 > b.size())
        return 0;
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

constexpr uint32_t PT_LOAD = 1;

}  // namespace

ElfImage ReadElfImage(const std::string& path)
{
    const std::string b = zk::test::ReadFileBytes(path);
    ElfImage image;
    // "\x7f" "ELF", class 1 (32-bit), data 1 (little-endian).
    if (b.size() < 52 || b.compare(0, 4, "\x7f" "ELF") != 0 || b[4] != 1 || b[5] != 1)
        return image;
    image.entry = Le32(b, 24);
    const uint32_t phoff = Le32(b, 28);
    const uint16_t phentsize = Le16(b, 42);
    const uint16_t phnum = Le16(b, 44);
    for (uint16_t i = 0; i < phnum; ++i) {
        const size_t ph = phoff + size_t{i} * phentsize;
        if (Le32(b, ph) != PT_LOAD)
            continue;
        const uint32_t offset = Le32(b, ph + 4);
        const uint32_t fileSize = Le32(b, ph + 16);
        const uint32_t memSize = Le32(b, ph + 20);
        if (uint64_t(offset) + fileSize > b.size() || memSize < fileSize)
            return {};
        LoadSegment s{Le32(b, ph + 12), std::vector<uint8_t>(b.begin() + offset, b.begin() + offset + fileSize)};
        s.bytes.resize(memSize, 0);
        image.segments.push_back(std::move(s));
    }
    return image;
}

}  // namespace falcrest_e2e
