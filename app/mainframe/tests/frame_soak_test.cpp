// The debugger's windows on a large program: a workload of several modules
// built with arm-none-eabi-gcc at -O0 and -O2, ARM and Thumb, loaded into the
// frame offscreen by "Load File" and run on the real simulator. The console
// against qemu-system-arm; the line look-ups against readelf's decoded line
// table; breakpoints on sampled lines, their stops and steps through inlined
// code against addr2line; data-tip texts against gdb-multiarch's print over
// qemu at the same PC.
#include <gmock/gmock.h>

#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "appdebug/program_load.h"
#include "appdebug/source_lookups.h"
#include "debug_queries.h"
#include "decoded_lines.h"
#include "emu_messages.h"
#include "frame_sim_fixture.h"
#include "lookups/sym_lookups.h"
#include "platform/scripted_ui_gtest.h"
#include "qemu_reference.h"
#include "qemu_runner.h"
#include "quinar/quinar.h"
#include "sarvik.h"
#include "shell/shell_ids.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace mainframe {
namespace {

using test::FrameSimTest;

const char* const kSources[] = {"main.c", "shapes.c",  "sorting.c", "checks.c",
                                "calc.c", "records.c", "machine.c", "ledger.c"};

constexpr char kExitText[] = "Stop Emulation for Application Exit!\n";

std::string Tool(const std::vector<std::string>& argv)
{
    auto r = zk::test::RunProcess(argv);
    EXPECT_EQ(r.exitStatus, 0) << argv[0] << " is needed: " << r.err;
    return r.out;
}

struct SourceLine {
    std::string file;  // as addr2line names it
    int line = 0;
    bool operator==(const SourceLine&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SourceLine& s)
{
    return out << s.file << ":" << s.line;
}

// addr2line's file and line of each address (one run for all of them).
std::vector<SourceLine> Addr2Line(const std::string& elf, const std::vector<uint32_t>& addresses)
{
    std::vector<std::string> argv = {"arm-none-eabi-addr2line", "-e", elf};
    for (uint32_t a : addresses) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%x", a);
        argv.push_back(hex);
    }
    std::istringstream in(Tool(argv));
    std::vector<SourceLine> lines;
    for (std::string out; std::getline(in, out);) {
        out = out.substr(0, out.find(' '));
        const size_t colon = out.rfind(':');
        lines.push_back(colon == std::string::npos
                            ? SourceLine{}
                            : SourceLine{out.substr(0, colon), std::atoi(out.c_str() + colon + 1)});
    }
    return lines;
}

SourceLine Addr2Line(const std::string& elf, uint32_t address)
{
    const auto lines = Addr2Line(elf, std::vector<uint32_t>{address});
    return lines.empty() ? SourceLine{} : lines.front();
}

std::string FileName(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

// The one-based line of the workload's source that holds the marker.
int LineOf(const std::string& file, const std::string& marker)
{
    std::ifstream in(std::string(ZK_SOAK_SOURCE) + "/" + file);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n)
        if (line.find(marker) != std::string::npos)
            return n;
    ADD_FAILURE() << marker << " not in " << file;
    return 0;
}

// gdb's answers to `print` commands each after an "echo @@<name>" line: the
// text after "$N = " by name (none when gdb printed an error).
std::map<std::string, std::string> PrintedValues(const std::string& out)
{
    static const std::regex printed(R"(^\$\d+ = (.*)$)");
    std::map<std::string, std::string> values;
    std::istringstream lines(out);
    std::string name;
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (line.rfind("@@", 0) == 0)
            name = line.substr(2);
        else if (!name.empty() && std::regex_match(line, m, printed))
            values[name] = m[1];
    }
    return values;
}

// gdb's pointer text ("(int *) 0x8160 <g_int>", "0x81ec \"hi\"") as the
// data tip writes pointers.
std::string PointerOf(const std::string& text)
{
    static const std::regex hex(R"(0x[0-9a-fA-F]+)");
    std::smatch m;
    if (!std::regex_search(text, m, hex))
        return text;
    char out[16];
    std::snprintf(out, sizeof out, "0x%08X", static_cast<unsigned>(std::stoul(m[0], nullptr, 16)));
    return out;
}

class FrameSoakTest : public FrameSimTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        FrameSimTest::SetUp();
        elf_ = zk::test::FixturePath(GetParam());
    }
    void TearDown() override
    {
        SetSemihostOutputTap(std::move(previousTap_));
        FrameSimTest::TearDown();
        BptDeleteAllObjects();
    }
    CMainFrame* StartWithLoadFile()
    {
        CMainFrame* frame = FrameSimTest::StartWithLoadFile(ui_, elf_);
        if (!frame)
            return nullptr;
        EXPECT_EQ(appdebug::LoadedImagePath(), elf_);
        return frame->m_bConnected ? frame : nullptr;
    }
    DWORD Pc()
    {
        DWORD pc = 0;
        EXPECT_EQ(CpuGetPC(&pc), 0);
        return pc;
    }
    bool Ended()
    {
        DWORD reason = 0, status = 0;
        return SemihostGetExit(&reason, &status) == 1;
    }
    // Runs `command` and waits until the target halted and the frame shows
    // the stop at the PC, or the program ended; false when it ended.
    bool RunUntilStop(CMainFrame* frame, UINT command)
    {
        frame->SendMessage(WM_COMMAND, command);
        const bool done = QTest::qWaitFor(
            [&] {
                if (Ended())
                    return true;
                if ((CpuGetCpuStatus1() & 1) != 0)
                    return false;
                DWORD pc = 0;
                return CpuGetPC(&pc) == 0 && frame->GetStopPosition().pc == pc;
            },
            20000);
        EXPECT_TRUE(done) << "no stop after command " << command;
        return done && !Ended();
    }
    // The frame's stop against addr2line at the PC: the same file and line
    // (none when addr2line names none).
    void ExpectStopIsAddr2Lines(CMainFrame* frame)
    {
        const DWORD pc = Pc();
        const SourceLine expected = Addr2Line(elf_, pc);
        const TextViewStop stop = frame->GetStopPosition();
        EXPECT_EQ(stop.pc, pc);
        if (expected.line == 0 || !std::filesystem::exists(expected.file))
            return;
        EXPECT_EQ((SourceLine{stop.sourcePath, stop.line}), expected) << std::hex << "pc 0x" << pc;
    }
    // The data tip's text of a name on a line of a workload file, as the
    // source view shows it ("???" when there is no value).
    static std::string DataTip(const std::string& file, int line, const std::string& name)
    {
        editor::DebugQueries& q = editor::RealDebugQueries();
        int module = 0;
        std::string value;
        if (!q.FindModuleOfFile(file, module) || q.GetVariableValueText(module, line, name, value) != 0)
            return "???";
        return value;
    }

    std::string elf_;
    platform::GTestScriptedUi ui_;
    SemihostOutputTap previousTap_;
};

TEST_P(FrameSoakTest, TheConsoleShowsQemusOutput)
{
    const zk::test::QemuRun qemu = zk::test::RunOnQemu(elf_, {}, std::chrono::seconds(30));
    ASSERT_FALSE(qemu.timedOut);
    ASSERT_EQ(qemu.exitStatus, 0) << qemu.errors;
    ASSERT_THAT(qemu.console, ::testing::HasSubstr("soak: total"));

    std::string out;
    previousTap_ = SetSemihostOutputTap([&](BYTE, std::string_view text) { out.append(text); });
    CMainFrame* frame = StartWithLoadFile();
    ASSERT_NE(frame, nullptr);
    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Ended(); }, 30000)) << out;
    EXPECT_EQ(out, qemu.console + kExitText);
}

TEST_P(FrameSoakTest, LineLookupsStartAtTheLowestAddressOfTheLine)
{
    CMainFrame* frame = StartWithLoadFile();
    ASSERT_NE(frame, nullptr);
    for (const char* file : kSources) {
        const std::map<int, uint32_t> lines = lookups::test::LowestLineAddresses(elf_, file);
        ASSERT_GT(lines.size(), 10u) << file;
        for (const auto& [line, lowest] : lines) {
            ADDR at{}, end{};
            ASSERT_TRUE(lookups::SymFileLineToAddrRange(line, &at, &end, file)) << file << ":" << line;
            EXPECT_EQ(at.off, lowest) << file << ":" << line;
            EXPECT_GE(end.off, at.off) << file << ":" << line;
        }
    }
}

// Breakpoints on a sample of lines whose lowest address addr2line names as
// that line, all set at once; each stop is at one of them and shows
// addr2line's line; the breakpoint hit is removed and Go goes on to the end.
TEST_P(FrameSoakTest, BreakpointsOnSampledLinesStopWhereAddr2LineNamesThem)
{
    CMainFrame* frame = StartWithLoadFile();
    ASSERT_NE(frame, nullptr);
    std::map<uint32_t, SourceLine> planted;
    for (const char* file : kSources) {
        const std::map<int, uint32_t> lines = lookups::test::LowestLineAddresses(elf_, file);
        std::vector<uint32_t> addresses;
        std::vector<int> numbers;
        int n = 0;
        for (const auto& [line, lowest] : lines)
            if (n++ % 5 == 0) {
                numbers.push_back(line);
                addresses.push_back(lowest);
            }
        const std::vector<SourceLine> named = Addr2Line(elf_, addresses);
        ASSERT_EQ(named.size(), addresses.size());
        for (size_t i = 0; i < addresses.size(); ++i) {
            if (named[i].line != numbers[i] || FileName(named[i].file) != file || planted.count(addresses[i]))
                continue;
            ADDR at{}, end{};
            ASSERT_TRUE(lookups::SymFileLineToAddrRange(numbers[i], &at, &end, file));
            ASSERT_EQ(at.off, addresses[i]);
            lookups::ToggleBreakpointAtAddr(at, 0);
            ASSERT_EQ(BptFindBp(&at, ADDR{0, 0}, nullptr), BPT_MARK_SW_ENABLED) << named[i];
            planted[at.off] = named[i];
        }
    }
    ASSERT_GT(planted.size(), 40u);

    size_t stops = 0;
    while (RunUntilStop(frame, shell::ID_DEBUG_GO)) {
        const DWORD pc = Pc();
        ASSERT_TRUE(planted.count(pc)) << std::hex << "stopped at 0x" << pc << " with no breakpoint";
        const TextViewStop stop = frame->GetStopPosition();
        EXPECT_EQ((SourceLine{stop.sourcePath, stop.line}), planted.at(pc));
        ExpectStopIsAddr2Lines(frame);
        lookups::ToggleBreakpointAtAddr({pc, ADDR_SPACE_TARGET}, 0);
        ASSERT_LT(++stops, planted.size() + 1) << "more stops than breakpoints";
    }
    EXPECT_GT(stops, planted.size() / 2) << "most sampled lines run";
}

// At a few stops, the data tips of locals, parameters and globals are gdb's
// print over qemu at the same PC; a value gdb finds optimised out shows
// "???" or gdb's text, never a number.
TEST_P(FrameSoakTest, DataTipsAreGdbsPrintAtTheSamePc)
{
    struct Stop {
        const char* file;
        const char* marker;
        std::vector<const char*> names;     // integers and enumerations
        std::vector<const char*> pointers;  // pointers
    };
    // Pointers into the stack are left out: qemu's stack lies elsewhere.
    // run_sorting's n gcc keeps at -O2 only as a constant (DW_AT_const_value).
    const Stop stops[] = {
        {"shapes.c",
         "printf(\"shapes: total area",
         {"n", "total_area", "total_perimeter", "far", "g_shapes_made"},
         {"s", "big"}},
        {"main.c",
         "printf(\"sorted %d numbers",
         {"n", "before", "after", "g_sort_calls", "g_total", "g_checkpoints"},
         {"g_phase"}},
        {"records.c", "printf(\"records: %d", {"shown"}, {"r", "g_records"}},
        {"calc.c", "*value = parse_or(&sc);", {"g_calc_errors"}, {"text"}},
        {"machine.c", "printf(\"machine program %d", {"i", "status", "result", "g_machine_steps"}, {}},
        {"ledger.c",
         "printf(\"%s\\n\", line);",
         {"count", "posted", "worst", "low", "i", "g_balance", "g_turnover", "g_entries", "g_last_code", "g_last_kind",
          "g_rate", "g_average"},
         {}},
    };
    CMainFrame* frame = StartWithLoadFile();
    ASSERT_NE(frame, nullptr);

    for (const Stop& s : stops) {
        SCOPED_TRACE(s.marker);
        const int line = LineOf(s.file, s.marker);
        ADDR at{}, end{};
        ASSERT_TRUE(lookups::SymFileLineToAddrRange(line, &at, &end, s.file));
        lookups::ToggleBreakpointAtAddr(at, 0);
        ASSERT_TRUE(RunUntilStop(frame, shell::ID_DEBUG_GO));
        ASSERT_EQ(Pc(), at.off);
        lookups::ToggleBreakpointAtAddr(at, 0);
        ExpectStopIsAddr2Lines(frame);

        char breakAt[32];
        std::snprintf(breakAt, sizeof breakAt, "break *0x%x", at.off);
        // qemu's stub now and then reports a stray interrupt on the way
        // (with the semihosting calls going through gdb): gdb goes on past
        // it. The PC printed first says where gdb stopped.
        std::vector<std::string> commands = {"handle SIGINT nostop noprint pass", breakAt, "continue"};
        auto ask = [&](const std::string& name, const std::string& expression) {
            commands.push_back("echo @@" + name + "\\n");
            commands.push_back("print " + expression);
        };
        ask("$pc", "/x $pc");
        for (const char* name : s.names)
            ask(name, name);
        for (const char* name : s.pointers)
            ask(name, name);
        const zk::test::ProcessResult gdb = zk::test::RunGdbOnQemu(elf_, commands);
        const std::map<std::string, std::string> printed = PrintedValues(gdb.out);
        ASSERT_TRUE(printed.count("$pc")) << gdb.out << gdb.err;
        ASSERT_EQ(std::stoul(printed.at("$pc"), nullptr, 16), at.off) << gdb.out;

        size_t compared = 0;
        std::vector<std::pair<const char*, bool>> asked;  // name, a pointer
        for (const char* name : s.names)
            asked.emplace_back(name, false);
        for (const char* name : s.pointers)
            asked.emplace_back(name, true);
        for (const auto& [name, pointer] : asked) {
            const auto it = printed.find(name);
            if (it == printed.end())
                continue;  // not known to gdb in the stopped (inlined) frame
            const std::string tip = DataTip(s.file, line, name);
            if (it->second == "<optimized out>") {
                EXPECT_THAT(tip, ::testing::AnyOf("???", "<optimized out>")) << name;
            } else {
                EXPECT_EQ(tip, pointer ? PointerOf(it->second) : it->second) << name;
                ++compared;
            }
        }
        EXPECT_GT(compared, 0u) << gdb.out;
    }
    EXPECT_EQ(DataTip("records.c", LineOf("records.c", "printf(\"records: %d"), "g_record_stats"), "{...}");
}

// Through whole functions: at the first reach of each line-table address of
// the function (every one a breakpoint, each taken out when hit; gdb with a
// temporary breakpoint on each), the data tips of its locals are gdb's print
// there. At -O2 the locals move between registers and the stack through
// their location lists, and some addresses lie in inlined code.
TEST_P(FrameSoakTest, DataTipsFollowTheLocalsThroughAFunction)
{
    // Names the helpers inlined into the function do not use too: gdb's
    // print takes the innermost block's variable, a data tip the variable of
    // the line's function.
    struct Walk {
        const char* function;
        const char* file;
        std::vector<const char*> names;
    };
    const Walk walks[] = {
        {"shapes_report", "shapes.c", {"total_area", "total_perimeter", "far"}},
        // ledger_run's long long `low` gcc keeps in two 4-byte pieces
        // (DW_OP_piece) at -O2.
        {"ledger_run", "ledger.c", {"i", "count", "posted", "worst", "low"}},
    };
    CMainFrame* frame = StartWithLoadFile();
    ASSERT_NE(frame, nullptr);
    const std::string decoded = Tool({"arm-none-eabi-readelf", "--debug-dump=decodedline", elf_});

    for (const Walk& w : walks) {
        SCOPED_TRACE(w.function);
        const test::Symbol function = test::NmSymbol(elf_, w.function);
        const uint32_t start = function.address & ~1u;
        std::set<uint32_t> addresses;
        std::istringstream rows(decoded);
        for (std::string row; std::getline(rows, row);) {
            std::istringstream words(row);
            std::string file, line, address;
            if (words >> file >> line >> address && address.rfind("0x", 0) == 0) {
                const uint32_t a = static_cast<uint32_t>(std::stoul(address, nullptr, 16));
                if (a >= start && a < start + function.size)
                    addresses.insert(a);
            }
        }
        ASSERT_GT(addresses.size(), 5u);
        for (uint32_t a : addresses)
            lookups::ToggleBreakpointAtAddr({a, ADDR_SPACE_TARGET}, 0);
        // A line of the function's body: its first row's.
        const int line = Addr2Line(elf_, start).line;

        std::vector<std::string> commands = {"handle SIGINT nostop noprint pass"};
        for (uint32_t a : addresses) {
            char at[32];
            std::snprintf(at, sizeof at, "tbreak *0x%x", a);
            commands.push_back(at);
        }
        for (size_t n = 0; n < addresses.size(); ++n) {
            // The tip names the variables of the line's function: gdb in
            // that function's frame, also where the PC is in code inlined
            // into it.
            commands.push_back("continue");
            commands.push_back(std::string("frame function ") + w.function);
            commands.push_back("echo @@$pc\\n");
            commands.push_back("print/x $pc");
            commands.push_back("echo @@$sp\\n");
            commands.push_back("print/x $sp");
            for (const char* name : w.names) {
                commands.push_back(std::string("echo @@") + name + "\\n");
                commands.push_back(std::string("print ") + name);
            }
        }
        // gdb's answers by PC: split at each "@@$pc".
        const zk::test::ProcessResult gdb = zk::test::RunGdbOnQemu(elf_, commands);
        std::map<uint32_t, std::map<std::string, std::string>> byPc;
        size_t from = gdb.out.find("@@$pc\n");
        while (from != std::string::npos) {
            const size_t next = gdb.out.find("@@$pc\n", from + 1);
            const auto printed = PrintedValues(gdb.out.substr(from, next == std::string::npos ? next : next - from));
            if (printed.count("$pc"))
                byPc[static_cast<uint32_t>(std::stoul(printed.at("$pc"), nullptr, 16))] = printed;
            from = next;
        }
        ASSERT_GT(byPc.size(), addresses.size() / 2) << gdb.out << gdb.err;

        // Until every address gdb reached was reached here too (an address
        // never reached would let the program run on to its end).
        size_t compared = 0;
        size_t reached = 0;
        while (reached < byPc.size() && RunUntilStop(frame, shell::ID_DEBUG_GO)) {
            const DWORD pc = Pc();
            ASSERT_TRUE(addresses.count(pc)) << std::hex << pc;
            lookups::ToggleBreakpointAtAddr({pc, ADDR_SPACE_TARGET}, 0);
            const auto it = byPc.find(pc);
            if (it == byPc.end())
                continue;
            ++reached;
            // gcc's location lists may name a stack slot a few instructions
            // before the store into it: a word there is a stale stack
            // address, which lies elsewhere in qemu. Such values are not
            // compared.
            const uint32_t sp = it->second.count("$sp") ? std::stoul(it->second.at("$sp"), nullptr, 16) : 0;
            auto staleStackWord = [sp](const std::string& text) {
                char* end = nullptr;
                const long long v = std::strtoll(text.c_str(), &end, 10);
                if (text.empty() || *end != '\0')
                    return false;
                for (uint32_t word : {static_cast<uint32_t>(v), static_cast<uint32_t>(static_cast<uint64_t>(v) >> 32)})
                    if (word - (sp - 0x10000u) < 0x20000u)
                        return true;
                return false;
            };
            for (const char* name : w.names) {
                const auto value = it->second.find(name);
                if (value == it->second.end() || staleStackWord(value->second))
                    continue;
                const std::string tip = DataTip(w.file, line, name);
                if (value->second == "<optimized out>") {
                    EXPECT_THAT(tip, ::testing::AnyOf("???", "<optimized out>")) << name << std::hex << " at " << pc;
                } else {
                    EXPECT_EQ(tip, value->second) << name << std::hex << " at " << pc;
                    ++compared;
                }
            }
        }
        EXPECT_EQ(reached, byPc.size()) << "the addresses gdb reached";
        EXPECT_GT(compared, byPc.size()) << "values compared";
        BptDeleteAllObjects();
    }
}

// The step commands from a stop in functions whose helpers gcc inlines:
// every step shows addr2line's file and line of the PC, never another file's.
TEST_P(FrameSoakTest, SteppingThroughInlinedCodeShowsAddr2LinesFile)
{
    CMainFrame* frame = StartWithLoadFile();
    ASSERT_NE(frame, nullptr);
    std::set<std::string> shown;
    for (const char* function : {"shapes_make", "triangle_perimeter", "sort_quick", "fnv_mix"}) {
        SCOPED_TRACE(function);
        ADDR start{}, last{};
        ASSERT_EQ(SrcGetFuncRange(function, &start, &last), 0);
        lookups::ToggleBreakpointAtAddr(start, 0);
        ASSERT_TRUE(RunUntilStop(frame, shell::ID_DEBUG_GO));
        lookups::ToggleBreakpointAtAddr(start, 0);
        ExpectStopIsAddr2Lines(frame);
        // Step Into, then Step Over and a Step Out from where that left.
        std::vector<UINT> steps(25, shell::ID_DEBUG_STEP_INTO);
        steps.insert(steps.end(), 8, shell::ID_DEBUG_STEP_OVER);
        steps.push_back(shell::ID_DEBUG_STEP_OUT);
        for (UINT command : steps) {
            if (!RunUntilStop(frame, command))
                break;
            ExpectStopIsAddr2Lines(frame);
            shown.insert(FileName(frame->GetStopPosition().sourcePath));
        }
    }
    EXPECT_TRUE(shown.count("inline_math.h")) << "the steps went into the inlined helpers";
}

INSTANTIATE_TEST_SUITE_P(Images, FrameSoakTest,
                         ::testing::Values("frame_soak_arm_o0", "frame_soak_thumb_o0", "frame_soak_arm_o2",
                                           "frame_soak_thumb_o2"));

}  // namespace
}  // namespace mainframe
