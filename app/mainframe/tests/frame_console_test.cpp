// The semihosting console in the frame on the real simulator, against
// qemu-system-arm (-semihosting) with the same image and input: the text of
// each stream that the frame shows equals qemu's, the console's lines are
// that text's with the typed line where it was typed (typed with QTest into
// the console's widget), the files the program leaves and its exit status
// are qemu's. Then the wait's refusals and its end by Halt on a real read.
// Each image is loaded by "Load File", answered as the connect asks.
#include <gmock/gmock.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>

#include <filesystem>

#include "base_view_widget.h"
#include "console_view.h"
#include "emu_messages.h"
#include "host_tools.h"
#include "mainframe/qt/frame_window.h"
#include "platform/messages.h"
#include "platform/modules.h"
#include "platform/scripted_ui_gtest.h"
#include "qemu_runner.h"
#include "sarvik.h"
#include "shell/debugger_app.h"
#include "shell/modules.h"
#include "shell/shell_ids.h"
#include "shell_test_support.h"
#include "vexlor/vexlor.h"

namespace mainframe {
namespace {

namespace fs = std::filesystem;

// A text's lines as a terminal shows them: LF ends a line, a last piece
// without one is a line too.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        const size_t lf = text.find('\n', from);
        if (lf == std::string::npos) {
            lines.push_back(text.substr(from));
            break;
        }
        lines.push_back(text.substr(from, lf - from));
        from = lf + 1;
    }
    return lines;
}

// The debugger's own text at the program's end, written to the console as
// output after the program's.
constexpr char kExitText[] = "Stop Emulation for Application Exit!\n";

// qemu's standard error without qemu's own complaints.
std::string ProgramErrors(const std::string& qemuErrors)
{
    std::string kept;
    for (const std::string& line : Lines(qemuErrors))
        if (line.rfind("qemu: ", 0) != 0)
            kept += line + "\n";
    if (!qemuErrors.empty() && qemuErrors.back() != '\n' && !kept.empty())
        kept.pop_back();
    return kept;
}

std::map<std::string, std::string> FilesIn(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = zk::test::ReadFileBytes(entry.path().string());
    return files;
}

// What the frame showed of one run.
struct FrameRun {
    std::string out, err, all;  // standard output, standard error, both in order
    size_t allAtRead = std::string::npos;
    bool ended = false;
    DWORD status = 0;
    std::vector<std::string> console;
};

class FrameConsoleTest : public shell::test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        platform::SetModuleFolder(ZK_BIN_DIR);
        shell::Modules().FreeAll();
        ConsoleInputState() = {};
        previousFolder_ = fs::current_path();
        previousTap_ = SetSemihostOutputTap([this](BYTE kind, std::string_view text) {
            (kind == SEMIHOST_IO_TEXT || kind == SEMIHOST_IO_CHAR ? run_.out : run_.err).append(text);
            run_.all.append(text);
        });
    }
    void TearDown() override
    {
        platform::SetPumpHook(nullptr);
        SetSemihostOutputTap(std::move(previousTap_));
        if (app_) {
            if (CMainFrame* frame = Frame())
                frame->SendMessage(WM_CLOSE);
            QTest::qWaitFor([&] { return app_->m_pMainWnd == nullptr; }, 30000);
            QApplication::processEvents();
            app_->ExitInstance();
            app_.reset();
        }
        fs::current_path(previousFolder_);
        ConsoleInputState() = {};
        shell::Modules().FreeAll();
        RegistryTest::TearDown();
    }
    CMainFrame* Frame() const { return app_ ? dynamic_cast<CMainFrame*>(app_->m_pMainWnd) : nullptr; }
    // The frame started in simulation, the connect command's "Load File"
    // answered with `elf`; null on failure.
    CMainFrame* StartWith(platform::ScriptedUi& ui, const std::string& elf)
    {
        ui.AnswerFileDialog({elf});
        const char* args[] = {"quelm", "/D"};
        app_ = std::make_unique<shell::CDebuggerApp>();
        app_->m_toolPath = temp_.path();
        app_->SetCommandLine(2, args);
        app_->SetFrameMaker(qt::MakeMainFrameWindow);
        EXPECT_TRUE(app_->InitInstance());
        QApplication::processEvents();
        CMainFrame* frame = Frame();
        if (!frame)
            return nullptr;
        QTest::qWaitFor([&] { return frame->m_bConnected; }, 30000);
        EXPECT_TRUE(frame->m_bConnected);
        const bool loaded = ui.Unanswered() == 0;
        EXPECT_TRUE(loaded) << "the load asked for its file";
        return frame->m_bConnected && loaded ? frame : nullptr;
    }
    static QWidget* ConsoleWidget(CMainFrame& frame)
    {
        CConsoleView* view = frame.ShowConsole();
        return view ? dynamic_cast<textbase::qt::BaseViewWidget*>(view->GetHost()) : nullptr;
    }
    // Go in `folder`; a read is answered by typing `typed` and Enter into
    // the console's widget (`whileWaiting` runs first). Ends when the
    // program has ended or `until` holds.
    FrameRun Go(CMainFrame& frame, const fs::path& folder, const std::string& typed,
                std::function<void()> whileWaiting = {}, std::function<bool()> until = {})
    {
        run_ = {};
        fs::current_path(folder);
        QWidget* widget = ConsoleWidget(frame);
        EXPECT_NE(widget, nullptr) << "the console has the text views' widget";
        platform::SetPumpHook([&] {
            if (!ConsoleInputWaits() || run_.allAtRead != std::string::npos || !widget)
                return;
            run_.allAtRead = run_.all.size();
            if (whileWaiting)
                whileWaiting();
            if (!ConsoleInputWaits())
                return;
            QTest::keyClicks(widget, QString::fromStdString(typed));
            QTest::keyClick(widget, Qt::Key_Return);
        });
        frame.SendMessage(WM_COMMAND, shell::ID_DEBUG_GO);
        DWORD reason = 0;
        QTest::qWaitFor(
            [&] {
                run_.ended = SemihostGetExit(&reason, &run_.status) == 1;
                return run_.ended || (until && until());
            },
            30000);
        platform::SetPumpHook(nullptr);
        fs::current_path(previousFolder_);
        if (CConsoleView* view = frame.ShowConsole())
            for (int i = 0; i < view->LineCount(); ++i)
                run_.console.emplace_back(view->LineText(i));
        return run_;
    }
    fs::path Folder(const std::string& name)
    {
        const fs::path path = fs::path(temp_.path()) / name;
        fs::create_directories(path);
        return path;
    }

    std::unique_ptr<shell::CDebuggerApp> app_;
    FrameRun run_;
    fs::path previousFolder_;
    SemihostOutputTap previousTap_;
};

TEST_F(FrameConsoleTest, TheExampleWritesQemusOutputIntoTheConsole)
{
    const std::string elf = ZK_EXAMPLE_ELF;
    const zk::test::QemuRun qemu = zk::test::RunOnQemu(elf);
    ASSERT_FALSE(qemu.timedOut);
    ASSERT_EQ(qemu.exitStatus, 0) << qemu.errors;
    ASSERT_THAT(qemu.console, ::testing::StartsWith("Hello from the ARM target\n"));

    platform::GTestScriptedUi ui;
    CMainFrame* frame = StartWith(ui, elf);
    ASSERT_NE(frame, nullptr);
    frame->OutputBar().SetActiveView(0);
    const FrameRun run = Go(*frame, Folder("sim"), "");
    ASSERT_TRUE(run.ended) << run.all;
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.out, qemu.console + kExitText);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.console, Lines(qemu.console + kExitText));
    EXPECT_EQ(frame->OutputBar().GetActiveView(), frame->ShowConsole());
}

TEST_F(FrameConsoleTest, ANewlibProgramTalksThroughTheConsoleAsOnQemu)
{
    const std::string typed = "Barbara";
    for (const char* name : {"frame_console_arm", "frame_console_thumb"}) {
        SCOPED_TRACE(name);
        const std::string elf = zk::test::FixturePath(name);
        const fs::path qemuFolder = Folder(std::string(name) + "_qemu");
        std::vector<std::string> argv = zk::test::QemuCommand();
        argv.insert(argv.begin(), {"env", "-C", qemuFolder.string()});
        argv.insert(argv.end(), {"-kernel", elf});
        const zk::test::ProcessResult qemu =
            zk::test::RunProcess(argv, typed + "\n", std::chrono::seconds(30), {"QEMU_AUDIO_DRV=none"});
        ASSERT_FALSE(qemu.timedOut);
        ASSERT_EQ(qemu.exitStatus, static_cast<int>(typed.size())) << qemu.err;

        platform::GTestScriptedUi ui;
        CMainFrame* frame = StartWith(ui, elf);
        ASSERT_NE(frame, nullptr);
        const fs::path simFolder = Folder(std::string(name) + "_sim");
        const FrameRun run = Go(*frame, simFolder, typed);
        ASSERT_TRUE(run.ended) << run.all;
        EXPECT_EQ(run.status, typed.size());
        EXPECT_EQ(run.out, qemu.out + kExitText);
        EXPECT_EQ(run.err, ProgramErrors(qemu.err));
        ASSERT_NE(run.allAtRead, std::string::npos) << "no read waited";
        const std::string shown = run.all.substr(0, run.allAtRead) + typed + "\n" + run.all.substr(run.allAtRead);
        EXPECT_EQ(run.console, Lines(shown));
        EXPECT_THAT(run.console, ::testing::Contains("Name: " + typed));
        EXPECT_THAT(run.console, ::testing::Contains(""));  // the blank line
        EXPECT_EQ(FilesIn(simFolder), FilesIn(qemuFolder));
        EXPECT_THAT(FilesIn(simFolder), ::testing::ElementsAre(::testing::Key("console-notes.txt")));

        frame->SendMessage(WM_CLOSE);
        EXPECT_TRUE(QTest::qWaitFor([&] { return app_->m_pMainWnd == nullptr; }, 30000));
        QApplication::processEvents();
        app_->ExitInstance();
        app_.reset();
    }
}

// After the program's end a reload (32803 with the image's project active)
// makes it run again from its start: a new exit, the new input, its host
// file written anew.
TEST_F(FrameConsoleTest, AReloadAfterTheEndRunsTheProgramAgain)
{
    const std::string elf = zk::test::FixturePath("frame_console_thumb");
    platform::GTestScriptedUi ui;
    CMainFrame* frame = StartWith(ui, elf);
    ASSERT_NE(frame, nullptr);
    const fs::path folder = Folder("sim");
    const FrameRun first = Go(*frame, folder, "Ann");
    ASSERT_TRUE(first.ended) << first.all;
    EXPECT_EQ(first.status, 3u);

    frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_CONNECT);
    EXPECT_EQ(ui.Unanswered(), 0u);
    DWORD reason = 0, status = 0;
    EXPECT_EQ(SemihostGetExit(&reason, &status), 0) << "the reload forgets the last exit";
    const FrameRun second = Go(*frame, folder, "Bo");
    ASSERT_TRUE(second.ended) << second.all;
    EXPECT_EQ(second.status, 2u);
    EXPECT_THAT(second.out, ::testing::StartsWith("Name: Hello Bo\n\nfile: Bo\n"));
    EXPECT_EQ(FilesIn(folder)["console-notes.txt"], "Bo\nsecond line\n");
}

TEST_F(FrameConsoleTest, HaltEndsTheReadAndTheTargetStaysHalted)
{
    const std::string elf = zk::test::FixturePath("frame_console_thumb");
    platform::GTestScriptedUi ui;
    // The halt stops inside newlib's read, whose source (libgloss) this host
    // does not hold: the stop shows no source and asks nothing.
    CMainFrame* frame = StartWith(ui, elf);
    ASSERT_NE(frame, nullptr);
    bool halted = false;
    const FrameRun first = Go(
        *frame, Folder("sim"), "never typed",
        [&] {
            // Inside the program's read: nothing may run or load the target.
            for (UINT id : {shell::ID_DEBUG_GO, shell::ID_DEBUG_STEP_INTO, shell::ID_DEBUG_CONNECT})
                EXPECT_FALSE(frame->QueryCommandState(id).enabled) << id;
            frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_STEP_INTO);
            frame->SendMessage(WM_CLOSE);
            EXPECT_TRUE(ConsoleInputWaits());
            frame->SendMessage(WM_COMMAND, shell::ID_DEBUG_HALT);
            halted = true;
        },
        [&] { return halted; });
    ASSERT_TRUE(halted) << first.all;
    EXPECT_FALSE(first.ended);
    EXPECT_EQ(app_->m_pMainWnd, frame) << "the close was refused";
    // The target stays halted after the call: nothing more comes.
    QTest::qWait(300);
    EXPECT_EQ(CpuGetCpuStatus1() & 1, 0u);
    DWORD reason = 0, status = 0;
    EXPECT_EQ(SemihostGetExit(&reason, &status), 0);
    EXPECT_EQ(run_.all, "Name: ");
    EXPECT_TRUE(frame->QueryCommandState(shell::ID_DEBUG_GO).enabled);

    // The read got no bytes: the program goes on at the end of its input.
    const FrameRun second = Go(*frame, Folder("sim"), "not asked");
    ASSERT_TRUE(second.ended) << second.all;
    EXPECT_EQ(second.status, 3u);
    EXPECT_EQ(second.out, std::string("no name\n") + kExitText);
    EXPECT_EQ(second.console, (std::vector<std::string>{"Name: no name", "Stop Emulation for Application Exit!"}));
}

}  // namespace
}  // namespace mainframe
