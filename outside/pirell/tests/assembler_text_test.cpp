// The line assembler's texts: what gas's forms become in the
// disassembler's form, address operands (numbers and symbols), and the
// refusals of bad input, each with its reason.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "pirell/assembler.h"
#include "simdisasm/disassembler.h"

namespace pirell::test {
namespace {

constexpr uint32_t kAt = 0x8000;

std::optional<uint32_t> Symbols(const std::string& name)
{
    static const std::map<std::string, uint32_t> symbols = {{"main", 0x8100}, {"add", 0x8200}, {"far_away", 0x8400002}};
    const auto it = symbols.find(name);
    return it == symbols.end() ? std::nullopt : std::optional<uint32_t>(it->second);
}

std::string Disassembled(const AssembledCode& code)
{
    if (!code.thumb)
        return zk::sim::DisassembleArm(code.word, kAt);
    if (code.length == 4)
        return "bl pair";
    return zk::sim::DisassembleThumb(code.half[0], kAt);
}

struct TextCase {
    const char* typed;
    bool thumb;
    const char* shown;  // the disassembler's text of the code
};

TEST(AssemblerText, GasFormsReadBackInTheDisassemblersForm)
{
    const TextCase cases[] = {
        {"ldmfd sp!, {r4, pc}", false, "ldmia    r13!,{r4,pc}"},
        {"push {r4-r6, lr}", false, "stmdb    r13!,{r4-r6,r14}"},
        {"moveqs r0, r1, lsl #2", false, "moveqs   r0,r1,lsl #2"},
        {"movseq r0, r1, lsl #2", false, "moveqs   r0,r1,lsl #2"},
        {"ldrbeq r0, [r1, -r2, asr #32]!", false, "ldreqb   r0,[r1,-r2,asr #32]!"},
        {"ldr r0, [pc, #8]", false, "ldr      r0,#0x8010"},
        {"ldr r0, #0x8010", false, "ldr      r0,#0x8010"},
        {"ldr r0, [r1, #-0]", false, "ldr      r0,[r1,#-0]"},
        {"adr r2, 0x7f00", false, "sub      r2,pc,#0x108"},
        {"b #main", false, "b        0x8100"},
        {"bl main", false, "bl       0x8100"},
        {"mov r0, #-1", false, "mvn      r0,#0"},
        {"nop", false, "nop      "},
        {"mrc p15, 0, r0, c1, c0, 0", false, "mrc      p15,0x0,r0,cr1,cr0,0"},
        {"msr CPSR_fc, r0", false, "msr      cpsr_cf,r0"},
        {"mov r0, r1", true, "mov        r0,r1"},
        {"add sp, #-8", true, "sub       r13,#8"},
        {"ldr r0, [pc, #8]", true, "ldr        r0,#0000800c"},
        {"ldr r0, #0000800c", true, "ldr        r0,#0000800c"},
        {"adr r1, 0x8010", true, "adr       r1,0x8010"},
        {"add r3, r3, #200", true, "add        r3,#0xc8"},
        {"lsls r0, r1, #3", true, "lsl        r0,r1,#3"},
        {"beq #main", true, "beq         0x8100"},
        {"nop", true, "mov        r8,r8"},
        {"movs r0, r3", true, "lsl        r0,r3,#0"},
        {"b 8100", false, "b        0x8100"},
        {"b face0", false, "b        0xface0"},
        {"b #add", false, "b        0x8200"},
        {"lsls r0, r1, r2", false, "movs     r0,r1,lsl r2"},
        {"rrx r3, r4", false, "mov      r3,r4,rrx"},
    };
    for (const TextCase& c : cases) {
        const AssembledCode code = AssembleLine(c.typed, kAt, c.thumb, Symbols);
        ASSERT_EQ(code.error, AsmError::None) << c.typed << ": " << AsmErrorName(code.error);
        EXPECT_EQ(Disassembled(code), c.shown) << c.typed;
    }
}

TEST(AssemblerText, ThumbBlIsOneInstructionOfTwoHalves)
{
    const AssembledCode code = AssembleLine("bl #far_away", 0x8000000, true, Symbols);
    ASSERT_EQ(code.error, AsmError::None);
    EXPECT_EQ(code.length, 4u);
    // The farthest forward: 0x8400002 - (0x8000000 + 4) is halfword offset 0x1FFFFF.
    EXPECT_EQ(code.half[0], 0xF3FF);
    EXPECT_EQ(code.half[1], 0xFFFF);
    const auto little = code.Bytes(false), big = code.Bytes(true);
    EXPECT_EQ((std::array<uint8_t, 4>{0xFF, 0xF3, 0xFF, 0xFF}), little);
    EXPECT_EQ((std::array<uint8_t, 4>{0xF3, 0xFF, 0xFF, 0xFF}), big);
    EXPECT_EQ(AssembleLine("bl #far_away", 0x7FFFFFE, true, Symbols).error, AsmError::Range);
}

struct Refusal {
    const char* text;
    bool thumb;
    AsmError error;
};

TEST(AssemblerText, BadInputIsRefusedWithItsReason)
{
    const std::string overlong = "mov r0, r1" + std::string(250, ' ');
    const Refusal cases[] = {
        {"", false, AsmError::Mnemonic},
        {"frob r0, r1", false, AsmError::Mnemonic},
        {"movq r0, r1", false, AsmError::Mnemonic},
        {"addeq r0, r1", true, AsmError::Mnemonic},
        {"mrs r0, cpsr", true, AsmError::Mnemonic},
        {"strsb r0, [r1]", false, AsmError::Mnemonic},
        {overlong.c_str(), false, AsmError::TooLong},
        {"mov r0, r1\x01", false, AsmError::Syntax},
        {"mov r0, r1 junk", false, AsmError::Syntax},
        {"mov r0, r1 @ comment", false, AsmError::Syntax},
        {"mov r0", false, AsmError::Syntax},
        {"add r0, r1, #", false, AsmError::Syntax},
        {"ldr r0, =0x1234", false, AsmError::Syntax},
        {"ldr r0, [r1], #4!", false, AsmError::Syntax},
        {"ldrt r0, [r1, #4]", false, AsmError::Syntax},
        {"ldrh r0, [r1, r2, lsl #1]", false, AsmError::Syntax},
        {"msr cpsr_q, r0", false, AsmError::Syntax},
        {"msr cpsr_ff, r0", false, AsmError::Syntax},
        {"stmia r0, {}", false, AsmError::Syntax},
        {"stmia r0, {r1}", true, AsmError::Syntax},
        {"ldsb r0, [r1, #0]", true, AsmError::Syntax},
        {"mov r16, r0", false, AsmError::Register},
        {"mov r0, r100", false, AsmError::Register},
        {"mrc p16, 0, r0, c1, c0, 0", false, AsmError::Register},
        {"mcr p15, 0, r0, c16, c0, 0", false, AsmError::Register},
        {"stmia r0, {r3-r1}", false, AsmError::Register},
        {"add r8, r1, r2", true, AsmError::Register},
        {"push {r8}", true, AsmError::Register},
        {"pop {lr}", true, AsmError::Register},
        {"ldr r8, [r1]", true, AsmError::Register},
        {"movs r8, r0", true, AsmError::Register},
        {"lsl r0, r1, #-1", false, AsmError::Immediate},
        {"mov r0, #0x101", false, AsmError::Immediate},
        {"mov r0, #0x100000000", false, AsmError::Immediate},
        {"mov r0, r1, lsl #32", false, AsmError::Immediate},
        {"mov r0, r1, ror #32", false, AsmError::Immediate},
        {"msr cpsr_f, #0x101", false, AsmError::Immediate},
        {"ldr r0, [r1, #4096]", false, AsmError::Immediate},
        {"ldrh r0, [r1, #-256]", false, AsmError::Immediate},
        {"swi 0x1000000", false, AsmError::Immediate},
        {"cdp p1, 16, c0, c0, c0", false, AsmError::Immediate},
        {"mov r0, #256", true, AsmError::Immediate},
        {"add r0, r1, #8", true, AsmError::Immediate},
        {"lsl r0, r1, #32", true, AsmError::Immediate},
        {"ldr r0, [r1, #128]", true, AsmError::Immediate},
        {"add sp, #512", true, AsmError::Immediate},
        {"swi 256", true, AsmError::Immediate},
        {"b 0x2008008", false, AsmError::Range},
        {"bl 0xfdff8000", false, AsmError::Range},
        {"ldr r0, #0x9008", false, AsmError::Range},
        {"ldrh r0, #0x8108", false, AsmError::Range},
        {"beq 0x8104", true, AsmError::Range},
        {"b 0x8804", true, AsmError::Range},
        {"bl 0x408004", true, AsmError::Range},
        {"ldr r0, #0x8000", true, AsmError::Range},
        {"adr r0, 0x7ffc", true, AsmError::Range},
        {"b 0x8002", false, AsmError::Alignment},
        {"b 0x8001", true, AsmError::Alignment},
        {"ldr r0, #0x8006", true, AsmError::Alignment},
        {"ldr r0, [r1, #2]", true, AsmError::Alignment},
        {"ldc p1, c2, [r3, #3]", false, AsmError::Alignment},
        {"b #nosuch", false, AsmError::Address},
        {"bl nosuch", true, AsmError::Address},
        {"b 0x123456789", false, AsmError::Address},
    };
    for (const Refusal& c : cases) {
        const AssembledCode code = AssembleLine(c.text, kAt, c.thumb, Symbols);
        EXPECT_EQ(AsmErrorName(code.error), AsmErrorName(c.error)) << (c.thumb ? "thumb: " : "arm: ") << c.text;
        EXPECT_EQ(code.length, 0u) << c.text;
    }
}

TEST(AssemblerText, CodeAtAMisalignedAddressIsRefused)
{
    EXPECT_EQ(AssembleLine("nop", 0x8002, false, nullptr).error, AsmError::Alignment);
    EXPECT_EQ(AssembleLine("nop", 0x8001, true, nullptr).error, AsmError::Alignment);
    EXPECT_EQ(AssembleLine("nop", 0x8002, true, nullptr).error, AsmError::None);
}

}  // namespace
}  // namespace pirell::test
