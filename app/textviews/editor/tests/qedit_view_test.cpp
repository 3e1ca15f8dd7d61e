// The editor's logic on fake window hosts: the source template's frame and
// splitter, typing and deleting with the hints that keep the panes of one
// document current, clipboard commands, bookmarks, drops, and a partly
// read document under scrolling.
#include <gtest/gtest.h>

#include "editor_fixture.h"
#include "emu_messages.h"
#include "shell/settings.h"

namespace editor::test {
namespace {

constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_DELETE = 0x2E;

std::string Text(CQEditDoc* doc)
{
    return doc->Lines().Join("\n", false);
}

// A pane that records the hints it gets.
struct HintLog {
    std::vector<LPARAM> hints;
};

TEST_F(EditorTest, TheSourceTemplateOpensAFileInASplitterFrameAndRefusesAMissingOne)
{
    CQEditDoc* doc = Open("main.c", "int x;\n");
    ASSERT_NE(doc, nullptr);
    auto* frame = dynamic_cast<CChildFrame*>(ViewOf(doc)->GetParentFrame());
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->m_wndSplitter.IsDynamic());
    EXPECT_EQ(frame->m_wndSplitter.GetMaxRows(), 2);
    EXPECT_EQ(frame->m_wndSplitter.GetMaxColumns(), 2);
    EXPECT_EQ(frame->m_wndSplitter.GetDlgCtrlID(), CChildFrame::kSplitterId);
    EXPECT_EQ(frame->m_bigIcon, CChildFrame::kBigIcon);
    EXPECT_EQ(&ViewOf(doc)->Buffer(), &doc->Lines());
    EXPECT_EQ(ViewOf(doc)->colourMode, TCM_C_SOURCE);

    CQEditDoc* script = Open("boot.s", "mov r0, #1\n");
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(ViewOf(script)->colourMode, TCM_ASSEMBLER);

    platform::GTestScriptedUi ui;
    ui.AnswerMessageBox(IDOK, "Failed to open document");
    EXPECT_EQ(source->OpenDocumentFile((folder / "gone.c").c_str()), nullptr);
    EXPECT_EQ(source->Documents().size(), 2u);
}

TEST_F(EditorTest, AnEditInOnePaneIsUndoneInTheOtherAndEveryPaneStaysInsideTheText)
{
    CQEditDoc* doc = Open("a.c", "one\ntwo\nthree\n");
    auto* frame = static_cast<CChildFrame*>(ViewOf(doc)->GetParentFrame());
    ASSERT_TRUE(frame->m_wndSplitter.SplitRow());
    ASSERT_EQ(doc->Views().size(), 2u);
    CQEditView* top = ViewOf(doc, 0);
    CQEditView* bottom = Host(ViewOf(doc, 1));
    EXPECT_EQ(&bottom->Buffer(), &doc->Lines());

    bottom->SetCaret(3, 0);  // the empty last line
    top->SetCaret(0, 3);
    Type(top, "!\r");
    EXPECT_EQ(Text(doc), "one!\n\ntwo\nthree\n");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetTitle(), "a.c*");

    // Select from line 1 to the end in the top pane and delete: the bottom
    // pane's caret is clamped to the shortened text.
    top->SetSelection(1, 0, 4, 0, false);
    Key(top, VK_DELETE);
    EXPECT_EQ(Text(doc), "one!\n");
    EXPECT_LE(bottom->caretLine, bottom->LineCount() - 1);
    EXPECT_LE(bottom->caretColumn, bottom->GetLineLength(bottom->caretLine));

    Command(bottom, ID_EDIT_UNDO);
    EXPECT_EQ(Text(doc), "one!\n\ntwo\nthree\n");
    Command(bottom, ID_EDIT_UNDO);
    Command(bottom, ID_EDIT_UNDO);
    EXPECT_EQ(Text(doc), "one\ntwo\nthree\n");
}

TEST_F(EditorTest, TypingInsertsTheCharacterRepeatCountTimesEvenPastThirtyNine)
{
    CQEditDoc* doc = Open("r.c", "");
    CQEditView* view = ViewOf(doc);
    view->SendMessage(WM_CHAR, 'a', 100);
    EXPECT_EQ(doc->Lines().Line(0), std::string(100, 'a'));
    view->SendMessage(WM_CHAR, 0x07, 1);  // a control character is not typed
    EXPECT_EQ(doc->Lines().Line(0).size(), 100u);
}

TEST_F(EditorTest, BackspaceAndDeleteJoinLinesCountingALineBreakAsOneCharacter)
{
    struct Case {
        UINT key;
        UINT repeat;
        int line, column;
        const char* after;
    } cases[] = {
        {VK_BACK, 1, 1, 0, "abcdef\nxy"},    {VK_BACK, 2, 1, 0, "abdef\nxy"},   {VK_DELETE, 1, 0, 3, "abcdef\nxy"},
        {VK_DELETE, 3, 0, 2, "abef\nxy"},    {VK_BACK, 5, 0, 1, "bc\ndef\nxy"},  // stops at the start of the text
        {VK_DELETE, 9, 2, 1, "abc\ndef\nx"},                                     // stops at its end
    };
    CQEditDoc* doc = Open("d.c", "abc\ndef\nxy");
    CQEditView* view = ViewOf(doc);
    for (const Case& c : cases) {
        doc->Lines().SetLines({"abc", "def", "xy"});
        view->SetCaret(c.line, c.column);
        view->ClearSelection(false);
        Key(view, c.key, c.repeat);
        EXPECT_EQ(Text(doc), c.after) << c.key << " x" << c.repeat << " at " << c.line << ":" << c.column;
    }
}

TEST_F(EditorTest, CutCopyPasteAndSelectAllGoThroughTheClipboard)
{
    CQEditDoc* doc = Open("c.c", "int x;\nint y;\n");
    CQEditView* view = ViewOf(doc);
    EXPECT_FALSE(view->QueryCommandState(ID_EDIT_CUT).enabled);
    view->SetSelection(0, 0, 1, 0, false);
    EXPECT_TRUE(view->QueryCommandState(ID_EDIT_CUT).enabled);
    Command(view, ID_EDIT_CUT);
    EXPECT_EQ(clipboard.text, "int x;\n");
    EXPECT_EQ(Text(doc), "int y;\n");
    view->SetCaret(1, 0);
    Command(view, ID_EDIT_PASTE);
    EXPECT_EQ(Text(doc), "int y;\nint x;\n");
    clipboard.text.clear();
    EXPECT_FALSE(view->QueryCommandState(ID_EDIT_PASTE).enabled);

    Command(view, ID_EDIT_SELECT_ALL_TEXT);
    EXPECT_EQ(view->selStart, (textcore::TextPos{0, 0}));
    EXPECT_EQ(view->selEnd, (textcore::TextPos{2, 0}));
    EXPECT_EQ(view->caretLine, 2);
    Command(view, ID_EDIT_COPY);
    EXPECT_EQ(clipboard.text, "int y;\nint x;\n");
}

TEST_F(EditorTest, BookmarksStayInLineOrderAndNextPassesOverTheLineBelowTheCaret)
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "line\n";
    CQEditDoc* doc = Open("b.c", text);
    CQEditView* view = ViewOf(doc);
    for (int line : {10, 5, 20}) {
        view->SetCaret(line, 0);
        Command(view, ID_BOOKMARK_TOGGLE);
    }
    std::vector<int> lines;
    for (const EditBookmark& mark : view->Bookmarks())
        lines.push_back(mark.line);
    EXPECT_EQ(lines, (std::vector<int>{5, 10, 20}));
    int lower = -1;
    EXPECT_TRUE(view->GetBookmarkAtLine(10, lower));
    EXPECT_EQ(lower, 1);
    EXPECT_FALSE(view->GetBookmarkAtLine(11, lower));

    view->SetCaret(5, 0);
    Command(view, ID_BOOKMARK_NEXT);
    EXPECT_EQ(view->caretLine, 10);
    view->SetCaret(9, 0);
    Command(view, ID_BOOKMARK_NEXT);
    EXPECT_EQ(view->caretLine, 20);
    Command(view, ID_BOOKMARK_NEXT);  // wraps
    EXPECT_EQ(view->caretLine, 5);
    Command(view, ID_BOOKMARK_PREVIOUS);  // wraps to the last
    EXPECT_EQ(view->caretLine, 20);
    Command(view, ID_BOOKMARK_PREVIOUS);
    EXPECT_EQ(view->caretLine, 10);

    view->SetCaret(10, 0);
    Command(view, ID_BOOKMARK_TOGGLE);
    EXPECT_EQ(view->Bookmarks().size(), 2u);
    Command(view, ID_BOOKMARK_DELETE_ALL);
    EXPECT_TRUE(view->Bookmarks().empty());
}

TEST_F(EditorTest, ADropWithoutAKeySearchesForTheTextAndWithCtrlInsertsIt)
{
    CQEditDoc* doc = Open("drop.c", "alpha beta\ngamma beta\n");
    CQEditView* view = ViewOf(doc);
    EXPECT_EQ(view->OnDragOver("", 0, {40, 4}), platform::DROPEFFECT_NONE);
    EXPECT_EQ(view->OnDragOver("beta", MK_CONTROL, {40, 4}), platform::DROPEFFECT_COPY);
    EXPECT_EQ(view->OnDragOver("beta", MK_SHIFT, {40, 4}), platform::DROPEFFECT_MOVE);
    EXPECT_EQ(view->OnDragOver("beta", 0, {40, 4}), DROPEFFECT_LINK);
    EXPECT_EQ(view->dropEffect, DROPEFFECT_LINK);

    const int x = view->leftMargin;  // column 0
    EXPECT_TRUE(view->OnDrop("beta", DROPEFFECT_LINK, {x, view->lineHeight + 2}));
    EXPECT_EQ(textFrame.findText, "beta");
    EXPECT_EQ(view->selStart, (textcore::TextPos{1, 6}));  // found after the drop point
    EXPECT_EQ(Text(doc), "alpha beta\ngamma beta\n");

    EXPECT_TRUE(view->OnDrop("new ", platform::DROPEFFECT_COPY, {x, 2}));
    EXPECT_EQ(Text(doc), "new alpha beta\ngamma beta\n");
    EXPECT_EQ(view->dropEffect, 0u);
}

TEST_F(EditorTest, DraggingTheSelectionOffersItsTextForCopyMoveAndLink)
{
    CQEditDoc* doc = Open("drag.c", "int value;\n");
    CQEditView* view = ViewOf(doc);
    view->SetSelection(0, 4, 0, 9, false);
    platform::GTestScriptedUi ui;
    ui.AnswerDrag(platform::DROPEFFECT_NONE);
    const int x = view->leftMargin + 6 * view->charWidth;
    view->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 4));
    ASSERT_EQ(ui.Requests().size(), 1u);
    EXPECT_NE(ui.Requests()[0].described.find("value"), std::string::npos) << ui.Requests()[0].described;
    EXPECT_TRUE(view->HasSelection());
}

TEST_F(EditorTest, ScrollingAPartlyReadDocumentReadsWhatItNeedsAndCtrlEndReadsAll)
{
    std::string text;
    for (int i = 1; i <= 30000; ++i)
        text += "x = " + std::to_string(i) + ";\n";
    CQEditDoc* doc = Open("big.c", text);
    CQEditView* view = ViewOf(doc);
    ASSERT_EQ(doc->Lines().LineCount(), 10001u);
    ASSERT_TRUE(view->IsPartlyLoaded());

    // Page Down near the end of what was read reads on, but not all.
    view->SendMessage(WM_VSCROLL, MAKEWPARAM(textcore::SB_THUMBPOSITION, 9990), 0);
    EXPECT_GT(doc->Lines().LineCount(), 10001u);
    EXPECT_FALSE(doc->IsComplete());
    const int pageDowns = 5;
    for (int i = 0; i < pageDowns; ++i)
        Key(view, textcore::VK_NEXT);
    EXPECT_GE(static_cast<int>(doc->Lines().LineCount()), view->topLine + view->linesPerPage);

    // Ctrl+End: the whole file, caret on its last line.
    platform::KeyStateQuery previous =
        platform::SetKeyStateQuery([](int vk) -> short { return vk == textcore::VK_CONTROL ? -32768 : 0; });
    Key(view, textcore::VK_END);
    platform::SetKeyStateQuery(previous);
    EXPECT_TRUE(doc->IsComplete());
    EXPECT_EQ(doc->Lines().LineCount(), 30001u);
    EXPECT_EQ(view->caretLine, 30000);
}

TEST_F(EditorTest, TypingABlockCommentMarkRepaintsEveryPaneAndEnterWidensTheLineNumbers)
{
    CQEditDoc* doc = Open("k.c", "1\n2\n3\n4\n5\n6\n7\n8\n9");
    auto* frame = static_cast<CChildFrame*>(ViewOf(doc)->GetParentFrame());
    ASSERT_TRUE(frame->m_wndSplitter.SplitColumn());
    CQEditView* left = ViewOf(doc, 0);
    CQEditView* right = Host(ViewOf(doc, 1));
    auto& rightHost = static_cast<platform::FakeHost&>(*right->GetHost());
    auto& leftHost = static_cast<platform::FakeHost&>(*left->GetHost());

    left->SetCaret(0, 1);
    int before = leftHost.invalidations;
    Type(left, "/");
    Type(left, "*");
    EXPECT_GT(leftHost.invalidations, before);  // the typing view repaints whole too

    EXPECT_EQ(std::string(left->GetLineNumberFormat()), "%1d");
    left->SetCaret(8, 1);
    before = rightHost.invalidations;
    Type(left, "\r");
    EXPECT_EQ(doc->LineNumberFormat(), "%2d");
    EXPECT_EQ(std::string(right->GetLineNumberFormat()), "%2d");
    EXPECT_GT(rightHost.invalidations, before);
}

}  // namespace
}  // namespace editor::test

namespace editor::test {
namespace {

TEST_F(EditorTest, StopFlagsScrollTheFirstViewOfTheStoppedSourceOnly)
{
    std::string text;
    for (int i = 1; i <= 200; ++i)
        text += "line " + std::to_string(i) + "\n";
    CQEditDoc* doc = Open("stop.c", text);
    CQEditDoc* other = Open("other.c", text);
    textFrame.stop = {folder / "stop.c", 150, 0x8000};
    const LPARAM flags = kPcHasSourceLine | kPcThisDocument;
    doc->UpdateAllViews(nullptr, flags);
    other->UpdateAllViews(nullptr, flags);
    EXPECT_EQ(ViewOf(doc)->topLine, 148);  // shown from the line above the PC's
    EXPECT_EQ(ViewOf(doc)->firstColumn, 0);
    EXPECT_EQ(ViewOf(other)->topLine, 0);
    EXPECT_TRUE(ViewOf(doc)->IsAddressOnPage(ADDR{0, 1}));

    // On the page: nothing moves.
    textFrame.stop.line = 160;
    doc->UpdateAllViews(nullptr, flags);
    EXPECT_EQ(ViewOf(doc)->topLine, 148);
    // Without the flag of this document nothing scrolls.
    textFrame.stop.line = 20;
    doc->UpdateAllViews(nullptr, kPcHasSourceLine);
    EXPECT_EQ(ViewOf(doc)->topLine, 148);
    EXPECT_FALSE(ViewOf(doc)->IsAddressOnPage(ADDR{0, 1}));
}

// Stepping out of a file into another: the file left repaints its margin
// so its program-counter mark goes; files the stop never was in don't.
TEST_F(EditorTest, StopFlagsRepaintTheMarginOfTheFileThePcLeft)
{
    CQEditDoc* left = Open("queue.c", "int a;\nint b;\n");
    CQEditDoc* stopped = Open("main.c", "int c;\nint d;\n");
    CQEditDoc* untouched = Open("format.c", "int e;\n");
    textFrame.stop = {folder / "main.c", 2, 0x8000, folder / "queue.c"};
    auto invalidations = [](CQEditDoc* doc) {
        return static_cast<platform::FakeHost*>(ViewOf(doc)->GetHost())->invalidations;
    };
    std::vector<int> before;
    for (CQEditDoc* doc : {left, stopped, untouched})
        before.push_back(invalidations(doc));
    for (CQEditDoc* doc : {left, stopped, untouched})
        doc->UpdateAllViews(nullptr, doc == stopped ? kPcHasSourceLine | kPcThisDocument : kPcHasSourceLine);
    EXPECT_GT(invalidations(left), before[0]);
    EXPECT_GT(invalidations(stopped), before[1]);
    EXPECT_EQ(invalidations(untouched), before[2]);
}

}  // namespace
}  // namespace editor::test

namespace editor::test {
namespace {

TEST_F(EditorTest, ChangedLineNumberOptionsLayOutEveryPaneAgain)
{
    CQEditDoc* doc = Open("opt.c", "int a;\nint b;\n");
    auto* frame = static_cast<CChildFrame*>(ViewOf(doc)->GetParentFrame());
    ASSERT_TRUE(frame->m_wndSplitter.SplitRow());
    CQEditView* top = ViewOf(doc, 0);
    CQEditView* bottom = Host(ViewOf(doc, 1));
    const bool saved = theSettings.LineNumbe != 0;
    theSettings.LineNumbe = 0;
    top->ComputeMargin(false);
    bottom->ComputeMargin(false);
    const int narrow = bottom->leftMargin;
    theSettings.LineNumbe = 1;
    EXPECT_EQ(top->SendMessage(WM_EMU_VIEW_SETTINGS, 1, 1), 1);
    EXPECT_GT(bottom->leftMargin, narrow);  // the line numbers' column
    const int oneDigit = bottom->leftMargin;
    for (int i = 0; i < 8; ++i)
        Type(top, "\r");  // 10 lines: "%2d"
    EXPECT_EQ(bottom->leftMargin, oneDigit + bottom->charWidth);
    EXPECT_EQ(top->SendMessage(WM_EMU_VIEW_SETTINGS, 0, 0), 1);
    theSettings.LineNumbe = saved;
}

}  // namespace
}  // namespace editor::test
