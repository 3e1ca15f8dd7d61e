// The application's macro files with a stand-in script server (made, like
// the real one, by the run-time class name "CScriptServer"): loading at
// start-up, "quelm x.mac" running AutoDebug, the names of every file kept,
// a file that cannot be read, closing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "morwen/morwen.h"
#include "platform/frame_wnd.h"
#include "platform/scripted_ui_gtest.h"
#include "shell/debugger_app.h"
#include "shell/macro_dialog.h"
#include "shell/path_functions.h"
#include "shell/reg_key.h"
#include "shell/script_host.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "shell_test_support.h"

namespace standin {

std::vector<std::string> g_calls;

// What the application asks of the script server, recorded.
class CScriptServer : public CCmdTarget, public shell::CScriptHost {
    DECLARE_DYNCREATE(CScriptServer)
public:
    CScriptServer() { EnableAutomation(); }
    BOOL LoadScriptText(const std::string& text) override
    {
        g_calls.push_back("load:" + text);
        return TRUE;
    }
    HRESULT StopScript() override
    {
        g_calls.push_back("stop");
        return S_OK;
    }
    void ExecuteScript(const std::string& text) override { g_calls.push_back("execute:" + text); }
    BOOL IsScriptIdle() override { return TRUE; }
    BOOL CloseScriptEngine() override
    {
        g_calls.push_back("close");
        return TRUE;
    }
};

IMPLEMENT_DYNCREATE(CScriptServer, CCmdTarget)

}  // namespace standin

namespace shell {
namespace {

using standin::g_calls;
using test::kSettingsKey;

class MacroAppTest : public test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        g_calls.clear();
        theSettings.Simulate = 0;
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = temp_.path() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    void StoreList(const CStringArray& files, int loadOnStart)
    {
        RegKey key;
        ASSERT_TRUE(key.CreateKey(kSettingsKey));
        key.Write("MACRO", files);
        key.Write("LoadMacroOnStart", loadOnStart);
    }
    std::unique_ptr<CDebuggerApp> Start(std::vector<const char*> args)
    {
        args.insert(args.begin(), "quelm");
        auto app = std::make_unique<CDebuggerApp>();
        app->m_toolPath = temp_.path();
        app->SetCommandLine(static_cast<int>(args.size()), args.data());
        app->SetFrameMaker([this](CDebuggerApp&) {
            frame_ = std::make_unique<platform::CFrameWnd>();
            frame_->Create(nullptr);
            return frame_.get();
        });
        EXPECT_TRUE(app->InitInstance());
        return app;
    }
    void Exit(CDebuggerApp& app)
    {
        app.ExitInstance();
        frame_.reset();
    }
    std::unique_ptr<platform::CFrameWnd> frame_;
    platform::GTestScriptedUi ui;
};

TEST_F(MacroAppTest, AMacroFileOnTheCommandLineIsLoadedAndItsAutoDebugRunInsteadOfTheList)
{
    const std::string a = Write("a.mac", "Sub A()\nEnd Sub");
    Write("demo.mac", "Sub AutoDebug()\nEnd Sub\n");
    StoreList({a}, 1);
    // As a user types it, in the file's folder ("/..." would be a switch).
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp_.path());
    auto app = Start({"demo.mac"});
    std::filesystem::current_path(previous);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"load:Sub AutoDebug()\nEnd Sub\n", "execute:AutoDebug"}));
    // Kept as a full path: the close writes the list back for the next start.
    ASSERT_EQ(app->m_lists.macroFiles.size(), 1u);
    EXPECT_TRUE(IsFullPath(app->m_lists.macroFiles[0])) << app->m_lists.macroFiles[0];
    EXPECT_TRUE(std::filesystem::equivalent(app->m_lists.macroFiles[0], temp_.path() + "/demo.mac"));
    EXPECT_EQ(app->m_macroProcedures, (std::vector<std::string>{"AutoDebug()"}));
    Exit(*app);
    EXPECT_EQ(g_calls.back(), "close");
}

TEST_F(MacroAppTest, TheListIsLoadedAtStartOnlyWithTheFlagAndKeepsTheNamesOfEveryFile)
{
    const std::string a = Write("a.mac", "Sub A()\nEnd Sub");  // no line end at the end
    const std::string b = Write("b.mac", "Sub B()\nEnd Sub\n");
    StoreList({a, b}, 0);
    auto kept = Start({});
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(kept->m_lists.macroFiles, (CStringArray{a, b}));
    Exit(*kept);

    g_calls.clear();
    StoreList({a, b}, 1);
    auto app = Start({});
    EXPECT_EQ(g_calls, (std::vector<std::string>{"load:Sub A()\nEnd Sub\nSub B()\nEnd Sub\n"}));
    EXPECT_EQ(app->m_macroProcedures, (std::vector<std::string>{"A()", "B()"}));

    // Nothing to load; an unreadable file loads nothing and says so.
    app->m_lists.macroFiles = {Write("empty.mac", "")};
    EXPECT_EQ(app->LoadMacros(), 1);
    g_calls.clear();
    app->m_lists.macroFiles = {b, temp_.path() + "/missing.mac"};
    ZkString text;
    ErrGetText(ERR_MACRO_FILE_READ, &text);
    ui.AnswerMessageBox(IDOK, text);
    EXPECT_EQ(app->LoadMacros(), 0);
    EXPECT_TRUE(g_calls.empty());

    app->RunScript("B");
    app->CloseMacros();
    EXPECT_EQ(g_calls, (std::vector<std::string>{"execute:B", "stop"}));
    EXPECT_TRUE(app->m_lists.macroFiles.empty());
    Exit(*app);
}

TEST_F(MacroAppTest, Command32880OpensTheMacroDialogWhoseRunRunsTheProcedure)
{
    const std::string a = Write("board.mac", "Sub Reset()\nEnd Sub\nSub Dump()\nEnd Sub\n");
    StoreList({a}, 1);
    auto app = Start({});
    g_calls.clear();
    ui.RunDialog([](platform::ScriptedDialog& d) {
        ASSERT_EQ(d.items.GetCount(IDC_MACRO_NAME), 2);
        d.set(IDC_MACRO_NAME, "Dump");
        d.click(IDC_MACRO_RUN);
        d.click(IDC_MACRO_CLOSE);
    });
    // Routed as the main frame routes it: to the application last.
    EXPECT_TRUE(app->OnCmdMsg(ID_EDIT_MACRO, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"execute:Dump"}));
    Exit(*app);
}

TEST_F(MacroAppTest, MacroSettingsAreWrittenUnderSettings)
{
    auto app = Start({});
    app->m_lists.macroFiles = {"/m/x.mac"};
    app->m_lists.loadMacroOnStart = 1;
    app->SaveMacroSettings(app->m_registryPath);
    RegKey key;
    ASSERT_TRUE(key.Open(kSettingsKey));
    CStringArray files;
    EXPECT_TRUE(key.Read("MACRO", files));
    EXPECT_EQ(files, CStringArray{"/m/x.mac"});
    key.Close();
    EXPECT_EQ(Reg().GetDword(kSettingsKey, "LoadMacroOnStart"), 1u);
    Exit(*app);
}

}  // namespace
}  // namespace shell
