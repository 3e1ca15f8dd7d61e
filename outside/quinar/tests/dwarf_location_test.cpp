// The DWARF expression machine: locations and frame bases of a stop whose
// registers and memory the test gives.
#include <gmock/gmock.h>

#include <map>
#include <vector>

#include "dwarf_location.h"

namespace quinar::test {
namespace {

struct Stop {
    std::map<uint32_t, uint32_t> regs;
    std::map<uint32_t, uint32_t> words;  // memory by address, as numbers
    bool frameBaseKnown = true;
    uint32_t frameBase = 0x7000;
    bool bigEndian = false;

    DwarfMachine Machine()
    {
        DwarfMachine m;
        m.readRegister = [this](uint32_t reg, uint32_t* v) {
            auto it = regs.find(reg);
            if (it == regs.end())
                return SYM_E_NO_VALUE;
            *v = it->second;
            return SYM_OK;
        };
        m.readMemory = [this](uint32_t address, uint32_t size, uint32_t* v) {
            auto it = words.find(address);
            if (it == words.end())
                return SYM_E_NO_VALUE;
            *v = size == 4 ? it->second : it->second & ((1u << (8 * size)) - 1);
            return SYM_OK;
        };
        if (frameBaseKnown)
            m.frameBase = [this](uint32_t* base) {
                *base = frameBase;
                return SYM_OK;
            };
        m.bigEndian = bigEndian;
        return m;
    }
};

using Bytes = std::vector<uint8_t>;

DwarfLocation Place(Stop& stop, const Bytes& expr, SymResult expected = SYM_OK)
{
    DwarfLocation at{false, 0xDEAD};
    EXPECT_EQ(EvaluateDwarfLocation(expr.data(), static_cast<uint32_t>(expr.size()), stop.Machine(), &at), expected);
    return at;
}

TEST(DwarfLocation, AddressesRegistersAndFrameOffsets)
{
    Stop stop;
    stop.regs = {{4, 0x55}, {11, 0x8000}, {13, 0x1000}, {12, 0x20}};
    const struct {
        Bytes expr;
        bool inRegister;
        uint32_t where;
    } cases[] = {
        {{0x03, 0x00, 0x90, 0x00, 0x00}, false, 0x9000},            // DW_OP_addr
        {{0x54}, true, 4},                                          // DW_OP_reg4
        {{0x90, 0x0C}, true, 12},                                   // DW_OP_regx 12
        {{0x7D, 0x78}, false, 0xFF8},                               // DW_OP_breg13 -8
        {{0x92, 0x0B, 0x10}, false, 0x8010},                        // DW_OP_bregx 11 16
        {{0x91, 0x74}, false, 0x6FF4},                              // DW_OP_fbreg -12
        {{0x35, 0x33, 0x1C}, false, 2},                             // lit5 lit3 minus
        {{0x0B, 0xFE, 0xFF, 0x23, 0x05}, false, 3},                 // const2s -2, plus_uconst 5
        {{0x10, 0x80, 0x01, 0x11, 0x7F, 0x22}, false, 127},         // constu 128, consts -1, plus
        {{0x31, 0x32, 0x33, 0x17, 0x1C}, false, 0xFFFFFFFF},        // lit1 lit2 lit3 rot minus: 3 1 2 -> 1 - 2
        {{0x31, 0x32, 0x16, 0x1C}, false, 1},                       // lit1 lit2 swap minus
        {{0x37, 0x31, 0x14, 0x15, 0x02, 0x22, 0x22}, false, 15},    // lit7 lit1 over pick 2 plus plus
        {{0x31, 0x28, 0x01, 0x00, 0x96, 0x3A}, false, 10},          // lit1 bra +1 (over nop) lit10
        {{0x2F, 0x01, 0x00, 0x13, 0x39}, false, 9},                 // skip +1 (over drop) lit9
        {{0x03, 0x00, 0x90, 0x00, 0x00, 0x06}, false, 0x1234},      // addr 0x9000 deref
        {{0x03, 0x00, 0x90, 0x00, 0x00, 0x94, 0x01}, false, 0x34},  // deref_size 1
        {{0x38, 0x33, 0x1B, 0x38, 0x33, 0x1D, 0x1E}, false, 4},     // (8/3) * (8%3)
        {{0x3F, 0x31, 0x24, 0x32, 0x25}, false, 7},                 // (15 << 1) >> 2
    };
    stop.words[0x9000] = 0x1234;
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const DwarfLocation at = Place(stop, cases[i].expr);
        EXPECT_EQ(at.inRegister, cases[i].inRegister);
        EXPECT_EQ(at.where, cases[i].where);
    }
}

TEST(DwarfLocation, OperandsFollowTheImagesByteOrder)
{
    Stop stop;
    stop.bigEndian = true;
    EXPECT_EQ(Place(stop, {0x03, 0x00, 0x00, 0x90, 0x00}).where, 0x9000u);
    EXPECT_EQ(Place(stop, {0x0A, 0x12, 0x34}).where, 0x1234u);
}

TEST(DwarfLocation, FrameBasesTakeARegistersValue)
{
    Stop stop;
    stop.regs = {{11, 0x8000}, {13, 0x1000}};
    uint32_t base = 0;
    const Bytes reg11{0x5B};
    ASSERT_EQ(EvaluateDwarfFrameBase(reg11.data(), 1, stop.Machine(), &base), SYM_OK);
    EXPECT_EQ(base, 0x8000u);
    const Bytes sp16{0x7D, 0x10};
    ASSERT_EQ(EvaluateDwarfFrameBase(sp16.data(), 2, stop.Machine(), &base), SYM_OK);
    EXPECT_EQ(base, 0x1010u);
    const Bytes fbreg{0x91, 0x00};
    EXPECT_EQ(EvaluateDwarfFrameBase(fbreg.data(), 2, stop.Machine(), &base), SYM_E_NO_VALUE)
        << "a frame base cannot count from itself";
    const Bytes reg9{0x59};
    EXPECT_EQ(EvaluateDwarfFrameBase(reg9.data(), 1, stop.Machine(), &base), SYM_E_NO_VALUE);
}

TEST(DwarfLocation, WhatHasNoSinglePlaceIsRefused)
{
    Stop stop;
    stop.regs = {{4, 1}};
    stop.frameBaseKnown = false;
    for (const Bytes& expr : std::vector<Bytes>{
             {},                  // empty
             {0x54, 0x93, 0x04},  // reg4 piece 4
             {0x54, 0x31},        // a register location followed by more
             {0x9C},              // DW_OP_call_frame_cfa (DWARF 3)
             {0x22},              // plus on an empty stack
             {0x03, 0x00, 0x90},  // a cut operand
             {0x10, 0x80},        // a cut LEB128
             {0x31, 0x30, 0x1B},  // division by zero
             {0x2F, 0xFD, 0xFF},  // skip -3: for ever
             {0x2F, 0x10, 0x00},  // skip past the end
             {0x91, 0x00},        // fbreg without a frame base
         }) {
        SCOPED_TRACE(testing::PrintToString(expr));
        Place(stop, expr, SYM_E_NO_VALUE);
    }
    Bytes deep(70, 0x30);  // 70 pushes
    Place(stop, deep, SYM_E_NO_VALUE);
    Place(stop, {0x03, 0x00, 0x00, 0x01, 0x00, 0x06}, SYM_E_NO_VALUE);  // a read that fails
}

// An object in parts (DW_OP_piece): each part's place in order, a part
// with nothing computed before its piece optimised out.
TEST(DwarfLocation, CompositeLocationsListTheirParts)
{
    Stop stop;
    stop.regs = {{13, 0x1000}};
    using K = DwarfPiece::Kind;
    const struct {
        Bytes expr;
        std::vector<DwarfPiece> parts;
    } cases[] = {
        {{0x54, 0x93, 0x04, 0x55, 0x93, 0x04}, {{K::Register, 4, 4}, {K::Register, 5, 4}}},    // a long long in r4:r5
        {{0x7D, 0x08, 0x93, 0x04, 0x93, 0x04}, {{K::Memory, 0x1008, 4}, {K::Missing, 0, 4}}},  // [sp+8], then gone
        {{0x93, 0x02, 0x90, 0x03, 0x93, 0x02}, {{K::Missing, 0, 2}, {K::Register, 3, 2}}},
        {{0x53, 0x93, 0x01}, {{K::Register, 3, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.expr));
        DwarfLocation at{};
        std::vector<DwarfPiece> parts;
        ASSERT_EQ(EvaluateDwarfPieces(c.expr.data(), static_cast<uint32_t>(c.expr.size()), stop.Machine(), &at, &parts),
                  SYM_OK);
        ASSERT_EQ(parts.size(), c.parts.size());
        for (size_t n = 0; n < parts.size(); ++n) {
            EXPECT_EQ(parts[n].kind, c.parts[n].kind) << n;
            EXPECT_EQ(parts[n].where, c.parts[n].where) << n;
            EXPECT_EQ(parts[n].size, c.parts[n].size) << n;
        }
    }

    // A simple location gives no parts, its place as before.
    DwarfLocation at{};
    std::vector<DwarfPiece> parts{{K::Missing, 0, 1}};
    const Bytes reg7{0x57};
    ASSERT_EQ(EvaluateDwarfPieces(reg7.data(), 1, stop.Machine(), &at, &parts), SYM_OK);
    EXPECT_TRUE(parts.empty());
    EXPECT_TRUE(at.inRegister);
    EXPECT_EQ(at.where, 7u);

    for (const Bytes& expr : std::vector<Bytes>{
             {0x54, 0x93, 0x04, 0x55},  // a register after the last piece
             {0x54, 0x93, 0x04, 0x31},  // a value after the last piece
             {0x54, 0x55, 0x93, 0x04},  // a register location followed by another
             {0x54, 0x93},              // a cut piece size
             {0x54, 0x93, 0x00},        // a piece of no bytes
             {0x72, 0x00, 0x93, 0x04},  // a part whose register cannot be read
         }) {
        SCOPED_TRACE(testing::PrintToString(expr));
        EXPECT_EQ(EvaluateDwarfPieces(expr.data(), static_cast<uint32_t>(expr.size()), stop.Machine(), &at, &parts),
                  SYM_E_NO_VALUE);
    }
}

}  // namespace
}  // namespace quinar::test
