// IEEE-695 twins of gcc's images loaded through LdrLoadWin into the real
// simulator library: memory equals `objcopy -O binary` with the bytes
// around it untouched, the start equals `readelf -h`'s entry, the stack is
// the twin's stack section, labels and data labels equal `readelf -s`'s
// FUNC and OBJECT symbols, sections equal `readelf -S`'s allocated ones.
// The newlib program's twin runs under simrun as its ELF runs on qemu.
#include <gtest/gtest.h>

#include <platform/messages.h>
#include <platform/modules.h>

#include <cstdio>
#include <map>
#include <set>

#include "falcrest.h"
#include "host_tools.h"
#include "ieee695_debug_twin.h"
#include "ieee695_twin.h"
#include "image_memory.h"
#include "qemu_runner.h"
#include "quentor.h"
#include "quentor/load_messages.h"
#include "quinar/listing.h"
#include "quinar/symbol_store.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace {

using quentor::test::ElfFacts;
using zk::test::FixturePath;

using quentor::test::UNWRITTEN;

std::string TempFile(const std::string& suffix)
{
    return ::testing::TempDir() + "quentor_twin_" + std::to_string(::getpid()) + "_" + suffix;
}

std::string Objcopy(const std::string& elf, const std::string& out)
{
    const zk::test::ProcessResult r = zk::test::RunProcess({"arm-none-eabi-objcopy", "-O", "binary", elf, out});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    return zk::test::ReadFileBytes(out);
}

class TwinTest : public ::testing::TestWithParam<const char*> {
protected:
    void Connect(bool bigEndian)
    {
        frame_ = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        InitDLL_CpuServer(0, frame_, "ARM7TDMI", bigEndian ? 1 : 0);
        int port = 0;
        platform::SetModuleFolder("");
        ASSERT_EQ(NewABIDLL(1, "ARM7TDMI", &port, "Simulator", 1), 1) << "libDorvel.so in the program's folder";
        MemInitServer(frame_);
        connected_ = true;
        quinar::Symbols().Clear();
    }
    void TearDown() override
    {
        for (const std::string& f : files_)
            std::remove(f.c_str());
        quinar::Symbols().Clear();
        if (connected_) {
            MemExitServer();
            ExitABIDLL();
            platform::DestroySink(frame_);
        }
    }
    std::string Keep(const std::string& path)
    {
        files_.push_back(path);
        return path;
    }

    std::vector<std::string> files_;
    HWND frame_ = nullptr;
    bool connected_ = false;
};

TEST_P(TwinTest, TheTwinLoadsTheElfsMemoryStartStackSymbolsAndSections)
{
    const std::string elf = FixturePath(GetParam());
    const ElfFacts facts = quentor::test::FactsOf(elf);
    ASSERT_FALSE(facts.dump.sections.empty()) << "readelf of " << elf;
    Connect(facts.bigEndian);
    const zk::test::Ieee695ModuleDesc twin = quentor::test::TwinOf(elf, facts);
    const std::string path = Keep(TempFile(std::string(GetParam()) + ".695"));
    ASSERT_TRUE(zk::test::WriteBytesFile(path, zk::test::WriteIeee695(twin)));
    const std::string binary = Objcopy(elf, Keep(TempFile("bin")));
    ASSERT_FALSE(binary.empty());

    uint32_t base = 0xFFFFFFFF;
    std::vector<std::pair<uint32_t, uint32_t>> loaded;
    std::set<std::string> sections;
    for (size_t i = 0; i < facts.dump.sections.size(); ++i) {
        const tarnel::test::ReadelfSection& s = facts.dump.sections[i];
        if (!(s.flags & 0x2) || s.size == 0)
            continue;
        const char kind = quentor::test::SectionKindOf(s.flags);
        sections.insert("section " + std::to_string(i) + " " + s.name + " attribute " +
                        std::to_string(kind == 'P'       ? 1
                                           : kind == 'D' ? 2
                                                         : 3));
        if (s.type != 8) {
            loaded.push_back({s.addr, s.addr + s.size});
            base = std::min(base, s.addr);
        }
    }
    const uint32_t margin = 64;
    const uint32_t first = base >= margin ? base - margin : 0;
    const uint32_t end = base + static_cast<uint32_t>(binary.size()) + margin;
    ASSERT_EQ(MemFillBlock({first, 1}, {end - 1, 1}, &UNWRITTEN, 1, 1), 0);

    ASSERT_EQ(LdrLoadWin(path.c_str(), 0, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_LOAD_EXTERNAL, nullptr), LDR_OK);
    EXPECT_TRUE(quentor::LoadMessages().empty());

    EXPECT_EQ(quentor::test::WrongBytes(first, end, base, binary, loaded), 0u);

    ADDR start{};
    LdrGetStartPC(&start);
    EXPECT_EQ(start.off, facts.dump.HeaderNumber("Entry point address"));
    int top = 0, size = 0;
    LdrGetStack(&top, &size, nullptr, nullptr);
    std::multiset<std::pair<uint32_t, std::string>> labels, dataLabels;
    for (const tarnel::test::ReadelfSymbol& s : facts.symbols) {
        if (s.name == "__stack_top") {
            EXPECT_EQ(static_cast<uint32_t>(top), s.value);
            EXPECT_EQ(static_cast<uint32_t>(size), quentor::test::TWIN_STACK_SIZE);
            sections.insert("section " + std::to_string(twin.sections.back().index) + " stack attribute 2");
        }
        if (s.type == "FUNC" && !s.name.empty())
            labels.insert({s.value, s.name});
        if (s.type == "OBJECT" && !s.name.empty())
            dataLabels.insert({s.value, s.name});
    }
    ASSERT_GT(labels.size(), 3u);

    std::multiset<std::pair<uint32_t, std::string>> gotLabels, gotData;
    std::set<std::string> gotSections;
    for (const std::string& row : quinar::ListSymbols()) {
        const std::vector<std::string> t = tarnel::test::Tokens(row);
        if (t[0] == "label")
            gotLabels.insert({tarnel::test::Hex(t[1]), t[2]});
        else if (t[0] == "data")
            gotData.insert({tarnel::test::Hex(t[1]), t[2]});
        else if (t[0] == "section" && t[2].rfind("BASE_", 0) != 0)
            gotSections.insert(row);
    }
    EXPECT_EQ(gotLabels, labels);
    EXPECT_EQ(gotData, dataLabels);
    EXPECT_EQ(gotSections, sections);
}

const char* const FIXTURES[] = {"ldr_interwork_O0", "ldr_thumb_O0", "ldr_le", "ldr_be", "d2_newlib"};
INSTANTIATE_TEST_SUITE_P(Images, TwinTest, ::testing::ValuesIn(FIXTURES));

// What a load put into quinar that the twin's debug part carries:
// functions with their code ranges, global and static variables with their
// addresses and type texts, and the source line of every line-table row.
struct DebugFacts {
    std::set<std::string> functions;
    std::set<std::string> variables;
    std::set<std::pair<uint32_t, uint32_t>> lines;  // address, line
};

DebugFacts DebugFactsOfStore()
{
    DebugFacts f;
    quinar::SymbolStore& s = quinar::Symbols();
    for (const std::string& row : quinar::ListFunctions())
        f.functions.insert(row.substr(0, row.find(" module ")));
    for (const std::string& row : quinar::ListSymbols()) {
        const std::vector<std::string> t = tarnel::test::Tokens(row);
        if (t[0] == "variable" && t.size() >= 5 && t[1].find_first_not_of("0123456789abcdef") == std::string::npos) {
            const uint32_t type = tarnel::test::Hex(t[4]);
            f.variables.insert(t[1] + " " + t[2] + " " + s.TypeText(type).value);
        }
    }
    // Rows of line 0 (where tarnel marks the end of a sequence) are not
    // written into the twin.
    for (const std::string& row : quinar::ListLines()) {
        const std::vector<std::string> t = tarnel::test::Tokens(row);
        if (const uint32_t line = static_cast<uint32_t>(std::stoul(t.back())); line != 0)
            f.lines.insert({tarnel::test::Hex(t[0]), line});
    }
    return f;
}

// SymEvaluateExpr of every global and static after the download: result,
// size and value, by name.
std::map<std::string, std::string> GlobalValues(const std::set<std::string>& variables)
{
    std::map<std::string, std::string> values;
    for (const std::string& v : variables) {
        const std::string name = tarnel::test::Tokens(v)[1];
        const quinar::Result<SymExprValue> r = quinar::Symbols().Evaluate(name);
        values[name] =
            std::to_string(r.status) + " " + std::to_string(r.value.size) + " " + std::to_string(r.value.value);
    }
    return values;
}

class DebugTwinTest : public TwinTest {};

// The -O0 fixtures' twins give the functions, globals and lines of their
// DWARF 2 ELF (what the twin cannot carry is listed in ieee695_debug_twin.h),
// and SymEvaluateExpr gives each global's downloaded value as for the ELF.
TEST_P(DebugTwinTest, TheTwinsDebugPartGivesTheElfsFunctionsGlobalsAndLines)
{
    const std::string elf = FixturePath(GetParam());
    Connect(false);
    ASSERT_EQ(LdrLoadWin(elf.c_str(), 0, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
    const DebugFacts expected = DebugFactsOfStore();
    const std::map<std::string, std::string> values = GlobalValues(expected.variables);
    EXPECT_TRUE(std::any_of(values.begin(), values.end(), [](const auto& v) { return v.second.rfind("0 4 ", 0) == 0; }))
        << ::testing::PrintToString(values);
    ASSERT_GT(expected.functions.size(), 2u);
    ASSERT_FALSE(expected.variables.empty());
    ASSERT_GT(expected.lines.size(), 10u);

    const ElfFacts facts = quentor::test::FactsOf(elf);
    zk::test::Ieee695ModuleDesc twin = quentor::test::TwinOf(elf, facts);
    twin.debug = quentor::test::DebugTwin(zk::test::ProgramFactsOf(elf), facts.symbols).Write();
    const std::string path = Keep(TempFile(std::string(GetParam()) + "_debug.695"));
    ASSERT_TRUE(zk::test::WriteBytesFile(path, zk::test::WriteIeee695(twin)));

    quinar::Symbols().Clear();
    ASSERT_EQ(LdrLoadWin(path.c_str(), 0, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE, nullptr), LDR_OK);
    EXPECT_TRUE(quentor::LoadMessages().empty()) << quentor::LoadMessages()[0];
    const DebugFacts got = DebugFactsOfStore();
    EXPECT_EQ(GlobalValues(got.variables), values);
    EXPECT_EQ(got.functions, expected.functions);
    EXPECT_EQ(got.variables, expected.variables);
    EXPECT_EQ(got.lines, expected.lines);
    std::vector<std::pair<uint32_t, uint32_t>> missing, extra;
    std::set_difference(expected.lines.begin(), expected.lines.end(), got.lines.begin(), got.lines.end(),
                        std::back_inserter(missing));
    std::set_difference(got.lines.begin(), got.lines.end(), expected.lines.begin(), expected.lines.end(),
                        std::back_inserter(extra));
    EXPECT_TRUE(missing.empty() && extra.empty())
        << "missing " << ::testing::PrintToString(missing) << " extra " << ::testing::PrintToString(extra);
}

INSTANTIATE_TEST_SUITE_P(Images, DebugTwinTest, ::testing::Values("d2_arm_o0", "d2_thumb_o0", "d2_types_o0"));

// The newlib program's twin, run headless, prints what qemu prints for its
// ELF and ends with the same status.
TEST(TwinRunTest, TheNewlibTwinRunsUnderSimrunAsItsElfRunsOnQemu)
{
    const std::string elf = FixturePath("hello_rdimon");
    const ElfFacts facts = quentor::test::FactsOf(elf);
    ASSERT_FALSE(facts.dump.sections.empty());
    const std::string path = TempFile("hello_rdimon.695");
    ASSERT_TRUE(zk::test::WriteBytesFile(path, zk::test::WriteIeee695(quentor::test::TwinOf(elf, facts))));

    const zk::test::QemuRun qemu = zk::test::RunOnQemu(elf);
    ASSERT_FALSE(qemu.timedOut);
    const zk::test::ProcessResult sim =
        zk::test::RunProcess({std::string(ZK_BIN_DIR) + "/simrun", path}, {}, std::chrono::seconds(60));
    std::remove(path.c_str());
    EXPECT_EQ(sim.out, qemu.console) << sim.err;
    EXPECT_EQ(sim.exitStatus, qemu.exitStatus) << sim.err;
    EXPECT_FALSE(qemu.console.empty());
}

}  // namespace
