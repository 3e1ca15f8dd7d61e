// What the binutils print about an ARM image, parsed for the tests:
// objdump's disassembly (every instruction with its address, bytes,
// mnemonic and operands, and the code bytes from the values objdump prints,
// in the image's byte order) and readelf's decoded line tables.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zk::test {

// A binutils program's standard output; a failing run fails the test.
std::string ToolOutput(const std::vector<std::string>& argv);

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

// One row of `readelf --debug-dump=decodedline`: a line's first address,
// or (line 0, endOfSequence) the first address after a sequence.
struct DecodedRow {
    std::string file;  // the name readelf shows
    uint32_t line = 0;
    uint32_t address = 0;
    bool endOfSequence = false;
};

std::vector<DecodedRow> ReadDecodedLines(const std::string& image);

}  // namespace zk::test
