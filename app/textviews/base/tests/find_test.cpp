// Find and replace over the one dialog of the process (on controls in
// memory) and over the Edit toolbar's find box played by the frame.
#include "base_view_fixture.h"
#include "find_dialog.h"

namespace textbase::test {
namespace {

class FindTest : public TextViewTest {
protected:
    void TearDown() override
    {
        CloseFindDialog();
        TextViewTest::TearDown();
    }
    // Fills the dialog's controls and clicks a button.
    static void Click(CFindReplaceDlg* dialog, int button, const std::string& find, bool matchCase = false,
                      bool wholeWord = false, bool down = true, const std::string& replace = {})
    {
        ASSERT_NE(dialog, nullptr);
        dialog->SetDlgItemText(IDC_FIND_WHAT, find);
        if (!dialog->FindOnly())
            dialog->SetDlgItemText(IDC_REPLACE_WITH, replace);
        dialog->CheckDlgButton(IDC_MATCH_CASE, matchCase);
        dialog->CheckDlgButton(IDC_WHOLE_WORD, wholeWord);
        if (dialog->FindOnly())
            dialog->CheckRadioButton(IDC_UP, IDC_DOWN, down ? IDC_DOWN : IDC_UP);
        dialog->Items().UserClick(button);
    }
    static std::string Selected(CBaseView* view)
    {
        std::string text;
        view->CopySelectionToGlobal(text);
        return text;
    }
};

TEST_F(FindTest, OneDialogOfTheProcessInEitherForm)
{
    TestView* view = MakeView({"alpha beta", "beta gamma"});
    textcore::SearchState().findText = "stored";
    textcore::SearchState().matchCase = true;
    textcore::SearchState().wholeWord = true;
    view->SetCaret(0, 7);  // inside "beta": the word is the default text
    view->SendMessage(WM_COMMAND, ID_EDIT_FIND);
    CFindReplaceDlg* find = OpenedFindDialog();
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->FindOnly());
    EXPECT_EQ(find->GetDlgItemText(IDC_FIND_WHAT), "beta");
    EXPECT_EQ(find->IsDlgButtonChecked(IDC_MATCH_CASE), 1u);
    EXPECT_EQ(find->IsDlgButtonChecked(IDC_WHOLE_WORD), 0u);  // not passed on
    EXPECT_EQ(find->IsDlgButtonChecked(IDC_DOWN), 1u);
    EXPECT_EQ(textcore::SearchState().dialog, find);

    view->OpenFindDialog(true);
    EXPECT_EQ(OpenedFindDialog(), find);  // the same form: the open one

    view->SetCaret(1, 9);  // after the last word: the stored text
    view->SetSelection(0, 0, 0, 0, false);
    view->OpenFindDialog(false);
    CFindReplaceDlg* replace = OpenedFindDialog();
    ASSERT_NE(replace, nullptr);
    EXPECT_FALSE(replace->FindOnly());
    EXPECT_FALSE(textcore::SearchState().findOnly);

    replace->Items().UserClick(IDCANCEL);
    EXPECT_EQ(OpenedFindDialog(), nullptr);
    EXPECT_EQ(textcore::SearchState().dialog, nullptr);
}

TEST_F(FindTest, DialogSearchesWithItsFlags)
{
    TestView* view = MakeView({"concatenate", "the cat.", "Cat and CAT", "cat dog"});
    view->OpenFindDialog(true);
    CFindReplaceDlg* dialog = OpenedFindDialog();

    struct Case {
        const char* what;
        bool matchCase, wholeWord, down;
        int fromLine, fromColumn;
        int line, column;  // the match selected
    };
    const Case cases[] = {
        {"cat", false, true, true, 0, 0, 1, 4},    // not inside concatenate
        {"CAT", true, false, true, 1, 0, 2, 8},    // case
        {"cat", false, true, true, 2, 9, 3, 0},    // at the very start of a line
        {"cat", false, true, true, 3, 1, 1, 4},    // wraps
        {"cat", false, false, false, 1, 2, 0, 3},  // up, inside a word
        {"cat", false, true, false, 1, 2, 3, 0},   // up, whole word: wraps to the end
    };
    for (const Case& c : cases) {
        view->ClearSelection(true);
        view->SetCaret(c.fromLine, c.fromColumn);
        Click(dialog, IDOK, c.what, c.matchCase, c.wholeWord, c.down);
        EXPECT_EQ(view->selStart, (textcore::TextPos{c.line, c.column})) << c.what << " from " << c.fromLine;
        EXPECT_EQ(textcore::SearchState().findText, c.what);
    }
    EXPECT_EQ(frame.history.size(), std::size(cases));
    // No match: caret and selection stay.
    view->SetSelection(1, 4, 1, 7, false);
    Click(dialog, IDOK, "mouse");
    EXPECT_EQ(view->selStart, (textcore::TextPos{1, 4}));
    EXPECT_EQ(view->selEnd, (textcore::TextPos{1, 7}));
}

TEST_F(FindTest, ReplaceAndReplaceAllFromTheReplaceForm)
{
    TestView* view = MakeView({"a1", "a2", "a3"});
    view->SetCaret(1, 0);
    view->OpenFindDialog(false);
    CFindReplaceDlg* dialog = OpenedFindDialog();
    // Without a selection the next match is replaced at once and the one
    // after it selected.
    Click(dialog, IDC_REPLACE, "a", false, false, true, "b");
    EXPECT_EQ(view->LineText(1), "b2");
    EXPECT_EQ(view->selStart, (textcore::TextPos{2, 0}));
    // A selection that differs from the text: only the next match is selected.
    view->SetSelection(1, 0, 1, 2, false);
    Click(dialog, IDC_REPLACE, "a", false, false, true, "b");
    EXPECT_EQ(view->LineText(2), "a3");
    EXPECT_EQ(view->selStart, (textcore::TextPos{2, 0}));

    // Replace All goes down from the selected match and stops where the
    // search wraps: the first line's match is left selected.
    Click(dialog, IDC_REPLACE_ALL, "a", false, false, true, "xy");
    EXPECT_EQ(view->LineText(0), "a1");
    EXPECT_EQ(view->LineText(1), "b2");
    EXPECT_EQ(view->LineText(2), "xy3");
    EXPECT_EQ(view->selStart, (textcore::TextPos{0, 0}));
    EXPECT_EQ(textcore::SearchState().replaceText, "xy");
}

TEST_F(FindTest, FindNextAndTheFindBoxSearchWithTheStoredFlags)
{
    TestView* view = MakeView({"Beta one", "beta two", "BETA three"});
    textcore::SearchState().matchCase = true;
    frame.findBox = "beta";
    view->SendMessage(WM_COMMAND, ID_EDIT_FIND_NEXT);
    EXPECT_EQ(view->selStart, (textcore::TextPos{1, 0}));
    EXPECT_EQ(frame.history, std::vector<std::string>{"beta"});

    // A selection ended in the find box's list (notification 9).
    frame.findBox = "BETA";
    view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_FIND_BOX, CBN_SELENDOK));
    EXPECT_EQ(view->selStart, (textcore::TextPos{2, 0}));

    // Nothing in the box: the find dialog opens.
    frame.findBox.clear();
    EXPECT_EQ(OpenedFindDialog(), nullptr);
    view->SendMessage(WM_COMMAND, ID_EDIT_FIND_NEXT);
    ASSERT_NE(OpenedFindDialog(), nullptr);
    EXPECT_TRUE(OpenedFindDialog()->FindOnly());

    // Disabled while the text is empty.
    TestView* empty = MakeView({""});
    EXPECT_FALSE(empty->QueryCommandState(ID_EDIT_FIND_NEXT).enabled);
    EXPECT_TRUE(view->QueryCommandState(ID_EDIT_FIND_NEXT).enabled);
}

TEST_F(FindTest, AViewThatGoesClosesItsDialog)
{
    TestView* view = MakeView({"text"});
    view->OpenFindDialog(true);
    ASSERT_NE(OpenedFindDialog(), nullptr);
    view->DestroyWindow();
    EXPECT_EQ(OpenedFindDialog(), nullptr);
    EXPECT_EQ(textcore::SearchState().dialog, nullptr);
}

}  // namespace
}  // namespace textbase::test
