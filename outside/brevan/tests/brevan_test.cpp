// The shell server: the console blocks a frame receives, the command table
// and the execution of command lines.
#include <gmock/gmock.h>
#include <platform/messages.h>
#include <platform/win32.h>

#include <string>
#include <vector>

#include "brevan/brevan.h"
#include "emu_messages.h"

namespace {

using ::testing::ElementsAre;

constexpr const char* NEW_LINE = "<new line>";

// A main frame that keeps what its console would show: each block's text,
// and NEW_LINE for a new-line update. It frees the blocks, as the frame does.
class BrevanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg != WM_EMU_UPDATE_VIEWS || w != DVK_CONSOLE_TEXT)
                return 0;
            if (l == 0) {
                console_.push_back(NEW_LINE);
                return 1;
            }
            HGLOBAL block = reinterpret_cast<HGLOBAL>(l);
            console_.push_back(static_cast<const char*>(GlobalLock(block)));
            GlobalUnlock(block);
            GlobalFree(block);
            return 1;
        });
        ShlInitServer(frame_, 0, 1);
    }
    void TearDown() override
    {
        ShlExitServer();
        platform::DestroySink(frame_);
    }

    static std::string Out(const std::string& text) { return std::string(BREVAN_OUTPUT_MARGIN, ' ') + text; }

    HWND frame_ = nullptr;
    std::vector<std::string> console_;
};

TEST_F(BrevanTest, MessagesReachTheConsoleLineByLineBehindTheMargin)
{
    ShlPrintMessage("Total Breakpoint number: 2", SHL_PRINT_MESSAGE);
    ShlPrintMessage("HW0 watchpoint:\n    address: 0x00001000\n", SHL_PRINT_MESSAGE);
    ShlPrintMessage("\n", SHL_PRINT_RAW);
    ShlPrintMessage("", SHL_PRINT_MESSAGE);
    EXPECT_THAT(console_,
                ElementsAre(Out("Total Breakpoint number: 2"), NEW_LINE, Out("HW0 watchpoint:"), NEW_LINE,
                            Out("    address: 0x00001000"), NEW_LINE, "\n", Out(""), NEW_LINE));
}

TEST_F(BrevanTest, ASinkTakesTheTextsInsteadOfTheConsole)
{
    {
        brevan::MessageCapture capture;
        ShlPrintMessage("set watchpoint is OK!", SHL_PRINT_MESSAGE);
        ShlPrintMessage("\n", SHL_PRINT_RAW);
        EXPECT_THAT(capture.texts, ElementsAre("set watchpoint is OK!"));
        EXPECT_THAT(capture.raw, ElementsAre("\n"));
    }
    EXPECT_TRUE(console_.empty());
    ShlPrintMessage("back", SHL_PRINT_MESSAGE);
    EXPECT_EQ(console_.size(), 2u) << "the console again once the capture ends";

    ShlExitServer();
    console_.clear();
    ShlPrintMessage("nowhere", SHL_PRINT_MESSAGE);
    EXPECT_TRUE(console_.empty()) << "without a frame the text is dropped";
}

TEST_F(BrevanTest, ALineRunsTheCommandOfItsFirstWordWithItsWords)
{
    std::vector<std::vector<std::string>> calls;
    int busyInside = 0;
    ASSERT_EQ(brevan::AddCommand("BP", "BP [address]",
                                 [&](int argc, char** argv) {
                                     calls.emplace_back(argv, argv + argc);
                                     busyInside = ShlIsBusy();
                                     return argc == 1 ? 0 : 7;
                                 }),
              0);
    int mode = 4, wait = 1;
    const char line[] = ">  bp \t 0x8000   #main  ";
    EXPECT_EQ(ShlExecuteCommand(line, sizeof line - 1, &mode, &wait), 7);
    EXPECT_EQ(wait, 0);
    EXPECT_EQ(mode, 4);
    EXPECT_EQ(busyInside, 1);
    EXPECT_EQ(ShlIsBusy(), 0);
    EXPECT_EQ(ShlExecuteCommand("BP 100 and more", 2, nullptr, nullptr), 0) << "only `length` characters count";
    EXPECT_EQ(ShlExecuteCommand("BP 7", 255, nullptr, nullptr), 7) << "nor past the text's end";
    EXPECT_THAT(calls, ElementsAre(ElementsAre("bp", "0x8000", "#main"), ElementsAre("BP"), ElementsAre("BP", "7")));

    std::string name, syntax;
    ASSERT_TRUE(brevan::LookupCommand("Bp", &name, &syntax));
    EXPECT_EQ(name, "BP");
    EXPECT_EQ(syntax, "BP [address]");
}

TEST_F(BrevanTest, UnknownWordsAndEmptyLines)
{
    brevan::MessageCapture capture;
    EXPECT_EQ(ShlExecuteCommand("> nothing here", 14, nullptr, nullptr), SHL_NO_SUCH_COMMAND);
    EXPECT_THAT(capture.texts, ElementsAre("No such command"));
    EXPECT_EQ(ShlExecuteCommand(">  ", 3, nullptr, nullptr), 0);
    EXPECT_EQ(ShlExecuteCommand(nullptr, 5, nullptr, nullptr), 0);
    EXPECT_EQ(ShlAddCommand("", "", [](int, char**) { return 0; }), -1);
    EXPECT_EQ(ShlAddCommand("X", "", nullptr), -1);

    // A later command of the same word replaces the first.
    ASSERT_EQ(ShlAddCommand("go", "GO", [](int, char**) { return 1; }), 0);
    ASSERT_EQ(ShlAddCommand("GO", "GO", [](int, char**) { return 2; }), 0);
    EXPECT_EQ(ShlExecuteCommand("go", 2, nullptr, nullptr), 2);
    ShlExitServer();
    EXPECT_EQ(ShlExecuteCommand("go", 2, nullptr, nullptr), SHL_NO_SUCH_COMMAND);
}

}  // namespace
