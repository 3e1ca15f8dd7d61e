// Start-up and shut-down of the application object with a table of command
// lines, a stand-in frame and the registry values left behind.
#include "shell/debugger_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/frame_wnd.h"
#include "platform/ole.h"
#include "platform/scripted_ui_gtest.h"
#include "shell/reg_key.h"
#include "shell/settings.h"
#include "shell_test_support.h"

using namespace shell;
using shell::test::kConfigKey;
using shell::test::kSettingsKey;

namespace {

class DebuggerAppTest : public shell::test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        theSettings.Simulate = 0;
    }
    // Starts an application with `args`; the frame is a plain frame window.
    std::unique_ptr<CDebuggerApp> Start(std::vector<const char*> args, bool withFrame = true)
    {
        args.insert(args.begin(), "quelm");
        auto app = std::make_unique<CDebuggerApp>();
        app->m_toolPath = temp_.path();  // no tool chain unless a test asks
        app->SetCommandLine(static_cast<int>(args.size()), args.data());
        if (withFrame)
            app->SetFrameMaker([this](CDebuggerApp&) {
                frame_ = std::make_unique<platform::CFrameWnd>();
                frame_->Create(nullptr);
                return frame_.get();
            });
        app->SetSplashStarter([this](const SplashTexts& t) { splashTitle_ = t.title; });
        started_ = app->InitInstance();
        return app;
    }
    bool Did(const CDebuggerApp& app, const std::string& step)
    {
        return std::find(app.Steps().begin(), app.Steps().end(), step) != app.Steps().end();
    }
    std::unique_ptr<platform::CFrameWnd> frame_;
    std::string splashTitle_;
    BOOL started_ = FALSE;
};

TEST_F(DebuggerAppTest, CommandLines)
{
    Reg().SetDword(kConfigKey, "Simulate", 1);  // ignored: replaced at start
    struct Row {
        std::vector<const char*> args;
        bool started, noPrompt, simulate, splash;
        const char* fileStep;
    } rows[] = {
        {{}, true, false, false, false, nullptr},
        {{"/D"}, true, false, true, false, nullptr},
        {{"/d"}, true, false, true, false, nullptr},
        {{"/B"}, true, true, false, false, nullptr},
        {{"/b"}, true, true, false, false, nullptr},
        // Only a switch in the first two characters counts.
        {{"a.c", "/D"}, true, true, false, false, "source not opened"},
        {{"readme"}, true, true, false, false, "file without extension"},
        {{"prj/demo.mpj"}, true, true, false, false, "open project"},
        {{"setup.inc"}, true, true, false, false, "include file kept"},
        // An absolute path is a file, whatever its first letter.
        {{"/srv/p/a.c"}, true, true, false, false, "source not opened"},
        {{"/data/demo.mpj"}, true, true, false, false, "open project"},
        {{"/D", "/boot/setup.inc"}, true, true, true, false, "include file kept"},
        {{"/Embedding"}, true, true, false, true, nullptr},
        {{"/Automation"}, true, true, false, true, nullptr},
    };
    for (const Row& r : rows) {
        std::string line;
        for (const char* a : r.args)
            line += std::string(a) + " ";
        splashTitle_.clear();
        auto app = Start(r.args);
        EXPECT_EQ(started_ != 0, r.started) << line;
        EXPECT_EQ(app->m_noPrompt != 0, r.noPrompt) << line;
        EXPECT_EQ(app->m_simulate != 0, r.simulate) << line;
        EXPECT_EQ(theSettings.Simulate, r.simulate ? 1 : 0) << line;
        EXPECT_EQ(!splashTitle_.empty(), r.splash) << line;
        // A program run for automation ends with its last client.
        EXPECT_EQ(AfxOleGetUserCtrl() == FALSE, r.splash) << line;
        AfxOleSetUserCtrl(TRUE);
        if (r.splash) {
            EXPECT_EQ(splashTitle_, "Zelkor");
        }
        if (r.fileStep) {
            EXPECT_TRUE(Did(*app, r.fileStep)) << line;
        }
        EXPECT_TRUE(Did(*app, "connect posted")) << line;
        app->ExitInstance();
        frame_.reset();
    }
}

// A project of an image, in memory: its image path against the project's
// folder, the same project again for the same path in any case.
TEST(DebuggerAppProject, NewProjectKeepsThePathAndTheImage)
{
    CDebuggerApp app;
    EXPECT_EQ(app.NewProject("/w/p.mpj", nullptr), nullptr) << "no settings to ask for";
    EXPECT_EQ(app.GetProjectImagePath(), "");
    struct Row {
        const char* project;
        const char* output;
        const char* image;
    } rows[] = {
        {"/w/p.mpj", "out/p.elf", "/w/out/p.elf"},
        {"/w/q.mpj", "/images/q.elf", "/images/q.elf"},
        {"C:\\w\\r.mpj", "r.elf", "C:\\w\\r.elf"},
    };
    for (const Row& r : rows) {
        CDebuggerApp::Project* project = app.NewProject(r.project, r.output);
        ASSERT_NE(project, nullptr) << r.project;
        EXPECT_EQ(app.ActiveProject(), project);
        EXPECT_EQ(app.GetProjectImagePath(), r.image);
    }
    CDebuggerApp::Project* active = app.ActiveProject();
    EXPECT_EQ(app.NewProject("c:\\W\\R.MPJ", "other.elf"), active);
    EXPECT_EQ(active->outputName, "r.elf");
}

TEST_F(DebuggerAppTest, StepsRunInOrder)
{
    auto app = Start({"setup.inc"});
    ASSERT_TRUE(started_);
    std::vector<std::string> expected = {"parse",      "profile", "templates",      "directory lists",   "settings",
                                         "main frame", "shown",   "connect posted", "include file kept", "ready"};
    EXPECT_EQ(app->Steps(), expected);
    EXPECT_EQ(app->m_registryPath, "Software\\Zelkor\\Zelkor for Arm");
    EXPECT_EQ(app->m_pMainWnd, frame_.get());
    EXPECT_TRUE(app->m_templatesMade.empty());  // no document classes yet
    EXPECT_EQ(app->m_scriptServer, nullptr);
    EXPECT_EQ(app->TakePendingInclude(), "setup.inc");
    EXPECT_EQ(app->TakePendingInclude(), "");
    EXPECT_EQ(app->OpenProject("x.mpj", nullptr, nullptr, 0), 32823);
    // The connect command waits in the queue for the loop.
    MSG msg{};
    ASSERT_TRUE(PeekMessage(&msg, frame_->m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 32803u);
    app->ExitInstance();
}

TEST_F(DebuggerAppTest, SimulatorProtocolSetsSimulate)
{
    Reg().SetString(kConfigKey, "Protocol", "SIMULATOR");
    auto app = Start({});
    EXPECT_TRUE(app->m_simulate);
    EXPECT_EQ(theSettings.Simulate, 1);
    app->ExitInstance();
}

TEST_F(DebuggerAppTest, WithoutAFrameStartUpEndsAfterTheSettings)
{
    auto app = Start({}, false);
    EXPECT_FALSE(started_);
    EXPECT_EQ(app->Steps().back(), "no main frame");
    EXPECT_TRUE(Did(*app, "settings"));
}

TEST_F(DebuggerAppTest, ExitWritesTheListsAndTheSettingsAndKeepsTheMacroList)
{
    {
        RegKey key;
        ASSERT_TRUE(key.CreateKey(kSettingsKey));
        key.Write("INCLUDE", CStringArray{"/inc"});
        key.Write("MACRO", CStringArray{"one.mac", "two.mac"});
        key.Write("LoadMacroOnStart", 0);
    }
    auto app = Start({});
    ASSERT_TRUE(started_);
    EXPECT_EQ(app->m_lists.macroFiles, (CStringArray{"one.mac", "two.mac"}));
    app->m_lists.src = {"/src"};
    theSettings.MaxUndoLen = 77;
    app->ExitInstance();
    frame_.reset();

    RegKey key;
    ASSERT_TRUE(key.Open(kSettingsKey));
    CStringArray include, src, lib{"unread"};
    EXPECT_TRUE(key.Read("INCLUDE", include));
    EXPECT_EQ(include, CStringArray{"/inc"});
    EXPECT_TRUE(key.Read("SRC", src));
    EXPECT_EQ(src, CStringArray{"/src"});
    EXPECT_TRUE(key.Read("LIB", lib));  // written as "Lib", empty
    EXPECT_TRUE(lib.empty());
    key.Close();
    EXPECT_EQ(Reg().GetDword(kConfigKey, "MaxUndoLen"), 77u);
    EXPECT_FALSE(Reg().GetValue(kConfigKey, "Simulate"));
}

TEST_F(DebuggerAppTest, ToolChainDefaultsOnlyIntoEmptyLists)
{
    const char* path = std::getenv("PATH");
    auto app = std::make_unique<CDebuggerApp>();
    const char* argv[] = {"quelm"};
    app->SetCommandLine(1, argv);
    app->m_toolPath = path ? path : "";
    app->InitInstance();
    EXPECT_FALSE(app->m_lists.bin.empty());
    EXPECT_FALSE(app->m_lists.include.empty());
    EXPECT_EQ(app->m_lists.lib.size(), 2u);

    // With INCLUDE stored nothing is added, even with LIB and BIN empty.
    RegKey key;
    ASSERT_TRUE(key.CreateKey(kSettingsKey));
    key.Write("INCLUDE", CStringArray{"/mine"});
    key.Close();
    auto again = std::make_unique<CDebuggerApp>();
    again->SetCommandLine(1, argv);
    again->m_toolPath = path ? path : "";
    again->InitInstance();
    EXPECT_EQ(again->m_lists.include, CStringArray{"/mine"});
    EXPECT_TRUE(again->m_lists.bin.empty());
    EXPECT_TRUE(again->m_lists.lib.empty());
}

TEST_F(DebuggerAppTest, ConfigurationOnlyStartWritesNothing)
{
    {
        RegKey key;
        ASSERT_TRUE(key.CreateKey(kConfigKey));
        key.Write("Protocol", std::string("Pelliton"));
    }
    ASSERT_TRUE(Reg().Flush());
    const std::string file = Reg().File();
    auto read = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = read();
    ASSERT_FALSE(before.empty());
    for (const char* sw : {"/S", "/s"}) {
        auto app = Start({sw});
        EXPECT_FALSE(started_);
        EXPECT_TRUE(Did(*app, "no target configuration"));  // its class is not there yet
        EXPECT_EQ(app->m_pMainWnd, nullptr);
        app->ExitInstance();
        Reg().Flush();
        EXPECT_EQ(read(), before) << sw;
    }
}

}  // namespace
