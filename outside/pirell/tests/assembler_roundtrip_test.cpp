// Disassemble, then assemble: every instruction of gcc-built images and of
// newlib's ARM and Thumb C libraries, as objdump lists them, is put through
// our disassembler and the text through the line assembler at the same
// address. The code must be the instruction's own, or (counted) another
// encoding that disassembles to the same text: ignored bits set, a
// non-canonical rotation of an immediate, the two Thumb ADDs that print
// alike. Data in code and what our decoder rejects are counted apart.
// Nothing the disassembler prints may be refused.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>

#include "host_tools.h"
#include "objdump_listing.h"
#include "pirell/assembler.h"
#include "simdisasm/disassembler.h"

namespace pirell::test {
namespace {

using zk::test::RunProcess;
using zk::tools::Encoding;
using zk::tools::ObjdumpLine;

enum Category { Same, SameText, Data, Undecodable, Refused, Differs, kCategories };

struct Tally {
    std::array<long, kCategories> count{};
    std::vector<std::string> failures;
    std::vector<std::string> alternatives;  // a few of the other encodings, for the log

    std::string Summary() const
    {
        char text[200];
        std::snprintf(text, sizeof text,
                      "%ld own code, %ld another encoding of the same text, %ld data, %ld undecodable, "
                      "%ld refused, %ld different",
                      count[Same], count[SameText], count[Data], count[Undecodable], count[Refused], count[Differs]);
        return text;
    }
};

// A Thumb BL pair's text as the listing shows it.
std::string BlText(uint16_t first, uint16_t second, uint32_t address)
{
    const auto high = static_cast<int32_t>(static_cast<uint32_t>(first & 0x7FF) << 21) >> 9;
    const uint32_t target = address + 4 + static_cast<uint32_t>(high) + ((second & 0x7FFu) << 1);
    return "bl         " + zk::sim::NumberText(target);
}

bool IsBlPair(uint16_t first, uint16_t second)
{
    return (first & 0xF800) == 0xF000 && (second & 0xF800) == 0xF800;
}

void RoundTrip(const ObjdumpLine& line, Tally& tally)
{
    if (line.encoding == Encoding::Other || (!line.mnemonic.empty() && line.mnemonic[0] == '.')) {
        ++tally.count[Data];
        return;
    }
    const bool thumb = line.encoding != Encoding::Arm;
    std::string text;
    if (line.encoding == Encoding::Thumb32) {
        if (!IsBlPair(static_cast<uint16_t>(line.word), line.second)) {
            ++tally.count[Undecodable];
            return;
        }
        text = BlText(static_cast<uint16_t>(line.word), line.second, line.address);
    } else if (thumb) {
        text = zk::sim::DisassembleThumb(static_cast<uint16_t>(line.word), line.address);
    } else {
        text = zk::sim::DisassembleArm(line.word, line.address);
    }
    if (text == zk::sim::kUnsupportedText || text == zk::sim::kUndefinedText || text == zk::sim::kBlHalfText) {
        ++tally.count[Undecodable];
        return;
    }
    const AssembledCode code = AssembleLine(text, line.address, thumb, nullptr);
    char where[160];
    std::snprintf(where, sizeof where, "%s 0x%x %08x%s \"%s\": ", line.object.c_str(), line.address, line.word,
                  line.encoding == Encoding::Thumb32 ? " (bl)" : "", text.c_str());
    if (code.error != AsmError::None) {
        ++tally.count[Refused];
        tally.failures.push_back(where + std::string(AsmErrorName(code.error)));
        return;
    }
    const bool same = line.encoding == Encoding::Thumb32 ? code.half[0] == line.word && code.half[1] == line.second
        : thumb                                          ? code.half[0] == line.word
                                                         : code.word == line.word;
    if (same) {
        ++tally.count[Same];
        return;
    }
    const std::string again = thumb ? zk::sim::DisassembleThumb(code.half[0], line.address)
                                    : zk::sim::DisassembleArm(code.word, line.address);
    if (line.encoding != Encoding::Thumb32 && again == text) {
        if (++tally.count[SameText] <= 5) {
            char alternative[64];
            std::snprintf(alternative, sizeof alternative, " assembled %08x", thumb ? code.half[0] : code.word);
            tally.alternatives.push_back(where + std::string(alternative));
        }
        return;
    }
    ++tally.count[Differs];
    char got[64];
    std::snprintf(got, sizeof got, "assembled %08x", thumb ? code.half[0] : code.word);
    tally.failures.push_back(where + std::string(got) + " \"" + again + "\"");
}

Tally RoundTripListing(const std::vector<std::string>& objdumpArgs)
{
    std::vector<std::string> argv = {"arm-none-eabi-objdump", "-d", "-z", "-M", "reg-names-raw"};
    argv.insert(argv.end(), objdumpArgs.begin(), objdumpArgs.end());
    const zk::test::ProcessResult r = RunProcess(argv, {}, std::chrono::minutes(4));
    EXPECT_EQ(r.exitStatus, 0) << "arm-none-eabi-objdump is needed: " << r.err;
    std::istringstream in(r.out);
    Tally tally;
    for (const ObjdumpLine& line : zk::tools::ReadObjdumpListing(in))
        RoundTrip(line, tally);
    return tally;
}

void ExpectRoundTrip(const Tally& tally, long minimum)
{
    std::string shown;
    for (size_t i = 0; i < tally.failures.size() && i < 40; ++i)
        shown += tally.failures[i] + "\n";
    EXPECT_EQ(tally.count[Refused] + tally.count[Differs], 0) << tally.Summary() << "\n" << shown;
    EXPECT_GE(tally.count[Same], minimum) << tally.Summary();
    // Other encodings of the same text are the exception.
    EXPECT_LT(tally.count[SameText] * 100, tally.count[Same]) << tally.Summary();
    std::printf("%s\n", tally.Summary().c_str());
    for (const std::string& a : tally.alternatives)
        std::printf("  %s\n", a.c_str());
}

std::string NewlibLibc(bool thumb)
{
    std::vector<std::string> argv = {"arm-none-eabi-gcc", "-mcpu=arm7tdmi"};
    if (thumb)
        argv.push_back("-mthumb");
    argv.push_back("-print-file-name=libc.a");
    const auto r = RunProcess(argv);
    EXPECT_EQ(r.exitStatus, 0) << "arm-none-eabi-gcc is needed: " << r.err;
    return r.out.substr(0, r.out.find('\n'));
}

TEST(AssemblerRoundTrip, FixtureImages)
{
    std::vector<std::string> images;
    for (const char* fixture : {"step_arm", "step_thumb", "sim_funcptr_arm_O0", "sim_funcptr_thumb_O2",
                                "sim_switch_table_arm_O2", "sim_switch_table_thumb_O0", "sim_interwork_thumb_O2",
                                "sim_interwork_arm_O0", "d2_newlib", "ldr_be", "hello_rdimon"})
        images.push_back(zk::test::FixturePath(fixture));
    ExpectRoundTrip(RoundTripListing(images), 10000);
}

// objdump's own text of a line as a line for the assembler: no symbol
// annotations ("bl 8100 <main>"), no width qualifier ("b.n").
std::string ObjdumpText(const ObjdumpLine& line)
{
    std::string mnemonic = line.mnemonic;
    if (mnemonic.size() > 2 && (mnemonic.ends_with(".n") || mnemonic.ends_with(".w")))
        mnemonic.resize(mnemonic.size() - 2);
    std::string operands = line.operands;
    if (const size_t at = operands.find(" <"); at != std::string::npos)
        operands.resize(at);
    return mnemonic + " " + operands;
}

// objdump's forms that are not gas's input: coprocessor operations with
// bare numbers ("mrc 15, 0, r0, cr1, cr0, {0}") and the floating-point
// coprocessors' mnemonics.
bool ObjdumpOnlySyntax(const ObjdumpLine& line)
{
    const std::string& m = line.mnemonic;
    for (const char* prefix : {"mrc", "mcr", "cdp", "ldc", "stc"}) {
        if (m.starts_with(prefix))
            return true;
    }
    return m.starts_with("ldf") || m.starts_with("stf") || m.starts_with("wf") || m.starts_with("rf") ||
        m.starts_with("cf") || m.starts_with("mv");
}

TEST(AssemblerRoundTrip, ObjdumpTextOfLinkedImages)
{
    std::vector<std::string> argv = {"arm-none-eabi-objdump", "-d", "-z", "-M", "reg-names-raw"};
    for (const char* fixture : {"step_arm", "step_thumb", "sim_funcptr_thumb_O2", "sim_switch_table_arm_O2",
                                "sim_interwork_thumb_O2", "d2_newlib", "hello_rdimon"})
        argv.push_back(zk::test::FixturePath(fixture));
    const zk::test::ProcessResult r = RunProcess(argv, {}, std::chrono::minutes(4));
    ASSERT_EQ(r.exitStatus, 0) << "arm-none-eabi-objdump is needed: " << r.err;
    std::istringstream in(r.out);
    Tally tally;
    long objdumpOnly = 0;
    for (const ObjdumpLine& line : zk::tools::ReadObjdumpListing(in)) {
        if (line.encoding == Encoding::Other || line.mnemonic.empty() || line.mnemonic[0] == '.') {
            ++tally.count[Data];
            continue;
        }
        const bool thumb = line.encoding != Encoding::Arm;
        if (ObjdumpOnlySyntax(line) && !thumb) {
            ++objdumpOnly;
            continue;
        }
        const std::string text = ObjdumpText(line);
        const AssembledCode code = AssembleLine(text, line.address, thumb, nullptr);
        char where[160];
        std::snprintf(where, sizeof where, "%s 0x%x %08x \"%s\": ", line.object.c_str(), line.address, line.word,
                      text.c_str());
        if (code.error != AsmError::None) {
            ++tally.count[Refused];
            tally.failures.push_back(where + std::string(AsmErrorName(code.error)));
            continue;
        }
        const bool same = line.encoding == Encoding::Thumb32 ? code.half[0] == line.word && code.half[1] == line.second
            : thumb                                          ? code.length == 2 && code.half[0] == line.word
                                                             : code.word == line.word;
        if (same) {
            ++tally.count[Same];
            continue;
        }
        const std::string ours = thumb ? zk::sim::DisassembleThumb(code.half[0], line.address)
                                       : zk::sim::DisassembleArm(code.word, line.address);
        const std::string theirs = thumb ? zk::sim::DisassembleThumb(static_cast<uint16_t>(line.word), line.address)
                                         : zk::sim::DisassembleArm(line.word, line.address);
        if (line.encoding != Encoding::Thumb32 && ours == theirs) {
            ++tally.count[SameText];
            continue;
        }
        ++tally.count[Differs];
        tally.failures.push_back(where + ours);
    }
    std::printf("objdump's syntax alone: %ld\n", objdumpOnly);
    ExpectRoundTrip(tally, 10000);
}

TEST(AssemblerRoundTrip, NewlibArmLibc)
{
    ExpectRoundTrip(RoundTripListing({NewlibLibc(false)}), 50000);
}

TEST(AssemblerRoundTrip, NewlibThumbLibc)
{
    ExpectRoundTrip(RoundTripListing({NewlibLibc(true)}), 50000);
}

}  // namespace
}  // namespace pirell::test
