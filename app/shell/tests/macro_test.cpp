// Macro files: the procedure reader over a table of texts, loading several
// files, the macro dialog and the script hint box, through the scripted
// modal service.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "platform/file.h"
#include "platform/scripted_ui_gtest.h"
#include "shell/hint_box_dlg.h"
#include "shell/macro_dialog.h"
#include "shell/macro_files.h"
#include "shell_test_support.h"

namespace shell {
namespace {

using platform::ScriptedDialog;
using Names = std::vector<std::string>;

class MacroTest : public shell::test::RegistryTest {
protected:
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = temp_.path() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    platform::GTestScriptedUi ui_;
};

TEST_F(MacroTest, ReaderListsTheProceduresOfAText)
{
    static const char kBinary[] = "Sub A\0B\nEnd Sub\n\xff\xfe\x01";
    struct Row {
        const char* what;
        std::string text;
        Names names;
        bool unterminated;
    } rows[] = {
        {"name with its parentheses", "Sub Main()\n x = 1\nEnd Sub\n", {"Main()"}, false},
        {"indented, CRLF, blanks", "  \tSub  Indented  \r\n\t End   Sub\r\nSub B\nEnd Sub", {"Indented", "B"}, false},
        {"lone Sub", "Sub\nEnd Sub\n", {}, false},
        {"other letter case", "sub lower\nEND SUB\nSUB Upper\nend sub\n", {}, false},
        {"End Sub without its Sub", "End Sub\nSub A\nEnd Sub\nEnd Sub\n", {"A"}, false},
        {"closing words run on", "Sub A\nEnd Subroutine\n", {"A"}, false},
        {"NULs and binary", std::string(kBinary, sizeof kBinary - 1), {std::string("A\0B", 3)}, false},
        {"missing End Sub", "Sub A\nEnd Sub\nSub B\n x = 2\n", {"A"}, true},
        {"empty", "", {}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        if (r.unterminated)
            ui_.AnswerMessageBox(IDOK);  // 32826
        CMacroFileReader reader = CMacroFileReader::FromText(r.text);
        EXPECT_EQ(MacroProcedures(reader), r.names);
        EXPECT_EQ(reader.EndedInsideSub(), r.unterminated);
        ui_.Verify();
    }
    EXPECT_EQ(ui_.MessageTexts().size(), 1u);
}

TEST_F(MacroTest, FilesAreReadOnlyAndProceduresAccumulateOverTheFiles)
{
    const std::string a = Write("first.mac", "Sub AutoDebug\nEnd Sub\nSub One()\nEnd Sub\n");
    const std::string b = Write("second.test.mac", "Sub Two\nEnd Sub\n");
    chmod(a.c_str(), 0444);  // a file the user may not write is still read
    CMacroFileReader reader(a);
    MacroSub first;
    ASSERT_EQ(reader.FirstSub(first), 1);
    EXPECT_EQ(first.name, "AutoDebug");

    const MacroLoad load = ReadMacroFiles({a, b});
    EXPECT_TRUE(load.ok);
    EXPECT_EQ(load.procedures, (Names{"AutoDebug", "One()", "Two"}));
    EXPECT_EQ(load.script, "Sub AutoDebug\nEnd Sub\nSub One()\nEnd Sub\nSub Two\nEnd Sub\n");

    // The image of a running program may not be opened for writing, by
    // root either: the reader still reads it (as binary text).
    const std::string busy = temp_.path() + "/busy.mac";
    std::filesystem::copy_file("/bin/sleep", busy);
    chmod(busy.c_str(), 0755);
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(busy.c_str()), const_cast<char*>("30"), nullptr};
    ASSERT_EQ(posix_spawn(&pid, busy.c_str(), nullptr, nullptr, argv, environ), 0);
    EXPECT_NO_THROW(CMacroFileReader{busy});
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);

    EXPECT_THROW(CMacroFileReader(temp_.path() + "/missing.mac"), platform::CFileException);
    ui_.AnswerMessageBox(IDOK);  // 32856
    const MacroLoad failed = ReadMacroFiles({a, temp_.path() + "/missing.mac"});
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.script.empty());
    EXPECT_TRUE(failed.procedures.empty());

    EXPECT_EQ(MacroFileTitle("C:\\Zelkor\\Macro\\demo.test.mac"), "demo");
    EXPECT_EQ(MacroFileTitle("/home/u/macros/x"), "x");
}

TEST_F(MacroTest, DialogListsFilesAndProceduresRunsAndEdits)
{
    const std::vector<std::string> files = {Write("board.mac", "Sub Init()\nEnd Sub\nSub Dump\nEnd Sub\n"),
                                            Write("tests.mac", "Sub RunAll\nEnd Sub\n")};
    std::vector<std::string> ran;
    ui_.RunDialog(
        [&](ScriptedDialog& d) {
            ASSERT_EQ(d.items.GetCount(IDC_MACRO_FILE), 2);
            EXPECT_EQ(d.items.GetItemText(IDC_MACRO_FILE, 0), "board");
            EXPECT_EQ(d.items.GetItemText(IDC_MACRO_FILE, 1), "tests");
            ASSERT_EQ(d.items.GetCount(IDC_MACRO_NAME), 2);
            EXPECT_EQ(d.items.GetItemText(IDC_MACRO_NAME, 1), "Dump");
            d.select(IDC_MACRO_FILE, 1);
            ASSERT_EQ(d.items.GetCount(IDC_MACRO_NAME), 1);
            d.set(IDC_MACRO_NAME, "  ");
            d.click(IDC_MACRO_RUN);  // no name: 32825
            d.set(IDC_MACRO_NAME, " RunAll ");
            d.click(IDC_MACRO_RUN);
            d.click(IDC_MACRO_RELOAD);
            EXPECT_FALSE(d.dialog.IsEnded());
            d.click(IDC_MACRO_EDIT);
        },
        "Macro");
    ui_.AnswerMessageBox(IDOK);
    CMacroDialog dlg(files);
    dlg.m_runMacro = [&](const std::string& name) { ran.push_back(name); };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(ran, (Names{"RunAll"}));
    EXPECT_EQ(dlg.m_editedFile, files[1]);
}

TEST(HintBox, CornersLeaveThreePixelsBeyondTheRightAndBottomEdges)
{
    const SIZE screen{1280, 1024}, box{200, 40};
    struct Row {
        short position;
        std::optional<POINT> at;
    } rows[] = {
        {0, std::nullopt},     {1, POINT{0, 0}},  {2, POINT{0, 981}}, {3, POINT{1083, 0}},
        {4, POINT{1083, 981}}, {5, std::nullopt}, {-1, std::nullopt},
    };
    for (const Row& r : rows) {
        const std::optional<POINT> at = HintBoxPlace(r.position, screen, box);
        ASSERT_EQ(at.has_value(), r.at.has_value()) << r.position;
        if (at) {
            EXPECT_EQ(at->x, r.at->x) << r.position;
            EXPECT_EQ(at->y, r.at->y) << r.position;
        }
    }
}

TEST(HintBox, TheTimerEndsTheBoxAfterItsTicksAndNeverAfterAMinute)
{
    struct Row {
        LONG delay;
        UINT interval;
        LONG ticks;
    } rows[] = {
        {1, 10, 10}, {3, 30, 30}, {0, 10, 1}, {-5, 10, 1}, {24, 240, 240}, {100, 1000, 60}, {0x7FFFFFFF, 60000, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.delay);
        platform::GTestScriptedUi ui;
        ui.RunDialog([&](ScriptedDialog& d) {
            auto& box = static_cast<CHintBoxDlg&>(d.dialog);
            EXPECT_EQ(d.text(IDC_HINT_TEXT), "Loading...");
            EXPECT_EQ(box.Interval(), r.interval);
            box.SendMessage(WM_TIMER, kHintTimer + 1);  // another timer's tick counts nothing
            for (LONG i = 1; i < r.ticks; ++i)
                box.SendMessage(WM_TIMER, kHintTimer);
            EXPECT_FALSE(d.dialog.IsEnded());
            box.SendMessage(WM_TIMER, kHintTimer);
            EXPECT_TRUE(d.dialog.IsEnded());
        });
        CHintBoxDlg box("Loading...", r.delay, 0);
        EXPECT_EQ(box.DoModal(), 1);
    }
    platform::GTestScriptedUi ui;
    ui.RunDialog([](ScriptedDialog& d) { d.dialog.OnCancel(); });  // Esc gives IDCANCEL
    CHintBoxDlg box("x", 50, 4);
    EXPECT_EQ(box.DoModal(), IDCANCEL);
}

}  // namespace
}  // namespace shell
