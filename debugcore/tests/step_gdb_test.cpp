// The step engine on the simulator against qemu-system-arm under
// gdb-multiarch, on small functions called in a loop (ARM and Thumb, -O0).
// From the same starting points, reached in the same order on both
// machines, instruction Step Into and Step Over and source Step Over end
// where gdb's stepi, nexti and next end. gdb's step skips prologues and its
// finish stops in the middle of the caller's line, unlike this engine: the
// PCs of source Step Into and Step Out come from the line tables instead
// (the callee's first row; the row after the return address that finish
// stops at). The call stack of the frame rules is gdb's backtrace.
#include <sstream>

#include "qemu_reference.h"
#include "quinar/quinar.h"
#include "sim_session.h"
#include "step_program_listing.h"

namespace sarvik::test {
namespace {

using zk::test::ObjdumpLine;

std::string Hex(const std::vector<uint32_t>& values)
{
    std::ostringstream out;
    out << std::hex;
    for (uint32_t v : values)
        out << " " << v;
    return out.str();
}

class StepAgainstGdb : public SimSession, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        SimSession::SetUp();
        listing_ = std::make_unique<StepProgramListing>(zk::test::FixturePath(GetParam()));
        thumb_ = std::string(GetParam()).find("thumb") != std::string::npos;
    }

    // Rows and calls in an order the program reaches them: a pass of main's
    // loop, then the callees. Each start is reached again in a later pass
    // of the loop (there are 200), also when the step before ended on it
    // (a go from a start goes on to its next time on both machines), so
    // main's rows before the loop and after it are left out.
    std::vector<uint32_t> Starts(bool withThumbVeneerCall)
    {
        std::vector<uint32_t> starts;
        const auto main = listing_->RowsOf("main");
        const uint32_t loop = listing_->Calls("main")[1].address;  // after spin's call
        for (size_t i = 0; i + 2 < main.size(); ++i) {
            if (main[i].next > loop)
                starts.push_back(main[i].address);
        }
        for (const char* f : {"main", "add", "scale", "twice", "apply"}) {
            if (std::string(f) != "main")
                for (const auto& row : listing_->RowsOf(f))
                    starts.push_back(row.address);
            for (const ObjdumpLine& call : listing_->Calls(f)) {
                if (call.operands.find("<spin>") != std::string::npos)
                    continue;
                // A Thumb BL to the function's own "bx r3": gdb's nexti stops
                // at the bx (the same function), this engine runs over the
                // call to its return.
                const bool veneer = thumb_ && std::string(f) == "apply";
                if (!veneer || withThumbVeneerCall)
                    starts.push_back(call.address);
            }
        }
        return starts;
    }

    std::vector<uint32_t> GdbPcsAfter(const std::vector<uint32_t>& starts, const std::string& command)
    {
        std::vector<uint32_t> pcs;
        std::string error;
        EXPECT_TRUE(zk::test::QemuPcsAfter(zk::test::FixturePath(GetParam()), starts, command, &pcs, &error)) << error;
        return pcs;
    }

    // Go till each start (the frame's stop handling in the loop), the step,
    // the PC. After each step no break word is left in the code, no
    // temporary breakpoint in the list, and no stop of the step's go-tills
    // reaches the frame as a stop of its own.
    std::vector<uint32_t> SimPcsAfter(const std::vector<uint32_t>& starts, int mode, int sourceLevel)
    {
        Load(GetParam());
        std::vector<uint32_t> pcs;
        for (uint32_t start : starts) {
            SCOPED_TRACE(testing::Message() << "from 0x" << std::hex << start);
            GoTillStop(start);
            outcomes_.clear();
            EXPECT_EQ(EmuStep(mode, sourceLevel), EMU_OK);
            platform::PumpPending();
            for (StopOutcome o : outcomes_)
                EXPECT_EQ(o, StopOutcome::StepEngine);
            EXPECT_EQ(EmuIsBusy(), 0);
            pcs.push_back(Pc());
            ExpectImageIntact();
            for (const CBpDataEx* r : *BptGetList())
                EXPECT_EQ(r->GetLife(), BPLIFE_PERMANENT);
        }
        return pcs;
    }

    std::unique_ptr<StepProgramListing> listing_;
    bool thumb_ = false;
};

TEST_P(StepAgainstGdb, InstructionStepIntoIsStepi)
{
    const std::vector<uint32_t> starts = Starts(true);
    ASSERT_GE(starts.size(), 12u);
    EXPECT_EQ(Hex(SimPcsAfter(starts, EMU_STEP_INTO, 0)), Hex(GdbPcsAfter(starts, "stepi"))) << "from" << Hex(starts);
}

TEST_P(StepAgainstGdb, InstructionStepOverIsNexti)
{
    const std::vector<uint32_t> starts = Starts(false);
    EXPECT_EQ(Hex(SimPcsAfter(starts, EMU_STEP_OVER, 0)), Hex(GdbPcsAfter(starts, "nexti"))) << "from" << Hex(starts);
}

TEST_P(StepAgainstGdb, SourceStepOverIsNext)
{
    const std::vector<uint32_t> starts = Starts(true);
    EXPECT_EQ(Hex(SimPcsAfter(starts, EMU_STEP_OVER, 1)), Hex(GdbPcsAfter(starts, "next"))) << "from" << Hex(starts);
}

// From each row that calls one function the callee's first row; from each
// row without calls and branches the next row.
TEST_P(StepAgainstGdb, SourceStepIntoEndsAtTheNextRowOrTheCalleesFirst)
{
    std::vector<uint32_t> starts, expected;
    for (uint32_t start : Starts(false)) {
        for (const StepProgramListing::Row& row : listing_->Rows()) {
            if (row.address != start)
                continue;
            if (const auto target = listing_->StepIntoTarget(row)) {
                starts.push_back(start);
                expected.push_back(*target);
            }
        }
    }
    ASSERT_GE(starts.size(), 12u);
    EXPECT_EQ(Hex(SimPcsAfter(starts, EMU_STEP_INTO, 1)), Hex(expected)) << "from" << Hex(starts);
}

// From every row of the callees: gdb's finish gives the return address;
// Step Out goes on to the start of the caller's next row.
TEST_P(StepAgainstGdb, StepOutEndsAtTheRowAfterTheReturnAddress)
{
    std::vector<uint32_t> starts;
    for (const char* f : {"add", "scale", "twice", "apply"})
        for (const auto& row : listing_->RowsOf(f))
            starts.push_back(row.address);
    const std::vector<uint32_t> returns = GdbPcsAfter(starts, "finish");
    ASSERT_EQ(returns.size(), starts.size());
    std::vector<uint32_t> expected;
    for (uint32_t r : returns)
        expected.push_back(listing_->RowAfter(r).value_or(0));
    EXPECT_EQ(Hex(SimPcsAfter(starts, EMU_STEP_OUT, 1)), Hex(expected))
        << "from" << Hex(starts) << "\nreturns" << Hex(returns);
}

// At rows of every callee, reached through each of their calls, the frame
// rules find the callers gdb's backtrace shows (gdb stops at main; the
// rules go on to the start code's return address).
TEST_P(StepAgainstGdb, TheFramesAreGdbsBacktrace)
{
    std::vector<uint32_t> starts;
    for (const char* f : {"add", "add", "add", "scale", "twice", "apply"})
        starts.push_back(listing_->RowsOf(f)[1].address);
    std::vector<std::string> commands;
    for (uint32_t s : starts) {
        std::ostringstream at;
        at << std::hex << s;
        commands.insert(commands.end(), {"tbreak *0x" + at.str(), "continue", "bt"});
    }
    const zk::test::ProcessResult gdb = zk::test::RunGdbOnQemu(zk::test::FixturePath(GetParam()), commands);
    // "#1  0x00000144 in main () at ...": the callers of each stop.
    std::vector<std::vector<uint32_t>> gdbCallers;
    std::istringstream lines(gdb.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, 2, "#0") == 0)
            gdbCallers.emplace_back();
        else if (line.size() > 4 && line[0] == '#' && line.find(" 0x") != std::string::npos && !gdbCallers.empty())
            gdbCallers.back().push_back(
                static_cast<uint32_t>(std::stoul(line.substr(line.find(" 0x") + 1), nullptr, 16)));
    }
    ASSERT_EQ(gdbCallers.size(), starts.size()) << gdb.out << gdb.err;

    Load(GetParam());
    const uint32_t normalEnd = image_.symbols.at("__normal_end");
    for (size_t i = 0; i < starts.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "at 0x" << std::hex << starts[i]);
        GoTillStop(starts[i]);
        uint32_t frame = 0, caller = 0;
        ASSERT_EQ(StackAddrMapBlock(Pc(), &frame, &caller, nullptr), SYM_OK);
        EXPECT_NE(caller, 0u);
        std::vector<uint32_t> callers;
        for (uint32_t up = 0, ra = 0; SymGetFrameCaller(frame, &up, &ra, nullptr, nullptr) == SYM_OK; frame = up)
            callers.push_back(ra);
        std::vector<uint32_t> expected = gdbCallers[i];
        expected.push_back(normalEnd);  // main returns to the start code
        EXPECT_EQ(Hex(callers), Hex(expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Code, StepAgainstGdb, ::testing::Values("step_arm", "step_thumb"));

}  // namespace
}  // namespace sarvik::test
