// The console view without Qt: the program's output laid into lines as a
// terminal shows it, typing during an input request collected in the input
// state (and bounded), and the context menu.
#include <gmock/gmock.h>

#include "base_view_fixture.h"
#include "console_view.h"
#include "platform/scripted_ui_gtest.h"

namespace textbase::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class ConsoleViewTest : public TextViewTest {
protected:
    void SetUp() override
    {
        TextViewTest::SetUp();
        ConsoleInputState() = {};
    }
    void TearDown() override
    {
        ConsoleInputState() = {};
        TextViewTest::TearDown();
    }
    static std::vector<std::string> Lines(const CConsoleView& view)
    {
        std::vector<std::string> lines;
        for (int i = 0; i < view.LineCount(); ++i)
            lines.emplace_back(view.LineText(i));
        return lines;
    }
    static void Type(CConsoleView& view, const std::string& keys)
    {
        for (char ch : keys)
            view.SendMessage(WM_CHAR, static_cast<unsigned char>(ch), 1);
    }
    static std::string Typed()
    {
        const ConsoleInput& input = ConsoleInputState();
        return std::string(reinterpret_cast<const char*>(input.buffer), static_cast<size_t>(input.count));
    }
};

TEST_F(ConsoleViewTest, OutputPiecesBecomeTheLinesATerminalShows)
{
    struct Case {
        const char* name;
        std::vector<std::string> pieces;  // one byte: sent as a character
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"two texts", {"first\n", "second\n"}, {"first", "second"}},
        {"blank lines of LF-only output stay", {"a\n\nb\n\n"}, {"a", "", "b", ""}},
        {"CR LF and LF CR are one line end", {"a\r\nb\n\rc\r\n"}, {"a", "b", "c"}},
        {"a pair split over two pieces", {"a\r", "\nb\n", "\r", "c"}, {"a", "b", "c"}},
        {"two CRs are two line ends", {"a\r\rb"}, {"a", "", "b"}},
        {"a prompt is continued", {"Name: ", "Bob", "\n", "next\n"}, {"Name: Bob", "next"}},
        {"characters join the last line", {"x", "y", "\n", "z"}, {"xy", "z"}},
        {"a leading line end is a blank line", {"\nq"}, {"", "q"}},
        {"an empty text adds nothing", {"", "a", ""}, {"a"}},
        {"control bytes are shown, not acted on",
         {std::string("\0", 1),
          "a\x07"
          "b\x1b[2J\x7f\tc\bd\n"},
         {"^@a^Gb^[[2J^?\tc^Hd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* view = MakeView<CConsoleView>();
        for (const std::string& piece : c.pieces) {
            if (piece.size() == 1)
                view->AppendChar(piece[0]);
            else
                view->AppendText(piece);
        }
        EXPECT_THAT(Lines(*view), ElementsAreArray(c.lines));
    }
}

TEST_F(ConsoleViewTest, ALineOver255CharactersGoesOnOnTheNextLine)
{
    auto* view = MakeView<CConsoleView>();
    view->AppendText(std::string(300, 'a') + "\n");
    view->AppendText(std::string(250, 'b'));
    view->AppendText(std::string(10, 'c') + "\n");
    // Caret notation counts its two characters.
    view->AppendText(std::string(254, 'd') + std::string(1, '\x01') + "\n");
    EXPECT_THAT(Lines(*view),
                ElementsAre(std::string(255, 'a'), std::string(45, 'a'), std::string(250, 'b') + "ccccc", "ccccc",
                            std::string(254, 'd'), "^A"));
}

TEST_F(ConsoleViewTest, TheEndOfTheOutputIsShownOnceForABurstWithTheCaretAfterIt)
{
    auto* view = MakeView<CConsoleView>();
    FakeTextWindow& window = *windows.back();
    const int before = window.invalidations;
    for (int i = 0; i < 100; ++i)
        view->AppendText("line " + std::to_string(i) + "\n");
    view->AppendText("prompt> ");
    EXPECT_EQ(window.invalidations, before) << "no repaint per append";
    EXPECT_EQ(view->topLine, 0);
    view->SendMessage(WM_TIMER, CConsoleView::kShowTimer);
    EXPECT_GT(window.invalidations, before);
    // Ten whole rows of 16 pixels: the last ten lines fill the window.
    EXPECT_EQ(view->topLine, 101 - 10);
    EXPECT_EQ(view->caretLine, 100);
    EXPECT_EQ(view->caretColumn, 8);
    EXPECT_EQ(view->colourMode, TCM_OUTPUT);
    EXPECT_EQ(view->leftMargin, 0);
}

TEST_F(ConsoleViewTest, TypingWithoutARequestOnlyEditsTheText)
{
    auto* view = MakeView<CConsoleView>();
    view->AppendText("ready\n");
    Type(*view, "ls\r");
    EXPECT_THAT(Lines(*view), ElementsAre("ready", "ls", ""));
    EXPECT_EQ(ConsoleInputState().count, 0);
    EXPECT_EQ(ConsoleInputState().waiting, 0);
}

TEST_F(ConsoleViewTest, TheTypedLineEndsWithALineFeedAndOutputFollowsOnTheNextLine)
{
    auto* view = MakeView<CConsoleView>();
    view->AppendText("Name: ");
    ConsoleInputState().waiting = 1;
    Type(*view, "Bob");
    view->SendMessage(WM_CHAR, 8, 1);    // Backspace: stored as it is
    view->SendMessage(WM_CHAR, 'x', 3);  // a repeated key is stored once
    EXPECT_EQ(ConsoleInputState().waiting, 1);
    Type(*view, "\r");
    EXPECT_EQ(ConsoleInputState().waiting, 0);
    EXPECT_EQ(Typed(), "Bob\bx\n");
    view->AppendText("Hello Bob\n");
    EXPECT_THAT(Lines(*view), ElementsAre("Name: Bobxxx", "Hello Bob"));
}

TEST_F(ConsoleViewTest, TypingBeyondTheInputBufferIsNotStored)
{
    auto* view = MakeView<CConsoleView>();
    ConsoleInputState().waiting = 1;
    Type(*view, std::string(600, 'k'));
    EXPECT_EQ(ConsoleInputState().count, ConsoleInput::kCapacity - 1);
    Type(*view, "\r");
    EXPECT_EQ(Typed(), std::string(ConsoleInput::kCapacity - 1, 'k') + "\n");
    // On screen the long line goes on on the next lines.
    EXPECT_THAT(Lines(*view), ElementsAre(std::string(255, 'k'), std::string(255, 'k'), std::string(90, 'k'), ""));
}

TEST_F(ConsoleViewTest, TheContextMenuOffersCopyAndClearAsTheTextAllows)
{
    platform::GTestScriptedUi ui;
    auto* view = MakeView<CConsoleView>();
    ui.AnswerPopup(0);
    view->SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
    ASSERT_EQ(ui.Requests().size(), 1u);
    EXPECT_EQ(ui.Requests()[0].described, "&Copy (grayed)\nClea&r (grayed)\n");
    EXPECT_FALSE(view->QueryCommandState(ID_CONSOLE_CLEAR).enabled);

    view->AppendText("one\ntwo\n");
    view->ShowOutput();
    view->SetSelection(0, 0, 0, 3, false);
    ui.AnswerPopup(ID_CONSOLE_CLEAR, "Clea&r");
    view->SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(ui.Requests()[1].described, "&Copy\nClea&r\n");
    EXPECT_EQ(view->LineCount(), 0);
    EXPECT_EQ(view->topLine, 0);
    // After a clear the next output starts the first line.
    view->AppendText("again");
    EXPECT_THAT(Lines(*view), ElementsAre("again"));
}

// The menu opens at the pointer on the screen, not at the pointer's place
// in the view taken as a screen position (top left of the display).
TEST_F(ConsoleViewTest, TheContextMenuOpensAtThePointerOnTheScreen)
{
    struct PopupAt : platform::ModalUi {
        int MessageBox(const platform::MessageBoxRequest&) override { return IDCANCEL; }
        bool FileDialog(const platform::FileDialogRequest&, platform::FileDialogResult&) override { return false; }
        bool FolderDialog(const platform::FolderDialogRequest&, std::string&) override { return false; }
        UINT TrackPopupMenu(const platform::PopupRequest& request) override
        {
            at = {request.x, request.y};
            return 0;
        }
        POINT at{-1, -1};
    } ui;
    platform::ModalUiScope scope(ui);
    auto* view = MakeView<CConsoleView>();
    windows.back()->origin = {300, 500};
    view->SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(40, 20));
    EXPECT_EQ(ui.at.x, 340);
    EXPECT_EQ(ui.at.y, 520);
}

}  // namespace
}  // namespace textbase::test
