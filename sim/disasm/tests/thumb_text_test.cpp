// Thumb disassembly, byte for byte. Each form has its own mnemonic text with
// its own count of trailing blanks; the operands follow it directly.
#include <gtest/gtest.h>

#include <array>

#include "simdisasm/disassembler.h"

namespace zk::sim {
namespace {

struct Case {
    uint16_t halfword;
    uint32_t address;
    const char* text;
};

void ExpectTexts(const Case* begin, const Case* end)
{
    for (const Case* c = begin; c != end; ++c) {
        EXPECT_EQ(DisassembleThumb(c->halfword, c->address), c->text)
            << std::hex << "halfword 0x" << c->halfword << " at 0x" << c->address;
    }
}

TEST(ThumbText, ShiftsAddSubtractAndImmediates)
{
    const Case cases[] = {
        {0x0008, 0, "lsl        r0,r1,#0"}, {0x07FF, 0, "lsl        r7,r7,#31"},
        {0x0848, 0, "lsr        r0,r1,#1"}, {0x0808, 0, "lsr        r0,r1,#32"},  // LSR #0 encodes 32
        {0x1048, 0, "asr        r0,r1,#1"}, {0x1008, 0, "asr        r0,r1,#32"},
        {0x1808, 0, "add        r0,r1,r0"}, {0x1840, 0, "add        r0,r1"},  // Rd = Rs: two operands
        {0x1A08, 0, "sub        r0,r1,r0"}, {0x1A40, 0, "sub        r0,r1"},
        {0x1C08, 0, "mov        r0,r1"},  // add with immediate 0
        {0x1E08, 0, "mov        r0,r1"},  // sub with immediate 0
        {0x1C00, 0, "mov        r0,r0"},    {0x1C48, 0, "add        r0,r1,#1"},
        {0x1C40, 0, "add        r0,#1"},    {0x1FC0, 0, "sub        r0,#7"},
        {0x1FCA, 0, "sub        r2,r1,#7"}, {0x2005, 0, "mov        r0,#5"},
        {0x2110, 0, "mov        r1,#0x10"}, {0x2AFF, 0, "cmp        r2,#0xff"},
        {0x3309, 0, "add        r3,#9"},    {0x3C0A, 0, "sub        r4,#0xa"},
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

TEST(ThumbText, AluOperations)
{
    static constexpr std::array<const char*, 16> kNames = {"and", "eor", "lsl", "lsr", "asr", "adc", "sbc", "ror",
                                                           "tst", "neg", "cmp", "cmn", "orr", "mul", "bic", "mvn"};
    for (uint16_t op = 0; op < 16; ++op) {
        const auto h = static_cast<uint16_t>(0x4000 | (op << 6) | (5 << 3) | 2);
        EXPECT_EQ(DisassembleThumb(h, 0), std::string(kNames[op]) + "        r2,r5") << op;
    }
}

TEST(ThumbText, HighRegistersAndBx)
{
    const Case cases[] = {
        {0x4688, 0, "mov        r8,r1"},
        {0x46C0, 0, "mov        r8,r8"},
        {0x4478, 0, "add        r0,pc"},
        {0x4568, 0, "cmp        r0,r13"},
        {0x44FF, 0, "add        pc,pc"},
        {0x4770, 0, "bx        r14"},
        {0x4778, 0, "bx        pc"},
        {0x4708, 0, "bx        r1"},
        // ADD, CMP, MOV need a high register; BX needs H1 clear.
        {0x4400, 0, "Unsupported instruction!!!"},
        {0x4500, 0, "Unsupported instruction!!!"},
        {0x4600, 0, "Unsupported instruction!!!"},
        {0x4780, 0, "Unsupported instruction!!!"},
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

TEST(ThumbText, LoadsAndStores)
{
    const Case cases[] = {
        // PC-relative: ((address + 4) & ~3) + imm8 x 4, eight hex digits.
        {0x4801, 0x100, "ldr        r0,#00000108"},
        {0x4801, 0x102, "ldr        r0,#00000108"},
        {0x4FFF, 0x100, "ldr        r7,#00000500"},
        {0x48FF, 0xFFFFFFFC, "ldr        r0,#000003fc"},  // wraps above 0xffffffff
        {0x5888, 0, "ldr        r0,[r1,r2]"},
        {0x5088, 0, "str        r0,[r1,r2]"},
        {0x5C88, 0, "ldrb        r0,[r1,r2]"},
        {0x5488, 0, "strb        r0,[r1,r2]"},
        {0x5288, 0, "strh        r0,[r1,r2]"},
        {0x5688, 0, "ldsb        r0,[r1,r2]"},
        {0x5A88, 0, "ldrh        r0,[r1,r2]"},
        {0x5E88, 0, "ldsh        r0,[r1,r2]"},
        {0x6848, 0, "ldr        r0,[r1,#4]"},
        {0x6FFF, 0, "ldr        r7,[r7,#0x7c]"},
        {0x6008, 0, "str        r0,[r1,#0]"},
        {0x7848, 0, "ldrb        r0,[r1,#1]"},
        {0x7FFF, 0, "ldrb        r7,[r7,#0x1f]"},
        {0x7008, 0, "strb        r0,[r1,#0]"},
        {0x8848, 0, "ldrh        r0,[r1,#2]"},
        {0x8FFF, 0, "ldrh        r7,[r7,#0x3e]"},
        {0x8048, 0, "strh        r0,[r1,#2]"},
        {0x9801, 0, "ldr        r0,[r13,#4]"},
        {0x90FF, 0, "str        r0,[r13,#0x3fc]"},
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

TEST(ThumbText, AddressesStackAndMultiple)
{
    const Case cases[] = {
        {0xA801, 0, "add       r0,r13,#4"},
        {0xAFFF, 0, "add       r7,r13,#0x3fc"},
        {0xA001, 0x100, "adr       r0,0x108"},
        {0xA000, 0x2, "adr       r0,4"},
        {0xB001, 0, "add       r13,#4"},
        {0xB081, 0, "sub       r13,#4"},
        {0xB07F, 0, "add       r13,#0x1fc"},
        {0xB500, 0, "push       {r14}"},
        {0xB510, 0, "push       {r4,r14}"},
        {0xB5F0, 0, "push       {r4-r7,r14}"},
        {0xB4FF, 0, "push       {r0-r7}"},
        {0xB40B, 0, "push       {r0,r1,r3}"},
        {0xB400, 0, "push       {}"},
        {0xBD00, 0, "pop        {pc}"},
        {0xBC01, 0, "pop        {r0}"},
        {0xBD03, 0, "pop        {r0,r1,pc}"},
        {0xBC00, 0, "pop        {}"},
        {0xC803, 0, "ldmia        r0!,{r0,r1}"},
        {0xC107, 0, "stmia        r1!,{r0-r2}"},
        {0xB100, 0, "Unsupported instruction!!!"},
        {0xBE00, 0, "Unsupported instruction!!!"},
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

TEST(ThumbText, BranchesSwiAndBl)
{
    const Case cases[] = {
        {0xD0FE, 0x100, "beq         0x100"},
        {0xD17F, 0x100, "bne         0x202"},
        {0xD080, 0x100, "beq         0x4"},
        {0xD0FD, 0, "beq         0xfffffffe"},  // wraps below 0
        {0xDD00, 0x100, "ble         0x104"},
        {0xDE00, 0, "Unsupported instruction!!!"},  // condition 1110
        {0xDF05, 0, "swi         0x5"},
        {0xDFFF, 0, "swi         0xff"},
        {0xE7FE, 0x100, "b         0x100"},
        {0xE3FF, 0x100, "b         0x902"},
        {0xE400, 0x100, "b         0xfffff904"},
        {0xF7FF, 0, "???"},
        {0xFFFE, 0, "???"},
        {0xF000, 0, "???"},
        {0xF800, 0, "???"},
        {0xE800, 0, "Unsupported instruction!!!"},
        {0xEFFF, 0, "Unsupported instruction!!!"},
    };
    ExpectTexts(std::begin(cases), std::end(cases));

    static constexpr std::array<const char*, 14> kConditions = {"eq", "ne", "cs", "cc", "mi", "pl", "vs",
                                                                "vc", "hi", "ls", "ge", "lt", "gt", "le"};
    for (uint16_t cond = 0; cond < 14; ++cond) {
        EXPECT_EQ(DisassembleThumb(static_cast<uint16_t>(0xD000 | (cond << 8) | 2), 0),
                  std::string("b") + kConditions[cond] + "         0x8")
            << cond;
    }
}

}  // namespace
}  // namespace zk::sim
