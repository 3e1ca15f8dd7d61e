#include <gtest/gtest.h>

#include "emu_messages.h"
#include "fake_flash_target.h"
#include "mirobel/flash_files.h"
#include "mirobel/flash_progress.h"
#include "platform/messages.h"
#include "scratch_folder.h"
#include "test_clock.h"

namespace mirobel {
namespace {

using test::FakeFlashTarget;
using test::ScratchFolder;

class FlashProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_.Write("flash/TESTDEV.o", "R");
        SetLibraryFolder(library_.path());
        request_.info.flashStart = request_.info.flashOffset = 0x100000;
        request_.info.flashSize = 0x10000;
        request_.info.ramStart = 0x200000;
        request_.info.ramEnd = 0x20FFFF;
        request_.device = "TESTDEV";
        request_.imagePath = image_.Write("app.bin", std::string(50000, 'A'));
        frame_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM) -> LRESULT {
            if (msg == WM_EMU_POLL_STATUS)
                polls_.push_back(static_cast<int>(w));
            return 1;
        });
    }
    void TearDown() override
    {
        platform::DestroySink(frame_);
        SetLibraryFolder("");
    }
    void TickUntilFinished(FlashProgress& progress)
    {
        ASSERT_TRUE(platform::ModalWait(
            [&] {
                progress.Tick();
                return progress.state() == FlashProgress::State::Finished;
            },
            10000));
    }

    ScratchFolder library_;
    ScratchFolder image_;
    FakeFlashTarget target_;
    FlashRequest request_;
    HWND frame_ = nullptr;
    std::vector<int> polls_;
};

TEST_F(FlashProgressTest, OpenTicksToTheResultThenClose)
{
    FlashEngine engine(target_);
    FlashProgress progress(engine, frame_);
    ASSERT_TRUE(progress.Open(request_));
    EXPECT_EQ(polls_, std::vector<int>{0});
    EXPECT_TRUE(progress.timerRunning());
    EXPECT_EQ(progress.button(), "&Cancel");
    EXPECT_FALSE(progress.Open(request_)) << "one at a time";
    TickUntilFinished(progress);
    EXPECT_FALSE(progress.timerRunning());
    EXPECT_FALSE(progress.barVisible());
    EXPECT_EQ(progress.text(), "Flash Programming OK !");
    EXPECT_EQ(progress.button(), "&OK");
    EXPECT_EQ(progress.title(), "Flash Programming");
    progress.Cancel();  // the button reads OK now
    EXPECT_EQ(progress.state(), FlashProgress::State::Closed);
    EXPECT_EQ(polls_, (std::vector<int>{0, 1}));
    EXPECT_EQ(target_.runs.size(), 3u);

    target_.answerAt = 4;
    target_.answer = 2;
    ASSERT_TRUE(progress.Open(request_));
    TickUntilFinished(progress);
    EXPECT_EQ(progress.text(), "Flash Programming Error !");
    progress.Close();
    EXPECT_EQ(polls_, (std::vector<int>{0, 1, 0, 1}));
}

// Cancel waits, in the Cancelling state, until the worker has ended (here
// in a routine that never comes back: its chunk's time-out and halt).
TEST_F(FlashProgressTest, CancelWaitsForTheCurrentChunk)
{
    test::TestClock clock;
    target_.hangFrom = true;
    target_.hangAt = 1;
    FlashEngine engine(target_);
    FlashProgress progress(engine, frame_);
    ASSERT_TRUE(progress.Open(request_));
    ASSERT_TRUE(platform::ModalWait([&] { return target_.RunCount() == 2; }, 10000));
    std::vector<FlashProgress::State> seen;
    const platform::PumpHook saved = platform::SetPumpHook([&] { seen.push_back(progress.state()); });
    progress.Cancel();
    platform::SetPumpHook(saved);
    EXPECT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), FlashProgress::State::Cancelling);
    EXPECT_EQ(progress.state(), FlashProgress::State::Closed);
    EXPECT_TRUE(engine.Done());
    EXPECT_EQ(engine.Result(), FLASH_TIMED_OUT);
    EXPECT_EQ(target_.halts, 1);
    EXPECT_EQ(polls_, (std::vector<int>{0, 1}));
}

}  // namespace
}  // namespace mirobel
