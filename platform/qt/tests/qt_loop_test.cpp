// The platform queue on the Qt event loop: posts from workers wake the loop
// and arrive in order; sends and nested pumps work while Qt runs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/messages.h"

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

TEST(QtLoopTest, NestedPumpsProcessQtEventsAndWakeOnPosts)
{
    // A Qt timer changes the condition: ModalWait must let Qt run.
    bool fired = false;
    QTimer::singleShot(10, [&] { fired = true; });
    EXPECT_TRUE(ModalWait([&] { return fired; }, kGuard));

    // A worker's post ends a PumpWait that has no time limit.
    std::atomic<int> got{0};
    HWND h = CreateSink([&](UINT, WPARAM, LPARAM) -> LRESULT { return ++got; });
    std::thread worker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostMessage(h, WM_USER, 0, 0);
    });
    while (got == 0)
        PumpWait(-1);
    worker.join();
    DestroySink(h);
}

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
