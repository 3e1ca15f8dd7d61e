// ARM disassembly, byte for byte: every encoding class with its edge cases.
// The mnemonic field is nine characters; operands start at the tenth.
#include <gtest/gtest.h>

#include <array>

#include "simdisasm/disassembler.h"

namespace zk::sim {
namespace {

struct Case {
    uint32_t word;
    uint32_t address;
    const char* text;
};

void ExpectTexts(const Case* begin, const Case* end)
{
    for (const Case* c = begin; c != end; ++c) {
        EXPECT_EQ(DisassembleArm(c->word, c->address), c->text)
            << std::hex << "word 0x" << c->word << " at 0x" << c->address;
    }
}

TEST(ArmText, DataProcessing)
{
    const Case cases[] = {
        {0xE1A00000, 0, "nop      "},
        {0x01A00000, 0, "moveq    r0,r0"},  // only the always form is nop
        {0xE1A00001, 0, "mov      r0,r1"},
        {0xE1B00001, 0, "movs     r0,r1"},
        {0xE1E0100F, 0, "mvn      r1,pc"},
        {0xE3A00005, 0, "mov      r0,#5"},
        {0xE3A00009, 0, "mov      r0,#9"},
        {0xE3A0000A, 0, "mov      r0,#0xa"},
        {0xE3A00010, 0, "mov      r0,#0x10"},
        {0xE3A004FF, 0, "mov      r0,#0xff000000"},  // 0xff rotated right by 8
        {0xE3A00102, 0, "mov      r0,#0x80000000"},  // 2 rotated right by 2
        {0xE0910002, 0, "adds     r0,r1,r2"},
        {0x10810002, 0, "addne    r0,r1,r2"},
        {0x10910002, 0, "addnes   r0,r1,r2"},
        {0xE2810001, 0, "add      r0,r1,#1"},
        {0xE28FD0FF, 0, "add      r13,pc,#0xff"},
        // Shift by an immediate: LSL #0 shows nothing, LSR/ASR #0 mean 32,
        // ROR #0 is RRX.
        {0xE0810102, 0, "add      r0,r1,r2,lsl #2"},
        {0xE0810002, 0, "add      r0,r1,r2"},
        {0xE0810022, 0, "add      r0,r1,r2,lsr #32"},
        {0xE08100A2, 0, "add      r0,r1,r2,lsr #1"},
        {0xE0810042, 0, "add      r0,r1,r2,asr #32"},
        {0xE0810062, 0, "add      r0,r1,r2,rrx"},
        {0xE0810FE2, 0, "add      r0,r1,r2,ror #31"},
        {0xE1A00FC1, 0, "mov      r0,r1,asr #31"},
        // Shift by a register.
        {0xE0810312, 0, "add      r0,r1,r2,lsl r3"},
        {0xE1A00231, 0, "mov      r0,r1,lsr r2"},
        {0xE1B0E75F, 0, "movs     r14,pc,asr r7"},
        {0xE1A00471, 0, "mov      r0,r1,ror r4"},
        // Tests: no destination, no "s".
        {0xE3500001, 0, "cmp      r0,#1"},
        {0xE1100000, 0, "tst      r0,r0"},
        {0x01300001, 0, "teqeq    r0,r1"},
        {0xE3700001, 0, "cmn      r0,#1"},
        {0xE15C0183, 0, "cmp      r12,r3,lsl #3"},
        {0xE1400001, 0, "Unsupported instruction!!!"},  // cmp without S
        {0xE1000000, 0, "Unsupported instruction!!!"},  // tst without S (not MRS: bits 16-19 are not 1111)
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

TEST(ArmText, DataProcessingNamesAndConditions)
{
    static constexpr std::array<const char*, 16> kNames = {"and", "eor", "sub", "rsb", "add", "adc", "sbc", "rsc",
                                                           "tst", "teq", "cmp", "cmn", "orr", "mov", "bic", "mvn"};
    for (uint32_t op = 0; op < 16; ++op) {
        const uint32_t word =
            0xE0000000 | (op << 21) | (op >= 8 && op <= 11 ? 1u << 20 : 0) | (1u << 16) | (3u << 12) | 2u;
        std::string expected(kNames[op]);
        expected.resize(9, ' ');
        if (op >= 8 && op <= 11)
            expected += "r1,r2";
        else if (op == 13 || op == 15)
            expected += "r3,r2";
        else
            expected += "r3,r1,r2";
        EXPECT_EQ(DisassembleArm(word, 0), expected) << op;
    }
    static constexpr std::array<const char*, 16> kConditions = {"eq", "ne", "cs", "cc", "mi", "pl", "vs", "vc",
                                                                "hi", "ls", "ge", "lt", "gt", "le", "",   "nv"};
    for (uint32_t cond = 0; cond < 16; ++cond) {
        std::string expected = std::string("sub") + kConditions[cond] + "s";
        expected.resize(9, ' ');
        EXPECT_EQ(DisassembleArm((cond << 28) | 0x00510002, 0), expected + "r0,r1,r2") << cond;
    }
}

TEST(ArmText, StatusRegisterTransfers)
{
    const Case cases[] = {
        {0xE10F0000, 0, "mrs      r0,cpsr"},
        {0xE14F1000, 0, "mrs      r1,spsr"},
        {0x110F0000, 0, "mrsne    r0,cpsr"},
        {0xE10F0001, 0, "Unsupported instruction!!!"},  // bits 0-11 must be clear
        {0xE129F000, 0, "msr      cpsr_cf,r0"},
        {0xE16FF001, 0, "msr      spsr_cxsf,r1"},
        {0xE122F003, 0, "msr      cpsr_x,r3"},
        {0xE124F003, 0, "msr      cpsr_s,r3"},
        {0xE328F20F, 0, "msr      cpsr_f,#0xf0000000"},
        {0xE321F011, 0, "msr      cpsr_c,#0x11"},
        {0xC361F005, 0, "msrgt    spsr_c,#5"},
        {0xE1200000, 0, "Unsupported instruction!!!"},  // bits 12-15 must be set
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

TEST(ArmText, MultiplyAndSwap)
{
    const Case cases[] = {
        {0xE0000291, 0, "mul      r0,r1,r2"},    {0xE0100291, 0, "muls     r0,r1,r2"},
        {0xE0230291, 0, "mla      r3,r1,r2,r0"}, {0x10330291, 0, "mlanes   r3,r1,r2,r0"},
        {0xE0810392, 0, "umull    r0,r1,r2,r3"}, {0xE0A10392, 0, "umlal    r0,r1,r2,r3"},
        {0xE0C10392, 0, "smull    r0,r1,r2,r3"}, {0xE0F10392, 0, "smlals   r0,r1,r2,r3"},
        {0x10F10392, 0, "smlalnes r0,r1,r2,r3"},  // eight characters: one blank left
        {0xE1010092, 0, "swp      r0,r2,[r1]"},  {0xE1410092, 0, "swpb     r0,r2,[r1]"},
        {0x01410092, 0, "swpeqb   r0,r2,[r1]"},
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

TEST(ArmText, HalfwordAndSignedTransfers)
{
    const Case cases[] = {
        {0xE1D000B0, 0, "ldrh     r0,[r0,#0]"},
        {0xE1D101B2, 0, "ldrh     r0,[r1,#0x12]"},  // offset high nibble 1, low nibble 2
        {0xE15101B2, 0, "ldrh     r0,[r1,#-0x12]"},
        {0xE1F101B2, 0, "ldrh     r0,[r1,#0x12]!"},
        {0xE0D101B2, 0, "ldrh     r0,[r1],#0x12"},
        {0xE05101B2, 0, "ldrh     r0,[r1],#-0x12"},
        {0xE1D100D5, 0, "ldrsb    r0,[r1,#5]"},
        {0xE1D100F2, 0, "ldrsh    r0,[r1,#2]"},
        {0xE1C100B2, 0, "strh     r0,[r1,#2]"},
        {0x11D100B2, 0, "ldrneh   r0,[r1,#2]"},
        {0x01D100D2, 0, "ldreqsb  r0,[r1,#2]"},
        {0xE19100B2, 0, "ldrh     r0,[r1,r2]"},
        {0xE11100B2, 0, "ldrh     r0,[r1,-r2]"},
        {0xE1B100B2, 0, "ldrh     r0,[r1,r2]!"},
        {0xE09100B2, 0, "ldrh     r0,[r1],r2"},
        {0xE01100F2, 0, "ldrsh    r0,[r1],-r2"},
        {0xE18100B2, 0, "strh     r0,[r1,r2]"},
        // Pre-indexed from r15 with an immediate: the target, address + 8 +/- offset.
        {0xE1DF00B8, 0x100, "ldrh     r0,#0x110"},
        {0xE15F00B8, 0x100, "ldrh     r0,#0x100"},
        {0xE15F00B8, 0, "ldrh     r0,#0"},
        {0xE15F00BC, 0, "ldrh     r0,#0xfffffffc"},  // wraps below 0
        {0xE1DF00B0, 0xFFFFFFF8, "ldrh     r0,#0"},  // wraps above 0xffffffff
        {0xE0DF00B8, 0, "ldrh     r0,[pc],#8"},      // post-indexed: no target
        {0xE19F00B2, 0, "ldrh     r0,[pc,r2]"},      // register offset: no target
        // Stores other than STRH and the ARMv5 doubleword forms are rejected.
        {0xE1C000D0, 0, "Unsupported instruction!!!"},
        {0xE1A000F0, 0, "Unsupported instruction!!!"},
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

TEST(ArmText, SingleDataTransfers)
{
    const Case cases[] = {
        {0xE5910004, 0, "ldr      r0,[r1,#4]"},
        {0xE5910000, 0, "ldr      r0,[r1,#0]"},
        {0xE5110004, 0, "ldr      r0,[r1,#-4]"},
        {0xE5B10004, 0, "ldr      r0,[r1,#4]!"},
        {0xE4910004, 0, "ldr      r0,[r1],#4"},
        {0xE5C10FFF, 0, "strb     r0,[r1,#0xfff]"},
        {0x05C10FFF, 0, "streqb   r0,[r1,#0xfff]"},
        // "t": post-indexed with W, the user-mode forms.
        {0xE4B10004, 0, "ldrt     r0,[r1],#4"},
        {0xE4F10004, 0, "ldrbt    r0,[r1],#4"},
        {0x14F10004, 0, "ldrnebt  r0,[r1],#4"},
        {0xE4210004, 0, "strt     r0,[r1],#-4"},
        {0xE6B10002, 0, "ldrt     r0,[r1],r2"},
        {0xE5310004, 0, "ldr      r0,[r1,#-4]!"},  // pre-indexed with W: no "t"
        // Register offsets with their shift texts.
        {0xE7910102, 0, "ldr      r0,[r1,r2,lsl #2]"},
        {0xE7110102, 0, "ldr      r0,[r1,-r2,lsl #2]"},
        {0xE7B10002, 0, "ldr      r0,[r1,r2]!"},
        {0xE6910002, 0, "ldr      r0,[r1],r2"},
        {0xE6110122, 0, "ldr      r0,[r1],-r2,lsr #2"},
        {0xE7910062, 0, "ldr      r0,[r1,r2,rrx]"},
        {0xE7910022, 0, "ldr      r0,[r1,r2,lsr #32]"},
        {0xE7D10002, 0, "ldrb     r0,[r1,r2]"},
        {0xE79F0002, 0, "ldr      r0,[pc,r2]"},
        // Pre-indexed from r15 with an immediate: the target address.
        {0xE59F0010, 0x1000, "ldr      r0,#0x1018"},
        {0xE59F0000, 0, "ldr      r0,#8"},
        {0xE59F0001, 0, "ldr      r0,#9"},
        {0xE59F0002, 0, "ldr      r0,#0xa"},
        {0xE51F0010, 0, "ldr      r0,#0xfffffff8"},
        {0xE58FE004, 0x20, "str      r14,#0x2c"},
        {0xE49F0004, 0, "ldr      r0,[pc],#4"},
        // Bit 4 set with bit 25: the architecture's undefined space.
        {0xE7910012, 0, "Undefined Instruction"},
        {0xE6000010, 0, "Undefined Instruction"},
        {0xE7F000F0, 0, "Undefined Instruction"},
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

TEST(ArmText, BlockTransfersAndRegisterLists)
{
    const Case cases[] = {
        {0xE8BD8010, 0, "ldmia    r13!,{r4,pc}"},        {0xE92D400F, 0, "stmdb    r13!,{r0-r3,r14}"},
        {0x08BD8010, 0, "ldmeqia  r13!,{r4,pc}"},        {0xE8000001, 0, "stmda    r0,{r0}"},
        {0xE9100006, 0, "ldmdb    r0,{r1,r2}"},          {0xE9CD0003, 0, "stmib    r13,{r0,r1}^"},
        {0xE8DD8000, 0, "ldmia    r13,{pc}^"},           {0xE8900000, 0, "ldmia    r0,{}"},
        {0xE8B0FFFF, 0, "ldmia    r0!,{r0-pc}"},         {0xE8B05555, 0, "ldmia    r0!,{r0,r2,r4,r6,r8,r10,r12,r14}"},
        {0xE8B0E00F, 0, "ldmia    r0!,{r0-r3,r13-pc}"},  {0xE8B0C003, 0, "ldmia    r0!,{r0,r1,r14,pc}"},
        {0xE8B07007, 0, "ldmia    r0!,{r0-r2,r12-r14}"},
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

TEST(ArmText, BranchTargetsWrapAt32Bits)
{
    const Case cases[] = {
        {0xEA000000, 0, "b        0x8"},         {0xEAFFFFFE, 0x100, "b        0x100"},
        {0xEB000010, 0x1000, "bl       0x1048"}, {0x0AFFFFFD, 0x20, "beq      0x1c"},
        {0x1B000000, 0, "blne     0x8"},         {0xEBFFFFFE, 0, "bl       0x0"},
        {0xEAFFFFFD, 0, "b        0xfffffffc"},  {0xEA000000, 0xFFFFFFFC, "b        0x4"},
        {0xEA7FFFFF, 0, "b        0x2000004"},   // largest forward offset
        {0xEA800000, 0, "b        0xfe000008"},  // largest backward offset
        {0xFA000000, 0, "bnv      0x8"},
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

TEST(ArmText, CoprocessorAndSwi)
{
    const Case cases[] = {
        {0xED900104, 0, "ldc      p1,cr0,[r0,#0x10]"},
        {0xED300104, 0, "ldc      p1,cr0,[r0,#-0x10]!"},
        {0xECB00104, 0, "ldc      p1,cr0,[r0],#0x10"},
        {0xED400F01, 0, "stcl     p15,cr0,[r0,#-4]"},
        {0x1DD12E02, 0, "ldcnel   p14,cr2,[r1,#8]"},
        {0xEE123406, 0, "cdp      p4,1,cr3,cr2,cr6,0"},
        {0xEEF12FE3, 0, "cdp      p15,15,cr2,cr1,cr3,7"},
        {0xEE110F10, 0, "mrc      p15,0x0,r0,cr1,cr0,0"},
        {0xEE010F10, 0, "mcr      p15,0x0,r0,cr1,cr0,0"},
        {0xEEE12F73, 0, "mcr      p15,0x7,r2,cr1,cr3,3"},
        {0x0E11FF10, 0, "mrceq    p15,0x0,pc,cr1,cr0,0"},
        {0xEF000011, 0, "swi      0x11"},
        {0xEF000005, 0, "swi      5"},
        {0xEF123456, 0, "swi      0x123456"},
        {0x1F000000, 0, "swine    0"},
        {0xE12FFF1E, 0, "bx       r14"},
        {0x012FFF10, 0, "bxeq     r0"},
        {0xE12FFF1F, 0, "bx       pc"},
    };
    ExpectTexts(std::begin(cases), std::end(cases));
}

}  // namespace
}  // namespace zk::sim
