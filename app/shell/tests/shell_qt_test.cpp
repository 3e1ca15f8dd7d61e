// The status bar's widget and the splash window offscreen, and the program
// itself started as a process.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPointer>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "host_tools.h"
#include "platform/modules.h"
#include "platform/registry.h"
#include "shell/qt/splash_window.h"
#include "shell/qt/status_bar_widget.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "shell_test_support.h"

using namespace shell;
using shell::qt::StatusBarWidget;

namespace {

QImage Grab(QWidget& w)
{
    w.show();
    QApplication::processEvents();
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(StatusBarWidget, TintIsThePaneColourOrOlive)
{
    RegisterShellResources();
    CSuperStatusBar bar;
    bar.Create(nullptr);
    bar.SetUpPanes(TRUE);
    bar.SetPaneText(kRunStatePane, "Halt");
    StatusBarWidget w(&bar);
    w.resize(600, 22);
    QImage plain = Grab(w);
    bar.SetPaneText(kRunStatePane, "Running");
    QImage tinted = Grab(w);
    ASSERT_EQ(plain.size(), tinted.size());
    // Every pixel of the tinted bar is the plain one OR RGB(0x7F,0x7F,0)
    // (compared away from the run-state pane, whose text changed).
    QRect halt = w.PaneRects()[kRunStatePane];
    int checked = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            if (x >= halt.left() - 1 && x <= halt.right() + 1)
                continue;
            QRgb p = plain.pixel(x, y), t = tinted.pixel(x, y);
            ASSERT_EQ(qRed(t), qRed(p) | 0x7F) << x << "," << y;
            ASSERT_EQ(qGreen(t), qGreen(p) | 0x7F) << x << "," << y;
            ASSERT_EQ(qBlue(t), qBlue(p)) << x << "," << y;
            ++checked;
        }
    EXPECT_GT(checked, 1000);
}

TEST(StatusBarWidget, DoubleClickFindsThePane)
{
    RegisterShellResources();
    CSuperStatusBar bar;
    bar.Create(nullptr);
    bar.SetUpPanes(TRUE);
    StatusBarWidget w(&bar);
    w.resize(600, 22);
    auto rects = w.PaneRects();
    ASSERT_EQ(rects.size(), 11u);
    EXPECT_EQ(rects[4].width(), 70 * 4 / 3);  // scaled for the wider font
    EXPECT_EQ(w.PaneAt(rects[4].center()), 4);
    EXPECT_EQ(w.PaneAt(rects[0].center()), 0);
    // The panes end before the size grip.
    EXPECT_LE(rects.back().right(), 600 - 16);
}

TEST(SplashWindow, MissingBitmapEndsAtOnceAndBringsTheMainWindowForward)
{
    int fronts = 0;
    auto thread = std::make_unique<CSplashThread>();
    thread->SetBitmapId(4242);
    QWidget main;
    thread->SetMainWindowFront([&] { ++fronts; });
    EXPECT_EQ(shell::qt::StartSplash(std::move(thread)), nullptr);
    EXPECT_EQ(fronts, 1);
}

TEST(SplashWindow, ClickOrEscEndsItBeforeItsTime)
{
    for (int how = 0; how < 2; ++how) {
        int fronts = 0;
        auto thread = std::make_unique<CQuelmSplash>();
        ASSERT_FALSE(thread->BitmapFile().empty()) << "the splash bitmap is drawn at build time";
        thread->SetMainWindowFront([&] { ++fronts; });
        QPointer<shell::qt::SplashWindow> w = shell::qt::StartSplash(std::move(thread));
        ASSERT_TRUE(w);
        EXPECT_EQ(w->size(), QSize(420, 270));
        QApplication::processEvents();
        if (how == 0)
            QTest::mouseClick(w, Qt::LeftButton);
        else
            QTest::keyClick(w, Qt::Key_Escape);
        QTRY_VERIFY(w.isNull());
        EXPECT_EQ(fronts, 1);
    }
}

TEST(SplashWindow, DisplayTimeEndsIt)
{
    auto thread = std::make_unique<CQuelmSplash>();
    EXPECT_EQ(thread->DisplayTime(), 4000u);
    EXPECT_EQ(thread->StepInterval(), 2u);
    thread->SetDisplayTime(50);
    QPointer<shell::qt::SplashWindow> w = shell::qt::StartSplash(std::move(thread));
    ASSERT_TRUE(w);
    QTRY_VERIFY_WITH_TIMEOUT(w.isNull(), 30000);
}

// Runs build/bin/quelm with its registry in `registryFile`; with
// `closeAfter` (seconds) it is sent SIGTERM that long after it catches the
// signal (a SIGTERM before, on a slow start, would kill it outright), which
// closes its frame.
zk::test::ProcessResult RunQuelm(const std::vector<std::string>& args, const std::string& registryFile,
                                 int closeAfter = 0)
{
    std::string old = std::getenv("ZK_REGISTRY_FILE") ? std::getenv("ZK_REGISTRY_FILE") : "";
    setenv("ZK_REGISTRY_FILE", registryFile.c_str(), 1);
    std::vector<std::string> argv = {platform::ProgramFolder() + "/quelm"};
    argv.insert(argv.end(), args.begin(), args.end());
    if (closeAfter > 0) {
        std::string line;
        for (const auto& a : argv)
            line += "'" + a + "' ";
        // SIGTERM is bit 14 of the caught-signals mask (a minute at most).
        const std::string caught = "i=0; while [ $i -lt 1200 ]; do "
                                   "m=$(sed -n 's/^SigCgt:[[:space:]]*//p' /proc/$pid/status 2>/dev/null); "
                                   "[ -n \"$m\" ] && [ $((0x$m & 16384)) -ne 0 ] && break; "
                                   "i=$((i + 1)); sleep 0.05; done; ";
        argv = {"/bin/sh", "-c",
                line + "& pid=$!; " + caught + "sleep " + std::to_string(closeAfter) + "; kill -TERM $pid; wait $pid"};
    }
    auto result = zk::test::RunProcess(argv, {}, std::chrono::seconds(120), {"QT_QPA_PLATFORM=offscreen"});
    setenv("ZK_REGISTRY_FILE", old.c_str(), 1);
    return result;
}

std::string ReadAll(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(QuelmProgram, ConfigurationOnlyStartLeavesTheRegistryFileAsItWas)
{
    shell::test::TempFolder temp;
    const std::string file = temp.path() + "/registry";
    {
        platform::Registry reg(file);
        reg.SetString(shell::test::kConfigKey, "Protocol", "Pelliton");
        reg.SetDword(shell::test::kConfigKey, "MaxUndoLen", 123);
        ASSERT_TRUE(reg.Flush());
    }
    const std::string before = ReadAll(file);
    auto run = RunQuelm({"/S"}, file);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(ReadAll(file), before);
}

TEST(QuelmProgram, OrdinaryStartWritesTheSettingsRecord)
{
    shell::test::TempFolder temp;
    const std::string file = temp.path() + "/registry";
    auto run = RunQuelm({"/D"}, file, 2);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    platform::Registry reg(file);
    EXPECT_EQ(reg.GetDword(shell::test::kConfigKey, "MaxUndoLen"), 4096u);
    EXPECT_EQ(reg.GetString(shell::test::kConfigKey, "toolchain"), "fendrix");
    EXPECT_FALSE(reg.GetValue(shell::test::kConfigKey, "Simulate"));
}

TEST(QuelmProgram, ServerStartShowsTheSplashAndEndsCleanly)
{
    shell::test::TempFolder temp;
    auto start = std::chrono::steady_clock::now();
    auto run = RunQuelm({"/Embedding"}, temp.path() + "/registry", 5);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_FALSE(run.timedOut);
    // The splash ran its display time (4 s) before the program ended.
    EXPECT_GE(seconds, 3.9);
}

}  // namespace
