// The debugger core driven by command id on the real simulator library,
// connected through ConnectTarget as the program connects, with gcc images
// (ARM and Thumb, -O0) loaded through the loader front end. Addresses come
// from arm-none-eabi-readelf and -nm, the code bytes from -objcopy, the
// registers at a go-till from qemu under gdb-multiarch.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <map>
#include <set>
#include <sstream>

#include <unistd.h>

#include "appdebug/debug_core.h"
#include "appdebug/program_load.h"
#include "appdebug/symbol_records.h"
#include "core_fakes.h"
#include "host_tools.h"
#include "lathris/registry.h"
#include "platform/messages.h"
#include "platform/scripted_ui_gtest.h"
#include "qemu_reference.h"
#include "quentor.h"
#include "quinar/quinar.h"
#include "sarvik.h"
#include "sarvik/frame_stop.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace appdebug::test {
namespace {

using zk::test::RunProcess;

constexpr int kStopWaitMs = 10000;
constexpr uint32_t kTopMemory = 0x08000000;

const sarvik::StopEntries kCore = sarvik::LinkedStopEntries();

// --- the reference tools -----------------------------------------------------

std::string Tool(const std::vector<std::string>& argv)
{
    const zk::test::ProcessResult r = RunProcess(argv);
    EXPECT_EQ(r.exitStatus, 0) << argv[0] << " (run scripts/setup): " << r.err;
    return r.out;
}

uint32_t ReadelfEntry(const std::string& image)
{
    std::istringstream in(Tool({"arm-none-eabi-readelf", "-h", image}));
    for (std::string line; std::getline(in, line);)
        if (const size_t at = line.find("Entry point address:"); at != std::string::npos)
            return static_cast<uint32_t>(std::stoul(line.substr(at + 20), nullptr, 16));
    ADD_FAILURE() << "no entry in readelf -h";
    return 0;
}

std::map<std::string, uint32_t> NmSymbols(const std::string& image)
{
    std::map<std::string, uint32_t> out;
    std::istringstream in(Tool({"arm-none-eabi-nm", image}));
    std::string value, type, name;
    while (in >> value >> type >> name)
        out[name] = static_cast<uint32_t>(std::stoul(value, nullptr, 16));
    return out;
}

// The .text section's address and its bytes as objcopy writes them.
std::pair<uint32_t, std::string> TextBytes(const std::string& image)
{
    uint32_t address = 0;
    std::istringstream in(Tool({"arm-none-eabi-readelf", "-S", "-W", image}));
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line.substr(line.find(']') + 1));
        std::string name, type, addr;
        if (line.find(']') != std::string::npos && fields >> name >> type >> addr && name == ".text")
            address = static_cast<uint32_t>(std::stoul(addr, nullptr, 16));
    }
    const std::string out =
        (std::filesystem::temp_directory_path() / ("zk-appdebug-text-" + std::to_string(getpid()) + ".bin")).string();
    Tool({"arm-none-eabi-objcopy", "-O", "binary", "-j", ".text", image, out});
    std::string bytes = zk::test::ReadFileBytes(out);
    std::filesystem::remove(out);
    return {address, bytes};
}

// The compile units with code but the assembler's (the loader gives those
// no range: their version 5 high pc is an offset it does not add), each as (file
// name, lowest code address): the unit's own low pc when it has one, else
// the lowest of its functions' (units built with -ffunction-sections give
// their range per function). Units of one name share one module.
using UnitList = std::vector<std::pair<std::string, uint32_t>>;

UnitList UnitsWithCode(const std::string& image)
{
    UnitList units;
    std::istringstream in(Tool({"arm-none-eabi-readelf", "--debug-dump=info", image}));
    std::string tag, name;
    bool haveUnit = false;
    bool assembler = false;
    uint32_t lowest = UINT32_MAX;
    std::map<std::string, uint32_t> byName;
    const auto endUnit = [&] {
        if (haveUnit && !assembler && lowest != UINT32_MAX) {
            const std::string file = std::filesystem::path(name).filename().string();
            byName[file] = byName.count(file) ? std::min(byName[file], lowest) : lowest;
        }
        haveUnit = false;
        lowest = UINT32_MAX;
    };
    for (std::string line; std::getline(in, line);) {
        if (line.find("Compilation Unit @") != std::string::npos) {
            endUnit();
            assembler = false;
            continue;
        }
        if (const size_t at = line.find("(DW_TAG_"); at != std::string::npos) {
            tag = line.substr(at + 1, line.find(')', at) - at - 1);
            if (tag == "DW_TAG_compile_unit") {
                haveUnit = true;
                name.clear();
            }
            continue;
        }
        const size_t colon = line.rfind(':');
        if (tag == "DW_TAG_compile_unit" && line.find("DW_AT_producer") != std::string::npos)
            assembler = line.find("GNU AS") != std::string::npos;
        if (tag == "DW_TAG_compile_unit" && line.find("DW_AT_name") != std::string::npos) {
            name = line.substr(colon + 2);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\r'))
                name.pop_back();
        }
        if (line.find("DW_AT_low_pc") != std::string::npos &&
            (tag == "DW_TAG_compile_unit" || tag == "DW_TAG_subprogram")) {
            const uint32_t pc = static_cast<uint32_t>(std::stoul(line.substr(colon + 1), nullptr, 16));
            if (pc != 0 || tag == "DW_TAG_subprogram")
                lowest = std::min(lowest, pc);
        }
    }
    endUnit();
    for (const auto& [file, start] : byName)
        units.emplace_back(file, start);
    return units;
}

// --- the frame ----------------------------------------------------------------

// The main frame's part at every stop: the shared stop handling, the halt
// text kept, the Halt event raised through the core's hook.
class SimFrame : public DebugFrame, public sarvik::StopDisplay {
public:
    SimFrame()
    {
        hwnd_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == WM_EMU_ERROR)
                sarvik::HandleTargetStop(kCore, *this, w, l);
            else if (msg == WM_EMU_REFRESH)
                ++refreshes;
            else if (msg == WM_EMU_BUSY)
                busy.push_back(static_cast<int>(l));
            return 1;
        });
    }
    ~SimFrame() override { platform::DestroySink(hwnd_); }

    HWND FrameWindow() const override { return hwnd_; }
    bool IsConnected() const override { return connected; }
    ChildFrameKind ActiveChildKind() const override { return ChildFrameKind::None; }
    bool ActiveChildCursorAddress(ADDR*) const override { return false; }
    DebugWindow* CreateDebugWindow(int, const std::string&, DWORD) override { return nullptr; }
    void ActivateChild(DebugWindow*) override {}

    void ShowHalt(uint16_t cause, const char* text) override
    {
        haltTexts.push_back(text ? text : "");
        if (core)
            core->FireEvent(kEventHalt, static_cast<short>(cause));
    }
    void Refresh() override { SendMessage(hwnd_, WM_EMU_REFRESH, 0, 0); }

    bool connected = false;
    int refreshes = 0;
    std::vector<int> busy;
    std::vector<std::string> haltTexts;
    CDebugCore* core = nullptr;

private:
    HWND hwnd_ = nullptr;
};

class SimCoreTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        shell::RegisterShellResources();
        {
            CRegistry key;
            ASSERT_TRUE(key.CreateKey(ConfigurationKeyPath()));
            key.Write("Protocol", "Simulator");
            key.Write("Target CPU", "ARM7TDMI");
        }
        theSettings.Protocol = "Simulator";
        theSettings.IgnoreBP = 1;
        theSettings.SemiHosting = 1;
        theSettings.SemiHostVector = 8;
        theSettings.TopMemory = kTopMemory;
        theSettings.Exceptions = EMU_CATCH_DEFAULT;
        theSettings.OnlyStartAddr = 0;
        theSettings.CMainEntry = "main";
        theSettings.IsLoadInitFile = 0;
        theSettings.Simulate = 1;
        theSettings.RunAccess = 0;
        core_ = std::make_unique<CDebugCore>(&frame_);
        frame_.core = core_.get();
        core_->SetEventSink([this](int event, short cause) { events_.push_back({event, cause}); });
        ASSERT_TRUE(core_->ConnectTarget(TRUE)) << "libDorvel.so in the program's folder";
        frame_.connected = true;

        image_ = zk::test::FixturePath(GetParam());
        ASSERT_EQ(LdrLoadWin(image_.c_str(), 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
        SemihostSetCommandLine(image_.c_str());
        LoadedModules().Rebuild();
        nm_ = NmSymbols(image_);
        text_ = TextBytes(image_);
    }
    void TearDown() override
    {
        EmuHalt();
        platform::PumpPending();
        BptDeleteAllObjects();
        SemihostSetCommandLine("");
        core_.reset();
    }

    void Command(UINT id) { ASSERT_TRUE(core_->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr)); }
    // Pumps until the stop was shown (a refresh) and the target is stopped.
    bool WaitForStop(int refreshesBefore)
    {
        return platform::ModalWait([&] { return frame_.refreshes > refreshesBefore; }, kStopWaitMs) &&
            (CpuGetCpuStatus(0, 1) & 1) == 0;
    }
    uint32_t Pc()
    {
        DWORD pc = 0;
        CpuGetPC(&pc);
        return pc;
    }
    uint32_t Nm(const std::string& name)
    {
        EXPECT_TRUE(nm_.count(name)) << name;
        return nm_[name] & ~1u;
    }
    void ExpectCodeIsObjcopys()
    {
        std::string bytes(text_.second.size(), '\0');
        ASSERT_EQ(MemReadBlock(bytes.data(), {text_.first, 1}, static_cast<uint32_t>(bytes.size())), 0);
        EXPECT_TRUE(bytes == text_.second) << "target code differs from objcopy -O binary";
    }
    void GotoAddress(const std::string& text)
    {
        ui_.RunDialog([text](platform::ScriptedDialog& d) {
            d.set(shell::IDC_ADDRESS_EDIT, text);
            d.click(IDOK);
        });
        const int before = frame_.refreshes;
        Command(ID_DEBUG_GOTO_ADDRESS);
        ASSERT_TRUE(WaitForStop(before));
    }
    void ResetToTheStart()
    {
        ui_.AnswerMessageBox(IDYES);
        Command(ID_DEBUG_RESET);
    }

    TempRegistry registry_;
    platform::GTestScriptedUi ui_;
    SimFrame frame_;
    std::unique_ptr<CDebugCore> core_;
    std::vector<std::pair<int, short>> events_;
    std::string image_;
    std::map<std::string, uint32_t> nm_;
    std::pair<uint32_t, std::string> text_;
};

TEST_P(SimCoreTest, ResetAnsweredYesPutsThePcAtTheEntry)
{
    GotoAddress("#spin");
    const int before = frame_.refreshes;
    ResetToTheStart();
    EXPECT_GT(frame_.refreshes, before);
    EXPECT_EQ(Pc(), ReadelfEntry(image_) & ~1u);
    ExpectCodeIsObjcopys();
}

TEST_P(SimCoreTest, RestartStopsAtMainOrWithOnlyStartAddrAtTheEntry)
{
    ResetToTheStart();
    int before = frame_.refreshes;
    Command(ID_DEBUG_RESTART);
    ASSERT_TRUE(WaitForStop(before));
    EXPECT_EQ(Pc(), Nm("main"));
    ExpectCodeIsObjcopys();

    // A restart from a running target halts it first.
    core_->Go(0, -1);
    theSettings.OnlyStartAddr = 1;
    before = frame_.refreshes;
    Command(ID_DEBUG_RESTART);
    ASSERT_TRUE(WaitForStop(before));
    EXPECT_EQ(Pc(), ReadelfEntry(image_) & ~1u);
    ExpectCodeIsObjcopys();
}

TEST_P(SimCoreTest, GotoAddressStopsAtTheFunctionWithQemusRegisters)
{
    // newlib's start-up sets r10 to the heap information's stack limit plus
    // 256, and the two machines choose their own limit: r10 is compared
    // through the block each one gave.
    const uint32_t heapBlock = nm_.at("HeapBase");
    const zk::test::QemuStop ref = zk::test::QemuStopAt(image_, "*target_func", std::to_string(heapBlock), 4);
    ASSERT_TRUE(ref.ok) << ref.error;

    ResetToTheStart();
    GotoAddress("#target_func");
    EXPECT_EQ(Pc(), Nm("target_func"));
    ExpectCodeIsObjcopys();

    zk::test::ArmState sim;
    for (DWORD id = 0; id < 16; ++id)
        ASSERT_EQ(CpuGetRegister(id, &sim.r[id]), 0);
    ASSERT_EQ(CpuGetRegister(VEXLOR_REG_CPSR, &sim.cpsr), 0);
    uint8_t bytes[16];
    ASSERT_EQ(MemReadBlock(bytes, {heapBlock, 1}, sizeof bytes), 0);
    const uint32_t simLimit =
        uint32_t{bytes[12]} | uint32_t{bytes[13]} << 8 | uint32_t{bytes[14]} << 16 | uint32_t{bytes[15]} << 24;
    EXPECT_EQ(sim.r[10], simLimit + 0x100);
    EXPECT_EQ(ref.atStop.r[10], ref.words[3] + 0x100);
    zk::test::ArmState expected = ref.atStop;
    expected.r[10] = sim.r[10];
    expected.cpsr &= zk::test::CPSR_COMPARED_BITS;
    sim.cpsr &= zk::test::CPSR_COMPARED_BITS;
    EXPECT_TRUE(std::equal(sim.r, sim.r + 16, expected.r) && sim.cpsr == expected.cpsr)
        << zk::test::SideBySide(expected, sim);
}

TEST_P(SimCoreTest, HaltInTheBusyLoopShowsTheAbortSwitch)
{
    ResetToTheStart();
    GotoAddress("#spin");
    Command(ID_DEBUG_GO);
    ASSERT_TRUE(platform::ModalWait([] { return (CpuGetCpuStatus1() & 1) != 0; }, kStopWaitMs));
    frame_.haltTexts.clear();
    events_.clear();
    const int before = frame_.refreshes;
    Command(ID_DEBUG_HALT);
    ASSERT_TRUE(WaitForStop(before));
    ASSERT_EQ(frame_.haltTexts.size(), 1u);
    EXPECT_EQ(frame_.haltTexts[0], "Halt by Pressing Abort Switch!");
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_EQ(events_[0].first, kEventHalt);
    const uint32_t pc = Pc();
    EXPECT_GE(pc, Nm("spin"));
    EXPECT_LT(pc, Nm("main"));
    ExpectCodeIsObjcopys();
}

TEST_P(SimCoreTest, SymbolLookUpAndModuleListAgreeWithTheTools)
{
    ADDR main{0, 2};
    ASSERT_EQ(SymServerSymToAddr("#main", &main), SYM_OK);
    EXPECT_EQ(main.off, Nm("main"));
    EXPECT_EQ(main.seg, ADDR_SPACE_TARGET);
    ADDR none{7, 2};
    EXPECT_NE(SymServerSymToAddr("#no_such_function", &none), SYM_OK);
    EXPECT_EQ(none.off, 7u);

    UnitList listed;
    for (const CModuleInfo* m : LoadedModules().Modules()) {
        EXPECT_LE(m->m_start.off, m->m_end.off);
        EXPECT_EQ(m->m_start.seg, ADDR_SPACE_TARGET);
        listed.emplace_back(std::filesystem::path(m->m_name).filename().string(), m->m_start.off);
    }
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, UnitsWithCode(image_));
    EXPECT_TRUE(std::count(listed.begin(), listed.end(), std::make_pair(std::string("core_helper.c"), Nm("twice"))));
}

// The program names its host file without a folder: each test that lets it
// write one runs in a folder of its own (CTest runs the tests of this binary
// side by side).
class OwnFolder {
public:
    explicit OwnFolder(const std::string& name)
        : previous_(std::filesystem::current_path()),
          path_(std::filesystem::temp_directory_path() / (name + "_" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(path_);
        std::filesystem::current_path(path_);
    }
    ~OwnFolder()
    {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
        std::filesystem::remove_all(path_, ec);
    }

private:
    std::filesystem::path previous_, path_;
};

TEST_P(SimCoreTest, RestartClosesTheProgramsHostFiles)
{
    const std::string code = std::string(GetParam()).substr(std::string("appdebug_").size());
    const OwnFolder folder("appdebug_restart_" + code);
    const std::filesystem::path file = std::filesystem::current_path() / ("appdebug_host_file_" + code + ".txt");
    std::filesystem::remove(file);
    ResetToTheStart();
    GotoAddress("#target_func");  // after the start-up cleared the flag
    const uint8_t one[4] = {1, 0, 0, 0};
    ASSERT_EQ(MemWriteBlock({Nm("write_host_file"), 1}, one, 4, 4), 0);
    GotoAddress("#spin");
    ASSERT_TRUE(std::filesystem::exists(file));
    const int before = frame_.refreshes;
    Command(ID_DEBUG_RESTART);
    ASSERT_TRUE(WaitForStop(before));
    EXPECT_EQ(Pc(), Nm("main"));
    // Closed: everything the program wrote is in the file, and the file can
    // go while the program is restarted.
    EXPECT_EQ(zk::test::ReadFileBytes(file.string()), "written before the restart");
    EXPECT_TRUE(std::filesystem::remove(file));
}

// A reload of the image ends the old program: its host files are closed
// as at a restart, and the new program starts at the entry.
TEST_P(SimCoreTest, AReloadClosesTheProgramsHostFiles)
{
    const std::string code = std::string(GetParam()).substr(std::string("appdebug_").size());
    const OwnFolder folder("appdebug_reload_" + code);
    const std::filesystem::path file = std::filesystem::current_path() / ("appdebug_host_file_" + code + ".txt");
    std::filesystem::remove(file);
    ResetToTheStart();
    GotoAddress("#target_func");
    const uint8_t one[4] = {1, 0, 0, 0};
    ASSERT_EQ(MemWriteBlock({Nm("write_host_file"), 1}, one, 4, 4), 0);
    GotoAddress("#spin");
    ASSERT_TRUE(std::filesystem::exists(file));
    const int before = frame_.refreshes;
    ASSERT_EQ(ProgramLoader(RealTargetSide(), frame_.FrameWindow())
                  .LoadTargetProgram(image_, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS),
              LDR_OK);
    EXPECT_GT(frame_.refreshes, before) << "the load shows the new stop";
    EXPECT_EQ(Pc(), ReadelfEntry(image_) & ~1u);
    EXPECT_EQ(zk::test::ReadFileBytes(file.string()), "written before the restart");
    EXPECT_TRUE(std::filesystem::remove(file));
    ExpectCodeIsObjcopys();
}

INSTANTIATE_TEST_SUITE_P(Code, SimCoreTest, ::testing::Values("appdebug_arm", "appdebug_thumb"));

}  // namespace
}  // namespace appdebug::test
