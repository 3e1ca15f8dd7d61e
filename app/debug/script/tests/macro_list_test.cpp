// The macro list the user keeps, run by the real script server in the
// application: the stored list is loaded at start, command 32880's dialog
// lists the procedures of every file and its Run runs the one chosen, whose
// effect the script's own variables show; the close stops the engine.
#include <gtest/gtest.h>

#include <fstream>

#include "core_fixture.h"
#include "platform/frame_wnd.h"
#include "script_globals.h"
#include "scriptsrv/script_server.h"
#include "shell/debugger_app.h"
#include "shell/macro_dialog.h"
#include "shell/reg_key.h"
#include "shell_test_support.h"

namespace scriptsrv {
namespace {

class MacroListTest : public appdebug::test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        platform::Registry::Global().SetFile(temp_.path() + "/registry");
        appdebug::SetCurrentDebugCore(core.get());
    }
    void TearDown() override
    {
        platform::Registry::Global().SetFile(temp_.path() + "/unused");
        CoreTest::TearDown();
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = temp_.path() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    shell::test::TempFolder temp_;
};

TEST_F(MacroListTest, TheStoredListsProceduresRunFromTheMacroDialog)
{
    const std::string board = Write("board.mac",
                                    "Dim resets, dumps\n"
                                    "Sub Reset()\n    resets = resets + 1\nEnd Sub\n"
                                    "Sub Dump()\n    dumps = dumps + 10\nEnd Sub\n");
    const std::string extra = Write("extra.mac", "Sub Twice()\n    Dump\n    Dump\nEnd Sub\n");
    {
        shell::RegKey key;
        ASSERT_TRUE(key.CreateKey(shell::test::kSettingsKey));
        key.Write("MACRO", shell::CStringArray{board, extra});
        key.Write("LoadMacroOnStart", 1);
    }
    const char* args[] = {"quelm"};
    shell::CDebuggerApp app;
    app.m_toolPath = temp_.path();
    app.SetCommandLine(1, args);
    std::unique_ptr<platform::CFrameWnd> window;
    app.SetFrameMaker([&](shell::CDebuggerApp&) {
        window = std::make_unique<platform::CFrameWnd>();
        window->Create(nullptr);
        return window.get();
    });
    ASSERT_TRUE(app.InitInstance());
    auto* server = dynamic_cast<CScriptServer*>(app.ScriptServer());
    ASSERT_NE(server, nullptr) << "the application made no script server of this library";
    EXPECT_EQ(app.m_macroProcedures, (std::vector<std::string>{"Reset()", "Dump()", "Twice()"}));

    // Each file's procedures under its title: Twice, from the second file,
    // calls the first file's Dump; then the first file's Reset.
    const struct {
        int file;
        const char* name;
        std::vector<std::string> listed;
    } runs[] = {{1, "Twice", {"Twice()"}}, {0, "Reset", {"Reset()", "Dump()"}}};
    for (const auto& run : runs) {
        ui.RunDialog([&run](platform::ScriptedDialog& d) {
            ASSERT_EQ(d.items.GetCount(shell::IDC_MACRO_FILE), 2);
            d.select(shell::IDC_MACRO_FILE, run.file);
            std::vector<std::string> listed;
            for (int i = 0; i < d.items.GetCount(shell::IDC_MACRO_NAME); ++i)
                listed.push_back(d.items.GetItemText(shell::IDC_MACRO_NAME, i));
            EXPECT_EQ(listed, run.listed);
            d.set(shell::IDC_MACRO_NAME, run.name);
            d.click(shell::IDC_MACRO_RUN);
            d.click(shell::IDC_MACRO_CLOSE);
        });
        ASSERT_TRUE(app.OnCmdMsg(shell::ID_EDIT_MACRO, CN_COMMAND, nullptr, nullptr));
    }
    VARIANT dumps = test::ScriptGlobal(server->Engine(), "dumps");
    VARIANT resets = test::ScriptGlobal(server->Engine(), "resets");
    ASSERT_EQ(VariantChangeType(&dumps, &dumps, 0, VT_I4), S_OK);
    ASSERT_EQ(VariantChangeType(&resets, &resets, 0, VT_I4), S_OK);
    EXPECT_EQ(dumps.lVal, 20);
    EXPECT_EQ(resets.lVal, 1);

    app.ExitInstance();
    EXPECT_FALSE(server->EngineRunning());
    window.reset();
}

}  // namespace
}  // namespace scriptsrv
