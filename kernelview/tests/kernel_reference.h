// What the reference tools say about a test image: symbol addresses from
// arm-none-eabi-nm, initialised bytes from arm-none-eabi-objdump -s, member
// offsets from arm-none-eabi-readelf --debug-dump=info.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace corvane::test {

struct ImageReference {
    bool bigEndian = false;
    std::map<std::string, uint32_t> symbols;  // nm
    std::map<uint32_t, uint8_t> bytes;        // objdump -s of .data and .rodata
    // Structure name -> its members (name, offset) in declaration order.
    std::map<std::string, std::vector<std::pair<std::string, uint32_t>>> structs;

    uint32_t Word(uint32_t address) const;
    std::string Text(uint32_t address, size_t limit) const;
};

// Fills the reference; the text of the first tool that failed on error.
bool ReadReference(const std::string& elf, ImageReference& ref, std::string& error);

}  // namespace corvane::test
