// The classifier against objdump: every instruction of gcc-built images
// (ARM and Thumb, -O0 and -O2, newlib's library code, a big-endian image)
// has the kind its objdump text gives (objdump_kinds.h), calls their
// length and target; a scan over a function finds the same instructions
// of interest in the same order. The test stands in for the memory
// library (the image's bytes as objdump prints them), the CPU model's byte
// order, the loader's instruction sets and the symbol library's lines.
#include <gmock/gmock.h>

#include <platform/global_memory.h>

#include <set>

#include "host_tools.h"
#include "objdump_kinds.h"
#include "quinar/symbol_store.h"

namespace pirell::test {

struct FakeTarget {
    ObjdumpImage image;
    std::set<uint32_t> thumb;      // addresses of Thumb code
    std::set<uint32_t> withLines;  // addresses that have a source line
    std::set<uint32_t> unreadable;
};

FakeTarget& Target()
{
    static FakeTarget target;
    return target;
}

}  // namespace pirell::test

using pirell::test::Target;

extern "C" {

int MemReadBlock(void* buffer, ADDR addr, uint32_t count)
{
    auto* out = static_cast<uint8_t*>(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        if (Target().unreadable.count(addr.off + i))
            return EMU_TARGET_LOST;
        const auto it = Target().image.memory.find(addr.off + i);
        out[i] = it == Target().image.memory.end() ? 0 : it->second;
    }
    return 0;
}

int ProcReturnByteOrder(int* order)
{
    *order = Target().image.bigEndian ? 1 : 0;
    return 0;
}

int LdrIsInThumbRange(unsigned address)
{
    return Target().thumb.count(address & ~1u) ? 1 : 0;
}

}  // extern "C"

// The symbol library's source lines: only whether an address has one.
quinar::Result<quinar::SourceLine> quinar::SymbolStore::SourceLineAt(uint32_t address)
{
    return {Target().withLines.count(address) ? SYM_OK : SYM_E_NO_SOURCE, {}};
}

namespace pirell::test {
namespace {

using zk::test::FixturePath;

std::string KindName(DWORD kind)
{
    switch (kind) {
    case DAD_KIND_PLAIN: return "plain";
    case DAD_KIND_CALL: return "call";
    case DAD_KIND_RETURN: return "return";
    case DAD_KIND_BRANCH: return "branch";
    default: return std::to_string(kind);
    }
}

void LoadImage(const std::string& fixture)
{
    FakeTarget& t = Target();
    t = FakeTarget{};
    t.image = ReadObjdump(FixturePath(fixture));
    for (const ObjdumpLine& l : t.image.lines) {
        for (uint32_t a = l.address; l.thumb && a < l.address + l.length; a += 2)
            t.thumb.insert(a);
    }
}

// The instruction before `i` when it directly precedes it in code.
const ObjdumpLine* Previous(const std::vector<ObjdumpLine>& lines, size_t i)
{
    if (i == 0 || lines[i - 1].data || lines[i - 1].address + lines[i - 1].length != lines[i].address)
        return nullptr;
    return &lines[i - 1];
}

class ClassifierAgainstObjdump : public ::testing::TestWithParam<const char*> {};

TEST_P(ClassifierAgainstObjdump, EveryInstructionHasItsKind)
{
    LoadImage(GetParam());
    const std::vector<ObjdumpLine>& lines = Target().image.lines;
    std::map<std::string, int> seen;
    for (size_t i = 0; i < lines.size(); ++i) {
        const ObjdumpLine& l = lines[i];
        if (l.data)
            continue;
        const DWORD expected = ExpectedKind(l, Previous(lines, i));
        DWORD kind = 99, length = 0, target = 0;
        ASSERT_EQ(DadGetCallInfo({l.address, ADDR_SPACE_TARGET}, &kind, &length, &target), 0);
        EXPECT_EQ(KindName(kind), KindName(expected))
            << std::hex << l.address << ": " << l.mnemonic << " " << l.operands;
        ++seen[KindName(kind)];
        if (expected == DAD_KIND_CALL && l.mnemonic.compare(0, 2, "bl") == 0) {
            EXPECT_EQ(length, l.length) << std::hex << l.address;
        }
        // "bl 80 <add>", "b 1f4 <main+0x78>": the target objdump computed.
        const bool direct = l.mnemonic[0] == 'b' && l.mnemonic.compare(0, 2, "bx") != 0;
        if (direct && kind != DAD_KIND_PLAIN) {
            EXPECT_EQ(target, std::stoul(l.operands, nullptr, 16)) << std::hex << l.address;
        }
    }
    EXPECT_GT(seen["call"], 0);
    EXPECT_GT(seen["return"], 0);
    EXPECT_GT(seen["branch"], 0);
}

// A scan over each function's instructions (up to its first data) meets
// the calls, returns and branches in objdump's order, with their distances.
TEST_P(ClassifierAgainstObjdump, AScanFindsTheInstructionsOfInterestInOrder)
{
    LoadImage(GetParam());
    const std::vector<ObjdumpLine>& lines = Target().image.lines;
    for (size_t first = 0; first < lines.size();) {
        size_t end = first;
        // One run of one instruction set (an interworking veneer switches
        // within its block).
        while (end < lines.size() && !lines[end].data && lines[end].function == lines[first].function &&
               lines[end].thumb == lines[first].thumb &&
               (end == first || lines[end - 1].address + lines[end - 1].length == lines[end].address))
            ++end;
        if (end == first) {
            ++first;
            continue;
        }
        const uint32_t start = lines[first].address;
        const uint32_t size = lines[end - 1].address + lines[end - 1].length - start;
        std::vector<BYTE> code(size);
        ASSERT_EQ(MemReadBlock(code.data(), {start, 1}, size), 0);
        const DWORD flags =
            (lines[first].thumb ? DAD_CODE_THUMB : 0) | (Target().image.bigEndian ? DAD_CODE_BIG_ENDIAN : 0);
        std::vector<std::pair<uint32_t, DWORD>> want, got;
        for (size_t i = first; i < end; ++i) {
            const DWORD kind = ExpectedKind(lines[i], Previous(lines, i));
            if (kind != DAD_KIND_PLAIN)
                want.emplace_back(lines[i].address, kind);
        }
        for (DWORD pos = 0;;) {
            DadInstruction found{};
            ASSERT_EQ(DadClassifyInstruction(code.data(), size, pos, start, flags, &found), 0);
            if (found.kind == DAD_KIND_PLAIN) {
                EXPECT_EQ(found.distance, size);
                break;
            }
            got.emplace_back(start + found.distance, found.kind);
            pos = found.distance + found.length;
        }
        EXPECT_EQ(got, want) << lines[first].function;
        first = end;
    }
}

// A position at or past the end of the code leaves nothing to scan, also
// where position + instruction width passes 2^32.
TEST(ClassifierScan, APositionPastTheCodeFindsNothing)
{
    Target() = FakeTarget{};
    // Halfwords 0x0000 and 0x00E0 (shifts); at offset 1 the bytes would
    // read 0xE000, a branch.
    const BYTE code[] = {0x00, 0x00, 0xE0, 0x00};
    for (const DWORD position : {4u, 6u, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(position);
        DadInstruction found{7, 7, 7, 7};
        ASSERT_EQ(DadClassifyInstruction(code, sizeof code, position, 0x100, DAD_CODE_THUMB, &found), 0);
        EXPECT_EQ(found.kind, DAD_KIND_PLAIN);
        EXPECT_EQ(found.distance, sizeof code);
    }
}

INSTANTIATE_TEST_SUITE_P(Images, ClassifierAgainstObjdump,
                         ::testing::Values("step_arm", "step_thumb", "sim_funcptr_arm_O0", "sim_funcptr_thumb_O2",
                                           "sim_switch_table_arm_O2", "sim_switch_table_thumb_O0",
                                           "sim_interwork_thumb_O2", "d2_newlib", "gotill_thumb", "ldr_be"));

class ClassifierCalls : public ::testing::Test {
protected:
    void SetUp() override { LoadImage(fixture_); }
    uint32_t At(const std::string& mnemonic, const std::string& operands, const std::string& function)
    {
        for (const ObjdumpLine& l : Target().image.lines) {
            if (l.function == function && l.mnemonic == mnemonic && l.operands.find(operands) == 0)
                return l.address;
        }
        ADD_FAILURE() << mnemonic << " " << operands << " in " << function;
        return 0;
    }
    static DWORD WordAt(uint32_t address)
    {
        DWORD word = 0;
        MemReadBlock(&word, {address, 1}, 4);
        return word;
    }
    const char* fixture_ = "step_thumb";
};

// Step Into enters a callee with source lines and a call through a
// register; a callee without lines is a library function.
TEST_F(ClassifierCalls, ACallIsALibraryCallWhenItsCalleeHasNoLines)
{
    for (const char* fixture : {"step_thumb", "step_arm"}) {
        SCOPED_TRACE(fixture);
        LoadImage(fixture);
        const uint32_t call = At("bl", "", "twice");
        const uint32_t add = std::stoul(std::find_if(Target().image.lines.begin(), Target().image.lines.end(),
                                                     [&](const ObjdumpLine& l) { return l.address == call; })
                                            ->operands,
                                        nullptr, 16);
        EXPECT_EQ(DadIsLibFuncCall(WordAt(call), {call, 1}), DAD_CALL_LIBRARY);
        Target().withLines.insert(add);
        EXPECT_EQ(DadIsLibFuncCall(WordAt(call), {call, 1}), DAD_CALL_WITH_SOURCE);
        // apply's call through its pointer: Thumb's BL to "bx r3", ARM's bx.
        const uint32_t viaRegister =
            std::string(fixture) == "step_thumb" ? At("bl", "", "apply") : At("bx", "r3", "apply");
        EXPECT_EQ(DadIsLibFuncCall(WordAt(viaRegister), {viaRegister, 1}), DAD_CALL_WITH_SOURCE);
        // Not a call at all.
        EXPECT_EQ(DadIsLibFuncCall(WordAt(At("push", "", "add")), {At("push", "", "add"), 1}), DAD_CALL_WITH_SOURCE);
    }
}

// Calls between ARM and Thumb code go through the linker's veneers
// ("ldr ip, [pc]; bx ip" from ARM, "bx pc; nop; b" from Thumb): the callee
// behind the veneer decides.
TEST_F(ClassifierCalls, AnInterworkingVeneerStandsForItsFunction)
{
    LoadImage("sim_interwork_arm_O0");
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"__thumb_mix_from_arm", "thumb_mix"},
                                   {"__arm_mix_from_thumb", "arm_mix"}}) {
        SCOPED_TRACE(from);
        uint32_t call = 0, callee = 0;
        for (const ObjdumpLine& l : Target().image.lines) {
            if (l.mnemonic == "bl" && l.operands.find("<" + from + ">") != std::string::npos)
                call = l.address;
            if (l.function == to && callee == 0)
                callee = l.address;
        }
        ASSERT_NE(call, 0u);
        ASSERT_NE(callee, 0u);
        EXPECT_EQ(DadIsLibFuncCall(WordAt(call), {call, 1}), DAD_CALL_LIBRARY);
        Target().withLines.insert(callee);
        EXPECT_EQ(DadIsLibFuncCall(WordAt(call), {call, 1}), DAD_CALL_WITH_SOURCE);
    }
}

// A Thumb BL stopped between its halves: the second half alone is the
// call, two bytes long, with the target the first half gave.
TEST_F(ClassifierCalls, TheSecondHalfOfAThumbBlIsACallOfItsOwn)
{
    const uint32_t call = At("bl", "", "twice");
    DWORD kind = 0, length = 0, target = 0, whole = 0;
    ASSERT_EQ(DadGetCallInfo({call, 1}, &kind, &length, &whole), 0);
    ASSERT_EQ(DadGetCallInfo({call + 2, 1}, &kind, &length, &target), 0);
    EXPECT_EQ(kind, DAD_KIND_CALL);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(target, whole);
    Target().unreadable.insert(call);
    ASSERT_EQ(DadGetCallInfo({call + 2, 1}, &kind, &length, &target), 0);
    EXPECT_EQ(target, DAD_TARGET_UNKNOWN);
    EXPECT_EQ(DadGetCallInfo({call, 1}, &kind, &length, &target), EMU_TARGET_LOST);
}

TEST_F(ClassifierCalls, ListingLinesCarryTheAddressTheOpcodeAndTheText)
{
    const uint32_t call = At("bl", "", "twice");
    char* text = nullptr;
    WORD length = 0;
    ASSERT_EQ(DadDisassembleLine({call - 2, 1}, 3, &text, &length), 0);
    ASSERT_NE(text, nullptr);
    const std::string listing(text, length);
    platform::FreeHandleBlock(text);
    std::vector<std::string> rows;
    for (size_t at = 0; at < listing.size();) {
        const size_t end = listing.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
        rows.push_back(listing.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(rows.size(), 3u);
    char address[16];
    std::snprintf(address, sizeof address, "%08X ", call);
    EXPECT_EQ(rows[1].substr(0, 9), address);
    EXPECT_THAT(rows[1], ::testing::MatchesRegex("[0-9A-F]{8} F[0-9A-F]{7}  bl +0x80"));
    EXPECT_THAT(rows[0], ::testing::MatchesRegex("[0-9A-F]{8} [0-9A-F]{4}  [a-z].*"));
    std::snprintf(address, sizeof address, "%08X ", call + 4);
    EXPECT_THAT(rows[2], ::testing::StartsWith(address)) << "after the BL's two halves";

    Target().unreadable.insert(call);
    text = nullptr;
    EXPECT_EQ(DadDisassembleLine({call, 1}, 1, &text, &length), EMU_TARGET_LOST);
    EXPECT_EQ(text, nullptr);
}

}  // namespace
}  // namespace pirell::test
