// The source document against real files: open and save give back the same
// bytes (checked with cmp), large files load in idle steps of the
// application, failures are reported and lose nothing.
#include "qedit_doc.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "editor_test_files.h"
#include "platform/scripted_ui_gtest.h"
#include "shell/debugger_app.h"

namespace editor {
namespace {

using test::CmpIdentical;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// A view of the document that counts the layouts the document asks for.
class CountingView : public CView, public SourceDocumentView {
public:
    void OnLineNumberFormatChanged() override { ++relayouts; }
    int relayouts = 0;
};

struct Hooks {
    Hooks()
    {
        DocumentHooks().markSourcesModified = [this](bool m) { marks.push_back(m); };
    }
    ~Hooks() { DocumentHooks() = {}; }
    std::vector<bool> marks;
};

TEST(QEditDoc, OpenThenSaveWritesTheSameBytes)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::size_t lines;
    } cases[] = {
        {"lf.c", "int x;\nint y;\n", 3},
        {"crlf.c", "int x;\r\nint y;\r\n", 3},
        {"no_final_break.c", "a\nb", 2},
        {"crlf_no_final_break.c", "a\r\nb", 2},
        {"empty.c", "", 1},
        {"only_break.c", "\n", 2},
        {"lone_cr.c", "a\rb\nc\r", 2},  // the CRs stay in their lines
        {"crlf_lone_cr.c", "a\rb\r\n\r\r\n", 3},
        {"nul.c", std::string("a\0b\n\0\n", 6), 3},
        {"bad_utf8.c", "\xff\xfe\xc3(\n\xe2\x82\n\xf0\x90\x80", 3},
        {"blank_lines.txt", "\n\n\n", 4},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / c.name;
        const std::string copy = folder / (std::string("copy_") + c.name);
        WriteBytes(path, c.bytes);
        CQEditDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(path.c_str()));
        EXPECT_TRUE(doc.IsComplete());
        EXPECT_EQ(doc.Lines().LineCount(), c.lines);
        ASSERT_TRUE(doc.OnSaveDocument(copy.c_str()));
        EXPECT_TRUE(CmpIdentical(path, copy));
        ASSERT_TRUE(doc.OnSaveDocument(path.c_str()));  // over itself
        EXPECT_EQ(ReadBytes(path), c.bytes);
    }
}

TEST(QEditDoc, EditedLinesAreWrittenWithTheLineEndsTheFileWasReadWith)
{
    TempFolder folder;
    const std::string crlf = folder / "a.c";
    WriteBytes(crlf, "one\r\ntwo\r\n");
    CQEditDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(crlf.c_str()));
    doc.Lines().InsertLine(1, "new");
    ASSERT_TRUE(doc.OnSaveDocument(crlf.c_str()));
    EXPECT_EQ(ReadBytes(crlf), "one\r\nnew\r\ntwo\r\n");

    CQEditDoc fresh;
    ASSERT_TRUE(fresh.OnNewDocument());
    EXPECT_EQ(fresh.Lines().LineCount(), 1u);
    fresh.Lines().SetLine(0, "x");
    fresh.Lines().AppendLine("y");
    ASSERT_TRUE(fresh.OnSaveDocument((folder / "new.c").c_str()));
    EXPECT_EQ(ReadBytes(folder / "new.c"), "x\ny");  // LF, no line end after the last line
}

TEST(QEditDoc, TenThousandLinesAreCompleteAtOpenAndOneMoreWaitsForIdle)
{
    TempFolder folder;
    auto lines = [](int n) {
        std::string text;
        for (int i = 1; i <= n; ++i)
            text += "line " + std::to_string(i) + "\n";
        return text;
    };
    WriteBytes(folder / "10000.c", lines(10000));
    WriteBytes(folder / "10001.c", lines(10001));
    CQEditDoc small;
    ASSERT_TRUE(small.OnOpenDocument((folder / "10000.c").c_str()));
    EXPECT_TRUE(small.IsComplete());
    EXPECT_EQ(small.Lines().LineCount(), 10001u);
    EXPECT_EQ(small.LineNumberFormat(), "%5d");

    CQEditDoc large;
    ASSERT_TRUE(large.OnOpenDocument((folder / "10001.c").c_str()));
    EXPECT_FALSE(large.IsComplete());
    EXPECT_EQ(large.Lines().LineCount(), 10001u);
    EXPECT_EQ(large.Lines().Line(10000), "line 10001");
    EXPECT_EQ(large.LoadRemainingLines(false), 1);
    EXPECT_TRUE(large.IsComplete());
    EXPECT_EQ(large.Lines().LineCount(), 10002u);
    EXPECT_EQ(large.LoadRemainingLines(false), 0);
}

TEST(QEditDoc, NewlibHeadersOfTenMegabytesLoadInIdleStepsOfTheApplication)
{
    const std::string text = test::NewlibHeaders(10u << 20);
    ASSERT_FALSE(text.empty()) << "newlib's headers (libnewlib-arm-none-eabi) are required";
    TempFolder folder;
    const std::string path = folder / "newlib.h";
    WriteBytes(path, text);
    const long wcLines = test::WcLines(path);

    CDebuggerApp app;
    CMultiDocTemplate source(1, RUNTIME_CLASS(CQEditDoc), nullptr, nullptr);
    app.m_sourceTemplate = &source;
    auto* doc = static_cast<CQEditDoc*>(source.CreateNewDocument());
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str()));
    EXPECT_EQ(doc->Lines().LineCount(), 10001u);
    EXPECT_EQ(doc->LineNumberFormat(), "%5d");

    int steps = 0;
    while (!doc->IsComplete() && steps < 10000) {
        const std::size_t before = doc->Lines().LineCount();
        const bool more = app.OnIdle(0);  // true while lines are left to read
        EXPECT_EQ(more, !doc->IsComplete());
        ++steps;
        if (!doc->IsComplete())
            EXPECT_EQ(doc->Lines().LineCount() - before, CQEditDoc::kLinesPerIdleStep);
    }
    EXPECT_FALSE(app.OnIdle(0));  // nothing left to read
    EXPECT_EQ(steps, (wcLines - 10001 + 1000) / 1001 + ((wcLines - 10001) % 1001 == 0 ? 1 : 0));
    // wc -l counts line breaks; the text after the last one is one more line.
    EXPECT_EQ(static_cast<long>(doc->Lines().LineCount()), wcLines + 1);
    EXPECT_EQ(doc->LineNumberFormat(), "%" + std::to_string(std::to_string(wcLines + 1).size()) + "d");
    ASSERT_TRUE(doc->OnSaveDocument((folder / "copy.h").c_str()));
    EXPECT_TRUE(CmpIdentical(path, folder / "copy.h"));
    delete doc;
    app.m_sourceTemplate = nullptr;
}

TEST(QEditDoc, SavingAPartlyReadDocumentWritesTheWholeFile)
{
    TempFolder folder;
    std::string text;
    for (int i = 0; i < 25000; ++i)
        text += "int v" + std::to_string(i) + ";\r\n";
    text += "end";
    const std::string path = folder / "big.c";
    WriteBytes(path, text);
    CQEditDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path.c_str()));
    ASSERT_FALSE(doc.IsComplete());
    doc.Lines().SetLine(0, "first");
    ASSERT_TRUE(doc.OnSaveDocument(path.c_str()));
    EXPECT_TRUE(doc.IsComplete());
    EXPECT_EQ(ReadBytes(path), "first" + text.substr(text.find("\r\n")));
}

TEST(QEditDoc, AnUnreadableOrMissingFileIsReportedAndNotOpened)
{
    TempFolder folder;
    std::filesystem::create_directory(folder / "dir.c");
    platform::GTestScriptedUi ui;
    ui.AnswerMessageBox(IDOK, "Failed to open document").AnswerMessageBox(IDOK, "Failed to open document");
    CQEditDoc doc;
    EXPECT_FALSE(doc.OnOpenDocument((folder / "gone.c").c_str()));
    EXPECT_FALSE(doc.OnOpenDocument((folder / "dir.c").c_str()));  // opens, but reading fails
    EXPECT_EQ(doc.Lines().LineCount(), 0u);
    EXPECT_FALSE(doc.IsLoading());
}

TEST(QEditDoc, AFailingSaveReportsKeepsTheOldFileAndStaysModified)
{
    TempFolder folder;
    const std::string path = folder / "keep.c";
    WriteBytes(path, "old\n");
    ::chmod(path.c_str(), 0754);
    Hooks hooks;
    CQEditDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path.c_str()));
    doc.SetPathName(path, FALSE);
    doc.Lines().SetLine(0, "new");
    doc.SetModifiedFlag(TRUE);
    EXPECT_EQ(doc.GetTitle(), "keep.c*");

    platform::GTestScriptedUi ui;
    // The disk fills up half-way through the write.
    DocumentHooks().write = [](CFile& file, const char* data, std::size_t size) {
        file.Write(data, static_cast<UINT>(size / 2));
        throw CFileException(CFileException::diskFull, ENOSPC, file.GetFilePath());
    };
    ui.AnswerMessageBox(IDOK, "disk full");
    EXPECT_FALSE(doc.DoFileSave());
    DocumentHooks().write = nullptr;
    // The folder takes no new file (the save's new file is taken by a folder).
    std::filesystem::create_directory(path + ".saving");
    ui.AnswerMessageBox(IDOK, "Failed to save document");
    EXPECT_FALSE(doc.DoFileSave());
    std::filesystem::remove(path + ".saving");

    EXPECT_EQ(ReadBytes(path), "old\n");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "keep.c*");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);

    EXPECT_TRUE(doc.DoFileSave());
    EXPECT_EQ(ReadBytes(path), "new\n");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "keep.c");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0754u);  // the replaced file keeps its mode
    EXPECT_EQ(doc.FileTime(), st.st_mtime);
    EXPECT_EQ(hooks.marks.back(), true);  // the next run asks again whether to rebuild
}

TEST(QEditDoc, ModifiedFlagMarksTheTitleAndTellsTheDebuggerCore)
{
    Hooks hooks;
    CQEditDoc doc;
    doc.SetTitle("main.c");
    doc.SetModifiedFlag(TRUE);
    doc.SetModifiedFlag(TRUE);
    EXPECT_EQ(doc.GetTitle(), "main.c*");
    doc.SetModifiedFlag(FALSE);
    EXPECT_EQ(doc.GetTitle(), "main.c");
    EXPECT_EQ(hooks.marks, (std::vector<bool>{true, true, false}));

    CQEditDoc listing;
    listing.SetLanguage(LANG_DISASSEMBLY);
    listing.SetTitle("anything");
    EXPECT_EQ(listing.GetTitle(), "Disassembly");
    listing.SetModifiedFlag(TRUE);
    EXPECT_EQ(listing.GetTitle(), "Disassembly");
    listing.SetLanguage(LANG_MIXED);
    listing.SetTitle("x");
    EXPECT_EQ(listing.GetTitle(), "Mixed Source");
}

TEST(QEditDoc, SaveAsOfAnUntitledDocumentProposesItsTitleWithZerosForStars)
{
    TempFolder folder;
    CMultiDocTemplate source(1, RUNTIME_CLASS(CQEditDoc), nullptr, nullptr);
    source.SetFilter(".c", "C Files (*.c)");
    auto* doc = static_cast<CQEditDoc*>(source.CreateNewDocument());
    doc->OnNewDocument();
    doc->SetTitle("Text1");
    doc->SetModifiedFlag(TRUE);
    platform::GTestScriptedUi ui;
    ui.AnswerFileDialog({folder / "chosen.c"});
    EXPECT_TRUE(doc->OnCmdMsg(ID_FILE_SAVE, platform::CN_COMMAND, nullptr, nullptr));
    ASSERT_EQ(ui.Requests().size(), 1u);
    EXPECT_EQ(ui.Requests()[0].fileDialog.fileName, "Text10.c");
    EXPECT_EQ(doc->GetPathName(), folder / "chosen.c");
    EXPECT_EQ(doc->GetTitle(), "chosen.c");
    EXPECT_TRUE(std::filesystem::exists(folder / "chosen.c"));
    delete doc;
}

TEST(QEditDoc, LineNumberFormatChangesLayOutEveryViewAndReReadingEmptiesUndo)
{
    TempFolder folder;
    const std::string path = folder / "nine.c";
    WriteBytes(path, "1\n2\n3\n4\n5\n6\n7\n8\n9");
    CQEditDoc doc;
    CountingView a, b;
    doc.AddView(&a);
    doc.AddView(&b);
    ASSERT_TRUE(doc.OnOpenDocument(path.c_str()));
    EXPECT_EQ(doc.LineNumberFormat(), "%1d");
    const int before = a.relayouts;
    doc.Lines().AppendLine("10");
    doc.SetModifiedFlag(TRUE);
    EXPECT_EQ(doc.LineNumberFormat(), "%2d");
    EXPECT_EQ(a.relayouts, before + 1);
    EXPECT_EQ(b.relayouts, a.relayouts);

    doc.Lines().UndoList().AddDeletion(0, 0, "x");
    ASSERT_FALSE(doc.Lines().UndoList().IsEmpty());
    ASSERT_TRUE(doc.OnOpenDocument(path.c_str()));
    EXPECT_TRUE(doc.Lines().UndoList().IsEmpty());
    EXPECT_EQ(doc.Lines().LineCount(), 9u);
    EXPECT_FALSE(doc.IsModified());
    doc.RemoveView(&a);
    doc.RemoveView(&b);
}

}  // namespace
}  // namespace editor
