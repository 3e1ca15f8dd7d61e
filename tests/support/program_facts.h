// What a gcc -gdwarf-2 build says about its program, through readelf
// (`--debug-dump=info,loc,rawline,decodedline`): per compile unit its name,
// directory, producer, code range and line rows; its functions with their
// parameters, locals, nested scopes and statics; its global variables; and
// the types they use (base, pointer, reference, qualifier, typedef,
// structure, union and class with members, bit fields and bases,
// enumeration, array, procedure). The writers of other debug formats
// (IEEE-695 and DWARF 1 twins of the same image) write from these facts.
//
// Variables get one location over the whole function: an address, a
// register, or the frame pointer gcc sets up (r11 in ARM code, r7 in Thumb
// code) plus an offset, the frame-base offset rebased through the entry of
// the frame base's list that names that register. A variable whose place
// changes with the address (a location list) is marked `Where::Elsewhere`.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "readelf_dies.h"
#include "readelf_dwarf.h"

namespace zk::test {

struct FactType {
    enum class Kind {
        Base,
        Pointer,
        Reference,
        Const,
        Volatile,
        Typedef,
        Structure,
        Union,
        Class,
        Enumeration,
        Array,
        Procedure,
        Other,
    };
    struct Member {
        std::string name;
        uint32_t type = 0;  // 0: void
        uint32_t offset = 0;
        uint32_t byteSize = 0;   // of the storage unit of a bit field
        uint32_t bitOffset = 0;  // from the unit's most significant bit
        uint32_t bitSize = 0;    // 0: not a bit field
    };
    struct Method {
        std::string name, linkage;
        uint32_t returns = 0;
        std::vector<uint32_t> parameters;  // without the artificial `this`
    };

    uint32_t id = 0;  // the entry's offset in .debug_info
    Kind kind = Kind::Other;
    std::string name;
    uint32_t size = 0;
    bool declaration = false;      // an incomplete structure, union or class
    uint32_t target = 0;           // pointed to, qualified, aliased, element or result type; 0: void
    std::vector<Member> members;   // structures, unions and classes
    std::vector<Member> bases;     // inherited classes (name empty)
    std::vector<Method> methods;   // member functions of classes
    std::vector<uint32_t> bounds;  // upper bound of each dimension, outermost first
    std::vector<std::pair<std::string, int64_t>> enumerators;  // in the order gcc gives them
    std::vector<uint32_t> parameters;                          // procedure types
    bool prototyped = false;
};

struct FactVariable {
    enum class Where { Address, Register, Frame, Elsewhere };
    std::string name;
    uint32_t type = 0;
    Where where = Where::Elsewhere;
    uint32_t address = 0;   // Address
    uint32_t reg = 0;       // Register; Frame: the frame register
    int32_t offset = 0;     // Frame: from the frame register
    bool external = false;  // a global seen outside its unit
    bool artificial = false;
};

struct FactScope {
    uint32_t low = 0, high = 0;  // high: the first address after the scope
    std::vector<FactVariable> variables;
    std::vector<FactScope> scopes;
};

struct FactFunction {
    std::string name, linkage;   // a member function's name with its class's
    uint32_t low = 0, high = 0;  // high: the first address after the function
    bool external = false;
    uint32_t returns = 0;        // 0: void
    uint32_t frameRegister = 0;  // 0: gcc names none
    std::vector<FactVariable> parameters;
    FactScope body;        // locals, statics and nested scopes (its range is the function's)
    bool inlined = false;  // an inlined call with a range of its own
};

struct FactUnit {
    std::string name, directory, producer;
    uint32_t low = 0, high = 0;
    bool cplusplus = false;
    std::vector<tarnel::test::ReadelfRow> rows;  // the unit's line table, in order
    std::vector<FactFunction> functions;         // with code, in entry order
    std::vector<FactVariable> globals;           // at fixed addresses, external and static
    std::vector<uint32_t> types;                 // every type entry of the unit, in entry order
};

struct ProgramFacts {
    std::vector<FactUnit> units;
    std::map<uint32_t, FactType> types;  // by id

    const FactType* Type(uint32_t id) const
    {
        auto it = types.find(id);
        return it == types.end() ? nullptr : &it->second;
    }
};

// gcc's base type names and the symbol store's predefined type indexes for
// them (which the DWARF 1 reader also takes as fundamental type codes); 0
// for a name without one.
inline uint32_t PredefinedTypeIndex(const std::string& name)
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
        {"bool", 21},
        {"long long int", 70},
        {"long long unsigned int", 72},
    };
    auto it = types.find(name);
    return it == types.end() ? 0 : it->second;
}

namespace detail {

using tarnel::test::ReadelfDie;
using tarnel::test::ReadelfDies;

inline uint32_t UnsignedOf(const ReadelfDie& d, const std::string& name, uint32_t otherwise = 0)
{
    return static_cast<uint32_t>(d.Number(name).value_or(otherwise));
}

// A member's offset: DW_OP_plus_uconst n as a block, or a plain number.
inline uint32_t MemberOffsetOf(const ReadelfDie& d)
{
    if (const std::optional<std::vector<uint8_t>> at = d.Block("DW_AT_data_member_location")) {
        if (at->empty() || (*at)[0] != 0x23)
            return 0;
        uint32_t value = 0;
        for (size_t i = 1, shift = 0; i < at->size() && shift < 32; ++i, shift += 7) {
            value |= uint32_t{(*at)[i] & 0x7Fu} << shift;
            if (!((*at)[i] & 0x80))
                break;
        }
        return value;
    }
    return UnsignedOf(d, "DW_AT_data_member_location");
}

// "DW_OP_breg11 (r11): 4" -> (11, 4).
inline std::optional<std::pair<uint32_t, int32_t>> BaseRegisterOf(const std::string& expression)
{
    const size_t at = expression.find("DW_OP_breg");
    const size_t colon = expression.find("):");
    if (at == std::string::npos || colon == std::string::npos)
        return std::nullopt;
    return std::make_pair(static_cast<uint32_t>(std::stoul(expression.substr(at + 10))),
                          static_cast<int32_t>(std::stol(expression.substr(colon + 2))));
}

// A signed LEB128 number from `bytes` at `at`.
inline int32_t Sleb(const std::vector<uint8_t>& bytes, size_t at)
{
    int64_t value = 0;
    unsigned shift = 0;
    uint8_t b = 0x80;
    while (at < bytes.size() && (b & 0x80)) {
        b = bytes[at++];
        value |= int64_t{b & 0x7F} << shift;
        shift += 7;
    }
    if (shift < 64 && (b & 0x40))
        value |= -(int64_t{1} << shift);
    return static_cast<int32_t>(value);
}

class FactsReader {
public:
    FactsReader(const ReadelfDies& dies, const tarnel::test::ReadelfDwarf& dwarf, bool bigEndian)
        : dies_(dies), dwarf_(dwarf), bigEndian_(bigEndian)
    {}

    ProgramFacts Read()
    {
        const std::vector<tarnel::test::ReadelfUnit>& units = dwarf_.units;
        for (size_t u = 0; u < units.size(); ++u) {
            const tarnel::test::ReadelfUnit& unit = units[u];
            if (unit.version != 2)
                continue;
            const uint32_t end = u + 1 < units.size() ? units[u + 1].offset : 0xFFFFFFFF;
            FactUnit f;
            f.name = unit.name;
            f.producer = unit.producer;
            f.directory = unit.directory;
            f.cplusplus = unit.producer.rfind("GNU C++", 0) == 0;
            f.low = unit.lowPc.value_or(0);
            f.high = unit.highPc.value_or(0);
            if (const tarnel::test::ReadelfLineTable* t = unit.stmtList ? dwarf_.TableAt(*unit.stmtList) : nullptr)
                f.rows = t->rows;
            for (uint32_t offset : dies_.order) {
                if (offset <= unit.offset || offset >= end)
                    continue;
                const ReadelfDie& d = dies_.dies.at(offset);
                if (IsType(d)) {
                    f.types.push_back(offset);
                    facts_.types[offset] = TypeOf(d);
                }
                if (d.depth != 1)
                    continue;
                if (d.tag == "DW_TAG_variable" && AddressOf(d)) {
                    FactVariable v = VariableOf(d, 0);
                    v.external = d.Has("DW_AT_external") || DeclarationOf(d).Has("DW_AT_external");
                    f.globals.push_back(v);
                } else if (d.tag == "DW_TAG_subprogram" && d.Has("DW_AT_low_pc")) {
                    // A function, then the inlined calls in it (a function each).
                    const int32_t frameOffset = frameOffset_;
                    inlined_.clear();
                    f.functions.push_back(FunctionOf(d));
                    for (size_t i = 0; i < inlined_.size(); ++i) {
                        const ReadelfDie& call = *inlined_[i];
                        FactFunction in = FunctionOf(call, &f.functions.back());
                        in.inlined = true;
                        f.functions.push_back(std::move(in));
                    }
                    frameOffset_ = frameOffset;
                } else if (d.tag == "DW_TAG_namespace") {
                    Namespace(d, f);
                }
            }
            facts_.units.push_back(std::move(f));
        }
        return std::move(facts_);
    }

private:
    static bool IsType(const ReadelfDie& d)
    {
        static const char* const TAGS[] = {
            "DW_TAG_base_type",     "DW_TAG_pointer_type",     "DW_TAG_reference_type", "DW_TAG_const_type",
            "DW_TAG_volatile_type", "DW_TAG_typedef",          "DW_TAG_structure_type", "DW_TAG_union_type",
            "DW_TAG_class_type",    "DW_TAG_enumeration_type", "DW_TAG_array_type",     "DW_TAG_subroutine_type",
        };
        return std::find(std::begin(TAGS), std::end(TAGS), d.tag) != std::end(TAGS);
    }

    // The declaration an entry completes (DW_AT_specification,
    // DW_AT_abstract_origin), else the entry itself.
    const ReadelfDie& DeclarationOf(const ReadelfDie& d) const
    {
        for (const char* a : {"DW_AT_specification", "DW_AT_abstract_origin"})
            if (const ReadelfDie* s = d.Has(a) ? dies_.At(d.Ref(a)) : nullptr)
                return DeclarationOf(*s);
        return d;
    }

    std::string NameOf(const ReadelfDie& d) const
    {
        return d.Has("DW_AT_name") ? d.Text("DW_AT_name") : DeclarationOf(d).Text("DW_AT_name");
    }

    std::string LinkageOf(const ReadelfDie& d) const
    {
        for (const ReadelfDie* e : {&d, &DeclarationOf(d)})
            for (const char* a : {"DW_AT_linkage_name", "DW_AT_MIPS_linkage_name"})
                if (e->Has(a))
                    return e->Text(a);
        return {};
    }

    uint32_t TypeRef(const ReadelfDie& d) const
    {
        if (d.Has("DW_AT_type"))
            return d.Ref("DW_AT_type");
        const ReadelfDie& s = DeclarationOf(d);
        return s.Has("DW_AT_type") ? s.Ref("DW_AT_type") : 0;
    }

    // DW_OP_addr a.
    std::optional<uint32_t> AddressOf(const ReadelfDie& d) const
    {
        const std::optional<std::vector<uint8_t>> at = d.Block("DW_AT_location");
        if (!at || at->size() != 5 || (*at)[0] != 0x03)
            return std::nullopt;
        // readelf prints the bytes in file order: little-endian fixtures
        // and big-endian ones differ here.
        const std::vector<uint8_t>& b = *at;
        return bigEndian_ ? uint32_t{b[1]} << 24 | b[2] << 16 | b[3] << 8 | b[4]
                          : b[1] | b[2] << 8 | b[3] << 16 | uint32_t{b[4]} << 24;
    }

    FactVariable VariableOf(const ReadelfDie& d, const FactFunction* function) const
    {
        FactVariable v;
        v.name = NameOf(d);
        v.type = TypeRef(d);
        v.artificial = d.Has("DW_AT_artificial");
        const std::optional<std::vector<uint8_t>> at = d.Block("DW_AT_location");
        if (const std::optional<uint32_t> address = AddressOf(d)) {
            v.where = FactVariable::Where::Address;
            v.address = *address;
        } else if (at && at->size() == 1 && (*at)[0] >= 0x50 && (*at)[0] <= 0x6F) {
            v.where = FactVariable::Where::Register;
            v.reg = (*at)[0] - 0x50u;
        } else if (at && at->size() >= 2 && (*at)[0] == 0x91 && function && function->frameRegister) {
            v.where = FactVariable::Where::Frame;
            v.reg = function->frameRegister;
            v.offset = Sleb(*at, 1) + frameOffset_;
        }
        return v;
    }

    // The frame base: a register (DW_OP_regN), or the entry of its list that
    // names r11 or r7 (gcc's frame pointers of ARM and Thumb code).
    void FrameOf(const ReadelfDie& d, FactFunction& f)
    {
        frameOffset_ = 0;
        if (const std::optional<std::vector<uint8_t>> at = d.Block("DW_AT_frame_base")) {
            if (at->size() == 1 && ((*at)[0] == 0x5B || (*at)[0] == 0x57))
                f.frameRegister = (*at)[0] - 0x50u;
            return;
        }
        const std::optional<uint32_t> list = d.LocationList("DW_AT_frame_base");
        auto it = list ? dies_.lists.find(*list) : dies_.lists.end();
        if (it == dies_.lists.end())
            return;
        for (const tarnel::test::ReadelfLocation& l : it->second)
            if (const auto base = BaseRegisterOf(l.expression); base && (base->first == 11 || base->first == 7)) {
                f.frameRegister = base->first;
                frameOffset_ = base->second;
                return;
            }
    }

    void ScopeOf(const ReadelfDie& d, FactFunction& f, FactScope& scope)
    {
        for (uint32_t c : d.children) {
            const ReadelfDie& e = dies_.dies.at(c);
            if (e.tag == "DW_TAG_formal_parameter" && &scope == &f.body) {
                f.parameters.push_back(VariableOf(e, &f));
            } else if (e.tag == "DW_TAG_variable") {
                scope.variables.push_back(VariableOf(e, &f));
            } else if (e.tag == "DW_TAG_inlined_subroutine" &&
                       UnsignedOf(e, "DW_AT_low_pc") < UnsignedOf(e, "DW_AT_high_pc")) {
                inlined_.push_back(&e);
            } else if (e.tag == "DW_TAG_lexical_block") {
                FactScope inner;
                inner.low = UnsignedOf(e, "DW_AT_low_pc");
                inner.high = UnsignedOf(e, "DW_AT_high_pc");
                ScopeOf(e, f, inner);
                scope.scopes.push_back(std::move(inner));
            }
        }
    }

    // A function, or an inlined call (in `caller`, whose frame it shares).
    FactFunction FunctionOf(const ReadelfDie& d, const FactFunction* caller = nullptr)
    {
        FactFunction f;
        f.name = NameOf(d);
        // A member function is named by its class ("Counter::Add").
        if (const ReadelfDie* owner = dies_.At(DeclarationOf(d).parent);
            owner && (owner->tag == "DW_TAG_class_type" || owner->tag == "DW_TAG_structure_type"))
            f.name = owner->Text("DW_AT_name") + "::" + f.name;
        f.linkage = LinkageOf(d);
        f.low = UnsignedOf(d, "DW_AT_low_pc");
        f.high = UnsignedOf(d, "DW_AT_high_pc", f.low + 1);
        f.external = d.Has("DW_AT_external") || DeclarationOf(d).Has("DW_AT_external");
        f.returns = TypeRef(d);
        if (caller)
            f.frameRegister = caller->frameRegister;
        else
            FrameOf(d, f);
        f.body.low = f.low;
        f.body.high = f.high;
        ScopeOf(d, f, f.body);
        return f;
    }

    void Namespace(const ReadelfDie& d, FactUnit& f)
    {
        for (uint32_t c : d.children) {
            const ReadelfDie& e = dies_.dies.at(c);
            if (e.tag == "DW_TAG_variable" && AddressOf(e))
                f.globals.push_back(VariableOf(e, nullptr));
            else if (e.tag == "DW_TAG_namespace")
                Namespace(e, f);
        }
    }

    FactType TypeOf(const ReadelfDie& d) const
    {
        using Kind = FactType::Kind;
        static const std::map<std::string, Kind> KINDS = {
            {"DW_TAG_base_type", Kind::Base},           {"DW_TAG_pointer_type", Kind::Pointer},
            {"DW_TAG_reference_type", Kind::Reference}, {"DW_TAG_const_type", Kind::Const},
            {"DW_TAG_volatile_type", Kind::Volatile},   {"DW_TAG_typedef", Kind::Typedef},
            {"DW_TAG_structure_type", Kind::Structure}, {"DW_TAG_union_type", Kind::Union},
            {"DW_TAG_class_type", Kind::Class},         {"DW_TAG_enumeration_type", Kind::Enumeration},
            {"DW_TAG_array_type", Kind::Array},         {"DW_TAG_subroutine_type", Kind::Procedure},
        };
        FactType t;
        t.id = d.offset;
        t.kind = KINDS.at(d.tag);
        t.name = d.Text("DW_AT_name");
        t.size = UnsignedOf(d, "DW_AT_byte_size");
        t.declaration = d.Has("DW_AT_declaration");
        t.target = TypeRef(d);
        t.prototyped = d.Has("DW_AT_prototyped");
        for (uint32_t c : d.children) {
            const ReadelfDie& e = dies_.dies.at(c);
            if (e.tag == "DW_TAG_member") {
                if (e.Has("DW_AT_external"))
                    continue;  // a static member: no place in the object
                FactType::Member m;
                m.name = e.Text("DW_AT_name");
                m.type = TypeRef(e);
                m.offset = MemberOffsetOf(e);
                m.bitSize = UnsignedOf(e, "DW_AT_bit_size");
                m.bitOffset = UnsignedOf(e, "DW_AT_bit_offset");
                m.byteSize = UnsignedOf(e, "DW_AT_byte_size");
                t.members.push_back(m);
            } else if (e.tag == "DW_TAG_inheritance") {
                t.bases.push_back({"", TypeRef(e), MemberOffsetOf(e)});
            } else if (e.tag == "DW_TAG_subprogram") {
                FactType::Method m{e.Text("DW_AT_name"), LinkageOf(e), TypeRef(e), {}};
                for (uint32_t p : e.children)
                    if (const ReadelfDie& q = dies_.dies.at(p);
                        q.tag == "DW_TAG_formal_parameter" && !q.Has("DW_AT_artificial"))
                        m.parameters.push_back(TypeRef(q));
                t.methods.push_back(m);
            } else if (e.tag == "DW_TAG_subrange_type") {
                t.bounds.push_back(UnsignedOf(e, "DW_AT_upper_bound"));
            } else if (e.tag == "DW_TAG_enumerator") {
                t.enumerators.emplace_back(e.Text("DW_AT_name"), e.Number("DW_AT_const_value").value_or(0));
            } else if (e.tag == "DW_TAG_formal_parameter") {
                t.parameters.push_back(TypeRef(e));
            }
        }
        return t;
    }

    const ReadelfDies& dies_;
    const tarnel::test::ReadelfDwarf& dwarf_;
    const bool bigEndian_;
    ProgramFacts facts_;
    int32_t frameOffset_ = 0;                 // what the frame base adds to the frame register
    std::vector<const ReadelfDie*> inlined_;  // the inlined calls met in a function
};

}  // namespace detail

// The facts of readelf's listings of one image; bigEndian: the image's byte
// order (readelf prints address blocks in file order).
inline ProgramFacts ProgramFactsOf(const tarnel::test::ReadelfDies& dies, const tarnel::test::ReadelfDwarf& dwarf,
                                   bool bigEndian = false)
{
    return detail::FactsReader(dies, dwarf, bigEndian).Read();
}

inline ProgramFacts ProgramFactsOf(const std::string& image, bool bigEndian = false)
{
    return ProgramFactsOf(tarnel::test::ReadelfDiesOf(image), tarnel::test::ReadelfDwarfOf(image), bigEndian);
}

}  // namespace zk::test
