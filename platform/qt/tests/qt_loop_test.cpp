// The platform queue on the Qt event loop: posts from workers wake the loop
// and arrive in order; sends and nested pumps work while Qt runs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/messages.h"
#include "platform/qt/qt_loop.h"
#include "thread_events.h"

using namespace platform;

namespace {

constexpr int kGuard = 20000;  // ms; only a broken build gets there

TEST(QtLoopTest, WorkerPostsWakeTheQtLoopAndArriveInOrder)
{
    QEventLoop loop;
    std::vector<LPARAM> got;
    constexpr int kCount = 1000;
    HWND a = CreateSink([&](UINT, WPARAM, LPARAM l) -> LRESULT {
        got.push_back(l);
        if (got.size() == kCount)
            loop.quit();
        return 0;
    });
    HWND b = CreateSink([&](UINT, WPARAM, LPARAM l) -> LRESULT {
        got.push_back(l);
        if (got.size() == kCount)
            loop.quit();
        return 0;
    });
    std::thread worker([&] {
        for (int i = 0; i < kCount; ++i)
            PostMessage(i % 2 ? a : b, WM_USER, 0, i);
    });
    QTimer::singleShot(kGuard, &loop, &QEventLoop::quit);
    loop.exec();
    worker.join();
    ASSERT_EQ(got.size(), static_cast<size_t>(kCount));
    for (int i = 0; i < kCount; ++i)
        ASSERT_EQ(got[i], i);
    DestroySink(a);
    DestroySink(b);
}

TEST(QtLoopTest, ACrossThreadSendIsAnsweredByTheRunningQtLoop)
{
    QEventLoop loop;
    HWND h = CreateSink([](UINT, WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w) + 1; });
    std::atomic<LRESULT> result{-1};
    std::thread worker([&] {
        result = SendMessage(h, WM_USER, 41, 0);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer::singleShot(kGuard, &loop, &QEventLoop::quit);
    loop.exec();
    worker.join();
    EXPECT_EQ(result.load(), 42);
    DestroySink(h);
}

TEST(QtLoopTest, ModalWaitLetsQtTimersRun)
{
    // A Qt timer changes the condition: ModalWait must let Qt run.
    bool fired = false;
    QTimer::singleShot(10, [&] { fired = true; });
    EXPECT_TRUE(ModalWait([&] { return fired; }, kGuard));
}

// The GUI thread's queue with and without the Qt loop installed: the
// Qt-free loop waits on the queue itself, the Qt loop in Qt's event wait.
enum class Loop { QtFree, Qt };

class BothLoops : public testing::TestWithParam<Loop> {
protected:
    void SetUp() override
    {
        if (GetParam() == Loop::QtFree)
            qt::UninstallQtLoop();
    }
    void TearDown() override { qt::InstallQtLoop(); }
};

TEST_P(BothLoops, APostWakesAPumpWaitBlockedWithoutATimeLimit)
{
    PumpPending();  // what earlier tests left for the loop
    std::atomic<int> got{0};
    HWND h = CreateSink([&](UINT, WPARAM, LPARAM) -> LRESULT { return ++got; });
    const pid_t gui = zk::test::KernelThreadId();
    std::atomic<bool> posted{false};
    std::thread worker([&] {
        // Post only once the GUI thread sleeps in the pump's wait.
        posted = zk::test::WaitUntilBlocked(gui) && PostMessage(h, WM_USER, 0, 0);
    });
    // Under Qt any Qt event also ends the wait; a lost wake-up ends it only
    // at the guard time.
    const auto deadline = std::chrono::steady_clock::now() + zk::test::kEventGuard;
    while (got == 0 && std::chrono::steady_clock::now() < deadline)
        PumpWait(
            static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(zk::test::kEventGuard).count()));
    worker.join();
    ASSERT_TRUE(posted);
    EXPECT_EQ(got.load(), 1) << "the post did not wake the pump";
    DestroySink(h);
}

INSTANTIATE_TEST_SUITE_P(Loops, BothLoops, testing::Values(Loop::QtFree, Loop::Qt),
                         [](const testing::TestParamInfo<Loop>& info) {
                             return info.param == Loop::Qt ? "Qt" : "QtFree";
                         });

TEST(QtLoopTest, TheNestedPumpStillTakesOutEscAndTimersUnderQt)
{
    std::vector<UINT> got;
    HWND h = CreateSink([&](UINT m, WPARAM, LPARAM) -> LRESULT {
        got.push_back(m);
        return 0;
    });
    PostMessage(h, WM_TIMER, 1, 0);
    PostMessage(h, WM_USER, 0, 0);
    PostMessage(h, WM_KEYDOWN, VK_ESCAPE, 0);
    // Processing Qt events inside the pump must not let the dispatcher run
    // the queue with the outer loop's rules.
    EXPECT_EQ(PumpPending({VK_ESCAPE}), VK_ESCAPE);
    EXPECT_EQ(got, (std::vector<UINT>{WM_USER}));
    DestroySink(h);
}

TEST(QtLoopTest, PostQuitMessageEndsTheApplicationLoop)
{
    PostQuitMessage(7);
    EXPECT_EQ(QCoreApplication::exec(), 7);
}

}  // namespace
