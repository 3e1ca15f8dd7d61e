// The main frame's creation with and without each optional library: menu
// items, the build-tool library's fallback and message, the title style,
// and the ".inc" file handed over on the first connection.
#include "mainframe/main_frame.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "frame_test_support.h"
#include "platform/modules.h"
#include "shell/debugger_app.h"
#include "shell/modules.h"
#include "shell/settings.h"
#include "shell/shell_ids.h"
#include "shell_test_support.h"

using namespace shell;

namespace mainframe {
namespace {

namespace fs = std::filesystem;

class MainFrameTest : public shell::test::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        platform::SetModuleFolder(temp_.path());
        shell::Modules().FreeAll();
    }
    void TearDown() override
    {
        shell::Modules().FreeAll();
        RegistryTest::TearDown();
    }
    void Provide(const std::string& name)
    {
        fs::copy_file(std::string(SHELL_STANDIN_DIR) + "/lib" + name + ".so", temp_.path() + "/lib" + name + ".so");
    }
    test::FrameFixture fixture_;
};

TEST_F(MainFrameTest, OpensWithEveryLibraryAndWithoutAnyBuildToolLibrary)
{
    struct Case {
        std::vector<std::string> libs;
        bool compare, record, corvane;
        std::string message;
    };
    const Case cases[] = {
        {{"Sorvel", "hook", "Corvane", "fendrix"}, true, true, true, ""},
        {{"fendrix"}, false, false, false, ""},
        {{"Sorvel", "hook", "Corvane"},
         true,
         true,
         true,
         "Build-tool library fendrix not found: builds through it are not available"},
    };
    for (const Case& c : cases) {
        shell::Modules().FreeAll();
        for (const auto& f : fs::directory_iterator(temp_.path()))
            if (f.path().extension() == ".so")
                fs::remove(f.path());
        for (const auto& lib : c.libs)
            Provide(lib);
        theSettings.ToolChain = "fendrix";
        auto* frame = new CMainFrame;
        ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME)) << c.libs.size();
        EXPECT_EQ(frame->Style() & FWS_ADDTOTITLE, 0u);
        std::shared_ptr<CMenu> menu = frame->GetDefaultMenu();
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->FindCommand(ID_EDIT_COMPARE) != nullptr, c.compare);
        EXPECT_EQ(menu->FindCommand(ID_TOOLS_ACTION_RECORD) != nullptr, c.record);
        EXPECT_EQ(menu->FindCommand(ID_TOOLS_CORVANE) != nullptr, c.corvane);
        EXPECT_EQ(frame->StartMessage(), c.message);
        EXPECT_EQ(frame->GetControlBar(1), &frame->EditToolBar());
        EXPECT_NE(frame->GetControlBar(frame->StatusBar().GetDlgCtrlID()), nullptr);
        EXPECT_EQ(theSettings.ToolChain, "fendrix");
        frame->DestroyWindow();
    }
}

// The debugger core's commands that have no toolbar button are reached
// through the Debug menu: loading another program, the step modes, the
// watchpoint dialog and the memory tools.
TEST_F(MainFrameTest, TheDebugMenuReachesTheCoresOtherCommands)
{
    auto* frame = new CMainFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME));
    std::shared_ptr<CMenu> menu = frame->GetDefaultMenu();
    ASSERT_TRUE(menu);
    for (const UINT id : {shell::ID_DEBUG_LOAD_FILE, shell::ID_DEBUG_STEP_OVER_CONT, shell::ID_DEBUG_GO_TILL_CALL,
                          shell::ID_DEBUG_GO_INTO_CALL, shell::ID_DEBUG_GO_TILL_RETURN, shell::ID_DEBUG_GO_OVER_RETURN,
                          shell::ID_DEBUG_WATCHPOINT, shell::ID_DEBUG_MEMORY_ACTIONS})
        EXPECT_NE(menu->FindCommand(id), nullptr) << id;
    frame->DestroyWindow();
}

// The items the optional libraries add are enabled and call the library's
// window entry point with the frame's window.
TEST_F(MainFrameTest, CompareAndActionRecordCallTheirLibrariesWithTheFrame)
{
    Provide("Sorvel");
    Provide("hook");
    auto* frame = new CMainFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME));
    struct Case {
        UINT id;
        HMODULE module;
    };
    for (const Case c :
         {Case{ID_EDIT_COMPARE, shell::Modules().sorvel}, Case{ID_TOOLS_ACTION_RECORD, shell::Modules().hook}}) {
        ASSERT_NE(c.module, nullptr) << c.id;
        auto* calls = reinterpret_cast<int*>(GetProcAddress(c.module, "zk_standin_calls"));
        auto* window = reinterpret_cast<HWND*>(GetProcAddress(c.module, "zk_standin_window"));
        ASSERT_TRUE(calls && window);
        EXPECT_TRUE(frame->QueryCommandState(c.id).enabled) << c.id;
        const int before = *calls;
        frame->SendMessage(WM_COMMAND, c.id);
        EXPECT_EQ(*calls, before + 1) << c.id;
        EXPECT_EQ(*window, frame->m_hWnd) << c.id;
    }
    frame->DestroyWindow();
}

// Option > Build Tools: the table's row is enabled and checked while its
// library is the tool chain; choosing it from another tool chain binds it.
TEST_F(MainFrameTest, TheBuildToolItemChoosesItsLibrary)
{
    Provide("mybuild");
    Provide("fendrix");
    theSettings.ToolChain = "mybuild";
    auto* frame = new CMainFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME));
    ASSERT_NE(frame->GetDefaultMenu()->FindCommand(ID_BUILD_TOOL_FIRST), nullptr);
    CCmdUI before = frame->QueryCommandState(ID_BUILD_TOOL_FIRST);
    EXPECT_TRUE(before.enabled);
    EXPECT_EQ(before.checked, 0);
    const HMODULE mybuild = shell::Modules().buildTool.module;
    frame->SendMessage(WM_COMMAND, ID_BUILD_TOOL_FIRST);
    EXPECT_EQ(theSettings.ToolChain, "fendrix");
    EXPECT_NE(shell::Modules().buildTool.module, mybuild);
    EXPECT_NE(shell::Modules().buildTool.build, nullptr);
    EXPECT_EQ(frame->QueryCommandState(ID_BUILD_TOOL_FIRST).checked, 1);
    frame->DestroyWindow();
}

TEST_F(MainFrameTest, FirstConnectionHandsTheKeptIncludeFileOnce)
{
    shell::CDebuggerApp app;
    const char* args[] = {"quelm", "regs.inc", "/D"};
    app.m_toolPath = temp_.path();
    app.SetCommandLine(3, args);
    std::vector<std::string> handed;
    CMainFrame* made = nullptr;
    app.SetFrameMaker([&](shell::CDebuggerApp&) -> CWnd* {
        made = new CMainFrame;
        if (!made->LoadFrame(IDR_MAINFRAME))
            return nullptr;
        made->SetIncludeHandler([&](const std::string& f) { handed.push_back(f); });
        return made;
    });
    ASSERT_TRUE(app.InitInstance());
    ASSERT_NE(made, nullptr);
    made->OnConnected();
    made->OnConnected();
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_NE(handed[0].find("regs.inc"), std::string::npos);
    EXPECT_TRUE(made->m_bConnected);
    made->SendMessage(WM_CLOSE);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    app.ExitInstance();
}

}  // namespace
}  // namespace mainframe
