// The semihosting console through the main frame over a recording core:
// output of both streams into the "Console" tab, a read that waits for the
// typed line, and what the wait refuses and what ends it.
#include <gmock/gmock.h>

#include <cstring>

#include "console_view.h"
#include "emu_messages.h"
#include "frame_test_support.h"
#include "mainframe/main_frame.h"
#include "platform/messages.h"
#include "platform/modules.h"
#include "shell/modules.h"
#include "shell/shell_ids.h"
#include "shell_test_support.h"

namespace mainframe {
namespace {

using ::testing::ElementsAre;

class FrameSemihostTest : public shell::test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        // A quit an earlier frame of this process posted would end the
        // waits early: the queue starts empty.
        while (!platform::DispatchPending(nullptr)) {}
        platform::SetModuleFolder(temp_.path());
        shell::Modules().FreeAll();
        Globals() = FrameGlobals{};
        ConsoleInputState() = {};
        frame_ = new CMainFrame;
        ASSERT_TRUE(frame_->LoadFrame(shell::IDR_MAINFRAME));
        previousTap_ = SetSemihostOutputTap([this](BYTE kind, std::string_view text) {
            tapped_.push_back(std::to_string(kind) + ":" + std::string(text));
        });
    }
    void TearDown() override
    {
        platform::SetPumpHook(nullptr);
        SetSemihostOutputTap(std::move(previousTap_));
        if (frame_)
            frame_->DestroyWindow();
        ConsoleInputState() = {};
        shell::Modules().FreeAll();
        RegistryTest::TearDown();
    }
    CConsoleView* Console()
    {
        for (const auto& tab : frame_->OutputBar().Tabs())
            if (tab.label == "Console")
                return dynamic_cast<CConsoleView*>(tab.view);
        return nullptr;
    }
    std::vector<std::string> ConsoleLines()
    {
        std::vector<std::string> lines;
        if (CConsoleView* view = Console())
            for (int i = 0; i < view->LineCount(); ++i)
                lines.emplace_back(view->LineText(i));
        return lines;
    }
    LRESULT Output(BYTE kind, const std::string& text)
    {
        std::vector<char> buffer(text.size() + 2, '\0');
        buffer[0] = static_cast<char>(kind);
        std::memcpy(buffer.data() + 1, text.data(), text.size());
        return frame_->SendMessage(WM_EMU_SEMIHOST_IO, 0, reinterpret_cast<LPARAM>(buffer.data()));
    }
    // A read of `want` bytes; `whileWaiting` runs once, inside the wait.
    std::string Read(size_t want, std::function<void()> whileWaiting)
    {
        bool done = false;
        platform::SetPumpHook([&] {
            if (!done && ConsoleInputWaits()) {
                done = true;
                whileWaiting();
            }
        });
        std::vector<char> buffer(want + 8, '#');
        const LRESULT copied = frame_->SendMessage(WM_EMU_SEMIHOST_IO, want, reinterpret_cast<LPARAM>(buffer.data()));
        platform::SetPumpHook(nullptr);
        EXPECT_TRUE(done) << "the read did not wait";
        EXPECT_FALSE(ConsoleInputWaits());
        EXPECT_GE(copied, 0);
        EXPECT_EQ(buffer[static_cast<size_t>(copied)], '#') << "bytes beyond the answer were written";
        return std::string(buffer.data(), static_cast<size_t>(std::max<LRESULT>(copied, 0)));
    }
    void Type(const std::string& keys)
    {
        for (char ch : keys)
            Console()->SendMessage(WM_CHAR, static_cast<unsigned char>(ch), 1);
    }

    test::FrameFixture fixture_;
    CMainFrame* frame_ = nullptr;
    SemihostOutputTap previousTap_;
    std::vector<std::string> tapped_;
};

TEST_F(FrameSemihostTest, BothStreamsGoToTheConsoleInFront)
{
    ASSERT_NE(Console(), nullptr) << "the Console tab holds the console view";
    frame_->OutputBar().SetActiveView(0);
    EXPECT_EQ(Output(SEMIHOST_IO_TEXT, "Hello from the ARM target\nsum: "), 1);
    EXPECT_EQ(frame_->OutputBar().GetActiveView(), Console()) << "Console is brought in front";
    EXPECT_EQ(Output(SEMIHOST_IO_CHAR, "7"), 1);
    EXPECT_EQ(Output(SEMIHOST_IO_CHAR, "\n"), 1);
    EXPECT_EQ(Output(SEMIHOST_IO_ERROR_TEXT, "error: no file\n"), 1);
    EXPECT_EQ(Output(SEMIHOST_IO_ERROR_CHAR, "!"), 1);
    EXPECT_EQ(Output(9, "ignored"), 1);
    EXPECT_THAT(ConsoleLines(), ElementsAre("Hello from the ARM target", "sum: 7", "error: no file", "!"));
    EXPECT_THAT(tapped_, ElementsAre("1:Hello from the ARM target\nsum: ", "2:7", "2:\n", "3:error: no file\n", "4:!"));
    EXPECT_EQ(frame_->SendMessage(WM_EMU_SEMIHOST_IO, 0, 0), 0) << "no buffer";
}

TEST_F(FrameSemihostTest, AReadGetsAtMostTheBytesItAskedForOfTheTypedLine)
{
    Output(SEMIHOST_IO_TEXT, "Word? ");
    EXPECT_EQ(Read(4, [this] { Type("hello\r"); }), "hell");
    EXPECT_EQ(Read(64, [this] { Type("hello\r"); }), "hello\n");
    EXPECT_EQ(Read(64, [this] { Type("\r"); }), "\n");
    EXPECT_THAT(ConsoleLines(), ElementsAre("Word? hello", "hello", "", ""));
}

TEST_F(FrameSemihostTest, WhileTheReadWaitsRunStepAndLoadAreRefusedAndTheFrameStays)
{
    frame_->m_bConnected = TRUE;
    const UINT refused[] = {shell::ID_DEBUG_GO,       shell::ID_DEBUG_CONNECT,  32813 /* step into */,
                            32816 /* go to cursor */, 32807 /* load program */, 32810 /* reset */};
    const std::string line = Read(16, [&] {
        for (UINT id : refused)
            EXPECT_FALSE(frame_->QueryCommandState(id).enabled) << id;
        frame_->SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
        frame_->OutputBar().SetActiveView(0);
        frame_->SendMessage(WM_CLOSE);
        EXPECT_NE(frame_->m_hWnd, nullptr) << "the close is refused";
        EXPECT_EQ(frame_->OutputBar().GetActiveView(), Console()) << "the console shows why";
        EXPECT_TRUE(ConsoleInputWaits());
        Type("go\r");
    });
    EXPECT_EQ(line, "go\n");
    EXPECT_TRUE(fixture_.log.commands.empty()) << "Go reached the core during the wait";
    EXPECT_TRUE(frame_->QueryCommandState(shell::ID_DEBUG_GO).enabled) << "the refusal ends with the wait";
}

TEST_F(FrameSemihostTest, HaltAndQuitEndTheWaitWithNoBytes)
{
    EXPECT_EQ(Read(16,
                   [this] {
                       Type("half a li");
                       frame_->SendMessage(WM_COMMAND, shell::ID_DEBUG_HALT);
                   }),
              "");
    EXPECT_EQ(Read(16,
                   [this] {
                       Type("abc");
                       PostQuitMessage(3);
                   }),
              "");
    // The quit stays for the outer loop.
    int code = 0;
    EXPECT_FALSE(platform::DispatchPending(&code));
    EXPECT_EQ(code, 3);
    // The next read starts a new line.
    EXPECT_EQ(Read(16, [this] { Type("ok\r"); }), "ok\n");
}

}  // namespace
}  // namespace mainframe
