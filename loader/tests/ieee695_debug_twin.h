// The debug part of an IEEE-695 twin, written from the program facts of a
// gcc -O0 DWARF 2 image (program_facts.h): per compile unit a type block
// (base types as the store's predefined types, pointers and references,
// structures, unions and classes with their members and bit fields as
// 'g' types, arrays, typedefs, enumerations and procedure types; const and
// volatile stand for the type they qualify), a module block with the
// unit's global and static variables and its functions (each with the
// procedure type of its result and parameters, its parameters and locals
// at offsets from the frame pointer or in registers, the locals of nested
// scopes with the function's, and its statics), and a source-line block of
// the unit's rows.
//
// What the format cannot carry: lexical scopes (their locals belong to the
// whole function), class-ness, bases and member functions (a class is a
// structure of its data members), frame bases (automatics count from the frame
// pointer gcc sets up: r11 in ARM code, r7 in Thumb code, whose functions'
// code addresses carry bit 0 as the ELF's FUNC symbols do), variables whose
// place changes with the address, and the file of a row (all rows of a
// unit are its own file's).
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ieee695_writer.h"
#include "program_facts.h"
#include "tool_listings.h"

namespace quentor::test {

class DebugTwin {
public:
    // symbols: the image's (readelf -s); a FUNC symbol with bit 0 set marks
    // a Thumb function.
    DebugTwin(const zk::test::ProgramFacts& facts, const std::vector<tarnel::test::ReadelfSymbol>& symbols)
        : facts_(facts)
    {
        for (const tarnel::test::ReadelfSymbol& s : symbols)
            if (s.type == "FUNC" && (s.value & 1))
                thumb_.insert(s.value & ~1u);
    }

    std::vector<uint8_t> Write()
    {
        for (const zk::test::FactUnit& unit : facts_.units) {
            if (!unit.functions.empty() || !unit.globals.empty() || !unit.types.empty())
                Unit(unit);
            else if (!unit.rows.empty())
                AssemblerUnit(unit);
        }
        return w_.Bytes();
    }

private:
    using Kind = zk::test::FactType::Kind;
    using Where = zk::test::FactVariable::Where;
    static constexpr uint32_t VOID = 20;
    // Attributes of variable records.
    static constexpr uint32_t AUTOMATIC = 1, REGISTER = 2, STATIC = 3, EXTERNAL = 8;

    // The IEEE index of a type of the facts (0: void).
    uint32_t Index(uint32_t id)
    {
        const zk::test::FactType* t = facts_.Type(id);
        if (!t)
            return VOID;
        if (t->kind == Kind::Base) {
            if (uint32_t p = zk::test::PredefinedTypeIndex(t->name))
                return p;
        }
        if (t->kind == Kind::Const || t->kind == Kind::Volatile)
            return Index(t->target);
        auto it = index_.find(id);
        if (it != index_.end())
            return it->second;
        const uint32_t index = next_++;
        index_[id] = index;
        pending_.push_back(id);
        return index;
    }

    void Discover(const zk::test::FactType& t)
    {
        Index(t.target);
        for (const zk::test::FactType::Member& m : t.members)
            Index(m.type);
        for (uint32_t p : t.parameters)
            Index(p);
    }

    void TypeRecord(uint32_t id)
    {
        const zk::test::FactType& t = *facts_.Type(id);
        const uint32_t index = index_.at(id);
        switch (t.kind) {
        case Kind::Pointer:
        case Kind::Reference: w_.Name(index, t.name).Type(index, index, 'P').Num(Index(t.target)); break;
        case Kind::Typedef: w_.Name(index, t.name).Type(index, index, 'T').Num(Index(t.target)); break;
        case Kind::Structure:
        case Kind::Class:
        case Kind::Union: {
            // Bit fields first: each member's 'g' type.
            std::vector<uint32_t> memberTypes;
            for (const zk::test::FactType::Member& m : t.members) {
                uint32_t type = Index(m.type);
                if (m.bitSize != 0) {
                    const uint32_t field = next_++;
                    w_.Name(field, "").Type(field, field, 'g').Num(m.bitOffset).Num(m.bitSize).Num(type);
                    type = field;
                }
                memberTypes.push_back(type);
            }
            w_.Name(index, t.name).Type(index, index, t.kind == Kind::Union ? 'U' : 'S').Num(t.size);
            for (size_t i = 0; i < t.members.size(); ++i)
                w_.Str(t.members[i].name).Num(memberTypes[i]).Num(t.members[i].offset);
            break;
        }
        case Kind::Array: {
            // int [2][3][4]: an array of 2 of an unnamed array of 3 of an array of 4.
            uint32_t element = Index(t.target);
            for (size_t i = t.bounds.size(); i-- > 1;) {
                const uint32_t inner = next_++;
                w_.Name(inner, "").Type(inner, inner, 'Z').Num(element).Num(t.bounds[i]);
                element = inner;
            }
            w_.Name(index, "").Type(index, index, 'Z').Num(element).Num(t.bounds.empty() ? 0 : t.bounds[0]);
            break;
        }
        case Kind::Enumeration:
            w_.Name(index, t.name).Type(index, index, 'N').Num(t.size);
            for (const auto& [name, value] : t.enumerators)
                w_.Str(name).Num(static_cast<uint32_t>(value));
            break;
        case Kind::Procedure: Procedure(index, t.target, t.parameters); break;
        default:
            // Base types without a predefined twin and the rest.
            w_.Name(index, t.name).Type(index, index, '!').Num(t.size);
        }
    }

    void Procedure(uint32_t index, uint32_t returns, const std::vector<uint32_t>& parameters)
    {
        std::vector<uint32_t> types;
        for (uint32_t p : parameters)
            types.push_back(Index(p));
        w_.Name(index, "").Type(index, index, 'X').Num(Index(returns)).Num(0).Num(static_cast<uint32_t>(types.size()));
        for (uint32_t p : types)
            w_.Num(p);
    }

    // A unit of the assembler: a module of its own with its source lines.
    void AssemblerUnit(const zk::test::FactUnit& unit)
    {
        w_.Begin(10, unit.name).End();
        Lines(unit);
    }

    void Lines(const zk::test::FactUnit& unit)
    {
        if (unit.rows.empty())
            return;
        w_.Begin(5, unit.name);
        for (const tarnel::test::ReadelfRow& r : unit.rows)
            if (!r.endOfSequence)
                w_.Attribute(0, 0, 7).Num(r.line).Num(0).Assign(0, r.address);
        w_.End();
    }

    template <typename Visit>
    static void EachVariable(const zk::test::FactScope& s, Visit visit)
    {
        for (const zk::test::FactVariable& v : s.variables)
            visit(v);
        for (const zk::test::FactScope& inner : s.scopes)
            EachVariable(inner, visit);
    }

    // A parameter, local or static of a function, when it has one place.
    void LocalRecord(const zk::test::FactVariable& v, uint32_t& name)
    {
        switch (v.where) {
        case Where::Address: w_.Variable(name, v.name, Index(v.type), STATIC).Assign(name, v.address); break;
        case Where::Register: w_.Variable(name, v.name, Index(v.type), REGISTER).Num(v.reg); break;
        case Where::Frame:
            w_.Variable(name, v.name, Index(v.type), AUTOMATIC).Num(static_cast<uint32_t>(v.offset));
            break;
        case Where::Elsewhere: return;
        }
        ++name;
    }

    void Unit(const zk::test::FactUnit& given)
    {
        // Inlined calls (of optimised code) are not written.
        zk::test::FactUnit unit = given;
        std::erase_if(unit.functions, [](const zk::test::FactFunction& f) { return f.inlined; });
        // Every type the unit's entries refer to, then their records, inner
        // ones first (an array's size needs its element's).
        index_.clear();
        pending_.clear();
        next_ = 256;
        for (uint32_t id : unit.types)
            Index(id);
        for (const zk::test::FactVariable& v : unit.globals)
            Index(v.type);
        std::vector<uint32_t> procedures;
        for (const zk::test::FactFunction& f : unit.functions) {
            procedures.push_back(next_++);
            Index(f.returns);
            for (const zk::test::FactVariable& p : f.parameters)
                Index(p.type);
            EachVariable(f.body, [&](const zk::test::FactVariable& v) { Index(v.type); });
        }
        for (size_t i = 0; i < pending_.size(); ++i)
            Discover(*facts_.Type(pending_[i]));
        w_.Begin(1, unit.name);
        for (size_t i = pending_.size(); i-- > 0;)
            TypeRecord(pending_[i]);
        for (size_t i = 0; i < unit.functions.size(); ++i) {
            std::vector<uint32_t> parameters;
            for (const zk::test::FactVariable& p : unit.functions[i].parameters)
                parameters.push_back(p.type);
            Procedure(procedures[i], unit.functions[i].returns, parameters);
        }
        w_.End();

        w_.Begin(3, unit.name);
        uint32_t name = 1;
        for (const zk::test::FactVariable& v : unit.globals) {
            w_.Variable(name, v.name, Index(v.type), v.external ? EXTERNAL : STATIC).Assign(name, v.address);
            ++name;
        }
        for (size_t i = 0; i < unit.functions.size(); ++i) {
            const zk::test::FactFunction& f = unit.functions[i];
            w_.Function(f.external, f.name, 0, procedures[i], thumb_.count(f.low) ? f.low | 1 : f.low);
            for (const zk::test::FactVariable& p : f.parameters)
                LocalRecord(p, name);
            EachVariable(f.body, [&](const zk::test::FactVariable& v) { LocalRecord(v, name); });
            w_.EndFunction(f.high - 1);
        }
        w_.End();

        Lines(unit);
    }

    const zk::test::ProgramFacts& facts_;
    zk::test::Ieee695DebugWriter w_;
    std::map<uint32_t, uint32_t> index_;
    std::vector<uint32_t> pending_;
    uint32_t next_ = 256;
    std::set<uint32_t> thumb_;  // the starts of Thumb functions
};

}  // namespace quentor::test
