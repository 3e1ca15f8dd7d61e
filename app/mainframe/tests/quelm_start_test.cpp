// quelm's start in the process, offscreen: the application object opens the
// main frame in its lathris widget, the loop runs, WM_CLOSE closes it, and
// exit leaves the registry values behind. Each optional library is tried
// present and missing; a "/S" start leaves the registry file as it was.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "lathris/qt/widgets.h"
#include "mainframe/qt/frame_window.h"
#include "platform/modules.h"
#include "platform/scripted_ui.h"
#include "shell/debugger_app.h"
#include "shell/modules.h"
#include "shell/qt/status_bar_widget.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "shell_test_support.h"

namespace mainframe {
namespace {

namespace fs = std::filesystem;
using shell::test::kConfigKey;
using shell::test::kSettingsKey;

const char* const kAllLibraries[] = {"Sorvel", "hook", "Corvane", "Halvek", "Mirobel", "fendrix"};

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class QuelmStartTest : public shell::test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        modules_ = temp_.path() + "/modules";
        fs::create_directory(modules_);
        platform::SetModuleFolder(modules_);
        shell::Modules().FreeAll();
    }
    void TearDown() override
    {
        shell::Modules().FreeAll();
        RegistryTest::TearDown();
    }
    void Provide(const std::vector<std::string>& libs)
    {
        for (const auto& f : fs::directory_iterator(modules_))
            fs::remove(f.path());
        for (const auto& name : libs)
            fs::copy_file(std::string(SHELL_STANDIN_DIR) + "/lib" + name + ".so", modules_ + "/lib" + name + ".so");
        // The simulator library, for the connection start-up makes.
        fs::copy_file(std::string(ZK_BIN_DIR) + "/libDorvel.so", modules_ + "/libDorvel.so");
    }
    // Starts with `args`, lets the loop run, closes the frame with WM_CLOSE
    // and exits; what InitInstance answered. The message boxes of the
    // connection's failure are answered.
    bool RunOnce(std::vector<const char*> args, std::string* statusText = nullptr, bool* connected = nullptr)
    {
        platform::ScriptedUi ui;
        ui.AnswerMessageBox(IDOK, "Cann't connect with hardware!");
        platform::ModalUiScope scope(ui);
        args.insert(args.begin(), "quelm");
        shell::CDebuggerApp app;
        app.m_toolPath = temp_.path();
        app.SetCommandLine(static_cast<int>(args.size()), args.data());
        app.SetFrameMaker(qt::MakeMainFrameWindow);
        bool started = app.InitInstance();
        if (started) {
            auto* frame = dynamic_cast<CMainFrame*>(app.m_pMainWnd);
            EXPECT_NE(frame, nullptr);
            if (statusText && frame)
                *statusText = frame->StatusBar().GetPaneText(0);
            QApplication::processEvents();
            if (connected && frame)
                *connected = frame->m_bConnected;
            QWidget* window = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "mainframe")
                    window = w;
            EXPECT_NE(window, nullptr);
            if (window) {
                EXPECT_TRUE(window->isVisible());
                EXPECT_NE(window->findChild<QToolBar*>("bar_1"), nullptr) << "the Edit toolbar";
                EXPECT_NE(window->findChild<QComboBox*>(QString("combo_%1").arg(ID_FIND_BOX)), nullptr);
                EXPECT_NE(window->findChild<shell::qt::StatusBarWidget*>(), nullptr) << "the tinted status bar";
                EXPECT_EQ(window->findChild<QLabel*>("pane_0"), nullptr) << "no generic pane labels";
            }
            if (frame)
                frame->PostMessage(WM_CLOSE);
            EXPECT_TRUE(QTest::qWaitFor([&] { return app.m_pMainWnd == nullptr; }, 30000));
            QApplication::processEvents();
        }
        app.ExitInstance();
        return started;
    }
    std::string modules_;
};

TEST_F(QuelmStartTest, StartsAndClosesWithAndWithoutEachOptionalLibrary)
{
    const std::string missingText = "Build-tool library fendrix not found: builds through it are not available";
    std::vector<std::vector<std::string>> sets = {{kAllLibraries, std::end(kAllLibraries)}, {}};
    for (const char* left : kAllLibraries) {
        std::vector<std::string> libs;
        for (const char* l : kAllLibraries)
            if (std::string(l) != left)
                libs.push_back(l);
        sets.push_back(libs);
    }
    for (const auto& libs : sets) {
        Provide(libs);
        shell::Modules().FreeAll();
        bool buildTool = std::find(libs.begin(), libs.end(), "fendrix") != libs.end();
        std::string status;
        bool connected = false;
        ASSERT_TRUE(RunOnce({"/D"}, &status, &connected)) << libs.size();
        EXPECT_EQ(status == missingText, !buildTool) << status;
        EXPECT_TRUE(connected) << "simulation connects at start-up";
        EXPECT_EQ(shell::Modules().sorvel != nullptr, std::find(libs.begin(), libs.end(), "Sorvel") != libs.end());
        // Exit wrote the settings and the lists.
        EXPECT_EQ(Reg().GetString(kConfigKey, "toolchain"), "fendrix");
        EXPECT_TRUE(Reg().GetValue(kSettingsKey, "INCLUDE"));
    }
}

TEST_F(QuelmStartTest, CommandLinesClosedByTheFrame)
{
    Provide({kAllLibraries, std::end(kAllLibraries)});
    struct Row {
        std::vector<const char*> args;
        bool started;
        bool connected;  // simulation only with "/D" first; the default protocol reaches no hardware here
    } rows[] = {
        {{"/S"}, false, false}, {{"/s"}, false, false},       {{"/B"}, true, false},
        {{"/D"}, true, true},   {{"a.c", "/D"}, true, false}, {{"readme"}, true, false},
    };
    for (const Row& r : rows) {
        std::string line;
        for (const char* a : r.args)
            line += std::string(a) + " ";
        std::string file = temp_.path() + "/registry";
        std::string before = FileBytes(file);
        bool connected = false;
        EXPECT_EQ(RunOnce(r.args, nullptr, &connected), r.started) << line;
        EXPECT_EQ(connected, r.connected) << line;
        if (!r.started) {
            EXPECT_EQ(FileBytes(file), before) << line << "a target-configuration start writes nothing";
        } else {
            EXPECT_TRUE(Reg().GetValue(kSettingsKey, "INCLUDE")) << line;
        }
    }
}

}  // namespace
}  // namespace mainframe
