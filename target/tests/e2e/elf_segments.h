// The loadable segments of a little-endian ELF32 image: what a loader
// downloads into target memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace falcrest_e2e {

struct LoadSegment {
    uint32_t address;            // physical (load) address
    std::vector<uint8_t> bytes;  // the file's bytes, then zeros up to the memory size
};

struct ElfImage {
    uint32_t entry = 0;
    std::vector<LoadSegment> segments;
};

// Empty segments and entry 0 when the file is no little-endian ELF32 image.
ElfImage ReadElfImage(const std::string& path);

}  // namespace falcrest_e2e
