// The step engine's rules on the simulator (small functions called in a
// loop, ARM and Thumb): breakpoints inside a stepped-over call, the flags of
// the target configuration, counts and conditions, continuous steps, Esc
// while the target runs, the outermost frame, the program's end, and the
// step text command's words and answers.
#include <brevan/brevan.h>

#include <map>

#include "host_tools.h"
#include "quinar/quinar.h"
#include "sim_session.h"
#include "step_program_listing.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class StepBehaviour : public SimSession, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        SimSession::SetUp();
        listing_ = std::make_unique<StepProgramListing>(zk::test::FixturePath(GetParam()));
        Load(GetParam());
    }
    void TearDown() override
    {
        platform::SetPumpHook(nullptr);
        SimSession::TearDown();
    }

    void Configure(uint32_t options)
    {
        const EMU_TARGET_CONFIG config{options, 8, topOfMemory_, EMU_PROTOCOL_SIMULATOR, EMU_CATCH_DEFAULT};
        EmuSetTargetConfig(&config);
    }
    // The row of main that calls `callee`, and the row after it.
    StepProgramListing::Row CallRow(const std::string& callee)
    {
        for (const auto& row : listing_->RowsOf("main"))
            for (const auto& l : listing_->Code(row.address, row.next))
                if (l.mnemonic == "bl" && l.operands.find("<" + callee + ">") != std::string::npos)
                    return row;
        ADD_FAILURE() << callee;
        return {};
    }
    uint32_t Fn(const std::string& name) { return listing_->FunctionAddress(name); }
    // The second row of a function: its body after the prologue.
    uint32_t BodyOf(const std::string& name) { return listing_->RowsOf(name)[1].address; }
    void SetBp(uint32_t address, UINT count = 1)
    {
        const ADDR at{address, ADDR_SPACE_TARGET};
        ASSERT_EQ(BptSetBp(&at, "", count, 0, 1, 0xFFFFFFFFu), EMU_OK);
    }
    void ExpectClean()
    {
        EXPECT_EQ(EmuIsBusy(), 0);
        ExpectImageIntact();
        for (const CBpDataEx* r : *BptGetList())
            EXPECT_EQ(r->GetLife(), BPLIFE_PERMANENT);
    }

    std::unique_ptr<StepProgramListing> listing_;
};

// Step Over a call with a breakpoint inside: the step ends there with the
// break-in-steps flag, runs over it without; a breakpoint whose count is
// not reached is run through either way.
TEST_P(StepBehaviour, ABreakpointInsideASteppedOverCall)
{
    // main calls add first in each pass (twice calls it later): each case
    // starts the program again and goes to that call's row.
    const StepProgramListing::Row row = CallRow("add");
    const uint32_t inside = BodyOf("add");
    SetBp(inside);
    GoTillStop(row.address);
    ASSERT_EQ(EmuStep(EMU_STEP_OVER, 1), EMU_OK);
    EXPECT_EQ(Pc(), inside) << "break-in-steps";
    ExpectClean();

    Configure(1u << EMU_CFG_SEMIHOST_SHIFT);  // break-in-steps clear
    Load(GetParam());
    GoTillStop(row.address);
    ASSERT_EQ(EmuStep(EMU_STEP_OVER, 1), EMU_OK);
    EXPECT_EQ(Pc(), row.next);
    ExpectClean();

    Configure(EMU_CFG_BREAK_IN_STEPS | (1u << EMU_CFG_SEMIHOST_SHIFT));
    BptClearAll();
    SetBp(inside, 100);
    Load(GetParam());
    GoTillStop(row.address);
    ASSERT_EQ(EmuStep(EMU_STEP_OVER, 1), EMU_OK);
    EXPECT_EQ(Pc(), row.next) << "a count not reached";
    const zk::test::ObjdumpLine call = listing_->Calls("twice").front();
    GoTillStop(call.address);
    ASSERT_EQ(EmuStep(EMU_STEP_OVER, 0), EMU_OK);
    EXPECT_EQ(Pc(), call.address + call.length) << "by instruction too";
    ExpectClean();
}

// With the single-step-calls flag, Step Over by instruction enters a call.
TEST_P(StepBehaviour, SingleStepCallsEntersTheCall)
{
    const zk::test::ObjdumpLine call = listing_->Calls("twice").front();
    Configure(EMU_CFG_BREAK_IN_STEPS | EMU_CFG_STEP_CALLS | (1u << EMU_CFG_SEMIHOST_SHIFT));
    GoTillStop(call.address);
    ASSERT_EQ(EmuStep(EMU_STEP_OVER, 0), EMU_OK);
    EXPECT_EQ(Pc(), Fn("add"));
    Configure(EMU_CFG_BREAK_IN_STEPS | (1u << EMU_CFG_SEMIHOST_SHIFT));
    GoTillStop(call.address);
    ASSERT_EQ(EmuStep(EMU_STEP_OVER, 0), EMU_OK);
    EXPECT_EQ(Pc(), call.address + call.length);
}

// Continuous steps refresh the views after each step and end only on Esc;
// a second step command meanwhile is refused.
TEST_P(StepBehaviour, ContinuousStepsEndOnEsc)
{
    for (int level : {0, 1}) {
        SCOPED_TRACE(level ? "by line" : "by instruction");
        GoTillStop(BodyOf("scale"));
        int refused = 99, ignored = 99;
        const int before = refreshes_;
        platform::SetPumpHook([&] {
            if (refreshes_ - before != 25 || refused != 99)
                return;
            refused = TextCommand(EmuStepCmd, {"STEP"});
            ignored = EmuStep(EMU_STEP_INTO, level);
            PostMessage(window_, WM_KEYDOWN, VK_ESCAPE, 0);
        });
        ClearRecords();
        const uint32_t from = Pc();
        EXPECT_EQ(EmuStep(EMU_STEP_INTO_CONTINUOUS, level), EMU_OK);
        platform::SetPumpHook(nullptr);
        EXPECT_EQ(refused, EMU_REFUSED);
        EXPECT_EQ(ignored, EMU_OK);
        EXPECT_GE(refreshes_ - before, 25);
        EXPECT_NE(Pc(), from);
        ExpectClean();
    }
}

// Esc while a step's go-till runs (over spin's loop, made long) aborts the
// target; the step returns 0 with the flags clear and no break word left.
// Esc is pressed in the run over the call (its temporary breakpoint is at
// the return address), not in the short one to the call. A halt from a
// window ends the step the same way (the frame shows that halt).
TEST_P(StepBehaviour, EscWhileTheTargetRunsAbortsIt)
{
    const StepProgramListing::Row row = CallRow("spin");
    uint32_t back = 0;
    for (const auto& l : listing_->Code(row.address, row.next))
        if (l.mnemonic == "bl")
            back = l.address + l.length;
    const auto overTheCall = [&] {
        for (const CBpDataEx* r : *BptGetList())
            if (r->GetLife() == BPLIFE_TEMPORARY && r->GetAddr().off == back)
                return true;
        return false;
    };
    for (bool byHalt : {false, true}) {
        SCOPED_TRACE(byHalt ? "EmuHalt" : "Esc");
        if (byHalt)
            Load(GetParam());
        GoTillStop(row.address);
        const ADDR rounds{image_.symbols.at("spin_rounds"), ADDR_SPACE_TARGET};
        uint8_t image[4];
        ASSERT_EQ(MemReadBlock(image, rounds, 4), 0);
        const uint8_t many[4] = {0x00, 0xE1, 0xF5, 0x05};  // 100,000,000
        ASSERT_EQ(MemWriteBlock(rounds, many, 4, 4), 0);
        bool pressed = false;
        int halted = 99;
        platform::SetPumpHook([&] {
            if (!pressed && (CpuGetCpuStatus(0, 1) & 1) && overTheCall()) {
                pressed = true;
                if (byHalt)
                    halted = EmuHalt();
                else
                    PostMessage(window_, WM_KEYDOWN, VK_ESCAPE, 0);
            }
        });
        ClearRecords();
        outcomes_.clear();
        EXPECT_EQ(EmuStep(EMU_STEP_OVER, 1), EMU_OK);
        platform::SetPumpHook(nullptr);
        platform::PumpPending();
        EXPECT_TRUE(pressed) << "the target ran";
        EXPECT_EQ(halted, byHalt ? EMU_OK : 99);
        EXPECT_EQ(CpuGetCpuStatus(0, 1) & 1, 0u);
        const uint32_t pc = Pc();
        EXPECT_TRUE(pc >= Fn("spin") && pc < Fn("main")) << std::hex << pc << " inside spin";
        if (byHalt) {
            EXPECT_THAT(shown_, ::testing::ElementsAre(HALT_ABORT_SWITCH));
        } else {
            for (StopOutcome o : outcomes_)
                EXPECT_EQ(o, StopOutcome::StepEngine);
        }
        ASSERT_EQ(MemWriteBlock(rounds, image, 4, 4), 0);
        ExpectClean();
    }
}

// The start code has no frame rules: Step Out there has no caller (-1) and
// leaves the target alone.
TEST_P(StepBehaviour, StepOutInTheOutermostFrame)
{
    const uint32_t pc = Pc();
    for (int level : {0, 1}) {
        ClearRecords();
        EXPECT_EQ(EmuStep(EMU_STEP_OUT, level), EMU_REFUSED);
        EXPECT_EQ(Pc(), pc);
        EXPECT_EQ(Count(WM_EMU_REFRESH), 0);
        EXPECT_EQ(EmuIsBusy(), 0);
    }
    // main's caller is the start code: Step Out from main ends on its
    // normal-end word (a line of the start code), and stepping on from
    // there ends where the PC stays.
    GoTillStop(BodyOf("main"));
    EXPECT_EQ(EmuStep(EMU_STEP_OUT, 1), EMU_OK);
    const uint32_t normalEnd = image_.symbols.at("__normal_end");
    EXPECT_EQ(Pc(), normalEnd);
    for (int mode : {EMU_STEP_OVER, EMU_STEP_INTO, EMU_STEP_OVER_CONTINUOUS}) {
        EXPECT_EQ(EmuStep(mode, 1), EMU_OK);
        EXPECT_EQ(Pc(), normalEnd);
    }
    ExpectClean();
}

// main returns into code without source lines that ends the program
// through semihosting (SYS_EXIT): a source step from main's last line steps
// on to a line start that never comes, and ends when the program reports
// its end.
TEST_P(StepBehaviour, TheProgramsEndEndsAStepThatFindsNoLine)
{
    // At 0x8000, outside the image: mov r0, #0x18; ldr r1, [pc, #4];
    // svc 0x123456; b .; .word 0x20026 (ADP_Stopped_ApplicationExit).
    const uint32_t exitCode = 0x8000;
    const uint8_t code[] = {0x18, 0x00, 0xA0, 0xE3, 0x04, 0x10, 0x9F, 0xE5, 0x56, 0x34,
                            0x12, 0xEF, 0xFE, 0xFF, 0xFF, 0xEA, 0x26, 0x00, 0x02, 0x00};
    for (int mode : {EMU_STEP_OVER, EMU_STEP_INTO}) {
        Load(GetParam());
        ASSERT_EQ(MemWriteBlock({exitCode, ADDR_SPACE_TARGET}, code, sizeof code, 1), 0);
        GoTillStop(listing_->RowsOf("main").back().address);
        // main's return address, saved just below its CFA, leads there.
        uint32_t frame = 0, caller = 0, returnAddress = 0, cfa = 0;
        ASSERT_EQ(StackAddrMapBlock(Pc(), &frame, &caller, nullptr), SYM_OK);
        ASSERT_EQ(SymGetFrameCaller(frame, nullptr, &returnAddress, &cfa, nullptr), SYM_OK);
        EXPECT_EQ(returnAddress, image_.symbols.at("__normal_end"));
        const uint8_t to[4] = {0x00, 0x80, 0x00, 0x00};
        ASSERT_EQ(MemWriteBlock({cfa - 4, ADDR_SPACE_TARGET}, to, 4, 4), 0);
        ClearRecords();
        EXPECT_EQ(EmuStep(mode, 1), EMU_OK);
        DWORD reason = 0;
        EXPECT_EQ(SemihostGetExit(&reason, nullptr), 1);
        EXPECT_EQ(reason, SEMIHOST_REASON_APPLICATION_EXIT);
        EXPECT_EQ(Count(WM_EMU_REFRESH), 1);
        EXPECT_EQ(EmuIsBusy(), 0);
    }
}

// Code without lines that never ends: the step to a line start goes on
// until Esc, which ends the command with -13.
TEST_P(StepBehaviour, EscEndsAStepToALineStartWithItsCode)
{
    // At 0x8000: b 0x8004; b 0x8000.
    const uint8_t code[] = {0xFF, 0xFF, 0xFF, 0xEA, 0xFD, 0xFF, 0xFF, 0xEA};
    ASSERT_EQ(MemWriteBlock({0x8000, ADDR_SPACE_TARGET}, code, sizeof code, 1), 0);
    GoTillStop(listing_->RowsOf("main").back().address);
    uint32_t frame = 0, caller = 0, cfa = 0;
    ASSERT_EQ(StackAddrMapBlock(Pc(), &frame, &caller, nullptr), SYM_OK);
    ASSERT_EQ(SymGetFrameCaller(frame, nullptr, nullptr, &cfa, nullptr), SYM_OK);
    const uint8_t to[4] = {0x00, 0x80, 0x00, 0x00};
    ASSERT_EQ(MemWriteBlock({cfa - 4, ADDR_SPACE_TARGET}, to, 4, 4), 0);
    int pumps = 0;
    platform::SetPumpHook([&] {
        if (++pumps == 200)
            PostMessage(window_, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    ClearRecords();
    EXPECT_EQ(EmuStep(EMU_STEP_OVER, 1), EMU_ESC_STEPPING);
    platform::SetPumpHook(nullptr);
    EXPECT_GE(pumps, 200);
    EXPECT_TRUE(Pc() == 0x8000 || Pc() == 0x8004);
    EXPECT_EQ(EmuIsBusy(), 0);
    EXPECT_EQ(Count(WM_EMU_REFRESH), 0) << "a failed step does not refresh";
}

// The go-tills of Go Till Call and Go Till Return stop before the searched
// instruction; Go Into Call and Go Over Return step it. By source line the
// call steppers are the same; Go Till Return runs out of the function to
// its return address, Go Over Return also finishes the caller's line.
TEST_P(StepBehaviour, CallAndReturnSteppers)
{
    const zk::test::ObjdumpLine call = listing_->Calls("twice").front();
    uint32_t backInMain = 0;
    for (const zk::test::ObjdumpLine& c : listing_->Calls("main"))
        if (c.operands.find("<twice>") != std::string::npos)
            backInMain = c.address + c.length;
    const uint32_t addsReturn = listing_->Code(Fn("add"), Fn("scale")).back().address;
    for (int level : {0, 1}) {
        SCOPED_TRACE(level ? "by line" : "by instruction");
        GoTillStop(Fn("twice"));
        EXPECT_EQ(EmuStep(EMU_GO_TILL_CALL, level), EMU_OK);
        EXPECT_EQ(Pc(), call.address);
        EXPECT_EQ(EmuStep(EMU_GO_INTO_CALL, level), EMU_OK);
        EXPECT_EQ(Pc(), Fn("add"));
        EXPECT_EQ(EmuStep(EMU_GO_TILL_RETURN, level), EMU_OK);
        EXPECT_EQ(Pc(), level ? call.address + call.length : addsReturn);
        EXPECT_EQ(EmuStep(EMU_GO_OVER_RETURN, level), EMU_OK);
        EXPECT_EQ(Pc(), level ? listing_->RowAfter(backInMain).value_or(0) : call.address + call.length);
        ExpectClean();
    }
}

INSTANTIATE_TEST_SUITE_P(Code, StepBehaviour, ::testing::Values("step_arm", "step_thumb"));

// Calls between ARM and Thumb code go through the linker's veneers, which
// have no lines: Step Into goes through them to the callee's first line.
class StepThroughVeneers : public SimSession {};

TEST_F(StepThroughVeneers, StepIntoReachesTheFunctionBehindTheVeneer)
{
    const std::string image = zk::test::FixturePath("sim_interwork_arm_O0");
    const zk::test::ObjdumpImage code = zk::test::ReadObjdump(image);
    for (const auto& [veneer, callee] : {std::pair<std::string, std::string>{"__thumb_mix_from_arm", "thumb_mix"},
                                         {"__arm_mix_from_thumb", "arm_mix"}}) {
        SCOPED_TRACE(veneer);
        uint32_t call = 0;
        for (const auto& l : code.lines) {
            if (l.mnemonic == "bl" && l.operands.find("<" + veneer + ">") != std::string::npos && call == 0)
                call = l.address;
        }
        ASSERT_NE(call, 0u);
        Load("sim_interwork_arm_O0");
        GoTillStop(call);
        EXPECT_EQ(EmuStep(EMU_STEP_INTO, 1), EMU_OK);
        EXPECT_EQ(Pc(), Symbol(callee));
        ExpectImageIntact();
    }
}

// A recursive function returns to its own call site from every depth: Step
// Out, Go Till Return and Step Over arrive there only with the stack pointer
// back in the frame they started from, not in a deeper call's.
class StepsInRecursion : public SimSession, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        SimSession::SetUp();
        const std::string image = zk::test::FixturePath(GetParam());
        for (const auto& l : zk::test::ReadObjdump(image).lines) {
            if (l.function == "depth" && l.mnemonic == "bl" && l.operands.find("<depth>") != std::string::npos)
                call_ = l;
        }
        ASSERT_NE(call_.address, 0u);
        for (const zk::test::DecodedRow& row : zk::test::ReadDecodedLines(image)) {
            if (row.file == "recurse_program.c" && !row.endOfSequence && !rows_.count(row.line))
                rows_[row.line] = row.address;
        }
    }
    // depth(2), called by depth(3): depth(1) and depth(0) are still to come.
    void ToDepthTwo()
    {
        Load(GetParam());
        GoTillStop(Symbol("depth"));  // depth(3), called by main
        GoTillStop(Symbol("depth"));
    }
    uint32_t Sp()
    {
        DWORD id = 0, sp = 0;
        EXPECT_EQ(CpuFindRegisterId("sp", &id), 0);
        EXPECT_EQ(CpuGetRegister(id, &sp), 0);
        return sp;
    }

    zk::test::ObjdumpLine call_;
    std::map<uint32_t, uint32_t> rows_;  // the first row of each line
};

TEST_P(StepsInRecursion, StepOutArrivesInTheCallersFrame)
{
    const uint32_t returnAddress = call_.address + call_.length;
    for (const auto& [mode, level] : {std::pair{EMU_GO_TILL_RETURN, 1}, {EMU_STEP_OUT, 0}, {EMU_GO_TILL_RETURN, 0}}) {
        SCOPED_TRACE(std::to_string(mode) + " level " + std::to_string(level));
        ToDepthTwo();
        uint32_t frame = 0, caller = 0, callerReturn = 0, cfa = 0;
        ASSERT_EQ(StackAddrMapBlock(Pc(), &frame, &caller, nullptr), SYM_OK);
        ASSERT_EQ(SymGetFrameCaller(frame, nullptr, &callerReturn, &cfa, nullptr), SYM_OK);
        ASSERT_EQ(callerReturn & ~1u, returnAddress);
        EXPECT_EQ(EmuStep(mode, level), EMU_OK);
        // By instruction, Go Till Return stops on the return instruction
        // (the calls on the way run over): one more instruction returns.
        if (level == 0 && mode == EMU_GO_TILL_RETURN)
            EXPECT_EQ(EmuStep(EMU_STEP_INTO, 0), EMU_OK);
        EXPECT_EQ(Sp(), cfa);
        if (mode == EMU_GO_TILL_RETURN)
            EXPECT_EQ(Pc(), returnAddress);
        else
            EXPECT_EQ(Pc(), rows_.at(10)) << "Step Out finishes the caller's line";
        ExpectImageIntact();
        EXPECT_EQ(EmuIsBusy(), 0);
    }
}

// Step Over the recursive call, by instruction from the call and by line
// from the call's line (9): the step ends after the call in the same frame.
TEST_P(StepsInRecursion, StepOverEndsInTheSameFrame)
{
    for (int level : {0, 1}) {
        SCOPED_TRACE(level ? "by line" : "by instruction");
        ToDepthTwo();
        GoTillStop(level ? rows_.at(9) : call_.address);
        const uint32_t sp = Sp();
        EXPECT_EQ(EmuStep(EMU_STEP_OVER, level), EMU_OK);
        EXPECT_EQ(Sp(), sp);
        EXPECT_EQ(Pc(), level ? rows_.at(10) : call_.address + call_.length);
        ExpectImageIntact();
        EXPECT_EQ(EmuIsBusy(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Code, StepsInRecursion, ::testing::Values("recurse_arm", "recurse_thumb"));

}  // namespace
}  // namespace sarvik::test
