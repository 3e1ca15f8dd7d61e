// The modal service: default answers, the scripted test double, and calls
// from worker threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/messages.h"
#include "platform/scripted_ui_gtest.h"

using namespace platform;

namespace {

TEST(ModalUiTest, TheDefaultAnswerIsTheDefaultButton)
{
    struct Case {
        UINT type;
        int answer;
    } cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL | MB_ICONQUESTION, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {MB_RETRYCANCEL, IDRETRY},
        {MB_OK | MB_DEFBUTTON3, IDOK},  // no third button: the first
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefaultMessageBoxAnswer(c.type), c.answer) << std::hex << c.type;
    // Without an installed service nothing blocks.
    EXPECT_EQ(MessageBox(nullptr, "Halt by breakpoint!", "Zelkor", MB_YESNO | MB_DEFBUTTON2), IDNO);
    FileDialogResult result;
    EXPECT_FALSE(ShowFileDialog(FileDialogRequest{}, result));
}

TEST(ModalUiTest, ScriptedAnswersComeInOrderAndRequestsAreRecorded)
{
    GTestScriptedUi ui;
    ui.AnswerMessageBox(IDYES, "Save")
        .AnswerFileDialog({"/p/main.c", "/p/util.c"}, "Add source files")
        .CancelFolder()
        .AnswerMessageBox(IDOK);
    SetAppName("Zelkor for Arm");
    EXPECT_EQ(AfxMessageBox("Save changes to demo.mpj?", MB_YESNOCANCEL | MB_ICONQUESTION), IDYES);

    FileDialogRequest request;
    request.title = "Add source files to Project";
    request.flags = OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;
    request.filter = "C Files (*.c)|*.c|All Files (*.*)|*.*||";
    FileDialogResult result;
    EXPECT_TRUE(ShowFileDialog(request, result));
    EXPECT_EQ(result.paths, (std::vector<std::string>{"/p/main.c", "/p/util.c"}));
    std::string folder = "unchanged";
    EXPECT_FALSE(ShowFolderDialog(FolderDialogRequest{nullptr, "Choose", {}}, folder));
    EXPECT_EQ(folder, "unchanged");
    EXPECT_EQ(MessageBox(nullptr, "Done", nullptr, MB_OK), IDOK);

    auto requests = ui.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].messageBox.caption, "Zelkor for Arm");
    EXPECT_EQ(requests[0].messageBox.type, MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(requests[1].fileDialog.flags, OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY);
    EXPECT_EQ(requests[3].messageBox.caption, "Error") << "a null caption";
    EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string>{"Save changes to demo.mpj?", "Done"}));
    SetAppName("");
}

TEST(ModalUiTest, UnexpectedRequestsAndUnusedAnswersAreFailures)
{
    ScriptedUi ui;
    std::vector<std::string> reported;
    ui.SetFailureHandler([&](const std::string& f) { reported.push_back(f); });
    ModalUiScope scope(ui);
    ui.AnswerMessageBox(IDNO, "Rebuild").AnswerFolder("/tmp");

    // Wrong text: the default button answers and the script stays.
    EXPECT_EQ(MessageBox(nullptr, "Overwrite?", "x", MB_YESNO), IDYES);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find("\"Overwrite?\""), std::string::npos) << reported[0];
    EXPECT_NE(reported[0].find("\"Rebuild\""), std::string::npos) << reported[0];
    EXPECT_EQ(MessageBox(nullptr, "Rebuild the project?", "x", MB_YESNO), IDNO);
    // Wrong kind.
    FileDialogResult result;
    EXPECT_FALSE(ShowFileDialog(FileDialogRequest{}, result));
    EXPECT_NE(reported.at(1).find("expects a folder dialog"), std::string::npos) << reported[1];
    ui.Verify();
    EXPECT_NE(reported.at(2).find("never asked for"), std::string::npos) << reported[2];
    // Nothing left.
    EXPECT_EQ(MessageBox(nullptr, "More?", "x", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_NE(reported.at(3).find("no answer left"), std::string::npos) << reported[3];
    EXPECT_EQ(ui.Failures(), reported);
}

// A service that, like the Qt one, must run on the GUI thread.
struct GuiOnlyUi : ModalUi {
    std::atomic<DWORD> ranOn{0};
    int MessageBox(const MessageBoxRequest&) override
    {
        ranOn = GetCurrentThreadId();
        return IDRETRY;
    }
    bool FileDialog(const FileDialogRequest&, FileDialogResult&) override { return false; }
    bool FolderDialog(const FolderDialogRequest&, std::string&) override { return false; }
    bool NeedsGuiThread() const override { return true; }
};

TEST(ModalUiTest, AWorkersMessageBoxWaitsForTheGuiThread)
{
    GuiOnlyUi ui;
    ModalUiScope scope(ui);
    std::atomic<int> answer{0};
    std::thread worker([&] { answer = MessageBox(nullptr, "Flash failed", "Flash", MB_RETRYCANCEL); });
    ASSERT_TRUE(ModalWait([&] { return answer.load() != 0; }, 20000));
    worker.join();
    EXPECT_EQ(answer.load(), IDRETRY);
    EXPECT_EQ(ui.ranOn.load(), GetCurrentThreadId());
}

TEST(ModalUiTest, ScriptedUiAnswersWorkersDirectly)
{
    GTestScriptedUi ui;
    ui.AnswerMessageBox(IDCANCEL);
    int answer = 0;
    std::thread([&] { answer = MessageBox(nullptr, "from the build thread", "Build", MB_OKCANCEL); }).join();
    EXPECT_EQ(answer, IDCANCEL);
}

TEST(ModalUiTest, FilterTextsSplitIntoLabelsAndPatterns)
{
    auto filters = ParseFileFilter(
        "C Files (*.c)|*.c|C++ Files (*.cpp;*.cp;*c++;*.cc)|*.cpp;*.cp;*c++;*.cc|Hearder files (*.h)|*.h|"
        "ASM Files (*.s)|*.s|All Files (*.*)|*.*||");
    ASSERT_EQ(filters.size(), 5u);
    EXPECT_EQ(filters[1].label, "C++ Files (*.cpp;*.cp;*c++;*.cc)");
    EXPECT_EQ(filters[1].patterns, (std::vector<std::string>{"*.cpp", "*.cp", "*c++", "*.cc"}));
    EXPECT_EQ(filters[4].patterns, (std::vector<std::string>{"*.*"}));
    EXPECT_TRUE(ParseFileFilter("").empty());
    EXPECT_EQ(ParseFileFilter("Bin (*.bin)|*.bin").size(), 1u);
}

}  // namespace
