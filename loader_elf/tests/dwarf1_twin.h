// The DWARF 1 twin of a gcc DWARF 2 image, written as GNU as source from
// the image's program facts (program_facts.h): one compile unit per DWARF 2
// unit with its types (typedef, structure, union, enumeration with its
// enumerators in DWARF 1's reverse order, array, subroutine type; base
// types as the fundamental code equal to the store's index for them;
// pointers as modifiers of the type they point to), its global and static
// variables, and its functions with parameters, locals, statics and
// lexical blocks at the frame pointer gcc sets up (r11 ARM, r7 Thumb); and
// one .line table per unit. Entries refer to each other by labels, and to
// code and data by a symbol of the image plus an offset, which the linker
// relocates (the twin is linked from the same objects in the same order,
// so that the addresses are the DWARF 2 image's).
//
// An inlined call with a range of its own is a function of the unit.
//
// What DWARF 1 does not carry: the file of a row (every row of a unit is
// the unit's file's), frame bases, and variables whose place changes with
// the address (they are left out, parameters kept without a place); const
// and volatile are left off.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dwarf1_asm_writer.h"
#include "program_facts.h"

namespace tarnel::test {

// The fundamental type code of a gcc base type name (int for one without).
inline uint16_t FundamentalCodeOf(const std::string& name)
{
    const uint32_t index = zk::test::PredefinedTypeIndex(name);
    return static_cast<uint16_t>(index ? index : 8);
}

class Dwarf1Twin {
public:
    // anchor: a symbol of the image and its address, which code and data
    // addresses are written from (so that the linker relocates them); no
    // anchor: addresses as numbers.
    explicit Dwarf1Twin(const zk::test::ProgramFacts& facts, std::string anchor = {}, uint32_t anchorAddress = 0)
        : facts_(facts), anchor_(std::move(anchor)), anchorAddress_(anchorAddress)
    {}

    std::string Source()
    {
        for (size_t u = 0; u < facts_.units.size(); ++u)
            Unit(facts_.units[u], u);
        return w_.Source();
    }

private:
    using Kind = zk::test::FactType::Kind;
    using Where = zk::test::FactVariable::Where;
    static constexpr uint16_t VOID = 0x14;

    // How an entry names a type: modifiers (1 pointer, 2 reference) over a
    // fundamental code or a type entry's label.
    struct Use {
        std::vector<uint8_t> modifiers;
        uint16_t fundamental = VOID;
        std::string label;
    };

    std::string Address(uint32_t address) const
    {
        if (anchor_.empty())
            return Dwarf1AsmWriter::Hex(address);
        return address >= anchorAddress_ ? anchor_ + "+" + Dwarf1AsmWriter::Hex(address - anchorAddress_)
                                         : anchor_ + "-" + Dwarf1AsmWriter::Hex(anchorAddress_ - address);
    }

    static std::string LabelOf(uint32_t id) { return "t" + std::to_string(id); }

    Use UseOf(uint32_t id) const
    {
        const zk::test::FactType* t = facts_.Type(id);
        if (!t)
            return {};
        switch (t->kind) {
        case Kind::Pointer:
        case Kind::Reference: {
            Use u = UseOf(t->target);
            u.modifiers.insert(u.modifiers.begin(), t->kind == Kind::Pointer ? 1 : 2);
            return u;
        }
        case Kind::Const:
        case Kind::Volatile: return UseOf(t->target);
        case Kind::Base: return {{}, FundamentalCodeOf(t->name), {}};
        default: return {{}, 0, LabelOf(id)};
        }
    }

    void TypeAttribute(uint32_t id)
    {
        const Use u = UseOf(id);
        if (u.modifiers.empty()) {
            if (u.label.empty())
                w_.FundType(u.fundamental);
            else
                w_.UserType(u.label);
            return;
        }
        std::string body;
        for (uint8_t m : u.modifiers)
            body += "\t.byte " + std::to_string(m) + "\n";
        if (u.label.empty()) {
            w_.Block(0x63, body + "\t.2byte " + Dwarf1AsmWriter::Hex(u.fundamental) + "\n");
        } else {
            w_.Block(0x83, body + "\t.4byte " + Dwarf1AsmWriter::Symbol(u.label) + "\n");
        }
    }

    // The element type inside an array's subscript data.
    std::string ElementType(uint32_t id) const
    {
        const Use u = UseOf(id);
        std::string mods;
        for (uint8_t m : u.modifiers)
            mods += "\t.byte " + std::to_string(m) + "\n";
        const std::string n = std::to_string(elements_++);
        if (u.modifiers.empty())
            return u.label.empty() ? "\t.2byte 0x55\n\t.2byte " + Dwarf1AsmWriter::Hex(u.fundamental) + "\n"
                                   : "\t.2byte 0x72\n\t.4byte " + Dwarf1AsmWriter::Symbol(u.label) + "\n";
        const std::string tail = u.label.empty() ? "\t.2byte " + Dwarf1AsmWriter::Hex(u.fundamental) + "\n"
                                                 : "\t.4byte " + Dwarf1AsmWriter::Symbol(u.label) + "\n";
        return std::string("\t.2byte ") + (u.label.empty() ? "0x63" : "0x83") + "\n\t.2byte .Lm" + n + "e-.Lm" + n +
            "\n.Lm" + n + ":\n" + mods + tail + ".Lm" + n + "e:\n";
    }

    void TypeEntry(const zk::test::FactType& t)
    {
        const std::string label = LabelOf(t.id);
        switch (t.kind) {
        case Kind::Typedef:
            w_.Begin(0x16, label).Name(t.name);
            TypeAttribute(t.target);
            w_.End();
            break;
        case Kind::Structure:
        case Kind::Class:
        case Kind::Union: {
            w_.Begin(t.kind == Kind::Union ? 0x17 : t.kind == Kind::Class ? 0x02 : 0x13, label).Sibling(label + "e");
            if (!t.name.empty())
                w_.Name(t.name);
            w_.U32(0x00B6, t.size).End();
            for (const zk::test::FactType::Member& b : t.bases) {
                w_.Begin(0x1C);
                TypeAttribute(b.type);
                w_.AtMember(b.offset).End();
            }
            for (const zk::test::FactType::Member& m : t.members) {
                w_.Begin(0x0D).Name(m.name);
                TypeAttribute(m.type);
                w_.AtMember(m.offset);
                if (m.bitSize != 0)
                    w_.U32(0x00B6, m.byteSize).U16(0x00C5, m.bitOffset).U32(0x00D6, m.bitSize);
                w_.End();
            }
            w_.Null().Label(label + "e");
            break;
        }
        case Kind::Enumeration: {
            w_.Begin(0x04, label);
            if (!t.name.empty())
                w_.Name(t.name);
            w_.U32(0x00B6, t.size);
            std::string list;
            for (auto it = t.enumerators.rbegin(); it != t.enumerators.rend(); ++it)
                list += "\t.4byte " + std::to_string(it->second) + "\n\t.asciz \"" + it->first + "\"\n";
            w_.Block(0x00F4, list).End();
            break;
        }
        case Kind::Array: {
            std::string data;
            for (uint32_t bound : t.bounds)
                data += "\t.byte 0\n\t.2byte 8\n\t.4byte 0\n\t.4byte " + std::to_string(bound) + "\n";
            data += "\t.byte 8\n" + ElementType(t.target);
            w_.Begin(0x01, label).Block(0x00A3, data).End();
            break;
        }
        case Kind::Procedure:
            w_.Begin(0x15, label).Sibling(label + "e");
            TypeAttribute(t.target);
            w_.End();
            for (uint32_t p : t.parameters) {
                w_.Begin(0x05);
                TypeAttribute(p);
                w_.End();
            }
            w_.Null().Label(label + "e");
            break;
        default: break;
        }
    }

    // A variable with one place; others are left out, but for parameters,
    // which are written without a place (the function's type needs them).
    void VariableEntry(uint16_t tag, const zk::test::FactVariable& v)
    {
        if (v.where == Where::Elsewhere && tag != 0x05)
            return;
        w_.Begin(tag).Name(v.name);
        TypeAttribute(v.type);
        switch (v.where) {
        case Where::Address: w_.AtAddress(Address(v.address)); break;
        case Where::Register: w_.AtRegister(v.reg); break;
        case Where::Frame: w_.AtFrame(v.reg, v.offset); break;
        case Where::Elsewhere: break;
        }
        w_.End();
    }

    void Scope(const zk::test::FactScope& s)
    {
        for (const zk::test::FactVariable& v : s.variables)
            VariableEntry(0x0C, v);
        for (const zk::test::FactScope& inner : s.scopes) {
            const std::string end = "b" + std::to_string(blocks_++);
            w_.Begin(0x0B).Sibling(end).Word(0x0111, Address(inner.low)).Word(0x0121, Address(inner.high)).End();
            Scope(inner);
            w_.Null().Label(end);
        }
    }

    void Unit(const zk::test::FactUnit& unit, size_t number)
    {
        // The unit's code: its functions and rows.
        uint32_t low = 0xFFFFFFFF, high = 0;
        for (const zk::test::FactFunction& f : unit.functions) {
            low = std::min(low, f.low);
            high = std::max(high, f.high);
        }
        for (const tarnel::test::ReadelfRow& r : unit.rows) {
            low = std::min(low, r.address);
            high = std::max(high, r.address);
        }
        if (low > high)
            return;
        const std::string end = "u" + std::to_string(number);
        w_.Begin(0x11).Sibling(end).Name(unit.name).Str(0x0258, unit.producer);
        if (!unit.directory.empty())
            w_.Str(0x01B8, unit.directory);
        w_.Word(0x0111, Address(low)).Word(0x0121, Address(high));
        if (!unit.rows.empty())
            w_.Word(0x0106, w_.NextLineTable());
        w_.End();
        for (uint32_t id : unit.types)
            TypeEntry(*facts_.Type(id));
        for (const zk::test::FactVariable& v : unit.globals)
            VariableEntry(v.external ? 0x07 : 0x0C, v);
        for (const zk::test::FactFunction& f : unit.functions) {
            const std::string fend = "f" + std::to_string(functions_++);
            w_.Begin(f.external ? 0x06 : 0x14).Sibling(fend).Name(f.name);
            TypeAttribute(f.returns);
            w_.Word(0x0111, Address(f.low)).Word(0x0121, Address(f.high)).End();
            for (const zk::test::FactVariable& p : f.parameters)
                VariableEntry(0x05, p);
            Scope(f.body);
            w_.Null().Label(fend);
        }
        w_.Null().Label(end);

        // Rows in the order of the table; the end of each sequence is left
        // out, and a line-0 row ends the table.
        if (unit.rows.empty())
            return;
        std::vector<Dwarf1AsmWriter::Row> rows;
        for (const tarnel::test::ReadelfRow& r : unit.rows)
            if (!r.endOfSequence && r.line != 0)
                rows.push_back({r.line, 0xFFFF, r.address - low});
        rows.push_back({0, 0xFFFF, high - low});
        w_.LineTable(Address(low), rows);
    }

    const zk::test::ProgramFacts& facts_;
    const std::string anchor_;
    const uint32_t anchorAddress_;
    Dwarf1AsmWriter w_;
    mutable uint32_t elements_ = 0;
    uint32_t blocks_ = 0, functions_ = 0;
};

}  // namespace tarnel::test
