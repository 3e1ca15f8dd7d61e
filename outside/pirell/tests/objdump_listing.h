// objdump's disassembly of an image, parsed: every instruction with its
// address, bytes, mnemonic and operands, and the image's code bytes (from
// the values objdump prints, in the image's byte order).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pirell::test {

struct ObjdumpLine {
    uint32_t address = 0;
    uint32_t length = 0;   // bytes
    bool thumb = false;    // printed as halfwords
    bool data = false;     // ".word" and the like
    std::string mnemonic;  // "bl", "bxeq", "pop"
    std::string operands;  // "80 <add>", "{r4, pc}"
    std::string function;  // the symbol block it stands in
};

struct ObjdumpImage {
    bool bigEndian = false;
    std::vector<ObjdumpLine> lines;
    std::map<uint32_t, uint8_t> memory;
};

ObjdumpImage ReadObjdump(const std::string& image);

}  // namespace pirell::test
