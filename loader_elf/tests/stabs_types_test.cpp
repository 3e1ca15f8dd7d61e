// Stabs type strings over hand-built sections: the old compilers' forms,
// the forms gcc 12 writes (ranges, inline definitions in members, cross
// references completed later, classes with method lists) and damage.
#include <gtest/gtest.h>

#include <string>

#include "stabs_pass.h"

namespace tarnel::test {
namespace {

class StabsTypesTest : public StabsPassTest {
protected:
    // A module "/src/t.c" whose entries follow.
    StabWriter Unit()
    {
        StabWriter w;
        w.Add(N_SO, 0, 0x100, "/src/").Add(N_SO, 0, 0x100, "t.c");
        return w;
    }
    uint32_t Pair(uint32_t file, uint32_t number) const { return tables.LookUpStabsType(file, number); }
};

TEST_F(StabsTypesTest, OldCompilersPreambleAndDefinitions)
{
    StabWriter w = Unit();
    w.Add(N_LSYM, 0, 0, "int:t(0,1)=r(0,1);-2147483648;2147483647;")
        .Add(N_LSYM, 0, 0, "char:t(0,2)=r(0,2);0;127;")
        .Add(N_GSYM, 0, 0, "p:G(1,2)=*(0,2)")
        .Add(N_GSYM, 0, 0, "a:G(1,5)=ar(0,1);0;9;(0,2)")
        .Add(N_LSYM, 0, 0, "pt:T(1,3)=s8x:(0,1),0,32;y:(0,1),32,32;;")
        .Add(N_LSYM, 0, 0, "color:T(1,4)=ered:0,green:1,blue:2,;")
        .Add(N_GSYM, 0, 0, "fp:G(1,6)=*(1,7)=f(0,19)")
        .Add(N_GSYM, 0, 0, "later:G(0,1)");
    EXPECT_EQ(Read(w), LDR_OK);
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(Pair(0, 1), 7u);
    EXPECT_EQ(VariableType("later"), 7u);
    const quinar::TypeInfo p = Info(VariableType("p"));
    EXPECT_EQ(p.code, SYM_TYPE_POINTER);
    EXPECT_EQ(p.size, 4u);
    EXPECT_EQ(p.link, 1u);
    EXPECT_EQ(Pair(1, 2), VariableType("p"));

    const quinar::TypeInfo a = Info(VariableType("a"));
    EXPECT_EQ(a.code, SYM_TYPE_ARRAY);
    EXPECT_EQ(a.link, 1u);
    EXPECT_EQ(Text(VariableType("a")), "char [10]");

    const uint32_t pt = Pair(1, 3);
    EXPECT_EQ(Info(pt).code, SYM_TYPE_STRUCT);
    EXPECT_EQ(Info(pt).name, "pt");
    EXPECT_EQ(Info(pt).size, 8u);
    EXPECT_EQ(Member(pt, 0).name, "x");
    EXPECT_EQ(Member(pt, 1).name, "y");
    EXPECT_EQ(Member(pt, 1).offset, 4u);

    EXPECT_EQ(Info(Pair(1, 4)).code, SYM_TYPE_ENUM);
    EXPECT_EQ(Info(Pair(1, 4)).name, "color");

    const uint32_t proc = Info(VariableType("fp")).link;
    EXPECT_EQ(Info(proc).code, SYM_TYPE_PROC);
    EXPECT_EQ(Info(proc).link, SYM_TYPE_VOID);
}

// gcc 12's base types: ranges numbered by first use, mapped to the index
// the DWARF 2 reader gives the same C type.
TEST_F(StabsTypesTest, RangesTakeTheDwarfReadersBaseTypes)
{
    struct Case {
        const char* name;
        const char* bounds;
        uint32_t index;
    };
    const Case cases[] = {
        {"int", "-2147483648;2147483647", 8},
        {"char", "0;255", 3},
        {"signed char", "-128;127", 2},
        {"unsigned char", "0;255", 3},
        {"short int", "-32768;32767", 5},
        {"short unsigned int", "0;65535", 6},
        {"long int", "-2147483648;2147483647", 11},
        {"unsigned int", "0;037777777777", 9},
        {"long unsigned int", "0;037777777777", 12},
        {"long long int", "01000000000000000000000;0777777777777777777777", 70},
        {"long long unsigned int", "0;01777777777777777777777", 72},
        {"float", "4;0", 14},
        {"double", "8;0", 15},
        {"long double", "8;0", 15},
        {"_Bool", "0;255", 21},
    };
    // Numbered past the old preamble's rows.
    StabWriter w = Unit();
    uint32_t n = 20;
    for (const Case& c : cases) {
        const std::string pair = "(0," + std::to_string(n++) + ")";
        w.Add(N_LSYM, 0, 0, std::string(c.name) + ":t" + pair + "=r" + pair + ";" + c.bounds + ";");
    }
    // An array's inline index type, nameless: unsigned by its bounds.
    w.Add(N_GSYM, 0, 0, "v:G(0,40)=ar(0,41)=r(0,41);0;037777777777;;0;3;(0,20)");
    // Row 1 of the old preamble written with another name is no row of it.
    w.Add(N_LSYM, 0, 0, "long int:t(0,1)=r(0,1);-2147483648;2147483647;");
    EXPECT_EQ(Read(w), LDR_OK);
    EXPECT_TRUE(messages.empty());
    n = 20;
    for (const Case& c : cases)
        EXPECT_EQ(Pair(0, n++), c.index) << c.name << " " << c.bounds;
    EXPECT_EQ(Pair(0, 41), 9u);
    EXPECT_EQ(Pair(0, 1), 11u);
    EXPECT_EQ(Text(VariableType("v")), "int [4]");
}

// What gcc 12 writes for a small C file: members with definitions inside
// them, bit fields, a pointer to const, structures and an enumeration
// met first by reference.
TEST_F(StabsTypesTest, Gcc12StructuresAndCrossReferences)
{
    StabWriter w = Unit();
    w.Add(N_GSYM, 3, 0, "head:G(0,1)=*(0,2)=xsnode:")
        .Add(N_LSYM, 0, 0,
             "node:T(0,2)=s16next:(0,1),0,32;name:(0,3)=*(0,4)=k(0,5)=@s8;r(0,5);0;255;,32,32;"
             "flags:(0,6)=r(0,6);0;037777777777;,64,3;mode:(0,6),67,5;in:(0,7)=s6a:(0,8)=@s16;"
             "r(0,8);-32768;32767;,0,16;b:(0,9)=ar(0,10)=r(0,10);0;037777777777;;0;3;(0,5),16,32;;,80,48;;")
        .Add(N_LSYM, 0, 0, "char:t(0,5)")
        .Add(N_GSYM, 9, 0, "origin:G(0,14)=(0,15)=xspoint:")
        .Add(N_LSYM, 0, 0, "point:T(0,15)=s8x:(0,12)=r(0,12);-2147483648;2147483647;,0,32;y:(0,12),32,32;;")
        .Add(N_LSYM, 6, 0, "pt_t:t(0,14)")
        .Add(N_GSYM, 10, 0, "c:G(0,16)=xecolor:")
        .Add(N_LSYM, 0, 0, "color:T(0,16)=@s8;eRED:0,GREEN:5,BLUE:-6,;");
    EXPECT_EQ(Read(w), LDR_OK);
    EXPECT_TRUE(messages.empty());

    const uint32_t node = Info(VariableType("head")).link;
    EXPECT_EQ(Text(VariableType("head")), "struct node *");
    EXPECT_EQ(Info(node).size, 16u);
    struct Expected {
        const char* name;
        uint32_t offset, bitOffset, bitSize;
    };
    const Expected members[] = {
        {"next", 0, 0, 0}, {"name", 4, 0, 0}, {"flags", 8, 29, 3}, {"mode", 8, 24, 5}, {"in", 10, 0, 0}};
    for (uint32_t i = 0; i < 5; ++i) {
        const quinar::MemberInfo m = Member(node, i);
        EXPECT_EQ(m.name, members[i].name);
        EXPECT_EQ(m.offset, members[i].offset) << m.name;
        EXPECT_EQ(m.bitOffset, members[i].bitOffset) << m.name;
        EXPECT_EQ(m.bitSize, members[i].bitSize) << m.name;
    }
    EXPECT_EQ(Text(Member(node, 1).type), "unsigned char *");
    const uint32_t in = Member(node, 4).type;
    EXPECT_EQ(Info(in).size, 6u);
    EXPECT_EQ(Text(Member(in, 1).type), "unsigned char [4]");
    EXPECT_EQ(Member(in, 1).offset, 2u);

    // The number of a typedef'd use is named by the typedef that follows.
    const uint32_t origin = VariableType("origin");
    EXPECT_EQ(Text(origin), "pt_t");
    EXPECT_EQ(Info(origin).size, 8u);
    const uint32_t point = Info(origin).link;
    EXPECT_EQ(Text(point), "struct point");
    EXPECT_EQ(Member(point, 1).name, "y");
    EXPECT_EQ(Info(VariableType("c")).size, 1u);
    EXPECT_EQ(Text(VariableType("c")), "enum color");
}

// -gstabs+ classes: base, data members with access, a static member, the
// method lists and the virtual table holder are read past; the data members
// stay.
TEST_F(StabsTypesTest, ClassesGiveTheirDataMembers)
{
    StabWriter w = Unit();
    w.Add(N_LSYM, 0, 0,
          "Shape:Tt(0,2)=s12_vptr.Shape:(0,3)=*(0,4)=*(0,5)=f(0,6)=r(0,6);-2147483648;2147483647;,0,32;"
          "side:(0,6),32,32;count:/2(0,6):_ZN5Shape5countE;kind:/1(0,7)=@s16;r(0,7);-32768;32767;,64,16;"
          "__dt_base ::(0,8)=#(0,2),(0,9)=*(0,10)=(0,10),(0,1),(0,10);:_ZN5ShapeD2Ev;2A.;__dt_comp ::(0,8):"
          "_ZN5ShapeD1Ev;2A.;__ct_base ::(0,13)=#(0,2),(0,1),(0,1),(0,14)=&(0,15)=k(0,2),(0,10);:_ZN5ShapeC2ERKS_;"
          "2A.;area::(0,17)=#(0,2),(0,6),(0,18)=*(0,15),(0,10);:_ZNK5Shape4areaEv;2B*0;(0,2);;;~%(0,2);")
        .Add(N_GSYM, 0, 0, "sq:G(0,2)")
        .Add(N_GSYM, 0, 0, "r:G(0,14)");
    EXPECT_EQ(Read(w), LDR_OK);
    EXPECT_TRUE(messages.empty());
    const uint32_t shape = VariableType("sq");
    EXPECT_EQ(Info(shape).size, 12u);
    EXPECT_EQ(Member(shape, 0).name, "_vptr.Shape");
    EXPECT_EQ(Member(shape, 1).name, "side");
    EXPECT_EQ(Member(shape, 2).name, "kind");
    EXPECT_EQ(Member(shape, 2).offset, 8u);
    EXPECT_FALSE(Store().StructMember(shape, 3).ok());
    EXPECT_EQ(Info(VariableType("r")).code, SYM_TYPE_REFERENCE);
    EXPECT_EQ(Info(VariableType("r")).link, shape);
}

// Damaged type texts: a message naming .stabstr and the place, the entry's
// variable kept, and the entries after it read.
TEST_F(StabsTypesTest, DamagedTextsAreReportedAndStepped)
{
    struct Case {
        std::string text;
        const char* message;  // nullptr: none
    };
    const Case cases[] = {
        {"deep:G(0,1)=" + std::string(100000, '*') + "(0,2)", "nested too deep"},
        {"big:G(0,99999999999)", "past 32 bits"},
        {"huge:G(0,2)=r(0,2);0;99999999999999999999999;", "past 64 bits"},
        {"st:T(0,3)=s8x:(0,20),0,32;", "closing ';'"},
        {"en:T(0,4)=eA:1,", "closing ';'"},
        {"odd:G(0,5)=Q3", "unknown type descriptor"},
        {"self:G(0,6)=(0,6)", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        SymClearSymbolTables(0);
        messages.clear();
        StabWriter w = Unit();
        w.Add(N_LSYM, 0, 0, "int:t(0,20)=r(0,20);-2147483648;2147483647;")
            .Add(c.text[c.text.find(':') + 1] == 'G' ? N_GSYM : N_LSYM, 0, 0, c.text)
            .Add(N_GSYM, 0, 0, "after:G(0,20)");
        Read(w);
        if (c.message) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].find("img.elf: .stabstr+0x"), std::string::npos) << messages[0];
            EXPECT_NE(messages[0].find(c.message), std::string::npos) << messages[0];
        } else {
            EXPECT_TRUE(messages.empty());
        }
        EXPECT_EQ(VariableType("after"), 8u);
    }
    EXPECT_EQ(VariableType("self"), SYM_TYPE_VOID);
}

}  // namespace
}  // namespace tarnel::test
