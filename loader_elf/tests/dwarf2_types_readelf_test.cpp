// The DWARF 2 type, function and variable readers on programs compiled by
// arm-none-eabi-gcc 12 (C and C++, ARM and Thumb, -O0 and -O2), entry by
// entry against `readelf --debug-dump=info,loc` and `readelf -s`: every type
// entry's quinar type (members, offsets, bit fields, access, enumerators,
// dimensions, targets), every function with its code range, frame base,
// parameters and locals (their location descriptions as readelf decodes
// them), and the addresses of the globals.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "quinar/listing.h"
#include "quinar/quinar.h"
#include "quinar_rows.h"
#include "readelf_dies.h"
#include "tarnel_fixture.h"

namespace tarnel::test {
namespace {

using zk::test::FixturePath;

// An expression as readelf decodes it ("DW_OP_breg13 (r13): 0"), for the
// operations gcc writes into strict DWARF 2; "?" for others.
std::string ReadelfExpression(const uint8_t* p, uint32_t n)
{
    std::string text;
    uint32_t at = 0;
    auto uleb = [&] {
        uint64_t v = 0;
        for (unsigned shift = 0; at < n; shift += 7) {
            const uint8_t b = p[at++];
            v |= uint64_t{b & 0x7Fu} << shift;
            if (!(b & 0x80))
                break;
        }
        return v;
    };
    auto sleb = [&] {
        int64_t v = 0;
        unsigned shift = 0;
        uint8_t b = 0;
        do {
            b = p[at++];
            v |= static_cast<int64_t>(uint64_t{b & 0x7Fu} << shift);
            shift += 7;
        } while (at < n && (b & 0x80));
        if (shift < 64 && (b & 0x40))
            v |= -(int64_t{1} << shift);
        return v;
    };
    while (at < n) {
        const uint8_t op = p[at++];
        std::string one;
        char buffer[64];
        if (op >= 0x50 && op <= 0x6F) {
            std::snprintf(buffer, sizeof buffer, "DW_OP_reg%d (r%d)", op - 0x50, op - 0x50);
        } else if (op >= 0x70 && op <= 0x8F) {
            std::snprintf(buffer, sizeof buffer, "DW_OP_breg%d (r%d): %lld", op - 0x70, op - 0x70,
                          static_cast<long long>(sleb()));
        } else if (op >= 0x30 && op <= 0x4F) {
            std::snprintf(buffer, sizeof buffer, "DW_OP_lit%d", op - 0x30);
        } else if (op == 0x91) {
            std::snprintf(buffer, sizeof buffer, "DW_OP_fbreg: %lld", static_cast<long long>(sleb()));
        } else if (op == 0x93) {
            std::snprintf(buffer, sizeof buffer, "DW_OP_piece: %llu", static_cast<unsigned long long>(uleb()));
        } else if (op == 0x23) {
            std::snprintf(buffer, sizeof buffer, "DW_OP_plus_uconst: %llu", static_cast<unsigned long long>(uleb()));
        } else if (op == 0x03 && at + 4 <= n) {
            const uint32_t a = p[at] | p[at + 1] << 8 | p[at + 2] << 16 | static_cast<uint32_t>(p[at + 3]) << 24;
            at += 4;
            std::snprintf(buffer, sizeof buffer, "DW_OP_addr: %x", a);
        } else {
            return text + (text.empty() ? "?" : "; ?");
        }
        text += (text.empty() ? "" : "; ") + std::string(buffer);
    }
    return text;
}

std::vector<SymLocationPiece> PiecesOf(uint32_t handle)
{
    std::vector<SymLocationPiece> pieces;
    SymLocationPiece p{};
    for (uint32_t n = 0; SymGetLocationPiece(handle, n, &p) == SYM_OK; ++n)
        pieces.push_back(p);
    return pieces;
}

class Dwarf2TypesReadelfTest : public ::testing::TestWithParam<const char*>, protected LoadSurroundings {
protected:
    void SetUp() override
    {
        BeginLoads();
        image = FixturePath(GetParam());
        dies = ReadelfDiesOf(image);
        // The entry -> type map as the pass leaves it (after the fix-up of
        // pointer targets), taken in the stabs slot, which runs next.
        Readers().stabs = [this](ReaderCall&) {
            for (const auto& [offset, entry] : State().tables.dwarf2Types)
                typeOf[offset] = entry.typeIndex;
            return LDR_OK;
        };
        ASSERT_EQ(LdrLoadWinElf(image.c_str(), 1, LDR_FLAG_SYMBOLS, Window()), LDR_OK);
        // The start-up code's assembler units are DWARF 5: counted, not damage.
        for (const std::string& m : LoadMessages())
            EXPECT_NE(m.find("of DWARF 3, 4 or 5 skipped: built with -gdwarf-2"), std::string::npos) << m;
        std::string type;
        for (const std::string& row : quinar::ListTypesWithItems()) {
            if (row.rfind("  ", 0) == 0)
                items[type].push_back(row.substr(2));
            else
                type = row.substr(0, row.find(' '));
        }
    }
    void TearDown() override { EndLoads(); }

    uint32_t TypeOf(uint32_t offset) const
    {
        auto it = typeOf.find(offset);
        return it == typeOf.end() ? 0 : it->second;
    }
    const std::vector<std::string>& ItemsOf(uint32_t index)
    {
        char key[16];
        std::snprintf(key, sizeof key, "%x", index);
        return items[key];
    }
    // A row of ListTypesWithItems' type line: " bound 3 of 10004".
    static std::string TypeRow(uint32_t index)
    {
        char key[16];
        std::snprintf(key, sizeof key, "%x ", index);
        for (const std::string& row : quinar::ListTypesWithItems())
            if (row.rfind(key, 0) == 0)
                return row;
        return {};
    }

    // The entry's own attribute, else that of its specification or abstract origin.
    std::string Inherited(const ReadelfDie& die, const std::string& name) const
    {
        const ReadelfDie* d = &die;
        for (int step = 0; d && step < 8; ++step) {
            if (d->Has(name))
                return d->Text(name);
            const uint32_t next =
                d->Ref(d->Has("DW_AT_specification") ? "DW_AT_specification" : "DW_AT_abstract_origin");
            d = next ? dies.At(next) : nullptr;
        }
        return {};
    }
    uint32_t InheritedType(const ReadelfDie& die) const
    {
        const std::string t = Inherited(die, "DW_AT_type");
        return t.empty() ? 0 : static_cast<uint32_t>(std::stoul(t.substr(1), nullptr, 0));
    }
    // A function's name as a debugger shows it: a member function's
    // declaration lies in its class, whose name qualifies it.
    std::string FunctionName(const ReadelfDie& die) const
    {
        const ReadelfDie* d = &die;
        for (int step = 0; d && step < 8; ++step) {
            if (d->Has("DW_AT_name")) {
                const ReadelfDie* parent = d->parent ? dies.At(d->parent) : nullptr;
                if (parent && (parent->tag == "DW_TAG_class_type" || parent->tag == "DW_TAG_structure_type"))
                    return Inherited(*parent, "DW_AT_name") + "::" + d->Text("DW_AT_name");
                return d->Text("DW_AT_name");
            }
            const uint32_t next =
                d->Ref(d->Has("DW_AT_specification") ? "DW_AT_specification" : "DW_AT_abstract_origin");
            d = next ? dies.At(next) : nullptr;
        }
        return {};
    }

    // What a location attribute must have become in quinar.
    void ExpectLocation(const ReadelfDie& die, const std::string& attribute, uint32_t handle, uint32_t blockLow,
                        uint32_t blockHigh, uint32_t functionLow, uint32_t functionHigh)
    {
        const std::vector<SymLocationPiece> pieces = PiecesOf(handle);
        EXPECT_NE(DetailsOf(handle).flags & SYM_FLAG_LOCATION_LIST, 0u);
        if (const auto block = die.Block(attribute)) {
            ASSERT_EQ(pieces.size(), 1u);
            EXPECT_EQ(std::vector<uint8_t>(pieces[0].expr, pieces[0].expr + pieces[0].length), *block);
            EXPECT_EQ(pieces[0].low, blockLow);
            EXPECT_EQ(pieces[0].high, blockHigh);
        } else if (const auto list = die.LocationList(attribute)) {
            std::vector<ReadelfLocation> expected = dies.lists[*list];
            // readelf adds the unit's low_pc to every list. gcc's units with
            // code in several sections (main in .text.startup, inline C++
            // members) keep that low_pc yet write absolute addresses: such
            // a list lies outside its function, and inside it without.
            auto inFunction = [&](uint32_t base) {
                for (const ReadelfLocation& e : expected)
                    if (e.begin - base < functionLow || e.end - base > functionHigh)
                        return false;
                return true;
            };
            if (!inFunction(0) && inFunction(die.unitLowPc))
                for (ReadelfLocation& e : expected) {
                    e.begin -= die.unitLowPc;
                    e.end -= die.unitLowPc;
                }
            ASSERT_EQ(pieces.size(), expected.size()) << "list at 0x" << std::hex << *list;
            for (size_t i = 0; i < expected.size(); ++i) {
                EXPECT_EQ(pieces[i].low, expected[i].begin) << i;
                EXPECT_EQ(pieces[i].high, expected[i].end) << i;
                EXPECT_EQ(ReadelfExpression(pieces[i].expr, pieces[i].length), expected[i].expression) << i;
            }
        } else if (attribute == "DW_AT_location" && die.Has("DW_AT_const_value")) {
            // A constant: it holds in its block (no expression), its value
            // beside the location.
            ASSERT_EQ(pieces.size(), 1u);
            EXPECT_EQ(pieces[0].length, 0u);
            EXPECT_EQ(pieces[0].low, blockLow);
            EXPECT_EQ(pieces[0].high, blockHigh);
        } else {
            EXPECT_TRUE(pieces.empty());
        }
    }

    // Members (and, of a class, member functions) in entry order.
    void ExpectStructure(const ReadelfDie& die, uint32_t index)
    {
        char name[SYM_TYPE_NAME_SIZE] = {};
        const SymTypeDesc d = TypeRecordOf(index, name);
        bool isClass = die.tag == "DW_TAG_class_type";
        for (uint32_t c : die.children)
            isClass = isClass || dies.At(c)->tag == "DW_TAG_subprogram" || dies.At(c)->tag == "DW_TAG_inheritance";
        EXPECT_EQ(d.code, isClass ? SYM_TYPE_CLASS : die.tag == "DW_TAG_union_type" ? SYM_TYPE_UNION : SYM_TYPE_STRUCT);
        EXPECT_EQ(d.size, die.Number("DW_AT_byte_size"));
        // A definition apart from its declaration has the declaration's name.
        const std::string typeName = Inherited(die, "DW_AT_name");
        EXPECT_EQ(name, typeName);
        uint32_t n = 0;
        for (uint32_t c : die.children) {
            const ReadelfDie& m = *dies.At(c);
            char memberName[SYM_MEMBER_NAME_SIZE] = {};
            if (m.tag == "DW_TAG_subprogram" && isClass) {
                SymClassMemberInfo info{memberName};
                ASSERT_EQ(SymGetTypeClassNth(index, n++, &info), SYM_OK);
                EXPECT_EQ(info.isFunction, 1u);
                EXPECT_EQ(memberName, typeName + "::" + m.Text("DW_AT_name"));
                continue;
            }
            if (m.tag != "DW_TAG_member")
                continue;
            SCOPED_TRACE(m.Text("DW_AT_name"));
            // DW_OP_plus_uconst and its ULEB128 offset; union members have none.
            uint32_t offset = 0;
            if (const auto location = m.Block("DW_AT_data_member_location")) {
                EXPECT_EQ((*location)[0], 0x23);
                for (size_t i = 1, shift = 0; i < location->size(); ++i, shift += 7)
                    offset |= ((*location)[i] & 0x7Fu) << shift;
            }
            uint32_t type = 0;
            if (isClass) {
                SymClassMemberInfo info{memberName};
                ASSERT_EQ(SymGetTypeClassNth(index, n++, &info), SYM_OK);
                EXPECT_EQ(info.isFunction, 0u);
                EXPECT_EQ(info.offset, offset);
                const int64_t access = m.Number("DW_AT_accessibility").value_or(1);
                EXPECT_EQ(info.access,
                          access == 2       ? SYM_ACCESS_PROTECTED
                              : access == 3 ? SYM_ACCESS_PRIVATE
                                            : SYM_ACCESS_PUBLIC);
                type = info.type;
            } else {
                SymMemberInfo info{memberName};
                ASSERT_EQ(SymGetStructMember(index, n++, &info), SYM_OK);
                EXPECT_EQ(info.offset, offset);
                EXPECT_EQ(info.bitOffset, m.Number("DW_AT_bit_offset").value_or(0));
                EXPECT_EQ(info.bitSize, m.Number("DW_AT_bit_size").value_or(0));
                type = info.type;
            }
            EXPECT_EQ(memberName, m.Text("DW_AT_name"));
            if (m.Has("DW_AT_bit_size")) {
                // A bit field: a bit-field type over the member's type.
                const SymTypeDesc field = TypeRecordOf(type);
                EXPECT_EQ(field.code, SYM_TYPE_BITFIELD);
                EXPECT_EQ(field.link, TypeOf(m.Ref("DW_AT_type")));
                EXPECT_EQ(field.size, m.Number("DW_AT_byte_size"));
            } else {
                EXPECT_EQ(type, TypeOf(m.Ref("DW_AT_type")));
            }
        }
        SymClassMemberInfo after{};
        SymMemberInfo afterMember{};
        EXPECT_EQ(isClass ? SymGetTypeClassNth(index, n, &after) : SymGetStructMember(index, n, &afterMember),
                  SYM_E_NOT_FOUND);
    }

    std::string image;
    ReadelfDies dies;
    std::unordered_map<uint32_t, uint32_t> typeOf;
    std::map<std::string, std::vector<std::string>> items;
};

TEST_P(Dwarf2TypesReadelfTest, EveryTypeEntryIsItsQuinarType)
{
    size_t checked = 0;
    for (uint32_t offset : dies.order) {
        const ReadelfDie& die = dies.dies.at(offset);
        SCOPED_TRACE(testing::Message() << die.tag << " <0x" << std::hex << offset << "> " << die.Text("DW_AT_name"));
        const uint32_t index = TypeOf(offset);
        const uint32_t target = die.Ref("DW_AT_type");
        char name[SYM_TYPE_NAME_SIZE] = {};
        if (die.tag == "DW_TAG_base_type") {
            ASSERT_NE(index, 0u);
            EXPECT_EQ(TypeRecordOf(index).size, die.Number("DW_AT_byte_size"));
        } else if (die.tag == "DW_TAG_pointer_type" || die.tag == "DW_TAG_reference_type") {
            uint32_t pointee = 0xDEAD;
            ASSERT_EQ(SymGetPointerTarget(index, &pointee), SYM_OK);
            EXPECT_EQ(pointee, TypeOf(target));
        } else if (die.tag == "DW_TAG_const_type" || die.tag == "DW_TAG_volatile_type") {
            EXPECT_EQ(index, TypeOf(target));
        } else if (die.tag == "DW_TAG_typedef") {
            const SymTypeDesc d = TypeRecordOf(index, name);
            EXPECT_EQ(d.code, SYM_TYPE_TYPEDEF);
            EXPECT_EQ(name, die.Text("DW_AT_name"));
            EXPECT_EQ(d.link, TypeOf(target));
        } else if (die.tag == "DW_TAG_subroutine_type") {
            const SymTypeDesc d = TypeRecordOf(index);
            EXPECT_EQ(d.code, SYM_TYPE_PROC);
            EXPECT_EQ(d.link, die.Has("DW_AT_type") ? TypeOf(target) : SYM_TYPE_VOID);
            std::vector<std::string> params;
            for (uint32_t c : die.children)
                if (dies.At(c)->tag == "DW_TAG_formal_parameter") {
                    char row[32];
                    std::snprintf(row, sizeof row, "param type %x", TypeOf(dies.At(c)->Ref("DW_AT_type")));
                    params.push_back(row);
                }
            EXPECT_EQ(ItemsOf(index), params);
        } else if (die.tag == "DW_TAG_enumeration_type") {
            std::vector<std::string> enumerators;
            for (uint32_t c : die.children)
                enumerators.push_back("enumerator " + dies.At(c)->Text("DW_AT_name") + " " +
                                      std::to_string(*dies.At(c)->Number("DW_AT_const_value")));
            EXPECT_EQ(ItemsOf(index), enumerators);
        } else if (die.tag == "DW_TAG_array_type") {
            // One type per dimension, outermost first, each holding the next.
            uint32_t dimension = index;
            for (uint32_t c : die.children) {
                const std::string row = TypeRow(dimension);
                const size_t bound = row.find(" bound ");
                ASSERT_NE(bound, std::string::npos) << row;
                EXPECT_EQ(std::stoll(row.substr(bound + 7)),
                          dies.At(c)->Number("DW_AT_upper_bound").value_or(0xFFFFFFFF));
                dimension = static_cast<uint32_t>(std::stoul(row.substr(row.find(" of ", bound) + 4), nullptr, 16));
            }
            EXPECT_EQ(dimension, TypeOf(target));
        } else if ((die.tag == "DW_TAG_structure_type" || die.tag == "DW_TAG_union_type" ||
                    die.tag == "DW_TAG_class_type") &&
                   die.Has("DW_AT_byte_size")) {
            ExpectStructure(die, index);
        } else {
            continue;
        }
        ++checked;
    }
    EXPECT_GT(checked, 10u);
}

TEST_P(Dwarf2TypesReadelfTest, FunctionsHaveTheirRangesFrameBasesParametersAndLocals)
{
    size_t functions = 0, variables = 0;
    for (uint32_t offset : dies.order) {
        const ReadelfDie& die = dies.dies.at(offset);
        if ((die.tag != "DW_TAG_subprogram" && die.tag != "DW_TAG_inlined_subroutine") || !die.Has("DW_AT_low_pc"))
            continue;
        const uint32_t low = static_cast<uint32_t>(*die.Number("DW_AT_low_pc"));
        const uint32_t high = static_cast<uint32_t>(*die.Number("DW_AT_high_pc"));
        if (high <= low)
            continue;  // an inlined call whose code was optimized away: no function
        SCOPED_TRACE(testing::Message() << die.tag << " <0x" << std::hex << offset << "> " << FunctionName(die) << " "
                                        << low << "-" << high);
        // The function of that range: the innermost one at its first
        // address, or one that encloses it.
        uint32_t function = 0;
        ASSERT_EQ(SymGetAddrInfo(SYM_ADDR_CODE, low, nullptr, nullptr, nullptr, nullptr, &function, nullptr), SYM_OK);
        while (function != 0 && (DetailsOf(function).start != low || DetailsOf(function).end != high - 1))
            function = DetailsOf(function).scope;
        ASSERT_NE(function, 0u);
        const SymbolDetails f = DetailsOf(function);
        EXPECT_EQ(f.kind, SYM_KIND_FUNCTION);
        uint32_t named = 0;
        EXPECT_EQ(SymLookupNamedSymbol(function, FunctionName(die).c_str(), &named), SYM_OK);
        ++functions;
        if (die.Has("DW_AT_frame_base"))
            ExpectLocation(die, "DW_AT_frame_base", function, 0, 0xFFFFFFFF, low, high);

        // Parameters first, then the locals of the body and its blocks.
        struct Expected {
            const ReadelfDie* die;
            uint32_t blockLow, blockHigh;
        };
        std::vector<Expected> expected;
        for (uint32_t c : die.children)
            if (dies.At(c)->tag == "DW_TAG_formal_parameter" && !Inherited(*dies.At(c), "DW_AT_name").empty())
                expected.push_back({dies.At(c), 0, 0xFFFFFFFF});
        std::vector<Expected> open{{&die, 0, 0xFFFFFFFF}};
        auto walk = [&](auto&& self, const Expected& at) -> void {
            for (uint32_t c : at.die->children) {
                const ReadelfDie* child = dies.At(c);
                if (child->tag == "DW_TAG_variable" && !child->Has("DW_AT_declaration") &&
                    !child->Has("DW_AT_external"))
                    expected.push_back({child, at.blockLow, at.blockHigh});
                if (child->tag == "DW_TAG_lexical_block") {
                    Expected inner{child, at.blockLow, at.blockHigh};
                    if (child->Has("DW_AT_low_pc")) {
                        inner.blockLow = std::max(at.blockLow, static_cast<uint32_t>(*child->Number("DW_AT_low_pc")));
                        inner.blockHigh =
                            std::min(at.blockHigh, static_cast<uint32_t>(*child->Number("DW_AT_high_pc")));
                    }
                    self(self, inner);
                }
            }
        };
        walk(walk, open[0]);

        for (size_t n = 0; n <= expected.size(); ++n) {
            uint32_t variable = 0;
            char name[SYM_MEMBER_NAME_SIZE] = {};
            const SymResult r = SymGetFunctionVariable(function, static_cast<uint32_t>(n), &variable, name);
            if (n == expected.size()) {
                EXPECT_EQ(r, SYM_E_NOT_FOUND) << "more variables than readelf shows: " << name;
                break;
            }
            const ReadelfDie& v = *expected[n].die;
            SCOPED_TRACE(testing::Message() << "variable <0x" << std::hex << v.offset << "> " << name);
            ASSERT_EQ(r, SYM_OK);
            EXPECT_EQ(name, Inherited(v, "DW_AT_name"));
            const SymbolDetails d = DetailsOf(variable);
            EXPECT_EQ(d.type, TypeOf(InheritedType(v)));
            const auto block = v.Block("DW_AT_location");
            if (block && (*block)[0] == 0x03) {
                // A static of the function, at its address.
                EXPECT_EQ(d.attribute, SYM_ATTR_STATIC);
                EXPECT_EQ(d.start, (*block)[1] | (*block)[2] << 8 | (*block)[3] << 16 | uint32_t{(*block)[4]} << 24);
            } else {
                ExpectLocation(v, "DW_AT_location", variable, expected[n].blockLow, expected[n].blockHigh, low, high);
                // The words of the location: a frame offset, or a register.
                if (block && (*block)[0] == 0x91) {
                    EXPECT_EQ(d.attribute, SYM_ATTR_FRAME);
                    EXPECT_EQ(static_cast<int32_t>(d.location), static_cast<int8_t>((*block)[1] << 1) >> 1);
                } else if (block && (*block)[0] >= 0x50 && (*block)[0] <= 0x6F) {
                    EXPECT_EQ(d.attribute, SYM_ATTR_REGISTER);
                    EXPECT_EQ(d.location, (*block)[0] - 0x50u);
                }
            }
            ++variables;
        }
    }
    EXPECT_GT(functions, 2u);
    EXPECT_GT(variables, 2u);
}

TEST_P(Dwarf2TypesReadelfTest, GlobalsAndStaticsLieWhereTheSymbolTableSays)
{
    std::map<std::string, ReadelfSymbol> objects;
    // (A static in .bss may be a NOTYPE symbol.)
    for (const ReadelfSymbol& s : ReadelfSymbols(image))
        if (s.type == "OBJECT" || s.type == "NOTYPE")
            objects[s.name] = s;
    size_t checked = 0;
    for (uint32_t offset : dies.order) {
        const ReadelfDie& die = dies.dies.at(offset);
        const auto block = die.Block("DW_AT_location");
        if (die.depth != 1 || die.tag != "DW_TAG_variable" || !block || (*block)[0] != 0x03)
            continue;
        const std::string name = Inherited(die, "DW_AT_name");
        // The symbol table names a variable of a namespace by its mangled name.
        const std::string linkage = Inherited(die, "DW_AT_MIPS_linkage_name");
        const std::string symbol = linkage.empty() ? name : linkage;
        SCOPED_TRACE(name);
        ASSERT_TRUE(objects.count(symbol));
        uint32_t handle = 0;
        ASSERT_EQ(SymLookupNamedSymbol(0, name.c_str(), &handle), SYM_OK);
        const SymbolDetails d = DetailsOf(handle);
        EXPECT_EQ(d.start, objects[symbol].value);
        EXPECT_EQ(d.attribute, Inherited(die, "DW_AT_external").empty() ? SYM_ATTR_STATIC : SYM_ATTR_EXTERNAL);
        EXPECT_EQ(d.type, TypeOf(InheritedType(die)));
        ++checked;
    }
    EXPECT_GE(checked, 2u);
}

// A static inside an inline function's abstract instance (no code of its
// own) is one variable for all the inlined copies: the module holds it, at
// the address of its location.
TEST_P(Dwarf2TypesReadelfTest, StaticsOfInlinedFunctionsAreModuleStatics)
{
    for (uint32_t offset : dies.order) {
        const ReadelfDie& die = dies.dies.at(offset);
        const auto block = die.Block("DW_AT_location");
        if (die.tag != "DW_TAG_variable" || !block || (*block)[0] != 0x03 || die.parent == 0)
            continue;
        const ReadelfDie* function = dies.At(die.parent);
        while (function && function->tag == "DW_TAG_lexical_block")
            function = dies.At(function->parent);
        if (!function || !function->Has("DW_AT_inline") || function->Has("DW_AT_low_pc"))
            continue;
        const std::string name = Inherited(die, "DW_AT_name");
        SCOPED_TRACE(name);
        uint32_t handle = 0;
        ASSERT_EQ(SymLookupNamedSymbol(0, name.c_str(), &handle), SYM_OK);
        const SymbolDetails d = DetailsOf(handle);
        EXPECT_EQ(d.attribute, SYM_ATTR_STATIC);
        EXPECT_EQ(d.start, (*block)[1] | (*block)[2] << 8 | (*block)[3] << 16 | uint32_t{(*block)[4]} << 24);
        EXPECT_EQ(d.type, TypeOf(InheritedType(die)));
    }
    if (std::string(GetParam()).rfind("d2_inlined", 0) == 0) {
        uint32_t handle = 0;
        EXPECT_EQ(SymLookupNamedSymbol(0, "calls", &handle), SYM_OK);
    }
}

// Member functions reach the class ranges: each class's range is the hull
// of its functions in the symbol table (names demangled by readelf). The
// symbol table qualifies the classes of a namespace, DWARF names them
// without it: only names that are classes of the DWARF are compared.
TEST_P(Dwarf2TypesReadelfTest, ClassRangesCoverTheirMemberFunctions)
{
    std::set<std::string> classes;
    for (const auto& [offset, die] : dies.dies)
        if (die.tag == "DW_TAG_class_type" || die.tag == "DW_TAG_structure_type")
            classes.insert(Inherited(die, "DW_AT_name"));
    std::map<std::string, std::pair<uint32_t, uint32_t>> hulls;
    for (const std::string& line : TextLines(ToolOutput({"arm-none-eabi-readelf", "-s", "-W", "-C", image}))) {
        const std::vector<std::string> t = Tokens(line);
        const size_t colons = t.size() > 7 ? t[7].find("::") : std::string::npos;
        if (t.size() < 8 || t[3] != "FUNC" || colons == std::string::npos || std::stoul(t[2]) == 0 ||
            !classes.count(t[7].substr(0, colons)))
            continue;
        const uint32_t low = Hex(t[1]), high = low + static_cast<uint32_t>(std::stoul(t[2])) - 1;
        auto [it, added] = hulls.try_emplace(t[7].substr(0, colons), low, high);
        it->second = {std::min(it->second.first, low), std::max(it->second.second, high)};
    }
    for (const auto& [name, hull] : hulls) {
        DWORD range[2] = {1, 1};
        EXPECT_EQ(LdrGetClsFuncRange(name.c_str(), range), LDR_OK);
        EXPECT_EQ(range[0], hull.first) << name;
        EXPECT_EQ(range[1], hull.second) << name;
    }
    // (At -O2 the methods are inlined and leave no symbols.)
    if (std::string(GetParam()) == "d2_class_o0") {
        EXPECT_EQ(hulls.count("Counter") + hulls.count("Limited") + hulls.count("Link"), 3u);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Dwarf2TypesReadelfTest,
                         ::testing::Values("d2_types_o0", "d2_types_o2", "d2_types_thumb_o2", "d2_types_nosections",
                                           "d2_class_o0", "d2_class_o2", "d2_class_sections", "d2_namespace_o0",
                                           "d2_namespace_o2", "d2_arm_o0", "d2_thumb_o2", "d2_inlined_o1",
                                           "d2_inlined_o2", "d2_inlined_thumb_o2"));

}  // namespace
}  // namespace tarnel::test
