// Hand-built DWARF 1 for the tests: entries of ".debug" that refer to one
// another by label (siblings, user types), and tables of ".line". Each
// entry is written whole (Begin, attributes, End); its children follow it,
// ended by a null entry, and its sibling label goes after them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "dwarf_writer.h"

namespace tarnel::test {

struct Dwarf1Writer {
    explicit Dwarf1Writer(bool bigEndian = false) { b.bigEndian = bigEndian; }

    DwarfBytes b;
    uint32_t address = 0;  // the section's address: references count from it
    std::map<std::string, uint32_t> labels;
    std::vector<std::pair<uint32_t, std::string>> references;
    std::vector<uint32_t> open;

    Dwarf1Writer& Label(const std::string& name)
    {
        labels[name] = b.Size();
        return *this;
    }
    Dwarf1Writer& Begin(uint16_t tag, const std::string& label = {})
    {
        if (!label.empty())
            Label(label);
        open.push_back(b.Size());
        b.U32(0).U16(tag);
        return *this;
    }
    Dwarf1Writer& End()
    {
        const uint32_t start = open.back();
        open.pop_back();
        const uint32_t length = b.Size() - start;
        for (unsigned i = 0; i < 4; ++i)
            b.bytes[start + i] = static_cast<uint8_t>(length >> (b.bigEndian ? 8 * (3 - i) : 8 * i));
        return *this;
    }
    Dwarf1Writer& Null()
    {
        b.U32(4);
        return *this;
    }
    Dwarf1Writer& Ref(uint16_t code, const std::string& label)
    {
        b.U16(code);
        references.emplace_back(b.Size(), label);
        b.U32(0);
        return *this;
    }
    Dwarf1Writer& Sibling(const std::string& label) { return Ref(0x0012, label); }
    Dwarf1Writer& Str(uint16_t code, const std::string& text)
    {
        b.U16(code).Str(text);
        return *this;
    }
    Dwarf1Writer& Name(const std::string& text) { return Str(0x0038, text); }
    Dwarf1Writer& U16(uint16_t code, uint32_t value)
    {
        b.U16(code).U16(value);
        return *this;
    }
    Dwarf1Writer& U32(uint16_t code, uint32_t value)
    {
        b.U16(code).U32(value);
        return *this;
    }
    Dwarf1Writer& Block2(uint16_t code, const std::vector<uint8_t>& bytes)
    {
        b.U16(code).U16(bytes.size()).Append(bytes);
        return *this;
    }
    Dwarf1Writer& Pcs(uint32_t low, uint32_t high) { return U32(0x0111, low).U32(0x0121, high); }
    Dwarf1Writer& FundType(uint16_t code) { return U16(0x0055, code); }
    Dwarf1Writer& UserType(const std::string& label) { return Ref(0x0072, label); }
    // 0x0063: modifier bytes, then the fundamental code.
    Dwarf1Writer& ModFundType(std::vector<uint8_t> modifiers, uint16_t code)
    {
        DwarfBytes m;
        m.bigEndian = b.bigEndian;
        m.Append(modifiers).U16(code);
        return Block2(0x0063, m.bytes);
    }
    // 0x0083: modifier bytes, then a reference.
    Dwarf1Writer& ModUserType(std::vector<uint8_t> modifiers, const std::string& label)
    {
        b.U16(0x0083).U16(modifiers.size() + 4).Append(modifiers);
        references.emplace_back(b.Size(), label);
        b.U32(0);
        return *this;
    }
    // Location atoms: a register; a base register plus a constant; an
    // address; a member's constant offset.
    std::vector<uint8_t> Atom(uint8_t op, uint32_t value) const
    {
        DwarfBytes a;
        a.bigEndian = b.bigEndian;
        a.U8(op).U32(value);
        return a.bytes;
    }
    Dwarf1Writer& AtRegister(uint32_t reg) { return Block2(0x0023, Atom(1, reg)); }
    Dwarf1Writer& AtAddress(uint32_t address) { return Block2(0x0023, Atom(3, address)); }
    Dwarf1Writer& AtFrame(uint32_t reg, int32_t offset)
    {
        std::vector<uint8_t> l = Atom(2, reg);
        const std::vector<uint8_t> c = Atom(4, static_cast<uint32_t>(offset));
        l.insert(l.end(), c.begin(), c.end());
        l.push_back(7);
        return Block2(0x0023, l);
    }
    Dwarf1Writer& AtMember(uint32_t offset)
    {
        std::vector<uint8_t> l = Atom(4, offset);
        l.push_back(7);
        return Block2(0x0023, l);
    }

    std::vector<uint8_t> Build() const
    {
        std::vector<uint8_t> out = b.bytes;
        for (const auto& [at, label] : references) {
            const uint32_t value = address + labels.at(label);
            for (unsigned i = 0; i < 4; ++i)
                out[at + i] = static_cast<uint8_t>(value >> (b.bigEndian ? 8 * (3 - i) : 8 * i));
        }
        return out;
    }
};

// One table of ".line": rows of (line, position, address offset).
struct Dwarf1LineRow {
    uint32_t line;
    uint16_t position;
    uint32_t offset;
};

inline std::vector<uint8_t> Dwarf1LineTable(uint32_t base, const std::vector<Dwarf1LineRow>& rows,
                                            bool bigEndian = false)
{
    DwarfBytes t;
    t.bigEndian = bigEndian;
    t.U32(8 + 10 * rows.size()).U32(base);
    for (const Dwarf1LineRow& r : rows)
        t.U32(r.line).U16(r.position).U32(r.offset);
    return t.bytes;
}

// An image of .text at 0x100 (0x400 bytes) with the DWARF 1 sections.
inline std::vector<uint8_t> Dwarf1Image(const std::vector<uint8_t>& debug, const std::vector<uint8_t>& line,
                                        bool bigEndian = false, std::vector<TestSection> more = {})
{
    TestElf elf;
    elf.bigEndian = bigEndian;
    elf.sections.push_back({".text", 1, 6, 0x100, std::vector<uint8_t>(0x400, 0)});
    elf.sections.push_back({".debug", 1, 0, 0, debug});
    if (!line.empty())
        elf.sections.push_back({".line", 1, 0, 0, line});
    elf.sections.insert(elf.sections.end(), more.begin(), more.end());
    return elf.Build();
}

}  // namespace tarnel::test
