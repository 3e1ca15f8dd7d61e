// The halt's wait against a target that stops after the abort on a thread
// of its own, announcing the stop as the CPU model does (the post to the
// main frame, then the stop count): the halt returns once the stop is
// announced, and what arrived meanwhile reaches its windows afterwards, in
// its order.
#include <thread>

#include "core.h"
#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

constexpr UINT kMarker = WM_USER + 0x55;

class HaltWaitTest : public SarvikTest {
protected:
    void TearDown() override
    {
        platform::SetPumpHook(nullptr);
        if (target_.joinable())
            target_.join();
        SarvikTest::TearDown();
    }
    // A free run the CPU model counted.
    static void Running()
    {
        FakeRun().running = true;
        FakeRun().runs = 1;
    }
    // At the halt's first pump the target's run thread stops and, unless
    // `announce` is false, announces the stop.
    void StopAtTheFirstPump(bool announce)
    {
        platform::SetPumpHook([this, announce] {
            if (target_.joinable())
                return;
            const HWND frame = window_;
            target_ = std::thread([frame, announce] {
                FakeRun().running = false;
                if (!announce)
                    return;
                PostMessage(frame, WM_EMU_ERROR, EMU_ERROR_REFRESH_AFTER, HALT_ABORT_SWITCH);
                ++FakeRun().stops;
            });
        });
    }
    std::vector<UINT> Order() const
    {
        std::vector<UINT> out;
        for (const MainMessage& m : messages_)
            if (m.msg == kMarker || m.msg == WM_EMU_ERROR || m.msg == WM_EMU_REFRESH)
                out.push_back(m.msg);
        return out;
    }

    std::thread target_;
};

TEST_F(HaltWaitTest, AHaltReturnsWhenTheStopIsAnnouncedAndDispatchesNothingMeanwhile)
{
    Running();
    StopAtTheFirstPump(true);
    ASSERT_TRUE(PostMessage(window_, kMarker, 0, 0));
    ASSERT_EQ(EmuHalt(), EMU_OK);
    EXPECT_TRUE(target_.joinable()) << "the halt waited for the stop";
    EXPECT_FALSE(FakeRun().running);
    EXPECT_EQ(FakeRun().stops.load(), 1u) << "the stop is announced when the halt returns";
    EXPECT_THAT(Order(), ::testing::ElementsAre(WM_EMU_REFRESH)) << "only the halt's own refresh";
    EXPECT_EQ(Core().run.haltAction, 1);

    target_.join();
    platform::PumpPending();
    EXPECT_THAT(Order(), ::testing::ElementsAre(WM_EMU_REFRESH, kMarker, WM_EMU_ERROR)) << "in the order they came";
    const std::vector<MainMessage> stop = Messages(WM_EMU_ERROR);
    ASSERT_EQ(stop.size(), 1u);
    EXPECT_EQ(stop[0].lParam, HALT_ABORT_SWITCH);
}

TEST_F(HaltWaitTest, AStopThatIsNeverAnnouncedEndsTheWaitAfterTheTargetStopped)
{
    Running();
    StopAtTheFirstPump(false);
    ASSERT_EQ(EmuHalt(), EMU_OK);
    EXPECT_FALSE(FakeRun().running);
    EXPECT_EQ(FakeRun().stops.load(), 0u);
    EXPECT_THAT(Order(), ::testing::ElementsAre(WM_EMU_REFRESH));
}

TEST_F(HaltWaitTest, AHaltOfAStoppedTargetDoesNotWait)
{
    platform::SetPumpHook([] { ADD_FAILURE() << "the halt pumped"; });
    ASSERT_EQ(EmuHalt(), EMU_OK);
    EXPECT_THAT(Order(), ::testing::ElementsAre(WM_EMU_REFRESH));
}

}  // namespace
}  // namespace sarvik::test
