// A user's macro file drives the debugger on the example program (built
// -O0) in the real simulator, through the script server as quelm loads it:
// symbols against arm-none-eabi-nm, memory against -objcopy, the listing
// against -objdump, the line assembler against -as, a breakpoint on a
// source line against readelf's decoded lines with the Halt handler
// ending a Wait loop, values and single steps against gdb-multiarch over
// qemu, the shell through ShellCmd.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "appdebug/debug_core.h"
#include "appdebug/symbol_records.h"
#include "emu_messages.h"
#include "host_tools.h"
#include "lathris/registry.h"
#include "platform/messages.h"
#include "platform/scripted_ui_gtest.h"
#include "qemu_reference.h"
#include "quentor.h"
#include "sarvik.h"
#include "sarvik/frame_stop.h"
#include "script_globals.h"
#include "scriptsrv/script_server.h"
#include "shell/macro_files.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "tarnel.h"
#include "ticking_timers.h"
#include "vexlor/vexlor.h"

namespace scriptsrv {
namespace {

using appdebug::CDebugCore;
using zk::test::RunProcess;

constexpr int kBreakLine = 20;  // "total += value;" in main.c

const sarvik::StopEntries kCore = sarvik::LinkedStopEntries();

std::string Tool(const std::vector<std::string>& argv)
{
    const zk::test::ProcessResult r = RunProcess(argv);
    EXPECT_EQ(r.exitStatus, 0) << argv[0] << " (run scripts/setup): " << r.err;
    return r.out;
}

std::string Scratch(const std::string& what)
{
    return (std::filesystem::temp_directory_path() / ("zk-script-sim-" + std::to_string(getpid()) + "-" + what))
        .string();
}

// The main frame as the core and the stop handling see it.
class SimFrame : public appdebug::DebugFrame, public sarvik::StopDisplay {
public:
    SimFrame()
    {
        hwnd_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == WM_EMU_ERROR)
                sarvik::HandleTargetStop(kCore, *this, w, l);
            return 1;
        });
    }
    ~SimFrame() override { platform::DestroySink(hwnd_); }
    HWND FrameWindow() const override { return hwnd_; }
    bool IsConnected() const override { return connected; }
    appdebug::ChildFrameKind ActiveChildKind() const override { return appdebug::ChildFrameKind::None; }
    bool ActiveChildCursorAddress(ADDR*) const override { return false; }
    appdebug::DebugWindow* CreateDebugWindow(int, const std::string&, DWORD) override { return nullptr; }
    void ActivateChild(appdebug::DebugWindow*) override {}
    // The stop display raises the Halt event, as the main frame does.
    void ShowHalt(uint16_t cause, const char*) override
    {
        if (core)
            core->FireEvent(appdebug::kEventHalt, static_cast<short>(cause));
    }
    void Refresh() override {}

    bool connected = false;
    CDebugCore* core = nullptr;

private:
    HWND hwnd_ = nullptr;
};

// The macro file as a user writes it.
const char kUserMacros[] = R"(' Checks of the example program.
Dim halts, cause, mainAt, squaresAt, mainName, squaresName
Dim b1, b2, b4, t1, t2, t4, listing, asmResult, asmWord
Dim bpResult, goResult, waited, bps, pcAtLine, pcAfterStep, total, value
Dim shellBp, shellList, found

Sub Debugger_Halt(sType)
    halts = halts + 1
    cause = sType
End Sub

Sub Symbols
    mainAt = Debugger.AddressOf("main")
    squaresAt = Debugger.AddressOf("squares")
    mainName = Debugger.NameOf(mainAt)
    squaresName = Debugger.NameOf(squaresAt + 4)
End Sub

Sub Memory
    b1 = Debugger.MemDump(mainAt, 1) : t1 = VarType(b1)
    b2 = Debugger.MemDump(mainAt, 2) : t2 = VarType(b2)
    b4 = Debugger.MemDump(mainAt, 8) : t4 = VarType(b4)
    listing = Debugger.Disasm(mainAt, 1)
    ' A length past the pattern's is taken as the pattern's.
    found = Debugger.MemSearch(mainAt - 16, mainAt + 64, Chr(b1), 1000, True)
End Sub

Sub Assemble(at)
    asmResult = Debugger.Asm(at, "mov r0, #1")
    asmWord = Debugger.MemDump(at, 4)
End Sub

Sub RunToLine
    halts = 0
    bpResult = Debugger.BpAddOnLine(LINE, "main.c", True)
    goResult = Debugger.Go(0, -1)
    waited = 0
    Do While halts = 0 And waited < 20
        Wait 1
        waited = waited + 1
    Loop
    pcAtLine = Debugger.GetRegValue("pc")
    bps = ""
    For Each b In Debugger.Breakpoints
        bps = bps & Hex(b.Address) & ";"
    Next
End Sub

Sub Again
    halts = 0
    Debugger.Go 0, -1
    Do While halts = 0
        Wait 1
    Loop
    total = Debugger.Evaluate("total")
    value = Debugger.Evaluate("value")
End Sub

Sub StepOnce
    Debugger.StepInto
    pcAfterStep = Debugger.GetRegValue("pc")
End Sub

Sub Shell
    shellBp = Debugger.ShellCmd("bp #main")
    shellList = Debugger.ShellCmd("bp")
End Sub
)";

class ScriptSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        shell::RegisterShellResources();
        {
            CRegistry key;
            ASSERT_TRUE(key.CreateKey(appdebug::ConfigurationKeyPath()));
            key.Write("Protocol", "Simulator");
            key.Write("Target CPU", "ARM7TDMI");
        }
        theSettings.Protocol = "Simulator";
        theSettings.IgnoreBP = 1;
        theSettings.SemiHosting = 1;
        theSettings.SemiHostVector = 8;
        theSettings.TopMemory = 0x08000000;
        theSettings.Exceptions = EMU_CATCH_DEFAULT;
        theSettings.Simulate = 1;
        theSettings.RunAccess = 0;
        SetBpSaveFile(nullptr);
        core_ = std::make_unique<CDebugCore>(&frame_);
        frame_.core = core_.get();
        appdebug::SetCurrentDebugCore(core_.get());
        ASSERT_TRUE(core_->ConnectTarget(TRUE)) << "libDorvel.so in the program's folder";
        frame_.connected = true;
        image_ = zk::test::FixturePath("example_hello_O0");
        ASSERT_EQ(LdrLoadWin(image_.c_str(), 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
        appdebug::LoadedModules().Rebuild();
        core_->Reset();                   // the PC at the entry
        appdebug::g_stepSourceLevel = 0;  // steps by instruction, as gdb's stepi

        // Loaded from a file as the application reads macro files.
        macroFile_ = Scratch("user.mac");
        std::string text = kUserMacros;
        text = std::regex_replace(text, std::regex("LINE"), std::to_string(kBreakLine));
        std::ofstream(macroFile_) << text;
        const shell::MacroLoad load = shell::ReadMacroFiles({macroFile_});
        ASSERT_TRUE(load.ok);
        EXPECT_EQ(load.procedures,
                  (std::vector<std::string>{"Debugger_Halt(sType)", "Symbols", "Memory", "Assemble(at)", "RunToLine",
                                            "Again", "StepOnce", "Shell"}));
        server_ = new CScriptServer;
        ASSERT_TRUE(server_->LoadScriptText(load.script));
    }
    void TearDown() override
    {
        server_->CloseScriptEngine();
        server_->ExternalRelease();
        EmuHalt();
        platform::PumpPending();
        BptDeleteAllObjects();
        core_.reset();
        std::filesystem::remove(macroFile_);
    }

    VARIANT Global(const char* name) { return test::ScriptGlobal(server_->Engine(), name); }
    uint32_t Word(const char* name)
    {
        VARIANT v = Global(name);
        VariantChangeType(&v, &v, 0, VT_I4);
        return static_cast<uint32_t>(v.lVal);
    }
    std::string Text(const char* name)
    {
        VARIANT v = Global(name);
        std::string s = v.vt == VT_BSTR && v.bstrVal ? v.bstrVal : "";
        VariantClear(&v);
        return s;
    }
    std::map<std::string, uint32_t> Nm()
    {
        std::map<std::string, uint32_t> out;
        std::istringstream in(Tool({"arm-none-eabi-nm", image_}));
        std::string value, type, name;
        while (in >> value >> type >> name)
            out[name] = static_cast<uint32_t>(std::stoul(value, nullptr, 16));
        return out;
    }

    platform::GTestScriptedUi ui_;
    test::TickingTimers timers_;
    SimFrame frame_;
    std::unique_ptr<CDebugCore> core_;
    CScriptServer* server_ = nullptr;
    std::string image_;
    std::string macroFile_;
};

TEST_F(ScriptSimTest, SymbolsMemoryAndTheListingAgreeWithTheTools)
{
    server_->ExecuteScript("Symbols");
    server_->ExecuteScript("Memory");
    const auto nm = Nm();
    EXPECT_EQ(Word("mainAt"), nm.at("main"));
    EXPECT_EQ(Word("squaresAt"), nm.at("squares"));
    EXPECT_EQ(Text("mainName"), "main");
    EXPECT_EQ(Text("squaresName"), "squares");

    // The bytes at main as objcopy writes the section.
    const std::string bin = Scratch("text.bin");
    Tool({"arm-none-eabi-objcopy", "-O", "binary", "--only-section=.text", image_, bin});
    const std::string bytes = zk::test::ReadFileBytes(bin);
    std::filesystem::remove(bin);
    uint32_t textStart = 0;
    std::istringstream sections(Tool({"arm-none-eabi-readelf", "-S", "-W", image_}));
    for (std::string line; std::getline(sections, line);) {
        std::istringstream fields(line.substr(line.find(']') + 1));
        std::string name, type, addr;
        if (line.find(']') != std::string::npos && fields >> name >> type >> addr && name == ".text")
            textStart = static_cast<uint32_t>(std::stoul(addr, nullptr, 16));
    }
    const size_t at = nm.at("main") - textStart;
    ASSERT_LT(at + 4, bytes.size());
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])); };
    EXPECT_EQ(Word("t1"), static_cast<uint32_t>(VT_UI1));
    EXPECT_EQ(Word("t2"), static_cast<uint32_t>(VT_I2));
    EXPECT_EQ(Word("t4"), static_cast<uint32_t>(VT_I4));  // 8 bytes are read as 4
    EXPECT_EQ(Word("b1"), byte(0));
    EXPECT_EQ(Word("b2") & 0xFFFF, byte(0) | byte(1) << 8);
    const uint32_t word = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
    EXPECT_EQ(Word("b4"), word);
    // The first byte equal to main's first, from 16 bytes before it.
    size_t first = at - 16;
    while (bytes[first] != bytes[at])
        ++first;
    EXPECT_EQ(Word("found"), textStart + first);

    // objdump's line of main: its address and opcode lead the listing.
    std::istringstream dump(Tool({"arm-none-eabi-objdump", "-d", "--start-address=" + std::to_string(nm.at("main")),
                                  "--stop-address=" + std::to_string(nm.at("main") + 4), image_}));
    std::string objdumpOpcode;
    for (std::string line; std::getline(dump, line);) {
        std::smatch m;
        if (std::regex_search(line, m, std::regex(R"(^\s*[0-9a-f]+:\s+([0-9a-f]{8})\s)")))
            objdumpOpcode = m[1];
    }
    char expected[32];
    std::snprintf(expected, sizeof expected, "%08X %s", nm.at("main"), objdumpOpcode.c_str());
    std::string listing = Text("listing");
    for (char& c : listing)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : expected)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(listing.substr(0, std::strlen(expected)), expected) << listing;
}

TEST_F(ScriptSimTest, AsmWritesTheAssemblersBytes)
{
    const std::string source = Scratch("line.s"), object = Scratch("line.o"), bin = Scratch("line.bin");
    std::ofstream(source) << "\t.arm\n\tmov r0, #1\n";
    Tool({"arm-none-eabi-as", "-o", object, source});
    Tool({"arm-none-eabi-objcopy", "-O", "binary", object, bin});
    const std::string bytes = zk::test::ReadFileBytes(bin);
    for (const std::string& f : {source, object, bin})
        std::filesystem::remove(f);
    ASSERT_EQ(bytes.size(), 4u);
    const uint32_t word = static_cast<uint8_t>(bytes[0]) | static_cast<uint8_t>(bytes[1]) << 8 |
        static_cast<uint8_t>(bytes[2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(bytes[3])) << 24;

    const uint32_t scratch = Nm().at("squares");  // data, not code the test runs
    server_->ExecuteScript("Assemble " + std::to_string(scratch));
    EXPECT_EQ(Word("asmResult"), 0u);
    EXPECT_EQ(Word("asmWord"), word);
}

TEST_F(ScriptSimTest, ABreakpointOnALineEndsTheWaitLoopThroughTheHaltHandler)
{
    // readelf's first statement address of the line.
    uint32_t lineAddress = 0;
    std::istringstream lines(Tool({"arm-none-eabi-readelf", "--debug-dump=decodedline", image_}));
    for (std::string line; std::getline(lines, line) && !lineAddress;) {
        std::istringstream fields(line);
        std::string file, number, address;
        if (fields >> file >> number >> address && file == "main.c" && number == std::to_string(kBreakLine))
            lineAddress = static_cast<uint32_t>(std::stoul(address, nullptr, 16));
    }
    ASSERT_NE(lineAddress, 0u);
    std::vector<uint32_t> gdbPcs;
    std::string gdbError;
    ASSERT_TRUE(zk::test::QemuPcsAfter(image_, {lineAddress}, "stepi", &gdbPcs, &gdbError)) << gdbError;
    const zk::test::ProcessResult gdb = zk::test::RunGdbOnQemu(
        image_, {"break main.c:" + std::to_string(kBreakLine), "continue", "continue", "print total", "print value"});
    std::smatch m;
    std::vector<uint32_t> printed;
    for (std::string out = gdb.out; std::regex_search(out, m, std::regex(R"(\$\d+ = (-?\d+))")); out = m.suffix())
        printed.push_back(static_cast<uint32_t>(std::stol(m[1])));
    ASSERT_EQ(printed.size(), 2u) << gdb.out << gdb.err;

    server_->ExecuteScript("RunToLine");
    EXPECT_EQ(Word("bpResult"), 0u);
    EXPECT_EQ(Word("goResult"), 0u);
    EXPECT_EQ(Word("halts"), 1u);
    EXPECT_EQ(Word("cause"), static_cast<uint32_t>(HALT_BREAKPOINT));
    EXPECT_LT(Word("waited"), 20u);
    EXPECT_EQ(Word("pcAtLine"), lineAddress);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X;", lineAddress);
    EXPECT_NE(Text("bps").find(hex), std::string::npos) << Text("bps");  // beside the vector catches

    server_->ExecuteScript("StepOnce");
    EXPECT_EQ(Word("pcAfterStep"), gdbPcs.at(0));

    // Again to the line: the values there as gdb prints them.
    server_->ExecuteScript("Again");
    EXPECT_EQ(Word("total"), printed[0]);
    EXPECT_EQ(Word("value"), printed[1]);
}

TEST_F(ScriptSimTest, ShellCommandsAnswerZeroWithTheShellsText)
{
    server_->ExecuteScript("Symbols");
    server_->ExecuteScript("Shell");
    EXPECT_EQ(Word("shellBp"), 0u);
    EXPECT_EQ(Word("shellList"), 0u);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", Word("mainAt"));
    std::string result = core_->ShellResult();
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_NE(result.find(hex), std::string::npos) << core_->ShellResult();
}

}  // namespace
}  // namespace scriptsrv
