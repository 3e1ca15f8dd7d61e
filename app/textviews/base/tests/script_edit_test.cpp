// The script editor: typing repeated any number of times, Backspace and
// Delete across lines, cut and paste through the clipboard, replace.
#include "base_view_fixture.h"
#include "find_dialog.h"
#include "script_edit_view.h"

namespace textbase::test {
namespace {

class ScriptEditTest : public TextViewTest {
protected:
    void TearDown() override
    {
        CloseFindDialog();
        TextViewTest::TearDown();
    }
};

TEST_F(ScriptEditTest, ANewViewHasOneEmptyLineAndTakesTypingAtOnce)
{
    auto* view = MakeView<CScriptEditView>();
    EXPECT_EQ(view->GetLines(), std::vector<std::string>{""});
    EXPECT_EQ(view->colourMode, TCM_MACRO);
    for (char ch : std::string("Sub A"))
        view->SendMessage(WM_CHAR, static_cast<WPARAM>(ch), 1);
    view->SendMessage(WM_CHAR, '\r', 1);
    view->SendMessage(WM_CHAR, '\t', 1);
    view->SendMessage(WM_CHAR, 0x01, 1);  // a control character: nothing
    EXPECT_EQ(view->GetLines(), (std::vector<std::string>{"Sub A", "\t"}));
}

TEST_F(ScriptEditTest, ARepeatCountInsertsTheCharacterThatManyTimes)
{
    auto* view = MakeView<CScriptEditView>();
    // Far beyond the 39 characters a fixed buffer would have held.
    view->SendMessage(WM_CHAR, 'x', 200);
    EXPECT_EQ(view->LineText(0), std::string(200, 'x'));
    // A line stops at 255 characters: the rest is refused, nothing overruns.
    view->SendMessage(WM_CHAR, 'y', 100);
    EXPECT_EQ(view->GetLineLength(0), 255);
    EXPECT_EQ(view->LineText(0).substr(200), std::string(55, 'y'));
}

TEST_F(ScriptEditTest, BackspaceAndDeleteCountALineBreakAsOneCharacter)
{
    struct Case {
        UINT key;
        int repeat, line, column;
        std::vector<std::string> after;
        int caretLine, caretColumn;
    };
    const Case cases[] = {
        {VK_BACK, 1, 1, 0, {"abcgh", ""}, 0, 3},
        {VK_BACK, 3, 1, 1, {"abh", ""}, 0, 2},
        {VK_BACK, 9, 0, 2, {"c", "gh", ""}, 0, 0},  // stops at the start of the text
        {VK_DELETE, 1, 0, 3, {"abcgh", ""}, 0, 3},
        {VK_DELETE, 4, 1, 1, {"abc", "g"}, 1, 1},  // stops at the end of the text
    };
    for (const Case& c : cases) {
        auto* view = MakeView<CScriptEditView>();
        view->SetLines({"abc", "gh", ""});
        view->SetCaret(c.line, c.column);
        view->SendMessage(WM_KEYDOWN, c.key, c.repeat);
        EXPECT_EQ(view->GetLines(), c.after) << c.key << " x" << c.repeat;
        EXPECT_EQ(view->caretLine, c.caretLine);
        EXPECT_EQ(view->caretColumn, c.caretColumn);
    }
}

TEST_F(ScriptEditTest, SelectionGoesWithBackspaceCutAndPaste)
{
    auto* view = MakeView<CScriptEditView>();
    view->SetLines({"one two", "three"});
    EXPECT_FALSE(view->QueryCommandState(ID_EDIT_CUT).enabled);
    view->SetSelection(0, 4, 1, 2, false);
    ASSERT_TRUE(view->QueryCommandState(ID_EDIT_CUT).enabled);
    view->SendMessage(WM_COMMAND, ID_EDIT_CUT);
    EXPECT_EQ(platform::GetClipboard().GetText(), "two\nth");
    EXPECT_EQ(view->GetLines(), std::vector<std::string>{"one ree"});

    ASSERT_TRUE(view->QueryCommandState(ID_EDIT_PASTE).enabled);
    view->SetCaret(0, 7);
    view->SendMessage(WM_COMMAND, ID_EDIT_PASTE);
    EXPECT_EQ(view->GetLines(), (std::vector<std::string>{"one reetwo", "th"}));

    view->SetSelection(0, 0, 0, 4, false);
    view->SendMessage(WM_KEYDOWN, VK_BACK, 1);
    EXPECT_EQ(view->GetLines(), (std::vector<std::string>{"reetwo", "th"}));

    platform::GetClipboard().SetText("");
    EXPECT_FALSE(view->QueryCommandState(ID_EDIT_PASTE).enabled);
}

TEST_F(ScriptEditTest, ReplaceOpensTheReplaceFormWhileThereIsText)
{
    auto* view = MakeView<CScriptEditView>();
    EXPECT_FALSE(view->QueryCommandState(ID_EDIT_REPLACE).enabled);
    view->SetLines({"Dim a"});
    ASSERT_TRUE(view->QueryCommandState(ID_EDIT_REPLACE).enabled);
    view->SendMessage(WM_COMMAND, ID_EDIT_REPLACE);
    ASSERT_NE(OpenedFindDialog(), nullptr);
    EXPECT_FALSE(OpenedFindDialog()->FindOnly());
}

}  // namespace
}  // namespace textbase::test
