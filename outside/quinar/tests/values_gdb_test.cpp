// Value texts of a program compiled by arm-none-eabi-gcc (-O0), loaded into
// the simulator through the loader and stopped at one line, against
// gdb-multiarch's `print` over qemu-system-arm stopped at the same PC:
// integers of each width and sign, characters, enumerations and pointers.
#include <gmock/gmock.h>
#include <platform/messages.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "emu_messages.h"
#include "falcrest.h"
#include "host_tools.h"
#include "qemu_reference.h"
#include "quentor.h"
#include "quinar/quinar.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace quinar::test {
namespace {

constexpr int STOP_WAIT_MS = 10000;
constexpr const char* kProcessor = "ARM7TDMI";

// The one-based line of the source that holds the marker.
uint32_t LineOf(const std::string& path, const std::string& marker)
{
    std::ifstream in(path);
    std::string line;
    for (uint32_t n = 1; std::getline(in, line); ++n) {
        if (line.find(marker) != std::string::npos)
            return n;
    }
    return 0;
}

// gdb's values of `print` commands in order: the text after "$N = ".
std::vector<std::string> PrintedValues(const std::string& out)
{
    static const std::regex printed(R"(^\$\d+ = (.*)$)");
    std::vector<std::string> values;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (std::regex_match(line, m, printed))
            values.push_back(m[1]);
    }
    return values;
}

// gdb shows a pointer with its type in front and, for a char pointer, the
// string behind: "(int *) 0x8160 <g_int>", "0x81ec \"hi\"". The address.
std::string PointerOf(const std::string& text)
{
    static const std::regex hex(R"(0x[0-9a-fA-F]+)");
    std::smatch m;
    if (!std::regex_search(text, m, hex))
        return "<" + text + ">";
    char out[16];
    std::snprintf(out, sizeof out, "0x%08X", static_cast<unsigned>(std::stoul(m[0], nullptr, 16)));
    return out;
}

const char* const kScalars[] = {
    "g_schar", "g_uchar", "g_char",  "g_newline", "g_quote", "g_high",      "g_short",  "g_ushort",
    "g_int",   "g_uint",  "g_long",  "g_ulong",   "g_llong", "g_ullong",    "g_color",  "g_odd",
    "g_flag",  "g_ratio", "g_scale", "s_level",   "sc",      "uc",          "sh",       "us",
    "i",       "c",       "wide",    "mask",      "quote",   "local_color", "negative",
};
const char* const kPointers[] = {"g_ptr", "g_null", "text", "where"};

class ValuesAgainstGdb : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { Start("quinar_values.c", QUINAR_VALUES_SOURCE, -1); }

    // The image of the parameter loaded into the simulator, to stop at the
    // line of the source's "stop here" plus `lineOffset`.
    void Start(const char* moduleFile, const char* source, int lineOffset)
    {
        image = zk::test::FixturePath(GetParam());
        frame = platform::CreateSink([this](UINT msg, WPARAM, LPARAM) -> LRESULT {
            stops += msg == WM_EMU_ERROR;
            return 1;
        });
        InitDLL_CpuServer(0, frame, kProcessor, 0);
        int port = 0;
        ASSERT_EQ(NewABIDLL(1, kProcessor, &port, "Simulator", 1), 1) << "libDorvel.so in the program's folder";
        MemInitServer(frame);
        ASSERT_EQ(LdrLoadWin(image.c_str(), 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
        ASSERT_EQ(SymFindModuleByIndex(moduleFile, 0, &module), SYM_OK);
        line = LineOf(source, "stop here") + lineOffset;
        ASSERT_GT(line, 1u);
        ASSERT_EQ(SymSourceLineToAddr(module, line, &stopPc), SYM_OK);
    }
    void TearDown() override
    {
        MemExitServer();
        ExitABIDLL();
        platform::DestroySink(frame);
        SymClearSymbolTables(1);
    }

    // From the image's entry to a breakpoint at the stop line.
    void RunToStop()
    {
        ADDR start{0, ADDR_SPACE_TARGET};
        ASSERT_EQ(LdrGetStartPC(&start), 0);
        ASSERT_EQ(CpuSetPC(start.off), 0);
        // A break word planted as the debugger plants one (the simulator
        // stops on the word itself): ARM 0xFEDEFEDE, Thumb 0xFEDE.
        const bool thumb = std::string(GetParam()).find("thumb") != std::string::npos;
        const uint8_t word[4] = {0xDE, 0xFE, 0xDE, 0xFE};
        const uint32_t size = thumb ? 2 : 4;
        ASSERT_EQ(MemWriteBlock({stopPc, ADDR_SPACE_TARGET}, word, size, static_cast<int>(size)), 0);
        ASSERT_EQ(emuGo(0), EMU_OK);
        ASSERT_TRUE(platform::ModalWait([this] { return stops > 0; }, STOP_WAIT_MS)) << "no stop";
        ASSERT_TRUE(platform::ModalWait([] { return (CpuGetCpuStatus(0, 1) & 1) == 0; }, STOP_WAIT_MS));
        DWORD pc = 0;
        ASSERT_EQ(CpuGetPC(&pc), 0);
        ASSERT_EQ(pc, stopPc);
    }

    std::string Value(const char* name)
    {
        ZkString text;
        const int r = SymGetVariableValueText(module, static_cast<int32_t>(line), name, &text);
        return r == 0 ? text : "<no value: " + std::to_string(r) + ">";
    }

    std::string image;
    HWND frame = nullptr;
    int stops = 0;
    uint32_t module = 0;
    uint32_t line = 0;
    uint32_t stopPc = 0;
};

TEST_P(ValuesAgainstGdb, ValueTextsAreGdbsPrintAtTheSamePc)
{
    ASSERT_NO_FATAL_FAILURE(RunToStop());

    char breakAt[32];
    std::snprintf(breakAt, sizeof breakAt, "break *0x%x", stopPc);
    std::vector<std::string> commands = {breakAt, "continue"};
    for (const char* name : kScalars)
        commands.push_back(std::string("print ") + name);
    for (const char* name : kPointers)
        commands.push_back(std::string("print ") + name);
    const zk::test::ProcessResult gdb = zk::test::RunGdbOnQemu(image, commands);
    // gdb's own status is not asked: its closing "kill" may find qemu gone
    // already. Every value printed is what counts (none when a tool is missing).
    const std::vector<std::string> printed = PrintedValues(gdb.out);
    const size_t scalars = std::size(kScalars);
    ASSERT_EQ(printed.size(), scalars + std::size(kPointers)) << gdb.out << gdb.err;

    for (size_t n = 0; n < scalars; ++n)
        EXPECT_EQ(Value(kScalars[n]), printed[n]) << kScalars[n];
    for (size_t n = 0; n < std::size(kPointers); ++n)
        EXPECT_EQ(Value(kPointers[n]), PointerOf(printed[scalars + n])) << kPointers[n];
    EXPECT_EQ(Value("g_pair"), "{...}");
}

TEST_P(ValuesAgainstGdb, NamesAreVariablesAtTheStoppedFunctionsLines)
{
    ASSERT_NO_FATAL_FAILURE(RunToStop());
    for (const char* name : {"wide", "sc", "text", "s_level", "g_int", "g_pair"})
        EXPECT_EQ(SymCheckVariableAtLine(name, static_cast<int32_t>(line)), 0) << name;
    const int32_t inMain = static_cast<int32_t>(LineOf(QUINAR_VALUES_SOURCE, "g_int += 1"));
    EXPECT_NE(SymCheckVariableAtLine("wide", inMain), 0) << "a local of probe on a line of main";
    EXPECT_NE(SymCheckVariableAtLine("s_level", inMain), 0) << "a static counts with the stopped function only";
    EXPECT_EQ(SymCheckVariableAtLine("g_ptr", inMain), 0);
    EXPECT_NE(SymCheckVariableAtLine("probe", static_cast<int32_t>(line)), 0) << "a function";
    EXPECT_EQ(Value("g_int"), "-123456788");
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ValuesAgainstGdb, ::testing::Values("quinar_values_arm", "quinar_values_thumb"));

// gcc -O2 keeps some values only as constants (DW_AT_const_value: numbers
// and a double's bytes), and a long long in two registers (DW_OP_piece).
class PartsAgainstGdb : public ValuesAgainstGdb {
protected:
    void SetUp() override { Start("quinar_parts.c", QUINAR_PARTS_SOURCE, 0); }
};

TEST_P(PartsAgainstGdb, ConstantsAndPartsAreGdbsPrintAtTheSamePc)
{
    ASSERT_NO_FATAL_FAILURE(RunToStop());
    // `a` (in r0 until the first call) is gone at the stop.
    const char* const names[] = {"step", "down", "scale", "wide", "ratio", "a"};
    const size_t integers = 4;  // the names before ratio
    const size_t gone = 5;

    char breakAt[32];
    std::snprintf(breakAt, sizeof breakAt, "break *0x%x", stopPc);
    std::vector<std::string> commands = {breakAt, "continue"};
    for (const char* name : names)
        commands.push_back(std::string("print ") + name);
    const zk::test::ProcessResult gdb = zk::test::RunGdbOnQemu(image, commands);
    const std::vector<std::string> printed = PrintedValues(gdb.out);
    ASSERT_EQ(printed.size(), std::size(names)) << gdb.out << gdb.err;

    for (size_t n = 0; n < std::size(names); ++n) {
        SCOPED_TRACE(names[n]);
        if (n == gone) {
            ASSERT_EQ(printed[n], "<optimized out>");
            EXPECT_THAT(Value(names[n]), ::testing::StartsWith("<no value")) << "never a number";
            continue;
        }
        ASSERT_NE(printed[n], "<optimized out>") << "the fixture's value is gone at the stop";
        EXPECT_EQ(Value(names[n]), printed[n]);
        // The expression evaluator reads the same value.
        SymExprValue value{};
        ASSERT_EQ(SymEvaluateExpr(names[n], &value), SYM_OK);
        if (n < integers) {
            const uint64_t mask = value.size >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * value.size)) - 1;
            EXPECT_EQ(value.value, static_cast<uint64_t>(std::stoll(printed[n])) & mask);
        }
    }
    EXPECT_GT(std::stoll(printed[3]), int64_t{1} << 32) << "wide's high part counts";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, PartsAgainstGdb, ::testing::Values("quinar_parts_arm", "quinar_parts_thumb"));

}  // namespace
}  // namespace quinar::test
