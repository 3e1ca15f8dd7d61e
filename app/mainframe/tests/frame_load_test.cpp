// WM_EMU_OPEN_IMAGE and the project image load over a recording debugger
// core: the image's project, the load-option word, the results and what
// each leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "appdebug/program_load.h"
#include "emu_messages.h"
#include "frame_test_support.h"
#include "mainframe/main_frame.h"
#include "platform/global_memory.h"
#include "platform/messages.h"
#include "platform/modules.h"
#include "platform/scripted_ui_gtest.h"
#include "shell/debugger_app.h"
#include "shell/modules.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "shell_test_support.h"

namespace mainframe {
namespace {

LPARAM PathBlock(const std::string& path)
{
    return reinterpret_cast<LPARAM>(platform::GlobalTextBlock(path));
}

class FrameLoadTest : public shell::test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        platform::SetModuleFolder(temp_.path());
        shell::Modules().FreeAll();
        Globals() = FrameGlobals{};
        frame_ = new CMainFrame;
        ASSERT_TRUE(frame_->LoadFrame(shell::IDR_MAINFRAME));
        app_.m_pMainWnd = frame_;
        frame_->m_bConnected = TRUE;
    }
    void TearDown() override
    {
        app_.m_pMainWnd = nullptr;
        if (frame_)
            frame_->DestroyWindow();
        shell::Modules().FreeAll();
        RegistryTest::TearDown();
    }
    LRESULT OpenImage(const std::string& path, WPARAM option = 0x100F)
    {
        return frame_->SendMessage(WM_EMU_OPEN_IMAGE, option, PathBlock(path));
    }
    int LoadEndEvents() const
    {
        int n = 0;
        for (const auto& [event, value] : fixture_.log.events)
            n += event == kEventLoadEnd && value == 0;
        return n;
    }

    shell::CDebuggerApp app_;
    test::FrameFixture fixture_;
    CMainFrame* frame_ = nullptr;
};

TEST_F(FrameLoadTest, AnImageBecomesTheProjectAndIsLoadedWithTheOptionWord)
{
    struct Case {
        const char* image;
        const char* project;
    } cases[] = {
        {"/work/prog.elf", "/work/prog.mpj"},
        {"/work/v1.2/prog", "/work/v1.2/prog.mpj"},  // a dot in the folder only
        {"C:\\arm\\prog.axf", "C:\\arm\\prog.mpj"},
        {"/work/prog.tar.elf", "/work/prog.tar.mpj"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image);
        fixture_.log.loads.clear();
        EXPECT_EQ(OpenImage(c.image, 0x700100F), 0);
        ASSERT_NE(app_.ActiveProject(), nullptr);
        EXPECT_EQ(app_.ActiveProject()->path, c.project);
        ASSERT_EQ(fixture_.log.loads.size(), 1u);
        EXPECT_EQ(fixture_.log.loads[0].first, c.image);
        EXPECT_EQ(fixture_.log.loads[0].second, 0x700100Fu);
        EXPECT_EQ(shell::g_loadOption, 0x700100F);
    }
    // Nothing is written beside the image.
    EXPECT_FALSE(std::ifstream(temp_.path() + "/prog.mpj").good());
}

TEST_F(FrameLoadTest, ASuccessfulLoadFiresLoadEndAndAsksForTheCodeViews)
{
    Globals().imageLoaded = FALSE;
    EXPECT_EQ(OpenImage(temp_.path() + "/prog.elf"), 0);
    EXPECT_TRUE(Globals().imageLoaded);
    EXPECT_FALSE(Globals().busyTransfer);
    EXPECT_EQ(LoadEndEvents(), 1);
    // The code views' update is posted, not sent.
    EXPECT_TRUE(fixture_.log.refreshes.empty());
}

TEST_F(FrameLoadTest, FailuresAreAnsweredAndLeaveTheirMarks)
{
    // A loader failure: returned, image-loaded flag down, no event.
    fixture_.log.loadAnswer = LDR_E_OPEN;
    EXPECT_EQ(OpenImage("/none/gone.elf"), static_cast<LRESULT>(LDR_E_OPEN));
    EXPECT_FALSE(Globals().imageLoaded);
    EXPECT_EQ(LoadEndEvents(), 0);

    // A refusal while the target runs: returned, the flag stays as it was.
    Globals().imageLoaded = TRUE;
    fixture_.log.loadAnswer = appdebug::kLoadRefusedRunning;
    EXPECT_EQ(OpenImage("/none/prog.elf"), static_cast<LRESULT>(appdebug::kLoadRefusedRunning));
    EXPECT_TRUE(Globals().imageLoaded);

    // A lost target: the prompt, and 0 for the caller.
    fixture_.log.loadAnswer = static_cast<LdrResult>(-27);
    EXPECT_EQ(OpenImage("/none/prog.elf"), 0);
    EXPECT_EQ(fixture_.log.lost, 1);
    EXPECT_EQ(LoadEndEvents(), 0);
}

TEST_F(FrameLoadTest, WithoutAConnectionNothingIsLoaded)
{
    frame_->m_bConnected = FALSE;
    EXPECT_EQ(OpenImage("/work/prog.elf"), 0);
    EXPECT_TRUE(fixture_.log.loads.empty());
}

TEST_F(FrameLoadTest, LoadWithAnActiveProjectReloadsItsImageAndReportsAFailure)
{
    ASSERT_EQ(OpenImage("/work/prog.elf"), 0);
    fixture_.log.loads.clear();
    platform::GTestScriptedUi ui;
    frame_->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);
    ASSERT_EQ(fixture_.log.loads.size(), 1u) << "the project's image again, no dialog";
    EXPECT_EQ(fixture_.log.loads[0].first, "/work/prog.elf");

    fixture_.log.loadAnswer = LDR_E_NOT_IMAGE;
    ui.AnswerMessageBox(IDOK);
    frame_->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);
    EXPECT_EQ(ui.Unanswered(), 0u);
    // A refusal was shown by the load itself: nothing more here.
    fixture_.log.loadAnswer = appdebug::kLoadRefusedRunning;
    frame_->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);
    EXPECT_EQ(ui.MessageTexts().size(), 1u);
}

TEST_F(FrameLoadTest, TheFrameServesTheTextViews)
{
    ASSERT_EQ(GetTextViewFrame(), frame_);
    EXPECT_TRUE(frame_->IsConnected());
    // The editor's requests reach the debugger core.
    EXPECT_EQ(frame_->AddWatch("total"), 1);
    EXPECT_EQ(fixture_.log.watches, std::vector<std::string>{"total"});
    frame_->ReportTargetConnectionLost();
    EXPECT_EQ(fixture_.log.lost, 1);
    // The stop position the views read is the frame's.
    CurrentStop().sourcePath = "/work/main.c";
    CurrentStop().line = 16;
    CurrentStop().pc = {0x8324, ADDR_SPACE_TARGET};
    const TextViewStop stop = GetTextViewFrame()->GetStopPosition();
    EXPECT_EQ(stop.sourcePath, "/work/main.c");
    EXPECT_EQ(stop.line, 16);
    EXPECT_EQ(stop.pc, 0x8324u);
    CurrentStop() = StopPosition{};
    frame_->DestroyWindow();
    frame_ = nullptr;
    EXPECT_EQ(GetTextViewFrame(), nullptr);
}

}  // namespace
}  // namespace mainframe
