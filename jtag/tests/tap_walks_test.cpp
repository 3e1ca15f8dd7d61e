// The TAP model against the IEEE 1149.1 state diagram, and every walk of both
// drivers' tables through it.
#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "box_link.h"
#include "cable_link.h"
#include "portio/tap_model.h"

using portio::Tap;
using portio::TapState;

namespace {

// IEEE 1149.1 figure 6-1, state by state: next state for TMS 0, TMS 1.
struct Row {
    TapState state, tms0, tms1;
};
const Row kDiagram[] = {
    {TapState::TestLogicReset, TapState::RunTestIdle, TapState::TestLogicReset},
    {TapState::RunTestIdle, TapState::RunTestIdle, TapState::SelectDrScan},
    {TapState::SelectDrScan, TapState::CaptureDr, TapState::SelectIrScan},
    {TapState::CaptureDr, TapState::ShiftDr, TapState::Exit1Dr},
    {TapState::ShiftDr, TapState::ShiftDr, TapState::Exit1Dr},
    {TapState::Exit1Dr, TapState::PauseDr, TapState::UpdateDr},
    {TapState::PauseDr, TapState::PauseDr, TapState::Exit2Dr},
    {TapState::Exit2Dr, TapState::ShiftDr, TapState::UpdateDr},
    {TapState::UpdateDr, TapState::RunTestIdle, TapState::SelectDrScan},
    {TapState::SelectIrScan, TapState::CaptureIr, TapState::TestLogicReset},
    {TapState::CaptureIr, TapState::ShiftIr, TapState::Exit1Ir},
    {TapState::ShiftIr, TapState::ShiftIr, TapState::Exit1Ir},
    {TapState::Exit1Ir, TapState::PauseIr, TapState::UpdateIr},
    {TapState::PauseIr, TapState::PauseIr, TapState::Exit2Ir},
    {TapState::Exit2Ir, TapState::ShiftIr, TapState::UpdateIr},
    {TapState::UpdateIr, TapState::RunTestIdle, TapState::SelectDrScan},
};

// The driver's state numbers 0-5.
const TapState kNamed[] = {TapState::TestLogicReset, TapState::RunTestIdle, TapState::PauseDr,
                           TapState::PauseIr,        TapState::ShiftDr,     TapState::ShiftIr};

// TMS values that bring a TAP from Test-Logic-Reset to `target`.
std::vector<bool> PathTo(TapState target)
{
    std::map<TapState, std::vector<bool>> seen{{TapState::TestLogicReset, {}}};
    std::deque<TapState> queue{TapState::TestLogicReset};
    while (!queue.empty()) {
        const TapState s = queue.front();
        queue.pop_front();
        if (s == target)
            return seen[s];
        for (bool tms : {false, true}) {
            const TapState n = portio::NextTapState(s, tms);
            if (!seen.count(n)) {
                seen[n] = seen[s];
                seen[n].push_back(tms);
                queue.push_back(n);
            }
        }
    }
    return {};
}

Tap TapIn(TapState state)
{
    Tap tap;
    for (bool tms : PathTo(state))
        tap.Clock(tms, false);
    EXPECT_EQ(tap.State(), state);
    return tap;
}

TapState AfterPattern(TapState from, uint8_t pattern, unsigned clocks)
{
    Tap tap = TapIn(from);
    for (unsigned i = 0; i < clocks; ++i)
        tap.Clock((pattern >> i) & 1, false);
    return tap.State();
}

}  // namespace

TEST(TapModel, EveryStateAndTmsValueFollowsTheStandardDiagram)
{
    ASSERT_EQ(std::size(kDiagram), static_cast<size_t>(portio::kTapStateCount));
    for (const Row& row : kDiagram) {
        EXPECT_EQ(portio::NextTapState(row.state, false), row.tms0) << portio::TapStateName(row.state);
        EXPECT_EQ(portio::NextTapState(row.state, true), row.tms1) << portio::TapStateName(row.state);
        // The clocked model moves the same way.
        EXPECT_EQ(AfterPattern(row.state, 0, 1), row.tms0);
        EXPECT_EQ(AfterPattern(row.state, 1, 1), row.tms1);
    }
}

TEST(TapModel, TrstAndFiveTmsOnesResetFromAnywhere)
{
    for (const Row& row : kDiagram) {
        EXPECT_EQ(AfterPattern(row.state, 0x1F, 5), TapState::TestLogicReset);
        Tap tap = TapIn(row.state);
        tap.SetTrst(true);
        tap.Clock(false, false);
        EXPECT_EQ(tap.State(), TapState::TestLogicReset);
    }
}

TEST(TapModel, InstructionCaptureIsOneZeroAndUpdatesAreRecorded)
{
    Tap tap(5);
    tap.Plug(0x03, std::make_shared<portio::LatchRegister>(12));
    for (bool tms : PathTo(TapState::ShiftIr))
        tap.Clock(tms, false);
    // Shift 0x03 in; the captured ...00001 comes out first.
    uint32_t out = 0;
    for (unsigned i = 0; i < 5; ++i)
        out |= static_cast<uint32_t>(tap.Clock(i == 4, (0x03 >> i) & 1)) << i;
    EXPECT_EQ(out, 0x01u);
    tap.Clock(true, false);  // Exit1-IR -> Update-IR
    EXPECT_EQ(tap.Instruction(), 0x03u);
    ASSERT_EQ(tap.Updates().size(), 1u);
    EXPECT_TRUE(tap.Updates()[0].instruction);
    EXPECT_EQ(portio::ValueOf(tap.Updates()[0].value), 0x03u);
}

TEST(DriverWalks, EveryBoxWalkCodeEndsInItsStateInSevenClocks)
{
    rimbolt::BoxLink link;
    for (bool alt : {false, true}) {
        link.altWalks = alt;
        for (uint8_t from = 0; from < 6; ++from) {
            for (uint8_t to = 0; to < 6; ++to) {
                EXPECT_EQ(AfterPattern(kNamed[from], link.WalkCode(from, to), 7), kNamed[to])
                    << "from " << int(from) << " to " << int(to) << (alt ? " (alternative)" : "");
            }
        }
    }
}

TEST(DriverWalks, EveryCableWalkEndsInItsState)
{
    for (uint8_t from = 0; from < 6; ++from) {
        for (uint8_t to = 0; to < 6; ++to) {
            const auto w = tessovar::CableLink::WalkOf(from, to);
            // Only a shift state's move to itself clocks nothing.
            EXPECT_EQ(w.clocks == 0, from == to && from >= 4) << "from " << int(from) << " to " << int(to);
            EXPECT_EQ(AfterPattern(kNamed[from], w.pattern, w.clocks), kNamed[to])
                << "from " << int(from) << " to " << int(to);
        }
    }
    // One idle clock more out of Shift-IR than out of Shift-DR.
    EXPECT_EQ(tessovar::CableLink::WalkOf(5, 1).clocks, 4);
    EXPECT_EQ(tessovar::CableLink::WalkOf(4, 1).clocks, 3);
}

TEST(DriverWalks, TheWalkOutOfTheUnknownStateEndsInRunTestIdleFromAnyState)
{
    for (const Row& row : kDiagram)
        EXPECT_EQ(AfterPattern(row.state, 0x3F, 7), TapState::RunTestIdle) << portio::TapStateName(row.state);
}
