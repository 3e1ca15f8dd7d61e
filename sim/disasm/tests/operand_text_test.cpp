// Number text and register-list compression.
#include <gtest/gtest.h>

#include "simdisasm/disassembler.h"

namespace zk::sim {
namespace {

TEST(OperandText, NumberTextIsADigitBelowTenElseHex)
{
    EXPECT_EQ(NumberText(0), "0");
    EXPECT_EQ(NumberText(9), "9");
    EXPECT_EQ(NumberText(10), "0xa");
    EXPECT_EQ(NumberText(16), "0x10");
    EXPECT_EQ(NumberText(0xFFFFFFFF), "0xffffffff");
}

TEST(OperandText, RegisterNames)
{
    EXPECT_EQ(RegisterName(0), "r0");
    EXPECT_EQ(RegisterName(13), "r13");
    EXPECT_EQ(RegisterName(14), "r14");
    EXPECT_EQ(RegisterName(15), "pc");
}

TEST(OperandText, RegisterListCompressesRunsOfThreeOrMore)
{
    struct Case {
        uint32_t list;
        const char* text;
    };
    const Case cases[] = {
        {0x0000, ""},
        {0x0001, "r0"},
        {0x0003, "r0,r1"},
        {0x0007, "r0-r2"},
        {0x000F, "r0-r3"},
        {0x0005, "r0,r2"},
        {0x001B, "r0,r1,r3,r4"},
        {0x403F, "r0-r5,r14"},
        {0xC000, "r14,pc"},
        {0xE000, "r13-pc"},
        {0x8001, "r0,pc"},
        {0xFFFF, "r0-pc"},
        {0x7FFE, "r1-r14"},
        {0x0EEE, "r1-r3,r5-r7,r9-r11"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RegisterListText(c.list), c.text) << std::hex << c.list;
}

}  // namespace
}  // namespace zk::sim
