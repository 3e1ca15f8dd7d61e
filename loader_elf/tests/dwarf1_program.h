// A hand-written DWARF 1 unit of C for the reader's tests and the fuzz
// target's seed: a structure that points to itself, with a bit field; a
// typedef; arrays; an enumeration; a function with parameters, locals, a
// block and a label; globals. Its line table lies at 0x100.
#pragma once

#include "dwarf1_writer.h"

namespace tarnel::test {

inline constexpr uint16_t INT = 8;  // the store's "int"
inline constexpr uint16_t CHAR = 2;

inline Dwarf1Writer Program(bool bigEndian = false)
{
    Dwarf1Writer w(bigEndian);
    w.Begin(0x11)
        .Sibling("unit-end")
        .Name("src/prog.c")
        .Str(0x0258, "GNU C 2.95.3")
        .Str(0x01B8, "/tmp")
        .Pcs(0x100, 0x200)
        .U32(0x0106, 0)
        .End();
    // struct node { int value; struct node *next; unsigned flag : 3; } (12 bytes)
    w.Begin(0x13, "node").Sibling("node-end").Name("node").U32(0x00B6, 12).End();
    w.Begin(0x0D).Name("value").FundType(INT).AtMember(0).End();
    w.Begin(0x0D).Name("next").ModUserType({1}, "node").AtMember(4).End();
    w.Begin(0x0D).Name("flag").FundType(9).AtMember(8).U32(0x00B6, 4).U16(0x00C5, 29).U32(0x00D6, 3).End();
    w.Null().Label("node-end");
    w.Begin(0x16, "myint").Name("myint").FundType(INT).End();
    // int table[10]; char grid[4][8];
    DwarfBytes one;
    one.U8(0).U16(INT).U32(0).U32(9).U8(8).U16(0x0055).U16(INT);
    w.Begin(0x01, "table").Block2(0x00A3, one.bytes).End();
    DwarfBytes two;
    two.U8(0).U16(INT).U32(0).U32(3).U8(0).U16(INT).U32(0).U32(7).U8(8).U16(0x0055).U16(CHAR);
    w.Begin(0x01, "grid").Block2(0x00A3, two.bytes).End();
    // enum colour { red, green, blue }, stored in reverse.
    DwarfBytes list;
    list.U32(2).Str("blue").U32(1).Str("green").U32(0).Str("red");
    w.Begin(0x04).Name("colour").U32(0x00B6, 4).b.U16(0x00F4).U32(list.Size()).Append(list.bytes);
    w.End();
    // int sum(int a, struct node *n) at 0x100..0x13f
    w.Begin(0x06).Sibling("sum-end").Name("sum").FundType(INT).Pcs(0x100, 0x140).End();
    w.Begin(0x05).Name("a").FundType(INT).AtFrame(11, -8).End();
    w.Begin(0x05).Name("n").ModUserType({1}, "node").AtRegister(4).End();
    w.Begin(0x0C).Name("total$1").UserType("myint").AtFrame(11, -12).End();
    w.Begin(0x0A).Name("loop").U32(0x0111, 0x120).End();
    w.Begin(0x0B).Sibling("block-end").Pcs(0x110, 0x130).End();
    w.Begin(0x0C).Name("inner").UserType("table").AtAddress(0x2000).End();
    w.Null().Label("block-end");
    w.Null().Label("sum-end");
    w.Begin(0x07).Name("counter").FundType(INT).AtAddress(0x3000).End();
    w.Begin(0x07).Name("where").UserType("grid").AtAddress(0x3010).End();
    w.Null().Label("unit-end");
    return w;
}

}  // namespace tarnel::test
