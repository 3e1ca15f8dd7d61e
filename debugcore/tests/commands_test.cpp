// The breakpoint and watchpoint text commands: their texts on the shell
// console, the calls they make, and the shell server running them.
#include <platform/modules.h>
#include <platform/scripted_ui_gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <initializer_list>

#include "bp_file.h"
#include "brevan/brevan.h"
#include "quinar/quinar.h"
#include "sarvik_fixture.h"
#include "watch_units.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Runs in a folder of its own: the set command writes "_envbpsave.sav"
// into the current folder.
class CommandTest : public SarvikTest {
protected:
    void SetUp() override
    {
        SarvikTest::SetUp();
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        home_ = cwd;
        folder_ = testing::TempDir() + "/sarvik_commands_" + std::to_string(getpid());
        mkdir(folder_.c_str(), 0700);
        ASSERT_EQ(chdir(folder_.c_str()), 0);
        std::remove(BP_SAVE_FILE);
    }
    void TearDown() override
    {
        std::remove(BP_SAVE_FILE);
        EXPECT_EQ(chdir(home_.c_str()), 0);
        rmdir(folder_.c_str());
        SymClearSymbolTables(0);
        SarvikTest::TearDown();
    }

    // Runs a command with the words given (the command word first) and
    // returns what it printed.
    static std::vector<std::string> Run(void (*command)(int, char**), std::initializer_list<const char*> words)
    {
        std::vector<std::string> copies(words.begin(), words.end());
        std::vector<char*> argv;
        for (std::string& w : copies)
            argv.push_back(w.data());
        brevan::MessageCapture capture;
        command(static_cast<int>(argv.size()), argv.data());
        return capture.texts;
    }
    std::vector<std::pair<WPARAM, LPARAM>> UpdateViews() const
    {
        std::vector<std::pair<WPARAM, LPARAM>> out;
        for (const MainMessage& m : Messages(WM_EMU_UPDATE_VIEWS))
            out.emplace_back(m.wParam, m.lParam);
        return out;
    }
    static bool SaveFileExists() { return access(BP_SAVE_FILE, F_OK) == 0; }

    std::string home_, folder_;
};

TEST_F(CommandTest, TheSetCommandListsTheBreakpoints)
{
    Set(0x8000);
    const ADDR disabled{0x8010, 1};
    ASSERT_EQ(BptSetBp(&disabled, "", 1, 0, 0, 0xFFFFFFFFu), EMU_OK);
    const ADDR noSpace{0x20, 0};
    ASSERT_EQ(BptSetBp(&noSpace, "", 1, 0, 0, 0xFFFFFFFFu), EMU_OK);
    Fake().calls.clear();
    EXPECT_THAT(Run(BptSetCmd, {"BP"}),
                ElementsAre("Total Breakpoint number: 3", "Breakpoint at 0x00008000, Enable",
                            "Breakpoint at 0x00008010, Disable"))
        << "a breakpoint without an address text is counted, not listed";
    EXPECT_THAT(Run(BptSetCmd, {"BP", "8000", "more"}), ElementsAre("Syntax error!"));
    EXPECT_THAT(Fake().calls, IsEmpty());
    EXPECT_FALSE(SaveFileExists());
}

TEST_F(CommandTest, TheSetCommandSetsAnAlignedBreakpointAndSavesTheList)
{
    // main begins at 0x8000, so the breakpoint's symbol text is "#main".
    const ImageStamp stamp{};
    SymModuleDesc desc{2, 0x8000, 0x8FFF};
    uint32_t module = 0;
    ASSERT_EQ(SymOpenModule("app.c", &stamp, &desc, 0, 1, 0, &module, 0), SYM_OK);
    SymModuleDesc main{2, 0x8000, 0x80FF};
    ASSERT_EQ(SymAddPublicSymbol("main", 0, 0, &main, 0), SYM_OK);
    SymEndSymbolBlock();
    SymCloseModule(0);
    SymEndLoad();
    Fake().thumbRanges = {{0x9000, 0x9FFF}};

    EXPECT_THAT(Run(BptSetCmd, {"bp", "8003"}), ElementsAre("Breakpoint at 0x00008000, Enable"));
    EXPECT_THAT(Run(BptSetCmd, {"bp", "#main"}), ElementsAre("The breakpoint has already existed"));
    EXPECT_THAT(Run(BptSetCmd, {"bp", "0x9003"}), ElementsAre("Breakpoint at 0x00009002, Enable"))
        << "Thumb code: a halfword";
    EXPECT_THAT(Fake().calls, ElementsAre("emuSetBp(0x8000)", "emuSetBp(0x9002)"));
    ASSERT_EQ(BptGetList()->size(), 2u);
    EXPECT_EQ((*BptGetList())[0]->GetSymbol(), "#main");
    EXPECT_EQ((*BptGetList())[1]->GetSymbol(), "");

    // The list as the set command saved it comes back from the file.
    ASSERT_TRUE(SaveFileExists());
    BptDeleteAllObjects();
    ASSERT_EQ(RestoreBpFile(BP_SAVE_FILE), 1);
    EXPECT_EQ(ListOffsets(), (std::vector<uint32_t>{0x8000, 0x9002}));
    EXPECT_EQ((*BptGetList())[0]->GetSymbol(), "#main");
}

TEST_F(CommandTest, TheSetCommandEnablesADisabledBreakpointAndReportsFailures)
{
    const ADDR disabled{0x8010, 1};
    ASSERT_EQ(BptSetBp(&disabled, "", 1, 0, 0, 0xFFFFFFFFu), EMU_OK);
    EXPECT_THAT(Run(BptSetCmd, {"BP", "8010"}), ElementsAre("Breakpoint at 0x00008010, Enable"));
    EXPECT_EQ((*BptGetList())[0]->IsEnable(), 1);
    EXPECT_FALSE(SaveFileExists()) << "only a new breakpoint saves the list";

    Fake().failNext["emuSetBp"] = EMU_TARGET_LOST;
    EXPECT_THAT(Run(BptSetCmd, {"BP", "8020"}), ElementsAre("Communication Failed!"));
    EXPECT_EQ(BptGetList()->size(), 1u);
    EXPECT_FALSE(SaveFileExists());
}

TEST_F(CommandTest, TheClearCommandClearsAndRefreshesTheViews)
{
    Set(0x8000);
    Set(0x8004);
    Fake().calls.clear();
    EXPECT_THAT(Run(BptClearCmd, {"BC", "8002"}), IsEmpty());
    EXPECT_EQ(ListOffsets(), std::vector<uint32_t>{0x8004}) << "the aligned address";
    EXPECT_THAT(Fake().calls, ElementsAre("emuClrBp(0x8000)"));
    EXPECT_THAT(
        UpdateViews(),
        ElementsAre(std::pair<WPARAM, LPARAM>{DVK_BREAKPOINTS, -1}, std::pair<WPARAM, LPARAM>{DVK_REGISTERS, 0}));

    messages_.clear();
    Fake().failNext["emuClrBp"] = EMU_TARGET_LOST;
    EXPECT_THAT(Run(BptClearCmd, {"BC", "8004"}), ElementsAre("Communication Failed!"));
    EXPECT_THAT(UpdateViews(), IsEmpty());
    EXPECT_THAT(Run(BptClearCmd, {"BC"}), ElementsAre("Syntax error!"));
    EXPECT_THAT(Run(BptClearCmd, {"BC", "xyz"}), ElementsAre("The address is not correct! A symbol is written #xyz."));
}

// No set command that sets nothing is silent about it.
TEST_F(CommandTest, TheSetCommandSaysWhyItSetNothing)
{
    const struct {
        const char* word;
        const char* text;
    } cases[] = {
        {"#nowhere", "The symbol nowhere does not exist!"},
        {"nowhere", "The address is not correct! A symbol is written #nowhere."},
        {"not an address", "The address is not correct!"},
        {"12zz", "The address is not correct!"},
    };
    for (const auto& c : cases)
        EXPECT_THAT(Run(BptSetCmd, {"BP", c.word}), ElementsAre(c.text)) << c.word;
    EXPECT_THAT(Fake().calls, IsEmpty());

    {
        // No code behind the address, and the user declines to set it anyway.
        platform::GTestScriptedUi ui;
        ui.AnswerMessageBox(IDNO, "out of range");
        Fake().inCode = 0;
        EXPECT_THAT(Run(BptSetCmd, {"BP", "20000"}), ElementsAre("No code at 0x00020000: the breakpoint is not set!"));
        Fake().inCode = 1;
    }
    for (size_t i = 0; i < BPT_LIST_CAPACITY; ++i)
        Set(static_cast<uint32_t>(0x10000 + i * 4));
    EXPECT_THAT(Run(BptSetCmd, {"BP", "8000"}), ElementsAre("Too many breakpoints: the breakpoint is not set!"));
    EXPECT_FALSE(SaveFileExists());
}

TEST_F(CommandTest, TheSaveFileIsTheOneSetAndNoneWhenCleared)
{
    const std::string path = folder_ + "/chosen.sav";
    SetBpSaveFile(path.c_str());
    EXPECT_THAT(Run(BptSetCmd, {"BP", "8000"}), ElementsAre("Breakpoint at 0x00008000, Enable"));
    EXPECT_EQ(access(path.c_str(), F_OK), 0);
    EXPECT_FALSE(SaveFileExists());
    std::remove(path.c_str());
    SetBpSaveFile(nullptr);
    EXPECT_THAT(Run(BptSetCmd, {"BP", "8004"}), ElementsAre("Breakpoint at 0x00008004, Enable"));
    EXPECT_NE(access(path.c_str(), F_OK), 0);
    EXPECT_FALSE(SaveFileExists());
    SetBpSaveFile("_envbpsave.sav");
}

TEST_F(CommandTest, ClearAllKeepsTheReservedUnitOutsideHardwareMode)
{
    Set(0x8000);
    Core().units.Store(0, {1, 1, 0x1000, 0, 0, 0xFFFFFFFFu, 0x00F0010D});
    Fake().calls.clear();
    EXPECT_THAT(Run(BptClearCmd, {"BC", "all"}), ElementsAre("All of the breakpoints are cleared"));
    EXPECT_THAT(Fake().calls, ElementsAre("emuClrBp(0x0)", "emuClrHwBp(u0)"));
    EXPECT_TRUE(BptGetList()->empty());
    EXPECT_EQ(Core().units.Unit(0), WHPT_UNIT{});
    EXPECT_EQ(Core().units.Unit(1).used, 1u);

    const EMU_TARGET_CONFIG hardware = Config(0x105);
    EmuSetTargetConfig(&hardware);
    Fake().calls.clear();
    EXPECT_THAT(Run(BptClearCmd, {"BC", "ALL"}), ElementsAre("All of the breakpoints are cleared"));
    EXPECT_THAT(Fake().calls, ElementsAre("emuClrBp(0x0)", "emuClrHwBp(u0)", "emuClrHwBp(u1)"));
}

TEST_F(CommandTest, ClearingAUnitByName)
{
    EXPECT_THAT(Run(BptClearCmd, {"BC", "hw0"}), ElementsAre("Watchpoint 0 not set!"));
    Core().units.Store(0, {1, 1, 0x1000, 0, 0, 0xFFFFFFFFu, 0x00F0010D});
    EXPECT_THAT(Run(BptClearCmd, {"BC", "HW0"}), ElementsAre("Watchpoint 0 is cleared!"));
    EXPECT_EQ(Core().units.Unit(0).used, 0u);
    {
        platform::GTestScriptedUi ui;
        ui.AnswerMessageBox(IDNO, "Watchpoint 1 is reserved for software breakpoint, do you really clear it?")
            .AnswerMessageBox(IDYES, "do you really clear it?");
        EXPECT_THAT(Run(BptClearCmd, {"BC", "HW1"}), ElementsAre("Watchpoint 1 is reserved!"));
        EXPECT_EQ(Core().units.Unit(1).used, 1u);
        EXPECT_THAT(Run(BptClearCmd, {"BC", "hw1"}), ElementsAre("Watchpoint 1 is cleared!"));
    }
    EXPECT_THAT(Run(BptClearCmd, {"BC", "HW1"}), ElementsAre("Watchpoint 1 not set!"));

    const EMU_TARGET_CONFIG hardware = Config(0x105);
    EmuSetTargetConfig(&hardware);
    Core().units.Store(1, {1, 1, 0x1000, 0, 0, 0xFFFFFFFFu, 0x00F0010D});
    EXPECT_THAT(Run(BptClearCmd, {"BC", "HW1"}), ElementsAre("Watchpoint 1 is cleared!")) << "no question";
}

TEST_F(CommandTest, TheWatchpointCommandProgramsAUnit)
{
    Fake().calls.clear();
    EXPECT_THAT(Run(WatchpointCmd, {"WP", "addr", "1000", "-w", "access", "Write", "hw0"}),
                ElementsAre("set watchpoint is OK!"));
    EXPECT_THAT(Fake().calls, ElementsAre("emuSetHwBp(u0,0x1000,mask 0x0,ctl 0xf0010d)"));
    const FakeTarget::HwBpCall& call = Fake().lastHwBp;
    EXPECT_EQ(call.data, 0u);
    EXPECT_EQ(call.dataMask, 0xFFFFFFFFu) << "data left out: not compared";
    EXPECT_EQ(call.kind, 0);
    EXPECT_EQ(call.reserved, 0);
    EXPECT_EQ(Core().units.Unit(0), (WHPT_UNIT{1, 1, 0x1000, 0, 0, 0xFFFFFFFFu, 0x00F0010D}));
    EXPECT_THAT(UpdateViews(),
                ElementsAre(std::pair<WPARAM, LPARAM>{DVK_REGISTERS, 0}, std::pair<WPARAM, LPARAM>{DVK_CODE_VIEWS, 0}));

    EXPECT_THAT(Run(WatchpointCmd, {"WP"}),
                ElementsAre("HW0 watchpoint:", "    address: 0x00001000, addr_mask: 0x00000000",
                            "    data:    0x00000000, data_mask: 0xFFFFFFFF", "  write cycle  word size  data access",
                            "HW1 watchpoint:", "    address: 0x00000000, addr_mask: 0xFFFFFFFF",
                            "    data:    0xFEDEFEDE, data_mask: 0x00000000", "  instruction fetch"));
    Core().units.Clear(0);
    EXPECT_THAT(Run(WatchpointCmd, {"WP", "HW0"}), ElementsAre("HW0 watchpoint not used"));
}

TEST_F(CommandTest, WatchpointValuesOptionsAndAlignment)
{
    Core().units.Clear(1);
    const EMU_TARGET_CONFIG hardware = Config(0x105);
    EmuSetTargetConfig(&hardware);
    const struct {
        std::vector<const char*> words;
        WHPT_UNIT unit;
    } cases[] = {
        // Nothing compared but the enable bit; an ARM address aligned to a word.
        {{"WP", "addr", "2002"}, {1, 1, 0x2000, 0, 0, 0xFFFFFFFFu, 0x00FF0100}},
        {{"WP", "addr", "2003", "-b", "Read"}, {1, 1, 0x2003, 0, 0, 0xFFFFFFFFu, 0x00F80100}},
        {{"WP", "addr", "2003", "-hw", "fetch", "hw1"}, {1, 1, 0x2002, 0, 0, 0xFFFFFFFFu, 0x00F10102}},
        {{"WP", "data", "55", "dmask", "0xFF00", "amask", "ffff", "access", "HW0"},
         {1, 1, 0, 0xFFFF, 0x55, 0xFF00, 0x00F70108}},
        // The pairs end at the first other word.
        {{"WP", "addr", "3000", "junk", "data", "9", "hw0"}, {1, 1, 0x3000, 0, 0, 0xFFFFFFFFu, 0x00FF0100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words[1] + std::string(" ") + c.words[2]);
        const std::string last = c.words.back();
        const int u = last == "hw1" ? 1 : 0;
        Core().units.Clear(u);
        std::vector<std::string> copies(c.words.begin(), c.words.end());
        std::vector<char*> argv;
        for (std::string& w : copies)
            argv.push_back(w.data());
        brevan::MessageCapture capture;
        WatchpointCmd(static_cast<int>(argv.size()), argv.data());
        EXPECT_THAT(capture.texts, ElementsAre("set watchpoint is OK!"));
        EXPECT_EQ(Core().units.Unit(u), c.unit);
    }
    EXPECT_THAT(Run(WatchpointCmd, {"WP", "addr", "1000"}),
                ElementsAre("All watchpoint have set, if revise, please select which to revise"));
}

TEST_F(CommandTest, WatchpointsThatCannotBeSet)
{
    {
        platform::GTestScriptedUi ui;
        ui.AnswerMessageBox(IDNO, "Watchpoint 1 is reserved for software breakpoint, do you really set it?");
        EXPECT_THAT(Run(WatchpointCmd, {"WP", "addr", "1000", "hw1"}), ElementsAre("Could not set watchpoint!"));
    }
    EXPECT_EQ(Core().units.Unit(1).data, 0xFEDEFEDEu) << "the reservation stays";
    Fake().calls.clear();
    EXPECT_THAT(Run(WatchpointCmd, {"WP", "addr", "zz"}), ElementsAre("Could not set watchpoint!"));
    EXPECT_THAT(Run(WatchpointCmd, {"WP", "addr", "100000000"}), ElementsAre("Could not set watchpoint!"));
    EXPECT_THAT(Fake().calls, IsEmpty());
    Fake().failNext["emuSetHwBp"] = EMU_TARGET_LOST;
    EXPECT_THAT(Run(WatchpointCmd, {"WP", "addr", "1000"}), ElementsAre("Could not set watchpoint!"));
    EXPECT_EQ(Core().units.Unit(0), WHPT_UNIT{});
    // A target without units (the simulator reads them as -1) would take the
    // writes and never fire.
    Fake().unitsPresent = false;
    EXPECT_THAT(Run(WatchpointCmd, {"WP", "addr", "1000"}), ElementsAre("Could not set watchpoint!"));
    EXPECT_EQ(Core().units.Unit(0), WHPT_UNIT{});
    Fake().unitsPresent = true;
}

// The go command reports a lost target on the console.
TEST_F(CommandTest, AGoThatLosesTheTarget)
{
    std::vector<std::string> words = {"GO"};
    char* argv[] = {words[0].data()};
    brevan::MessageCapture capture;
    Fake().failNext["emuStepOne"] = EMU_TARGET_LOST;
    EXPECT_EQ(EmuGoCmd(1, argv), EMU_TARGET_LOST);
    EXPECT_THAT(capture.texts, ElementsAre("Communication Failed!"));
    capture.texts.clear();
    EXPECT_EQ(EmuGoCmd(1, argv), EMU_NO_BACKEND);
    EXPECT_THAT(capture.texts, IsEmpty());
}

// The shell server binds the commands from the library and runs lines.
TEST_F(CommandTest, TheShellRunsTheCommands)
{
    platform::SetModuleFolder(ZK_BIN_DIR);
    ASSERT_EQ(ShlStartServer(), 0);
    std::string name, syntax;
    for (const char* word : {"bp", "BC", "wp"})
        EXPECT_TRUE(brevan::LookupCommand(word, &name, &syntax)) << word;
    brevan::MessageCapture capture;
    const std::string line = "> BP 8000";
    EXPECT_EQ(ShlExecuteCommand(line.c_str(), static_cast<int>(line.size()), nullptr, nullptr), 0);
    EXPECT_EQ(ListOffsets(), std::vector<uint32_t>{0x8000});
    EXPECT_EQ(ShlExecuteCommand("BC ALL", 6, nullptr, nullptr), 0);
    EXPECT_TRUE(BptGetList()->empty());
    EXPECT_THAT(capture.texts, ElementsAre("Breakpoint at 0x00008000, Enable", "All of the breakpoints are cleared"));
    ShlExitServer();
}

}  // namespace
}  // namespace sarvik::test
