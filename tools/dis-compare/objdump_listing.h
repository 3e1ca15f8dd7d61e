// Reads the listing of `arm-none-eabi-objdump -d -M reg-names-raw` (with or
// without -r and -z): one record per instruction line, with the object it
// belongs to and whether a relocation applies to it.
//
// An instruction line is "<address>:\t<hex> \t<mnemonic>\t<operands>\t@ <comment>";
// the hex field is one ARM word (8 digits), one Thumb halfword (4 digits), or
// two halfwords of a 32-bit Thumb instruction ("f7ff fffe"). Data in code
// sections shows as ".word", ".short" or ".byte" with the same hex field.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace zk::tools {

enum class Encoding { Arm, Thumb16, Thumb32, Other };

struct ObjdumpLine {
    std::string object;  // "libc.a(lib_a-foo.o)" style name of the object, or the file name
    uint32_t address = 0;
    Encoding encoding = Encoding::Other;
    uint32_t word = 0;     // ARM word, or the first halfword
    uint16_t second = 0;   // second halfword of a 32-bit Thumb line
    std::string mnemonic;  // as objdump wrote it
    std::string operands;
    std::string comment;  // after "@", without it
    // A relocation applies: objdump then reckons a PC-relative target from
    // address 0 and adds the value of the relocation's symbol.
    bool relocated = false;
    // A relocatable object listed without its relocations (no -r): any
    // instruction may carry one.
    bool mayBeRelocated = false;
    // The symbol values objdump may have added to such a target: the
    // relocation's symbol (0 when undefined or a section), or without -r 0
    // and the symbol objdump names in the operand.
    std::vector<uint32_t> relocationBases;
    size_t lineNumber = 0;
};

// Parses the whole listing; lines that are not instructions are skipped.
std::vector<ObjdumpLine> ReadObjdumpListing(std::istream& in);

}  // namespace zk::tools
