// dis-compare's reading of objdump listings and its comparison rules, on
// lines objdump 2.40 wrote for these words (arm-none-eabi-objdump -d -r -M
// reg-names-raw on objects, -D -b binary -m armv4t on raw words).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "comparison.h"
#include "objdump_listing.h"
#include "text_rules.h"

namespace zk::tools {
namespace {

// One instruction line: "   4:\tebfffffe \tbl\t0 <_exit>".
std::string Line(const char* address, const char* hex, const char* text)
{
    return std::string(address) + ":\t" + hex + " \t" + text + "\n";
}

std::string Header(const char* object)
{
    return std::string("\n") + object + ":     file format elf32-littlearm\n\n\nDisassembly of section .text:\n\n";
}

struct Expected {
    Outcome outcome;
    KnownDifference known = KnownDifference::Count;
};
constexpr Expected kAgree{Outcome::Agree};
constexpr Expected Known(KnownDifference d)
{
    return {Outcome::Known, d};
}

void ExpectVerdicts(const std::string& listing, const std::vector<Expected>& expected)
{
    std::istringstream in(listing);
    const std::vector<ObjdumpLine> lines = ReadObjdumpListing(in);
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const Verdict v = Compare(lines[i]);
        EXPECT_EQ(v.outcome, expected[i].outcome)
            << lines[i].object << " 0x" << std::hex << lines[i].address << ": ours \"" << v.ours << "\" -> \""
            << v.oursCanonical << "\", objdump \"" << lines[i].mnemonic << " " << lines[i].operands << "\" -> \""
            << v.objdumpCanonical << "\"";
        if (expected[i].outcome == Outcome::Known) {
            EXPECT_EQ(v.known, expected[i].known) << std::hex << lines[i].address;
        }
    }
}

TEST(ListingRules, ArmObjectWithRelocations)
{
    const std::string listing = "In archive libc.a:\n" + Header("lib_a-x.o") + "00000000 <f>:\n" +
        Line("   0", "e92d4010", "push\t{r4, r14}") + Line("   4", "ebfffffe", "bl\t0 <_exit>") +
        "\t\t\t4: R_ARM_CALL\t_exit\n" + Line("   8", "ebfffffe", "bl\ta8 <g>") + "\t\t\t8: R_ARM_CALL\tg\n" +
        Line("   c", "e3520f4d", "cmp\tr2, #308\t@ 0x134") +
        Line("  10", "12851102", "addne\tr1, r5, #-2147483648\t@ 0x80000000") +
        Line("  14", "e52d4004", "push\t{r4}\t\t@ (str r4, [r13, #-4]!)") +
        Line("  18", "e59f5044", "ldr\tr5, [pc, #68]\t@ 64 <f+0x64>") + Line("  1c", "e1a00231", "lsr\tr0, r1, r2") +
        Line("  20", "e8bd4070", "pop\t{r4, r5, r6, r14}") + Line("  24", "e8910030", "ldm\tr1, {r4, r5}") +
        Line("  28", "e1a00000", "nop\t\t\t@ (mov r0, r0)") +
        Line("  2c", "ee110f10", "mrc\t15, 0, r0, cr1, cr0, {0}") + Line("  30", "e12fff1e", "bx\tr14") +
        "\t\t\t30: R_ARM_V4BX\t*ABS*\n" + Line("  34", "fff00000", ".word\t0xfff00000") + "\n000000a8 <g>:\n" +
        Line("  a8", "e3a00000", "mov\tr0, #0");
    ExpectVerdicts(listing,
                   {kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree,
                    kAgree, Known(KnownDifference::DataInCode), kAgree});
}

TEST(ListingRules, RelocatedBranchWithoutTheRelocationListed)
{
    // Without -r: the branch may carry a relocation against the symbol that
    // objdump names, or against an undefined one.
    const std::string listing = Header("lib_a-x.o") + "00000000 <f>:\n" + Line("   4", "ebfffffe", "bl\t0 <_exit>") +
        Line("   8", "ebfffffe", "bl\ta8 <g>") + Line("   c", "eafffffe", "b\tc <f+0xc>") + "\n000000a8 <g>:\n" +
        Line("  a8", "ebfffffe", "bl\ta8 <g>");
    ExpectVerdicts(listing, {kAgree, kAgree, kAgree, kAgree});
}

TEST(ListingRules, ThumbObject)
{
    const std::string listing = Header("lib_a-t.o") + "00000000 <t>:\n" + Line("   0", "b510     ", "push\t{r4, r14}") +
        Line("   2", "f7ff fffe", "bl\t0 <_exit>") + "\t\t\t2: R_ARM_THM_CALL\t_exit\n" +
        Line("   6", "46c0     ", "nop\t\t\t@ (mov r8, r8)") +
        Line("   8", "4c1c     ", "ldr\tr4, [pc, #112]\t@ (7c <t+0x7c>)") + Line("   a", "000d     ", "movs\tr5, r1") +
        Line("   c", "c803     ", "ldmia\tr0, {r0, r1}") + Line("   e", "1c08     ", "adds\tr0, r1, #0") +
        Line("  10", "1840     ", "adds\tr0, r0, r1") +
        Line("  12", "a001     ", "add\tr0, pc, #4\t@ (adr r0, 18 <t+0x18>)") +
        Line("  14", "d0fe     ", "beq.n\t14 <t+0x14>") + Line("  16", "df05     ", "svc\t5") +
        Line("  18", "9801     ", "ldr\tr0, [sp, #4]") + Line("  1a", "de00     ", "udf\t#0") +
        Line("  1c", "bd00     ", "pop\t{r15}") + Line("  1e", "4770     ", "bx\tr14") +
        Line("  20", "00000134", ".word\t0x00000134");
    ExpectVerdicts(listing,
                   {kAgree, Known(KnownDifference::BlHalf), kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree,
                    kAgree, kAgree, kAgree, Known(KnownDifference::Unsupported), kAgree, kAgree,
                    Known(KnownDifference::DataInCode)});
}

TEST(ListingRules, RawWordsAndKnownDifferences)
{
    const std::string listing =
        "a.bin:     file format binary\n\n\nDisassembly of section .data:\n\n00000000 <.data>:\n" +
        Line("   0", "92484194", "subls\tr4, r8, #148, 2\t@ 0x25") +  // an immediate with a larger rotation
        Line("   4", "e129f000", "msr\tCPSR_fc, r0") + Line("   8", "e13ff000", "teqp\tr15, r0") +
        Line("   c", "e4f01004", "ldrbt\tr1, [r0], #4") + Line("  10", "e1b00061", "rrxs\tr0, r1") +
        Line("  14", "e92d0001", "stmfd\tr13!, {r0}") + Line("  18", "e8bd0001", "ldmfd\tr13!, {r0}") +
        Line("  1c", "e0900f91", "umulls\tr0, r0, r1, r15\t@ <UNPREDICTABLE>") +
        Line("  20", "eda05000", "stc\t0, cr5, [r0]") +  // objdump leaves out "#0]!"
        Line("  24", "4eb0ff74", "mrcmi\t15, 5, APSR_nzcv, cr0, cr4, {3}") +
        Line("  28", "e5bf0004", "ldr\tr0, [pc, #4]!\t@ 0x34") +
        Line("  2c", "e1b4a960", "\t\t@ <UNDEFINED> instruction: 0xe1b4a960") +
        Line("  30", "fa000000", "\t\t@ <UNDEFINED> instruction: 0xfa000000") +
        Line("  34", "ed900104", "ldfs\tf0, [r0, #16]") + Line("  38", "ec900f04", "ldc\t15, cr0, [r0], {4}") +
        Line("  3c", "e1200070", "\t\t@ <UNDEFINED> instruction: 0xe1200070") + Line("  40", "e7f000f0", "udf\t#0");
    ExpectVerdicts(listing,
                   {kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree, kAgree,
                    Known(KnownDifference::MoveWithRn), Known(KnownDifference::NeverCondition),
                    Known(KnownDifference::CoprocessorName), Known(KnownDifference::CoprocessorOption),
                    Known(KnownDifference::Unsupported), Known(KnownDifference::UndefinedSpace)});
}

TEST(ListingRules, RealDifferencesDisagree)
{
    const std::string listing = Header("x.elf") + Line("8000", "e1a00001", "mov\tr0, r2") +
        Line("8004", "e8bd4070", "pop\t{r4, r5, r14}") +
        Line("8008", "eafffffe", "b\t800c <f>") +  // not relocatable: no pc-0 reading
        Line("800c", "e59f5044", "ldr\tr5, [pc, #68]\t@ 8050 <f+0x64>") +
        Line("8010", "1c08     ", "adds\tr0, r1, #1") + Line("8012", "d0fe     ", "bne.n\t8012 <f+0x12>") +
        Line("8014", "e1a00001", "\t\t@ <UNDEFINED> instruction: 0xe1a00001");
    std::istringstream in(listing);
    Tally tally;
    for (const ObjdumpLine& line : ReadObjdumpListing(in))
        tally.Add(Compare(line));
    // The last: objdump calls it undefined, but only MOV/MVN with Rn set may be.
    EXPECT_EQ(tally.Summary(), "0 agree, 0 known differences, 7 disagree");
}

TEST(TextRules, MnemonicsInBothOrders)
{
    const std::vector<MnemonicRule> rules = {{"ldr", {"", "b", "h", "sb", "sh", "t", "bt"}},
                                             {"b", {""}},
                                             {"bl", {""}},
                                             {"smull", {"", "s"}},
                                             {"mov", {"", "s"}}};
    struct Case {
        const char* ours;
        const char* objdump;
        const char* canonical;
    };
    const Case cases[] = {{"ldrneb", "ldrbne", "ldrb.ne"},
                          {"ldreqsh", "ldrsheq", "ldrsh.eq"},
                          {"ldrnebt", "ldrbtne", "ldrbt.ne"},
                          {"smullvss", "smullsvs", "smulls.vs"},
                          {"bls", "bls", "b.ls"},
                          {"blt", "blt", "b.lt"},
                          {"bleq", "bleq", "bl.eq"},
                          {"movcs", "movcs", "mov.cs"},
                          {"movs", "movs", "movs"},
                          {"ldrhi", "ldrhi", "ldr.hi"}};
    for (const Case& c : cases) {
        const auto ours = SplitMnemonic(c.ours, rules), objdump = SplitMnemonic(c.objdump, rules);
        ASSERT_TRUE(ours && objdump) << c.ours;
        EXPECT_EQ(ours->Canonical(), c.canonical);
        EXPECT_EQ(objdump->Canonical(), c.canonical);
    }
    EXPECT_FALSE(SplitMnemonic("blx", rules));
}

TEST(TextRules, CanonicalOperands)
{
    EXPECT_EQ(CanonicalOperands(Squash("r4, [sp, #-16]!")), "r4,[r13,#-0x10]!");
    EXPECT_EQ(CanonicalOperands(Squash("r0,[r1,#0]")), "r0,[r1]");
    EXPECT_EQ(CanonicalOperands(Squash("r0,[r1,#0]!")), "r0,[r1,#0x0]!");
    EXPECT_EQ(CanonicalOperands(Squash("{r0-r3,r13-pc}^")), "{r0,r1,r2,r3,r13,r14,pc}^");
    EXPECT_EQ(CanonicalOperands(Squash("r0, r1, lsl r15")), "r0,r1,lsl pc");
    EXPECT_EQ(CanonicalOperands(Squash("p15,0x0,r0,cr1,cr0,7")), "p15,0x0,r0,cr1,cr0,0x7");
}

}  // namespace
}  // namespace zk::tools
