// The debug part of an IEEE-695 twin, from the facts readelf gives of a
// gcc -O0 DWARF 2 image: per compile unit a type block (base types as the
// store's predefined types, pointers, structures and unions with their
// members, arrays, typedefs, enumerations; const and volatile stand for
// the type they qualify), a module block with the unit's global and
// static variables and its functions, and a source-line block of the
// unit's rows. What the writer does not carry: parameters and locals
// (their frame-base offsets need the call-frame rules), nested scopes,
// procedure types, bit fields and C++ classes.
#pragma once

#include <map>
#include <string>

#include "ieee695_writer.h"
#include "readelf_dies.h"

namespace quentor::test {

// gcc's base type names and the store's predefined indexes for them.
inline uint32_t PredefinedTypeOf(const std::string& name)
{
    static const std::map<std::string, uint32_t> types = {
        {"char", 3},  // unsigned on ARM
        {"signed char", 2},
        {"unsigned char", 3},
        {"short int", 4},
        {"short unsigned int", 6},
        {"int", 8},
        {"unsigned int", 9},
        {"long int", 10},
        {"long unsigned int", 12},
        {"float", 14},
        {"double", 15},
        {"long double", 16},
        {"_Bool", 21},
        {"long long int", 70},
        {"long long unsigned int", 72},
    };
    auto it = types.find(name);
    return it == types.end() ? 0 : it->second;
}

class DebugTwin {
public:
    explicit DebugTwin(const tarnel::test::ReadelfDies& dies, const tarnel::test::ReadelfDwarf& dwarf)
        : dies_(dies), dwarf_(dwarf)
    {}

    std::vector<uint8_t> Write()
    {
        // The entries of a unit lie between its offset and the next unit's.
        const std::vector<tarnel::test::ReadelfUnit>& units = dwarf_.units;
        for (size_t u = 0; u < units.size(); ++u) {
            const uint32_t end = u + 1 < units.size() ? units[u + 1].offset : 0xFFFFFFFF;
            std::vector<uint32_t> children;
            for (uint32_t offset : dies_.order) {
                const tarnel::test::ReadelfDie& d = dies_.dies.at(offset);
                if (offset > units[u].offset && offset < end && d.depth == 1)
                    children.push_back(offset);
            }
            if (!children.empty())
                Unit(units[u], children);
            else if (units[u].stmtList && units[u].version == 2)
                AssemblerUnit(units[u]);  // later versions (libgcc's) are not what the ELF loader reads
        }
        return w_.Bytes();
    }

private:
    static constexpr uint32_t VOID = 20;

    // The IEEE index of the type an entry refers to (DW_AT_type).
    uint32_t TypeOf(const tarnel::test::ReadelfDie& d)
    {
        if (!d.Has("DW_AT_type"))
            return VOID;
        return Index(d.Ref("DW_AT_type"));
    }

    uint32_t Index(uint32_t offset)
    {
        const tarnel::test::ReadelfDie* t = dies_.At(offset);
        if (!t)
            return VOID;
        if (t->tag == "DW_TAG_base_type") {
            if (uint32_t p = PredefinedTypeOf(t->Text("DW_AT_name")))
                return p;
        }
        if (t->tag == "DW_TAG_const_type" || t->tag == "DW_TAG_volatile_type")
            return TypeOf(*t);
        auto it = index_.find(offset);
        if (it != index_.end())
            return it->second;
        const uint32_t index = next_++;
        index_[offset] = index;
        pending_.push_back(offset);
        return index;
    }

    // A variable at a fixed address (DW_OP_addr).
    static bool IsStatic(const tarnel::test::ReadelfDie& d)
    {
        const std::vector<uint8_t> at = d.Block("DW_AT_location").value_or(std::vector<uint8_t>{});
        return d.tag == "DW_TAG_variable" && at.size() == 5 && at[0] == 0x03;
    }
    static uint32_t AddressOf(const tarnel::test::ReadelfDie& d)
    {
        const std::vector<uint8_t> at = *d.Block("DW_AT_location");
        return at[1] | at[2] << 8 | at[3] << 16 | uint32_t{at[4]} << 24;
    }

    void Discover(const tarnel::test::ReadelfDie& t)
    {
        TypeOf(t);
        for (uint32_t c : t.children)
            if (dies_.dies.at(c).tag == "DW_TAG_member")
                TypeOf(dies_.dies.at(c));
    }

    void TypeRecord(uint32_t offset)
    {
        const tarnel::test::ReadelfDie& t = dies_.dies.at(offset);
        const uint32_t index = index_.at(offset);
        const uint32_t size = static_cast<uint32_t>(t.Number("DW_AT_byte_size").value_or(0));
        w_.Name(index, t.Text("DW_AT_name"));
        if (t.tag == "DW_TAG_pointer_type") {
            w_.Type(index, index, 'P').Num(TypeOf(t));
        } else if (t.tag == "DW_TAG_typedef") {
            w_.Type(index, index, 'T').Num(TypeOf(t));
        } else if (t.tag == "DW_TAG_structure_type" || t.tag == "DW_TAG_union_type") {
            w_.Type(index, index, t.tag == "DW_TAG_structure_type" ? 'S' : 'U').Num(size);
            for (uint32_t c : t.children) {
                const tarnel::test::ReadelfDie& m = dies_.dies.at(c);
                if (m.tag != "DW_TAG_member" || m.Has("DW_AT_bit_size"))
                    continue;
                const std::vector<uint8_t> at = m.Block("DW_AT_data_member_location").value_or(std::vector<uint8_t>{});
                // DW_OP_plus_uconst with a one-byte operand covers these fixtures.
                const uint32_t where = at.size() == 2 && at[0] == 0x23 ? at[1] : 0;
                w_.Str(m.Text("DW_AT_name")).Num(TypeOf(m)).Num(where);
            }
        } else if (t.tag == "DW_TAG_array_type") {
            // int [2][3][4]: an array of 2 of an unnamed array of 3 of an array of 4.
            std::vector<uint32_t> bounds;
            for (uint32_t c : t.children)
                if (dies_.dies.at(c).tag == "DW_TAG_subrange_type")
                    bounds.push_back(static_cast<uint32_t>(dies_.dies.at(c).Number("DW_AT_upper_bound").value_or(0)));
            uint32_t element = TypeOf(t);
            for (size_t i = bounds.size(); i-- > 1;) {
                const uint32_t inner = next_++;
                w_.Name(inner, "").Type(inner, inner, 'Z').Num(element).Num(bounds[i]);
                element = inner;
            }
            w_.Name(index, "").Type(index, index, 'Z').Num(element).Num(bounds.empty() ? 0 : bounds[0]);
        } else if (t.tag == "DW_TAG_enumeration_type") {
            w_.Type(index, index, 'N').Num(size);
            for (uint32_t c : t.children) {
                const tarnel::test::ReadelfDie& e = dies_.dies.at(c);
                if (e.tag == "DW_TAG_enumerator")
                    w_.Str(e.Text("DW_AT_name")).Num(static_cast<uint32_t>(e.Number("DW_AT_const_value").value_or(0)));
            }
        } else {
            // Base types without a predefined twin, procedure types and the rest.
            w_.Type(index, index, '!').Num(size);
        }
    }

    // A unit of the assembler: a module of its own with its source lines.
    void AssemblerUnit(const tarnel::test::ReadelfUnit& unit)
    {
        w_.Begin(10, unit.name).End();
        Lines(unit);
    }

    void Lines(const tarnel::test::ReadelfUnit& unit)
    {
        if (const tarnel::test::ReadelfLineTable* t = unit.stmtList ? dwarf_.TableAt(*unit.stmtList) : nullptr) {
            w_.Begin(5, unit.name);
            for (const tarnel::test::ReadelfRow& r : t->rows)
                if (!r.endOfSequence)
                    w_.Attribute(0, 0, 7).Num(r.line).Num(0).Assign(0, r.address);
            w_.End();
        }
    }

    void Unit(const tarnel::test::ReadelfUnit& unit, const std::vector<uint32_t>& children)
    {
        // The unit's entries first, so that the type block holds every type
        // its module refers to.
        std::vector<const tarnel::test::ReadelfDie*> variables, functions;
        index_.clear();
        pending_.clear();
        next_ = 256;
        for (uint32_t c : children) {
            const tarnel::test::ReadelfDie& d = dies_.dies.at(c);
            const std::vector<uint8_t> at = d.Block("DW_AT_location").value_or(std::vector<uint8_t>{});
            if (IsStatic(d)) {
                TypeOf(d);
                variables.push_back(&d);
            } else if (d.tag == "DW_TAG_subprogram" && d.Has("DW_AT_low_pc")) {
                functions.push_back(&d);
            }
        }
        for (const tarnel::test::ReadelfDie* f : functions)
            for (uint32_t c : f->children)
                if (const tarnel::test::ReadelfDie& d = dies_.dies.at(c); IsStatic(d))
                    TypeOf(d);
        // Every type the unit's types refer to, then their records, inner
        // ones first (an array's size needs its element's).
        for (size_t i = 0; i < pending_.size(); ++i)
            Discover(dies_.dies.at(pending_[i]));
        w_.Begin(1, unit.name);
        for (size_t i = pending_.size(); i-- > 0;)
            TypeRecord(pending_[i]);
        w_.End();

        w_.Begin(3, unit.name);
        uint32_t name = 1;
        for (const tarnel::test::ReadelfDie* v : variables) {
            w_.Variable(name, v->Text("DW_AT_name"), TypeOf(*v), v->Has("DW_AT_external") ? 8 : 3)
                .Assign(name, AddressOf(*v));
            ++name;
        }
        for (const tarnel::test::ReadelfDie* f : functions) {
            const uint32_t low = static_cast<uint32_t>(f->Number("DW_AT_low_pc").value_or(0));
            const uint32_t high = static_cast<uint32_t>(f->Number("DW_AT_high_pc").value_or(low + 1));
            w_.Function(f->Has("DW_AT_external"), f->Text("DW_AT_name"), 0, VOID, low);
            for (uint32_t c : f->children) {
                const tarnel::test::ReadelfDie& d = dies_.dies.at(c);
                if (IsStatic(d)) {
                    w_.Variable(name, d.Text("DW_AT_name"), TypeOf(d), 3).Assign(name, AddressOf(d));
                    ++name;
                }
            }
            w_.EndFunction(high - 1);
        }
        w_.End();

        Lines(unit);
    }

    const tarnel::test::ReadelfDies& dies_;
    const tarnel::test::ReadelfDwarf& dwarf_;
    zk::test::Ieee695DebugWriter w_;
    std::map<uint32_t, uint32_t> index_;
    std::vector<uint32_t> pending_;
    uint32_t next_ = 256;
};

}  // namespace quentor::test
