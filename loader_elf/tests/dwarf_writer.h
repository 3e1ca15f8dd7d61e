// Hand-built DWARF for the tests that need a shape a compiler does not give
// on request: every form, units of other versions, damaged units and
// tables, line programs opcode by opcode. The sections go into a TestElf.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "elf_writer.h"

namespace tarnel::test {

// Bytes in a byte order, LEB128 numbers and strings.
struct DwarfBytes {
    bool bigEndian = false;
    std::vector<uint8_t> bytes;

    DwarfBytes& Fixed(uint64_t v, unsigned width)
    {
        for (unsigned i = 0; i < width; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (bigEndian ? 8 * (width - 1 - i) : 8 * i)));
        return *this;
    }
    DwarfBytes& U8(uint64_t v) { return Fixed(v, 1); }
    DwarfBytes& U16(uint64_t v) { return Fixed(v, 2); }
    DwarfBytes& U32(uint64_t v) { return Fixed(v, 4); }
    DwarfBytes& U64(uint64_t v) { return Fixed(v, 8); }
    DwarfBytes& ULeb(uint64_t v)
    {
        do {
            uint8_t b = v & 0x7F;
            v >>= 7;
            bytes.push_back(v ? b | 0x80 : b);
        } while (v);
        return *this;
    }
    DwarfBytes& SLeb(int64_t v)
    {
        for (bool more = true; more;) {
            uint8_t b = v & 0x7F;
            v >>= 7;
            more = !((v == 0 && !(b & 0x40)) || (v == -1 && (b & 0x40)));
            bytes.push_back(more ? b | 0x80 : b);
        }
        return *this;
    }
    DwarfBytes& Str(const std::string& s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
        return *this;
    }
    DwarfBytes& Raw(std::initializer_list<uint8_t> b)
    {
        bytes.insert(bytes.end(), b);
        return *this;
    }
    DwarfBytes& Append(const std::vector<uint8_t>& b)
    {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    uint32_t Size() const { return static_cast<uint32_t>(bytes.size()); }
};

struct AbbrevDecl {
    uint64_t code;
    uint16_t tag;
    bool children;
    std::vector<std::pair<uint16_t, uint16_t>> attributes;  // (DW_AT, DW_FORM)
};

// A .debug_abbrev table ending with code 0.
inline std::vector<uint8_t> AbbrevTable(const std::vector<AbbrevDecl>& decls)
{
    DwarfBytes b;
    for (const AbbrevDecl& d : decls) {
        b.ULeb(d.code).ULeb(d.tag).U8(d.children ? 1 : 0);
        for (const auto& [name, form] : d.attributes)
            b.ULeb(name).ULeb(form);
        b.ULeb(0).ULeb(0);
    }
    b.ULeb(0);
    return b.bytes;
}

// A .debug_info unit: header (length, version, abbreviation offset, address
// size) before the entries written into `entries`.
struct UnitBytes {
    explicit UnitBytes(bool bigEndian = false, uint16_t version = 2, uint32_t abbrevOffset = 0, uint8_t addressSize = 4)
        : version(version), abbrevOffset(abbrevOffset), addressSize(addressSize)
    {
        entries.bigEndian = bigEndian;
    }
    std::vector<uint8_t> Bytes() const
    {
        DwarfBytes b;
        b.bigEndian = entries.bigEndian;
        b.U32(entries.Size() + 7).U16(version).U32(abbrevOffset).U8(addressSize).Append(entries.bytes);
        return b.bytes;
    }
    uint16_t version;
    uint32_t abbrevOffset;
    uint8_t addressSize;
    DwarfBytes entries;
};

// A .debug_line unit of version 2 or 3, opcode by opcode.
struct LineProgramBytes {
    explicit LineProgramBytes(std::vector<std::string> files, bool bigEndian = false) : files(std::move(files))
    {
        program.bigEndian = bigEndian;
    }

    uint16_t version = 2;
    uint8_t minimumInstructionLength = 2;
    int8_t lineBase = -5;
    uint8_t lineRange = 14;
    uint8_t opcodeBase = 10;
    // Operand counts declared for opcodes in place of the standard ones.
    std::map<uint8_t, uint8_t> declaredOperands;
    std::vector<std::string> directories;
    std::vector<std::string> files;  // each in directory 0, unless given as "dir index:name"
    DwarfBytes program;

    LineProgramBytes& SetAddress(uint32_t a)
    {
        program.U8(0).ULeb(5).U8(2).U32(a);
        return *this;
    }
    LineProgramBytes& EndSequence()
    {
        program.U8(0).ULeb(1).U8(1);
        return *this;
    }
    LineProgramBytes& Copy() { return Op(1); }
    LineProgramBytes& AdvancePc(uint64_t n)
    {
        program.U8(2).ULeb(n);
        return *this;
    }
    LineProgramBytes& AdvanceLine(int64_t n)
    {
        program.U8(3).SLeb(n);
        return *this;
    }
    LineProgramBytes& SetFile(uint64_t n)
    {
        program.U8(4).ULeb(n);
        return *this;
    }
    LineProgramBytes& SetColumn(uint64_t n)
    {
        program.U8(5).ULeb(n);
        return *this;
    }
    LineProgramBytes& ConstAddPc() { return Op(8); }
    LineProgramBytes& FixedAdvancePc(uint16_t n)
    {
        program.U8(9).U16(n);
        return *this;
    }
    // The special opcode that advances by `instructions` and `lines`.
    LineProgramBytes& Special(unsigned instructions, int lines)
    {
        return Op(static_cast<uint8_t>((lines - lineBase) + lineRange * instructions + opcodeBase));
    }
    LineProgramBytes& Op(uint8_t opcode)
    {
        program.U8(opcode);
        return *this;
    }

    std::vector<uint8_t> Bytes() const
    {
        DwarfBytes header;
        header.bigEndian = program.bigEndian;
        header.U8(minimumInstructionLength).U8(1).U8(static_cast<uint8_t>(lineBase)).U8(lineRange).U8(opcodeBase);
        static const uint8_t standard[] = {0, 1, 1, 1, 1, 0, 0, 0, 1, 0, 0, 1};
        for (unsigned op = 1; op < opcodeBase; ++op) {
            const auto declared = declaredOperands.find(static_cast<uint8_t>(op));
            header.U8(declared != declaredOperands.end() ? declared->second : op <= 12 ? standard[op - 1] : 2);
        }
        for (const std::string& d : directories)
            header.Str(d);
        header.U8(0);
        for (const std::string& f : files) {
            const size_t colon = f.find(':');
            const bool withDirectory = colon != std::string::npos && colon > 0 && f[0] >= '0' && f[0] <= '9';
            header.Str(withDirectory ? f.substr(colon + 1) : f)
                .ULeb(withDirectory ? std::stoul(f.substr(0, colon)) : 0)
                .ULeb(0)
                .ULeb(0);
        }
        header.U8(0);
        DwarfBytes b;
        b.bigEndian = program.bigEndian;
        b.U32(2 + 4 + header.Size() + program.Size())
            .U16(version)
            .U32(header.Size())
            .Append(header.bytes)
            .Append(program.bytes);
        return b.bytes;
    }
};

// An image of a word of code and the DWARF sections given (those left
// empty are left out).
struct DwarfImage {
    bool bigEndian = false;
    std::vector<uint8_t> info, abbrev, line, str, ranges, loc;

    std::vector<uint8_t> Build() const
    {
        TestElf elf;
        elf.bigEndian = bigEndian;
        elf.sections.push_back({".text", 1, 6, 0x100, Words({0xE1A00000}, bigEndian)});
        const std::pair<const char*, const std::vector<uint8_t>*> debug[] = {
            {".debug_info", &info}, {".debug_abbrev", &abbrev}, {".debug_line", &line},
            {".debug_str", &str},   {".debug_ranges", &ranges}, {".debug_loc", &loc},
        };
        for (const auto& [name, bytes] : debug)
            if (!bytes->empty())
                elf.sections.push_back({name, 1, 0, 0, *bytes});
        return elf.Build();
    }
};

}  // namespace tarnel::test

namespace tarnel::test {

// A .debug_str section: each text added once, at the offset returned.
struct StringTable {
    std::vector<uint8_t> bytes{0};
    uint32_t Add(const std::string& text)
    {
        const uint32_t at = static_cast<uint32_t>(bytes.size());
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
        return at;
    }
};

}  // namespace tarnel::test
