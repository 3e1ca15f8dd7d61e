// The core's automation members that act on the frame and the windows: the
// image load by message, windows by name, the shell's collected text.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "emu_messages.h"
#include "platform/win32.h"

namespace appdebug::test {
namespace {

constexpr UINT kCloseAll = 32797;

TEST_F(CoreTest, LoadImageClosesAllThenHandsThePathWithTheLoadOption)
{
    struct Row {
        int type;
        int option;  // the stored source-load option
        WPARAM expected;
    };
    for (const Row& row : {Row{0, 2, 2}, Row{0, 0, 0}, Row{5, 2, 1}}) {
        theSettings.SrcLoadOption = row.option;
        frame.sink.messages.clear();
        core->LoadImage("/images/hello.elf", row.type);
        ASSERT_EQ(frame.sink.messages.size(), 2u);
        EXPECT_EQ(frame.sink.messages[0], (SentMessage{WM_COMMAND, kCloseAll, 0}));
        const SentMessage& open = frame.sink.messages[1];
        EXPECT_EQ(open.msg, WM_EMU_OPEN_IMAGE);
        EXPECT_EQ(open.w, row.expected) << row.type << "," << row.option;
        auto block = reinterpret_cast<HGLOBAL>(open.l);
        EXPECT_STREQ(static_cast<const char*>(GlobalLock(block)), "/images/hello.elf");
        GlobalUnlock(block);
        GlobalFree(block);  // the frame's part
    }
}

TEST_F(CoreTest, DebugWindowsByNameWithoutRegardToCase)
{
    EXPECT_EQ(core->OpenDebugWnd("rEGISTER", TRUE), 0);
    ASSERT_NE(core->RegisterWnd(), nullptr);
    core->OpenDebugWnd("Watch", TRUE);
    ASSERT_NE(core->WatchWnd(), nullptr);
    const auto* watch = static_cast<StandInWindow*>(core->WatchWnd());
    const size_t before = watch->sink.messages.size();

    core->RefreshDebugWnd("WATCH");
    core->RefreshDebugWnd("Nothing");
    ASSERT_EQ(watch->sink.messages.size(), before + 1);
    EXPECT_EQ(watch->sink.messages.back(), (SentMessage{WM_COMMAND, 32802, 0}));
    core->OpenDebugWnd("watch", FALSE);
    EXPECT_EQ(watch->sink.messages.back().msg, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(core->OpenDebugWnd("Trace", FALSE), -1);  // no trace module

    frame.sink.messages.clear();
    core->OpenDebugWnd("Mixed", TRUE);
    core->OpenDebugWnd("Asm", TRUE);
    core->OpenDebugWnd("NoSuchWindow", TRUE);
    EXPECT_EQ(frame.sink.messages, (std::vector<SentMessage>{{WM_COMMAND, 32861, 0}, {WM_COMMAND, 32823, 0}}));
}

TEST_F(CoreTest, ShellCommandCollectsTheShellsTextAndRefusesWhileUnconnected)
{
    brevan::MessageCapture console;  // the shell window
    side.shellAnswer = {"BP at 0x8000", "1 breakpoint"};
    EXPECT_EQ(core->ShellCommand("bp"), 0);
    EXPECT_EQ(side.calls.back(), "ShlExecuteCommand(>bp)");
    EXPECT_EQ(core->ShellResult(), "BP at 0x8000\n1 breakpoint\n");
    // The console still shows the answer, then a line feed.
    EXPECT_EQ(console.texts, side.shellAnswer);
    EXPECT_EQ(console.raw, std::vector<std::string>{"\n"});

    side.shellAnswer = {"other"};
    frame.connected = false;
    EXPECT_EQ(core->ShellCommand("bc all"), -1);
    EXPECT_EQ(side.calls.back(), "ShlExecuteCommand(>bp)");
    EXPECT_EQ(core->ShellResult(), "BP at 0x8000\n1 breakpoint\n");  // unchanged
}

}  // namespace
}  // namespace appdebug::test
