// Messages between threads: worker posts reach the GUI thread in order,
// cross-thread sends wait for the owner, thread messages reach hooks and
// worker queues. (A post waking a blocked PumpWait is tested on both loops
// in platform/qt/tests/qt_loop_test.cpp.)
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/messages.h"
#include "thread_events.h"

using namespace platform;

namespace {

constexpr int kWait = 20000;  // ms; only a broken build waits this long

TEST(ThreadsTest, WorkerPostsReachTheGuiThreadInOrderAcrossWindows)
{
    std::vector<std::pair<int, LPARAM>> got;
    DWORD gui = GetCurrentThreadId();
    std::atomic<bool> wrongThread{false};
    auto handler = [&](int which) {
        return [&, which](UINT, WPARAM, LPARAM l) -> LRESULT {
            if (GetCurrentThreadId() != gui)
                wrongThread = true;
            got.emplace_back(which, l);
            return 0;
        };
    };
    HWND a = CreateSink(handler(0));
    HWND b = CreateSink(handler(1));
    constexpr int kCount = 2000;
    std::thread worker([&] {
        for (int i = 0; i < kCount; ++i)
            PostMessage(i % 3 == 0 ? b : a, WM_USER, 0, i);
    });
    ASSERT_TRUE(ModalWait([&] { return got.size() == kCount; }, kWait));
    worker.join();
    EXPECT_FALSE(wrongThread);
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(got[i].second, i);
        ASSERT_EQ(got[i].first, i % 3 == 0 ? 1 : 0);
    }
    DestroySink(a);
    DestroySink(b);
}

TEST(ThreadsTest, EachPosterKeepsItsOrderWhenSeveralPostAtOnce)
{
    constexpr int kThreads = 4, kEach = 500;
    std::vector<std::vector<LPARAM>> perThread(kThreads);
    size_t total = 0;
    HWND h = CreateSink([&](UINT, WPARAM w, LPARAM l) -> LRESULT {
        perThread[w].push_back(l);
        ++total;
        return 0;
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([=] {
            for (int i = 0; i < kEach; ++i)
                PostMessage(h, WM_USER, static_cast<WPARAM>(t), i);
        });
    ASSERT_TRUE(ModalWait([&] { return total == kThreads * kEach; }, kWait));
    for (auto& w : workers)
        w.join();
    for (const auto& seq : perThread) {
        ASSERT_EQ(seq.size(), static_cast<size_t>(kEach));
        for (int i = 0; i < kEach; ++i)
            ASSERT_EQ(seq[i], i);
    }
    DestroySink(h);
}

TEST(ThreadsTest, CrossThreadSendWaitsForTheOwnerToRunIt)
{
    DWORD gui = GetCurrentThreadId();
    DWORD ranOn = 0;
    HWND h = CreateSink([&](UINT msg, WPARAM w, LPARAM) -> LRESULT {
        ranOn = GetCurrentThreadId();
        return static_cast<LRESULT>(w) * 2;
    });
    std::atomic<LRESULT> result{-1};
    std::thread worker([&] { result = SendMessage(h, WM_USER, 21, 0); });
    ASSERT_TRUE(ModalWait([&] { return result.load() != -1; }, kWait));
    worker.join();
    EXPECT_EQ(result.load(), 42);
    EXPECT_EQ(ranOn, gui);
    DestroySink(h);
}

TEST(ThreadsTest, CrossThreadSendToADestroyedSinkGivesZero)
{
    // The sink goes before the worker sends, or while the worker's send
    // waits in the GUI thread's queue.
    for (bool whileWaiting : {false, true}) {
        SCOPED_TRACE(whileWaiting ? "destroyed while the send waits" : "destroyed before the send");
        bool called = false;
        HWND h = CreateSink([&](UINT, WPARAM, LPARAM) -> LRESULT {
            called = true;
            return 9;
        });
        if (!whileWaiting)
            DestroySink(h);
        std::atomic<pid_t> sender{0};
        std::atomic<LRESULT> result{-1};
        std::thread worker([&] {
            sender = zk::test::KernelThreadId();
            result = SendMessage(h, WM_USER, 0, 0);
        });
        if (whileWaiting) {
            while (!sender)
                std::this_thread::yield();
            ASSERT_TRUE(zk::test::WaitUntilBlocked(sender));
            DestroySink(h);
        }
        ASSERT_TRUE(ModalWait([&] { return result.load() != -1; }, kWait));
        worker.join();
        EXPECT_EQ(result.load(), 0);
        EXPECT_FALSE(called);
    }
}

TEST(ThreadsTest, TwoThreadsSendingToEachOtherDoNotDeadlock)
{
    HWND guiSink = CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
    std::atomic<HWND> workerSink{nullptr};
    std::atomic<pid_t> workerTid{0};
    std::atomic<LRESULT> workerGot{-1};
    std::atomic<bool> served{false};
    std::thread worker([&] {
        HWND mine = CreateSink([&](UINT, WPARAM, LPARAM) -> LRESULT { return 2; });
        workerTid = zk::test::KernelThreadId();
        workerSink = mine;
        workerGot = SendMessage(guiSink, WM_USER, 0, 0);
        // Stay alive until the GUI thread's send to us was served.
        ModalWait([&] { return served.load(); }, kWait);
        DestroySink(mine);
    });
    while (!workerSink)
        std::this_thread::yield();
    // The worker's send waits for this thread; this thread's send to the
    // worker must be served by the worker while it waits, and the other way
    // round.
    ASSERT_TRUE(zk::test::WaitUntilBlocked(workerTid));
    EXPECT_EQ(SendMessage(workerSink, WM_USER, 0, 0), 2);
    ASSERT_TRUE(ModalWait([&] { return workerGot.load() != -1; }, kWait));
    EXPECT_EQ(workerGot.load(), 1);
    served = true;
    worker.join();
    DestroySink(guiSink);
}

TEST(ThreadsTest, AnExceptionInACrossThreadHandlerReachesTheSender)
{
    HWND h = CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { throw std::runtime_error("handler failed"); });
    std::atomic<bool> done{false};
    std::string what;
    std::thread worker([&] {
        try {
            SendMessage(h, WM_USER, 0, 0);
        } catch (const std::runtime_error& e) {
            what = e.what();
        }
        done = true;
    });
    ASSERT_TRUE(ModalWait([&] { return done.load(); }, kWait));
    worker.join();
    EXPECT_EQ(what, "handler failed");
    DestroySink(h);
}

TEST(ThreadsTest, ThreadMessagesReachTheGuiHookAndAWorkersOwnQueue)
{
    std::vector<LPARAM> atGui;
    SetPreTranslateHook([&](MSG& m) {
        if (m.hwnd)
            return false;
        atGui.push_back(m.lParam);
        return true;
    });
    std::atomic<DWORD> workerId{0};
    std::atomic<bool> workerDone{false};
    std::vector<LPARAM> atWorker;
    DWORD gui = GetCurrentThreadId();
    std::thread worker([&] {
        EnsureMessageQueue();
        workerId = GetCurrentThreadId();
        EXPECT_TRUE(PostThreadMessage(gui, WM_USER + 0x79, 0, 11));
        MSG m{};
        while (GetMessage(&m, nullptr, 0, 0))
            atWorker.push_back(m.lParam);
        workerDone = true;
    });
    while (!workerId)
        std::this_thread::yield();
    EXPECT_TRUE(PostThreadMessage(workerId, WM_USER, 0, 21));
    EXPECT_TRUE(PostThreadMessage(workerId, WM_USER, 0, 22));
    EXPECT_TRUE(PostThreadMessage(workerId, WM_QUIT, 0, 0));
    ASSERT_TRUE(ModalWait([&] { return workerDone && atGui.size() == 1; }, kWait));
    DWORD gone = workerId;
    worker.join();
    EXPECT_EQ(atGui, (std::vector<LPARAM>{11}));
    EXPECT_EQ(atWorker, (std::vector<LPARAM>{21, 22}));
    EXPECT_FALSE(PostThreadMessage(gone, WM_USER, 0, 0)) << "a thread that ended has no queue";
    EXPECT_FALSE(PostThreadMessage(0x7FFFFFF0, WM_USER, 0, 0));
    SetPreTranslateHook(nullptr);
}

TEST(ThreadsTest, InvokeOnGuiThreadRunsThereAndWaits)
{
    DWORD gui = GetCurrentThreadId();
    std::atomic<DWORD> ranOn{0};
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        EXPECT_TRUE(InvokeOnGuiThread([&] { ranOn = GetCurrentThreadId(); }));
        EXPECT_EQ(ranOn.load(), gui) << "returned before the call ran";
        returned = true;
    });
    ASSERT_TRUE(ModalWait([&] { return returned.load(); }, kWait));
    worker.join();
    EXPECT_TRUE(IsGuiThread());
}

TEST(ThreadsTest, ModalWaitGivesUpAtItsTimeout)
{
    EXPECT_FALSE(ModalWait([] { return false; }, 30));
}

}  // namespace
