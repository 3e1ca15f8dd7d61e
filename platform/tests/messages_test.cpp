// Message sinks and the pumps on one thread: send against post, stale
// handles, the nested pumps of long operations, hooks and key state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/messages.h"

using namespace platform;

namespace {

// Records "<sink>:<msg>" for every message it gets.
struct Recorder {
    std::vector<std::string> log;
    HWND Make(const std::string& name)
    {
        return CreateSink([this, name](UINT msg, WPARAM, LPARAM) -> LRESULT {
            log.push_back(name + ":" + std::to_string(msg));
            return 100 + msg;
        });
    }
};

class MessagesTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        DispatchPending();
        SetPreTranslateHook(nullptr);
        SetPumpHook(nullptr);
        ResetKeyState();
        EXPECT_EQ(SinkCount(), 0u) << "a test left sinks behind";
    }
};

TEST_F(MessagesTest, SendRunsAtOnceAndPostsKeepTheirOrderAcrossWindows)
{
    Recorder r;
    HWND a = r.Make("a");
    HWND b = r.Make("b");
    ASSERT_TRUE(PostMessage(a, 1, 0, 0));
    ASSERT_TRUE(PostMessage(b, 2, 0, 0));
    ASSERT_TRUE(PostMessage(a, 3, 0, 0));
    EXPECT_EQ(SendMessage(b, 4, 0, 0), 104);
    EXPECT_EQ(r.log, (std::vector<std::string>{"b:4"}));
    EXPECT_EQ(PumpPending(), 0);
    EXPECT_EQ(r.log, (std::vector<std::string>{"b:4", "a:1", "b:2", "a:3"}));
    DestroySink(a);
    DestroySink(b);
}

TEST_F(MessagesTest, AStaleHandleNeverReachesTheSinkThatReusesItsSlot)
{
    Recorder r;
    HWND old = r.Make("old");
    ASSERT_TRUE(PostMessage(old, 1, 0, 0));
    ASSERT_TRUE(DestroySink(old));
    EXPECT_FALSE(IsWindow(old));
    EXPECT_FALSE(DestroySink(old));

    // Churn the table so that slots are reused many times over.
    std::vector<HWND> seen{old};
    for (int i = 0; i < 3000; ++i) {
        HWND h = r.Make("churn");
        for (HWND s : seen)
            ASSERT_NE(h, s);
        if (seen.size() < 64)
            seen.push_back(h);
        DestroySink(h);
    }
    HWND fresh = r.Make("fresh");
    EXPECT_NE(fresh, old);
    EXPECT_EQ(SendMessage(old, 2, 0, 0), 0);
    EXPECT_FALSE(PostMessage(old, 3, 0, 0));
    PumpPending();
    EXPECT_TRUE(r.log.empty()) << "the message queued for the dead sink was delivered";
    EXPECT_LE(reinterpret_cast<uintptr_t>(fresh), 0x7FFFFFFFu);
    DestroySink(fresh);
}

TEST_F(MessagesTest, ASinkDestroyedByItsOwnHandlerFinishesThatCall)
{
    HWND self = nullptr;
    int calls = 0;
    self = CreateSink([&](UINT, WPARAM, LPARAM) -> LRESULT {
        ++calls;
        DestroySink(self);
        return 7;
    });
    PostMessage(self, 5, 0, 0);
    EXPECT_EQ(SendMessage(self, 5, 0, 0), 7);
    PumpPending();
    EXPECT_EQ(calls, 1);
}

TEST_F(MessagesTest, NestedPumpTakesOutTheAbortKeyAndDropsTimers)
{
    Recorder r;
    HWND w = r.Make("w");
    PostMessage(w, WM_TIMER, 1, 0);
    PostMessage(w, 10, 0, 0);
    PostMessage(w, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessage(w, 11, 0, 0);
    EXPECT_EQ(PumpPending({VK_ESCAPE, VK_CANCEL}), VK_ESCAPE);
    EXPECT_EQ(r.log, (std::vector<std::string>{"w:10"}));
    // What follows the key stays queued for the next pump.
    EXPECT_EQ(PumpPending(), 0);
    EXPECT_EQ(r.log, (std::vector<std::string>{"w:10", "w:11"}));

    // The outer loop dispatches timers.
    PostMessage(w, WM_TIMER, 1, 0);
    EXPECT_TRUE(DispatchPending());
    EXPECT_EQ(r.log.back(), "w:" + std::to_string(WM_TIMER));
    DestroySink(w);
}

TEST_F(MessagesTest, KeysAreDispatchedWhenThePumpDoesNotTakeThem)
{
    Recorder r;
    HWND w = r.Make("w");
    PostMessage(w, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(PumpPending(), 0);
    EXPECT_EQ(r.log, (std::vector<std::string>{"w:" + std::to_string(WM_KEYDOWN)}));
    DestroySink(w);
}

TEST_F(MessagesTest, DiscardKeyMessagesLeavesOtherMessages)
{
    Recorder r;
    HWND w = r.Make("w");
    PostMessage(w, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessage(w, WM_COMMAND, 1, 0);
    PostMessage(w, WM_CHAR, 27, 0);
    PostMessage(w, WM_KEYUP, VK_ESCAPE, 0);
    DiscardKeyMessages();
    PumpPending();
    EXPECT_EQ(r.log, (std::vector<std::string>{"w:" + std::to_string(WM_COMMAND)}));
    DestroySink(w);
}

TEST_F(MessagesTest, QuitEndsTheOuterLoopAndSurvivesNestedPumps)
{
    Recorder r;
    HWND w = r.Make("w");
    PostMessage(w, 1, 0, 0);
    PostQuitMessage(3);
    PostMessage(w, 2, 0, 0);
    PumpPending();
    EXPECT_EQ(r.log, (std::vector<std::string>{"w:1"}));
    EXPECT_FALSE(ModalWait([] { return false; }));
    EXPECT_EQ(RunMessageLoop(), 3);
    PumpPending();
    EXPECT_EQ(r.log, (std::vector<std::string>{"w:1", "w:2"}));
    DestroySink(w);
}

TEST_F(MessagesTest, PreTranslateHookSeesThreadMessagesAndCanEatWindowMessages)
{
    Recorder r;
    HWND w = r.Make("w");
    std::vector<UINT> hooked;
    SetPreTranslateHook([&](MSG& m) {
        hooked.push_back(m.message);
        return m.hwnd == nullptr || m.message == 2;
    });
    PostThreadMessage(GetCurrentThreadId(), WM_USER + 0x79, 0, 5);
    PostMessage(w, 1, 0, 0);
    PostMessage(w, 2, 0, 0);
    PostMessage(nullptr, 3, 0, 0);  // a null window posts to the thread
    PumpPending();
    EXPECT_EQ(hooked, (std::vector<UINT>{WM_USER + 0x79, 1, 2, 3}));
    EXPECT_EQ(r.log, (std::vector<std::string>{"w:1"}));
    DestroySink(w);
}

TEST_F(MessagesTest, PeekMessageFiltersByWindowAndRange)
{
    Recorder r;
    HWND a = r.Make("a");
    HWND b = r.Make("b");
    PostMessage(a, 0x100, 0, 0);
    PostMessage(b, 0x200, 0, 0);
    PostThreadMessage(GetCurrentThreadId(), 0x300, 0, 0);
    MSG m{};
    EXPECT_TRUE(PeekMessage(&m, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, 0x200u);
    EXPECT_TRUE(PeekMessage(&m, nullptr, 0x300, 0x300, PM_REMOVE));
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_FALSE(PeekMessage(&m, HWND_THREAD_ONLY, 0, 0, PM_REMOVE));
    EXPECT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, a);
    EXPECT_EQ(DispatchMessage(&m), 100 + 0x100);
    EXPECT_TRUE(GetMessage(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, 0x200u);
    EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    DestroySink(a);
    DestroySink(b);
}

TEST_F(MessagesTest, ALongOperationStopsWhenTheScriptPressesEsc)
{
    // What a load loop does: pump, then ask for Esc.
    int pumps = 0;
    SetPumpHook([&] {
        if (++pumps == 3)
            SetKeyDown(VK_ESCAPE, true);
    });
    int rounds = 0;
    while (!(GetAsyncKeyState(VK_ESCAPE) & 0x8000) && rounds < 100) {
        PumpPending();
        ++rounds;
    }
    EXPECT_EQ(rounds, 3);
}

TEST_F(MessagesTest, AsyncKeyStateReportsDownAndPressedSinceLastQuery)
{
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
    SetKeyDown(VK_ESCAPE, true);
    SetKeyDown(VK_ESCAPE, false);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 1);  // pressed and released in between
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
    SetKeyDown(VK_RETURN, true);
    EXPECT_EQ(static_cast<uint16_t>(GetAsyncKeyState(VK_RETURN)), 0x8001);
    EXPECT_EQ(static_cast<uint16_t>(GetAsyncKeyState(VK_RETURN)), 0x8000);
    SetKeyStateQuery([](int vk) -> short { return vk == VK_CANCEL ? static_cast<short>(0x8000) : 0; });
    EXPECT_NE(GetAsyncKeyState(VK_CANCEL), 0);
    EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);
    EXPECT_EQ(GetAsyncKeyState(-1), 0);
    SetKeyStateQuery(nullptr);
    EXPECT_EQ(GetAsyncKeyState(1000), 0);
}

TEST_F(MessagesTest, AHandlerThatPumpsKeepsTheQueueOrder)
{
    std::vector<int> log;
    HWND w = nullptr;
    w = CreateSink([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        log.push_back(static_cast<int>(msg));
        if (msg == 1) {
            PostMessage(w, 3, 0, 0);
            PumpPending();  // a step loop inside a command handler
        }
        return 0;
    });
    PostMessage(w, 1, 0, 0);
    PostMessage(w, 2, 0, 0);
    PumpPending();
    EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
    DestroySink(w);
}

TEST_F(MessagesTest, RegisteredMessageNumbersIgnoreCase)
{
    UINT a = RegisterWindowMessage("BCGM_TOOLBARMENU");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("bcgm_toolbarmenu"), a);
    EXPECT_NE(RegisterWindowMessage("BCGM_RESETTOOLBAR"), a);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST_F(MessagesTest, SinkObjectsAreFoundByHandle)
{
    struct Counter : MessageSink {
        int n = 0;
        LRESULT OnMessage(UINT, WPARAM w, LPARAM) override { return n += static_cast<int>(w); }
    } counter;
    HWND h = CreateSink(&counter);
    EXPECT_EQ(SinkObject(h), &counter);
    EXPECT_EQ(SendMessage(h, WM_USER, 5, 0), 5);
    DWORD pid = 0;
    EXPECT_EQ(GetWindowThreadProcessId(h, &pid), GetCurrentThreadId());
    EXPECT_NE(pid, 0u);
    DestroySink(h);
    EXPECT_EQ(SinkObject(h), nullptr);
}

}  // namespace
