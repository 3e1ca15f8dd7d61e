// The run and step text commands on the simulator: their words, their
// answers on the shell console, and the binding into the shell server.
#include <platform/modules.h>

#include <brevan/brevan.h>

#include "falcrest.h"
#include "host_tools.h"
#include "sim_session.h"
#include "step_program_listing.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;

std::string Hex(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

class StepCommands : public SimSession, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        SimSession::SetUp();
        listing_ = std::make_unique<StepProgramListing>(zk::test::FixturePath(GetParam()));
        Load(GetParam());
        EmuSetSourceLevel(0);
    }
    // The go command, and the frame's stop handling until the stop is shown
    // (or the go stopped at once): both refresh the views.
    int Go(std::vector<std::string> words)
    {
        const int before = refreshes_;
        const int r = TextCommand(EmuGoCmd, std::move(words));
        if (r == EMU_OK) {
            EXPECT_TRUE(platform::ModalWait([&] { return refreshes_ > before; }, STOP_WAIT_MS));
        }
        return r;
    }
    // The rows of main's loop, from the row of its first call.
    std::vector<StepProgramListing::Row> LoopRows()
    {
        std::vector<StepProgramListing::Row> rows;
        const uint32_t loop = listing_->Calls("main")[1].address;
        for (const auto& row : listing_->RowsOf("main"))
            if (row.next > loop)
                rows.push_back(row);
        return rows;
    }
    uint32_t Fn(const std::string& name) { return listing_->FunctionAddress(name); }
    std::string Symbol(const std::string& name) { return "#" + name; }
    uint32_t Lr()
    {
        DWORD lr = 0;
        CpuGetLR(&lr);
        return lr & ~1u;
    }

    std::unique_ptr<StepProgramListing> listing_;
    brevan::MessageCapture shell_;
};

// STEP by its counts: 0 runs nothing, 65537 steps once (16 bits), OVER n
// steps n times; after a step the instruction at the PC goes to the shell,
// and the frame sees the command's start and end.
TEST_P(StepCommands, CountsAndTheShownLine)
{
    GoTillStop(listing_->RowsOf("main")[1].address);
    const uint32_t pc = Pc();
    ClearRecords();
    EXPECT_EQ(TextCommand(EmuStepCmd, {"STEP", "0"}), EMU_OK);
    EXPECT_EQ(TextCommand(EmuStepCmd, {"STEP", "OVER", "0"}), EMU_OK);
    EXPECT_EQ(Pc(), pc);
    EXPECT_TRUE(messages_.empty()) << "nothing ran";
    EXPECT_THAT(shell_.texts, IsEmpty());

    EXPECT_EQ(TextCommand(EmuStepCmd, {"step", "65537"}), EMU_OK);
    const uint32_t once = Pc();
    EXPECT_GT(once, pc);
    ASSERT_EQ(shell_.texts.size(), 1u);
    EXPECT_EQ(shell_.texts[0].substr(0, 9), Hex(once) + " ");
    ASSERT_GE(messages_.size(), 2u);
    EXPECT_EQ(messages_.front().msg, WM_EMU_BUSY);
    EXPECT_EQ(messages_.front().lParam, 0);
    EXPECT_EQ(messages_.back().msg, WM_EMU_BUSY);
    EXPECT_EQ(messages_.back().lParam, 1);
    EXPECT_EQ(Count(WM_EMU_REFRESH), 1);

    // Three lines by STEP OVER 3, or by three STEP OVER.
    EmuSetSourceLevel(1);
    const auto loop = LoopRows();
    GoTillStop(loop[0].address);
    EXPECT_EQ(TextCommand(EmuStepCmd, {"STEP", "OVER", "3"}), EMU_OK);
    EXPECT_EQ(Pc(), loop[3].address);
    GoTillStop(loop[0].address);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(TextCommand(EmuStepCmd, {"STEP", "over"}), EMU_OK);
    EXPECT_EQ(Pc(), loop[3].address);
}

// STEP until a register or a byte of memory holds a value.
TEST_P(StepCommands, Conditions)
{
    // main passes 3 to scale in r1; the loop's first pass stores 1 to sink
    // (the last store of the row that follows apply's call).
    const auto loop = LoopRows();
    auto after = [&](const StepProgramListing::Row& row, const std::string& mnemonic, const std::string& operands) {
        uint32_t found = 0;
        for (const auto& l : listing_->Code(row.address, row.next))
            if (l.mnemonic == mnemonic && l.operands.find(operands) == 0)
                found = l.address + l.length;
        EXPECT_NE(found, 0u) << mnemonic << " " << operands;
        return found;
    };
    const bool thumb = std::string(GetParam()).find("thumb") != std::string::npos;
    GoTillStop(loop[0].address);
    EXPECT_EQ(TextCommand(EmuStepCmd, {"STEP", "UNTIL", "@r1", "==", "3"}), EMU_OK);
    EXPECT_EQ(Pc(), after(loop[1], thumb ? "movs" : "mov", "r1, #3"));

    char sink[16];
    std::snprintf(sink, sizeof sink, "%x", image_.symbols.at("sink"));
    EXPECT_EQ(TextCommand(EmuStepCmd, {"STEP", "UNTIL", sink, "==", "0x101"}), EMU_OK);
    EXPECT_EQ(Pc(), after(loop[4], "str", "")) << "the byte compared is the value's low one";

    shell_.texts.clear();
    const uint32_t pc = Pc();
    EXPECT_EQ(TextCommand(EmuStepCmd, {"STEP", "TILL", "x"}), EMU_REFUSED);
    EXPECT_EQ(TextCommand(EmuStepCmd, {"STEP", "a", "@r99", "b", "1"}), EMU_REFUSED);
    EXPECT_EQ(TextCommand(EmuStepCmd, {"STEP", "a", "xyz", "b", "1"}), EMU_REFUSED);
    EXPECT_EQ(TextCommand(EmuStepCmd, {"STEP", "FOO", "BAR"}), EMU_REFUSED);
    EXPECT_EQ(TextCommand(EmuStepCmd, {"STEP", "1", "2", "3"}), EMU_REFUSED);
    EXPECT_THAT(
        shell_.texts,
        ElementsAre("Not support this command!", "The register does not exist!", "The address is not correct!"));
    EXPECT_EQ(Pc(), pc);
}

// GO's word forms: FLY is passed over, FROM sets the PC, TILL a temporary
// breakpoint, one word a free run past every breakpoint.
TEST_P(StepCommands, GoForms)
{
    const ADDR add{Fn("add"), ADDR_SPACE_TARGET};
    ASSERT_EQ(BptSetBp(&add, "", 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
    EXPECT_EQ(Go({"GO", "FLY"}), EMU_OK);
    EXPECT_EQ(Pc(), Fn("add"));

    EXPECT_EQ(Go({"go", "fly", "FLY", "till", Symbol("twice")}), EMU_OK);
    EXPECT_EQ(Pc(), Fn("twice"));

    // From twice till add: add is entered from twice.
    EXPECT_EQ(Go({"GO", "FROM", Symbol("twice"), "TILL", Symbol("add")}), EMU_OK);
    EXPECT_EQ(Pc(), Fn("add"));
    EXPECT_TRUE(Lr() >= Fn("twice") && Lr() < Fn("apply")) << std::hex << Lr();

    shell_.texts.clear();
    // An address word that names nothing says what is wrong with it.
    EXPECT_EQ(Go({"GO", "FROM", "nowhere"}), EMU_REFUSED);
    EXPECT_EQ(Go({"go", "till", "#nowhere"}), EMU_REFUSED);
    EXPECT_THAT(
        shell_.texts,
        ElementsAre("The address is not correct! A symbol is written #nowhere.", "The symbol nowhere does not exist!"));

    EXPECT_EQ(Go({"GO", "FREE"}), EMU_OK);
    EXPECT_EQ(Pc(), image_.symbols.at("__normal_end")) << "a free run passes the breakpoint";
    ExpectImageIntact();
}

// HALT, RESET and JUMP with their texts.
TEST_P(StepCommands, HaltResetAndJump)
{
    EXPECT_EQ(TextCommand(EmuHaltCmd, {"HALT"}), EMU_OK);
    EXPECT_THAT(shell_.texts, ElementsAre("Cpu is halted."));
    shell_.texts.clear();

    EXPECT_EQ(TextCommand(EmuResetCmd, {"RESET", "x1000"}), EMU_REFUSED);
    EXPECT_EQ(TextCommand(EmuResetCmd, {"RESET", "1", "2"}), EMU_OK);
    EXPECT_THAT(shell_.texts, ElementsAre("Syntax error!", "Syntax error!"));
    EXPECT_EQ(TextCommand(EmuResetCmd, {"RESET", "P=8000"}), EMU_OK);
    EXPECT_EQ(Pc(), 0x8000u);
    EXPECT_EQ(TextCommand(EmuResetCmd, {"RESET", "1f0"}), EMU_OK);
    EXPECT_EQ(Pc(), 0x1F0u);
    EXPECT_EQ(TextCommand(EmuResetCmd, {"RESET"}), EMU_OK);
    EXPECT_EQ(Pc(), image_.entry);

    shell_.texts.clear();
    ClearRecords();
    EXPECT_EQ(TextCommand(EmuJumpCmd, {"JUMP"}), EMU_REFUSED);
    EXPECT_EQ(TextCommand(EmuJumpCmd, {"JUMP", "nowhere"}), EMU_REFUSED);
    EXPECT_THAT(shell_.texts, ElementsAre("Syntax error!", "Syntax error!"));
    EXPECT_EQ(TextCommand(EmuJumpCmd, {"JUMP", Symbol("twice")}), EMU_OK);
    EXPECT_EQ(Pc(), Fn("twice"));
    EXPECT_EQ(Count(WM_EMU_REFRESH), 1);

    // While the target runs (spin made long) JUMP is refused; HALT stops it.
    const ADDR rounds{image_.symbols.at("spin_rounds"), ADDR_SPACE_TARGET};
    uint8_t image[4];
    ASSERT_EQ(MemReadBlock(image, rounds, 4), 0);
    const uint8_t many[4] = {0x00, 0xE1, 0xF5, 0x05};
    ASSERT_EQ(MemWriteBlock(rounds, many, 4, 4), 0);
    EXPECT_EQ(TextCommand(EmuJumpCmd, {"JUMP", Symbol("main")}), EMU_OK);
    EXPECT_EQ(TextCommand(EmuGoCmd, {"GO"}), EMU_OK);
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 1u);
    EXPECT_EQ(TextCommand(EmuJumpCmd, {"JUMP", Symbol("add")}), EMU_REFUSED);
    shell_.texts.clear();
    EXPECT_EQ(TextCommand(EmuHaltCmd, {"HALT"}), EMU_OK);
    platform::PumpPending();
    EXPECT_THAT(shell_.texts, ElementsAre("Cpu is halted."));
    EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 0u);
    ASSERT_EQ(MemWriteBlock(rounds, image, 4, 4), 0);
    ExpectImageIntact();
}

// Without a target the halt cannot stop it.
TEST_P(StepCommands, AHaltWithoutATarget)
{
    ExitABIDLL();
    EXPECT_NE(TextCommand(EmuHaltCmd, {"HALT"}), EMU_OK);
    EXPECT_THAT(shell_.texts, ElementsAre("Could not set ICE mode. Please reset the chip!"));
}

// The shell server binds the commands by their words.
TEST_P(StepCommands, TheShellRunsThem)
{
    platform::SetModuleFolder(ZK_BIN_DIR);
    ASSERT_EQ(ShlStartServer(), 0);
    for (const char* word : {"go", "STEP", "halt", "Reset", "JUMP"})
        EXPECT_TRUE(brevan::LookupCommand(word, nullptr, nullptr)) << word;
    const std::string line = "> go till " + Symbol("scale");
    const int before = refreshes_;
    EXPECT_EQ(ShlExecuteCommand(line.c_str(), static_cast<int>(line.size()), nullptr, nullptr), EMU_OK);
    EXPECT_TRUE(platform::ModalWait([&] { return refreshes_ > before; }, STOP_WAIT_MS));
    EXPECT_EQ(Pc(), Fn("scale"));
    EXPECT_EQ(ShlExecuteCommand("step till x", 11, nullptr, nullptr), EMU_REFUSED);
    EXPECT_EQ(ShlExecuteCommand("jump", 4, nullptr, nullptr), EMU_REFUSED);
    EXPECT_EQ(shell_.texts.back(), "Syntax error!");
    ShlExitServer();
}

INSTANTIATE_TEST_SUITE_P(Code, StepCommands, ::testing::Values("step_arm", "step_thumb"));

}  // namespace
}  // namespace sarvik::test
