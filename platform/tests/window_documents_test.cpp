// Documents: opening and saving through Serialize, failures that leave
// nothing half open, splitter views on one document.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/scripted_ui_gtest.h"
#include "window_fixture.h"

namespace wintest {
namespace {

using DocumentTest = WindowTest;

// In a folder of this process: other runs of the tests write theirs side by
// side.
std::string TempPath(const char* name)
{
    const std::string folder = std::string(::testing::TempDir()) + "zk-documents-" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    return folder + "/" + name;
}

TEST_F(DocumentTest, SaveAndOpenRoundTripThroughSerialize)
{
    GTestScriptedUi ui;
    auto* doc = static_cast<TestDoc*>(tmpl->OpenDocumentFile(nullptr));
    ASSERT_NE(doc, nullptr);
    doc->value = 0x1234;
    std::string path = TempPath("round.tst");
    ASSERT_TRUE(doc->DoSave(path.c_str()));
    EXPECT_EQ(doc->GetTitle(), "round.tst");
    doc->OnCloseDocument();
    auto* again = static_cast<TestDoc*>(app->OpenDocumentFile(path.c_str()));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->value, 0x1234);
    // Opening the same path again activates the open document.
    EXPECT_EQ(app->OpenDocumentFile(path.c_str()), again);
    EXPECT_EQ(app->DocManager()->GetOpenDocumentCount(), 1);
}

TEST_F(DocumentTest, ThrowingSerializeReportsAndLeavesNoHalfOpenDocument)
{
    std::string path = TempPath("bad.tst");
    std::ofstream(path) << "xxxx";
    TestDoc::throwOnSerialize = true;
    GTestScriptedUi ui;
    ui.AnswerMessageBox(IDOK, "damaged contents");
    size_t sinks = SinkCount();
    EXPECT_EQ(app->OpenDocumentFile(path.c_str()), nullptr);
    EXPECT_EQ(app->DocManager()->GetOpenDocumentCount(), 0);
    EXPECT_TRUE(frame->MDIChildren().empty());
    EXPECT_EQ(SinkCount(), sinks);
}

TEST_F(DocumentTest, ThrowingSerializeOnSaveKeepsTheFileOnDisk)
{
    std::string path = TempPath("keep.tst");
    std::ofstream(path) << "old contents";
    GTestScriptedUi ui;
    ui.AnswerMessageBox(IDOK, "Failed to save");
    auto* doc = static_cast<TestDoc*>(tmpl->OpenDocumentFile(nullptr));
    TestDoc::throwOnSerialize = true;
    EXPECT_FALSE(doc->DoSave(path.c_str()));
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "old contents");
}

TEST_F(DocumentTest, ClosingAModifiedDocumentAsksAndCancelKeepsIt)
{
    GTestScriptedUi ui;
    ui.AnswerMessageBox(IDCANCEL, "Save changes to").AnswerMessageBox(IDNO, "Save changes to");
    CDocument* doc = tmpl->OpenDocumentFile(nullptr);
    doc->SetModifiedFlag();
    CFrameWnd* child = doc->Views().front()->GetParentFrame();
    child->SendMessage(WM_CLOSE);
    EXPECT_EQ(app->DocManager()->GetOpenDocumentCount(), 1);
    child->SendMessage(WM_CLOSE);
    EXPECT_EQ(app->DocManager()->GetOpenDocumentCount(), 0);
    EXPECT_TRUE(frame->MDIChildren().empty());
    EXPECT_EQ(ui.MessageTexts().front(), "Save changes to Untitled1?");
}

// A document from a file is named by the file's name in the prompt, whatever
// its title shows (an editor marks unsaved changes in the title).
TEST_F(DocumentTest, TheSavePromptNamesTheFileNotTheTitle)
{
    const std::string path = ::testing::TempDir() + "prompt_" + std::to_string(getpid()) + ".tst";
    std::ofstream(path) << "abcd";  // one DWORD
    GTestScriptedUi ui;
    ui.AnswerMessageBox(IDNO, "Save changes to");
    CDocument* doc = tmpl->OpenDocumentFile(path.c_str());
    ASSERT_NE(doc, nullptr);
    doc->SetTitle(doc->GetTitle() + "*");
    doc->SetModifiedFlag();
    doc->Views().front()->GetParentFrame()->SendMessage(WM_CLOSE);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::string>{"Save changes to prompt_" + std::to_string(getpid()) + ".tst?"});
    std::remove(path.c_str());
}

class SplitChild : public CMDIChildWnd {
public:
    BOOL OnCreateClient(CCreateContext* context) override { return splitter.Create(this, 2, 1, {10, 10}, context); }
    CSplitterWnd splitter;
    DECLARE_DYNCREATE(SplitChild)
};
}  // namespace
IMPLEMENT_DYNCREATE(SplitChild, CMDIChildWnd)
namespace {

TEST_F(DocumentTest, DynamicSplitterMakesAnotherViewOfTheSameDocument)
{
    auto* t = new CMultiDocTemplate(201, RUNTIME_CLASS(TestDoc), RUNTIME_CLASS(SplitChild), RUNTIME_CLASS(TestView));
    app->AddDocTemplate(t);
    CDocument* doc = t->OpenDocumentFile(nullptr);
    ASSERT_NE(doc, nullptr);
    auto* child = static_cast<SplitChild*>(doc->Views().front()->GetParentFrame());
    ASSERT_EQ(doc->Views().size(), 1u);
    EXPECT_TRUE(child->splitter.SplitRow());
    EXPECT_FALSE(child->splitter.SplitRow());  // at most 2 rows
    ASSERT_EQ(doc->Views().size(), 2u);
    auto* lower = dynamic_cast<TestView*>(child->splitter.GetPane(1, 0));
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(lower->GetDocument(), doc);
    auto* upper = static_cast<TestView*>(child->splitter.GetPane(0, 0));
    doc->UpdateAllViews(upper, 5);
    EXPECT_EQ(lower->updates.back(), 5);
    child->splitter.DeleteRow(0);
    EXPECT_EQ(doc->Views().size(), 1u);
    EXPECT_EQ(child->splitter.GetPane(0, 0), lower);
}

}  // namespace
}  // namespace wintest
