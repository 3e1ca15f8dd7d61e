// DWARF 1 written as GNU as source: entries of ".debug" refer to one
// another by labels and to code by symbol + offset, so that the linker
// relocates every address and reference (its default script keeps .debug
// and .line at address 0, where a reference is the entry's offset). No
// tool of today writes DWARF 1; this is how the real-tool checks get it.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarnel::test {

class Dwarf1AsmWriter {
public:
    Dwarf1AsmWriter& Label(const std::string& name)
    {
        debug_ += Symbol(name) + ":\n";
        return *this;
    }
    Dwarf1AsmWriter& Begin(uint16_t tag, const std::string& label = {})
    {
        if (!label.empty())
            Label(label);
        const std::string n = std::to_string(entries_++);
        open_.push_back(n);
        debug_ += ".Lb" + n + ":\n\t.4byte .Le" + n + "-.Lb" + n + "\n\t.2byte " + Hex(tag) + "\n";
        return *this;
    }
    Dwarf1AsmWriter& End()
    {
        debug_ += ".Le" + open_.back() + ":\n";
        open_.pop_back();
        return *this;
    }
    Dwarf1AsmWriter& Null()
    {
        debug_ += "\t.4byte 4\n";
        return *this;
    }
    Dwarf1AsmWriter& Ref(uint16_t code, const std::string& label) { return Word(code, Symbol(label)); }
    Dwarf1AsmWriter& Sibling(const std::string& label) { return Ref(0x0012, label); }
    Dwarf1AsmWriter& Str(uint16_t code, const std::string& text)
    {
        debug_ += "\t.2byte " + Hex(code) + "\n\t.asciz \"" + text + "\"\n";
        return *this;
    }
    Dwarf1AsmWriter& Name(const std::string& text) { return Str(0x0038, text); }
    Dwarf1AsmWriter& U16(uint16_t code, uint32_t value)
    {
        debug_ += "\t.2byte " + Hex(code) + "\n\t.2byte " + Hex(value) + "\n";
        return *this;
    }
    // A four-byte value: a number, a label or symbol + offset.
    Dwarf1AsmWriter& Word(uint16_t code, const std::string& expression)
    {
        debug_ += "\t.2byte " + Hex(code) + "\n\t.4byte " + expression + "\n";
        return *this;
    }
    Dwarf1AsmWriter& U32(uint16_t code, uint32_t value) { return Word(code, Hex(value)); }
    // Low and high pc of code: symbol + offsets.
    Dwarf1AsmWriter& Pcs(const std::string& symbol, uint32_t low, uint32_t high)
    {
        return Word(0x0111, symbol + "+" + Hex(low)).Word(0x0121, symbol + "+" + Hex(high));
    }
    Dwarf1AsmWriter& FundType(uint16_t code) { return U16(0x0055, code); }
    Dwarf1AsmWriter& UserType(const std::string& label) { return Ref(0x0072, label); }
    // Location atoms (register, base register + constant, address of a symbol).
    Dwarf1AsmWriter& AtRegister(uint32_t reg) { return Location({"1", Hex(reg)}); }
    Dwarf1AsmWriter& AtFrame(uint32_t reg, int32_t offset)
    {
        debug_ += "\t.2byte 0x23\n\t.2byte 11\n\t.byte 2\n\t.4byte " + Hex(reg) + "\n\t.byte 4\n\t.4byte " +
            std::to_string(offset) + "\n\t.byte 7\n";
        return *this;
    }
    Dwarf1AsmWriter& AtAddress(const std::string& symbol) { return Location({"3", symbol}); }

    // An attribute of block form: its length (two bytes, or four for the
    // element list 0x00F4) counted by labels around `body` (asm lines).
    Dwarf1AsmWriter& Block(uint16_t code, const std::string& body)
    {
        const std::string n = std::to_string(blocks_++);
        debug_ += "\t.2byte " + Hex(code) + ((code & 0xF) == 4 ? "\n\t.4byte" : "\n\t.2byte") + " .Lk" + n + "e-.Lk" +
            n + "\n.Lk" + n + ":\n" + body + ".Lk" + n + "e:\n";
        return *this;
    }
    Dwarf1AsmWriter& AtMember(uint32_t offset)
    {
        return Block(0x23, "\t.byte 4\n\t.4byte " + Hex(offset) + "\n\t.byte 7\n");
    }
    // The label the next LineTable gets (for the unit's 0x0106).
    std::string NextLineTable() const { return ".Lt" + std::to_string(tables_); }

    // One table of ".line" at `symbol`: rows of (line, position, offset).
    struct Row {
        uint32_t line;
        uint16_t position;
        uint32_t offset;
    };
    void LineTable(const std::string& symbol, const std::vector<Row>& rows)
    {
        const std::string n = std::to_string(tables_++);
        line_ += ".Lt" + n + ":\n\t.4byte .Lt" + n + "e-.Lt" + n + "\n\t.4byte " + symbol + "\n";
        for (const Row& r : rows)
            line_ += "\t.4byte " + std::to_string(r.line) + "\n\t.2byte " + Hex(r.position) + "\n\t.4byte " +
                Hex(r.offset) + "\n";
        line_ += ".Lt" + n + "e:\n";
    }

    std::string Source() const { return "\t.section .debug,\"\"\n" + debug_ + "\n\t.section .line,\"\"\n" + line_; }

    // A label as a local symbol of the assembler.
    static std::string Symbol(std::string label)
    {
        for (char& c : label)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return ".L_" + label;
    }
    static std::string Hex(uint32_t v)
    {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", v);
        return text;
    }

private:
    Dwarf1AsmWriter& Location(const std::vector<std::string>& atom)
    {
        debug_ += "\t.2byte 0x23\n\t.2byte 5\n\t.byte " + atom[0] + "\n\t.4byte " + atom[1] + "\n";
        return *this;
    }

    std::string debug_, line_;
    std::vector<std::string> open_;
    uint32_t entries_ = 0, tables_ = 0, blocks_ = 0;
};

}  // namespace tarnel::test
