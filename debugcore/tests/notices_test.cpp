// The core's target notices: the listener list (delivery order, leaving and
// joining during a delivery, the library's reset) and the rule that Running
// and Stopped are told once per change.
#include <optional>

#include "core.h"
#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

using ::testing::ElementsAre;
using Heard = std::pair<TargetEvent, int>;

class NoticesTest : public SarvikTest {
protected:
    TargetListener Recorder(const char* name)
    {
        return [this, name](const TargetNotice& n) { heard_.push_back(name + std::to_string(n.stop)); };
    }
    std::vector<std::string> heard_;
};

TEST_F(NoticesTest, ListenersHearInOrderAndMayLeaveOrJoinDuringADelivery)
{
    EXPECT_EQ(SubscribeTargetEvents(nullptr), 0) << "no listener, no token";
    const int a = SubscribeTargetEvents(Recorder("a"));
    int b = 0, c = 0;
    int self = 0;
    self = SubscribeTargetEvents([&](const TargetNotice& n) {
        heard_.push_back("self" + std::to_string(n.stop));
        UnsubscribeTargetEvents(self);  // leaves during its own call
        UnsubscribeTargetEvents(b);     // and takes a later one with it
        c = SubscribeTargetEvents(Recorder("c"));
    });
    b = SubscribeTargetEvents(Recorder("b"));
    EXPECT_NE(a, 0);
    EXPECT_NE(a, self);
    EXPECT_NE(self, b);

    Core().NoteRunning();
    EXPECT_THAT(heard_, ElementsAre("a0", "self0")) << "b left before its turn, c joined after the start";
    heard_.clear();
    Core().NoteStopped(EMU_STOP_EXITED);
    EXPECT_THAT(heard_, ElementsAre("a3", "c3"));

    UnsubscribeTargetEvents(a);
    UnsubscribeTargetEvents(a);  // twice: nothing
    UnsubscribeTargetEvents(0);
    heard_.clear();
    Core().NoteChanged();
    EXPECT_THAT(heard_, ElementsAre("c0"));
}

TEST_F(NoticesTest, RunningAndStoppedAreToldOncePerChangeAndChangedEveryTime)
{
    std::vector<Heard> heard;
    TargetSubscription s([&](const TargetNotice& n) { heard.emplace_back(n.event, n.stop); });
    Core().NoteStopped(EMU_STOP_HALTED);  // nothing ran
    Core().NoteRunning();
    Core().NoteRunning();  // a run resumed after a semihosting call
    Core().NoteStopped(EMU_STOP_HALTED);
    Core().NoteStopped(EMU_STOP_HALTED);  // the frame's stop entry after the halt's
    Core().NoteChanged();
    Core().NoteChanged();
    EXPECT_THAT(heard,
                ElementsAre(Heard{TargetEvent::Running, 0}, Heard{TargetEvent::Stopped, EMU_STOP_HALTED},
                            Heard{TargetEvent::Changed, 0}, Heard{TargetEvent::Changed, 0}));
}

TEST_F(NoticesTest, ASubscriptionEndsWithItsOwnerAndTheLibrarysResetDropsEveryListener)
{
    int heard = 0;
    {
        TargetSubscription s([&](const TargetNotice&) { ++heard; });
        Core().NoteChanged();
    }
    Core().NoteChanged();
    EXPECT_EQ(heard, 1);

    SubscribeTargetEvents([&](const TargetNotice&) { ++heard; });
    Core().NoteRunning();
    ResetLibrary();
    EXPECT_EQ(Core().notices.Count(), 0u);
    Core().NoteStopped(EMU_STOP_HALTED);
    Core().NoteRunning();
    EXPECT_EQ(heard, 2);
}

}  // namespace
}  // namespace sarvik::test
