// Binding the optional libraries by name, with and without each one.
#include "shell/modules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/modules.h"
#include "platform/resources.h"
#include "shell/shell_ids.h"
#include "shell_test_support.h"

using namespace shell;
namespace fs = std::filesystem;

namespace {

class ModulesTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetModuleFolder(temp_.path()); }
    void TearDown() override
    {
        Modules().FreeAll();
        platform::SetModuleFolder("");
    }
    // Puts the stand-in lib<name>.so into the module folder.
    void Provide(const std::string& name) { ProvideIn(temp_, name); }
    static void ProvideIn(const shell::test::TempFolder& folder, const std::string& name)
    {
        fs::copy_file(std::string(SHELL_STANDIN_DIR) + "/lib" + name + ".so", folder.path() + "/lib" + name + ".so");
    }
    shell::test::TempFolder temp_;
};

TEST_F(ModulesTest, MissingModulesStayNull)
{
    ShellModules& m = Modules();
    m.LoadSorvel();
    m.LoadHook(true);
    m.LoadCorvane();
    m.LoadHalvek();
    m.LoadMirobel();
    EXPECT_EQ(m.sorvel, nullptr);
    EXPECT_EQ(m.hook, nullptr);
    EXPECT_EQ(m.corvane, nullptr);
    EXPECT_EQ(m.halvek.module, nullptr);
    EXPECT_EQ(m.halvek.periInit, nullptr);
    EXPECT_EQ(m.mirobel, nullptr);
    EXPECT_EQ(m.doFlashProgramming, nullptr);
    EXPECT_EQ(m.SorvelMain(), nullptr);
    EXPECT_EQ(m.HookOpen(), nullptr);
}

TEST_F(ModulesTest, PresentModulesAreBoundByName)
{
    for (const char* name : {"Sorvel", "hook", "Corvane", "Halvek", "Mirobel"})
        Provide(name);
    ShellModules& m = Modules();
    m.LoadSorvel();
    m.LoadHook(false);  // no "&Tools" menu: hook.dll is not loaded at all
    EXPECT_EQ(m.hook, nullptr);
    m.LoadHook(true);
    m.LoadCorvane();
    m.LoadHalvek();
    m.LoadMirobel();
    ASSERT_NE(m.sorvel, nullptr);
    ASSERT_NE(m.hook, nullptr);
    EXPECT_NE(m.corvane, nullptr);
    EXPECT_NE(m.halvek.periInit, nullptr);
    EXPECT_NE(m.halvek.periOpenWindow, nullptr);
    EXPECT_NE(m.halvek.periRefreshWindow, nullptr);
    EXPECT_NE(m.doFlashProgramming, nullptr);
    ASSERT_NE(m.SorvelMain(), nullptr);
    EXPECT_EQ(m.SorvelMain()(nullptr), 1);
    EXPECT_EQ(m.HookOpen()(nullptr), 1);
    // Loaded once: a second load keeps the handle.
    HMODULE sorvel = m.sorvel;
    m.LoadSorvel();
    EXPECT_EQ(m.sorvel, sorvel);
}

TEST_F(ModulesTest, AFileThatIsNoLibraryCountsAsMissing)
{
    std::ofstream(temp_.path() + "/libSorvel.so") << "not an ELF file";
    std::ofstream(temp_.path() + "/libfendrix.so") << "";
    Modules().LoadSorvel();
    EXPECT_EQ(Modules().sorvel, nullptr);
    std::string toolChain = "fendrix", message;
    EXPECT_FALSE(BindBuildToolLibrary(toolChain, Modules().buildTool, message));
}

TEST_F(ModulesTest, BuildToolLibraryFallsBackAndReportsWhenNoneLoads)
{
    struct Row {
        std::vector<std::string> present;
        std::string setting, settingAfter;
        bool bound;
    } rows[] = {
        {{"mybuild", "fendrix"}, "mybuild", "mybuild", true},
        {{"fendrix"}, "mybuild", "fendrix", true},
        {{"fendrix"}, "fendrix", "fendrix", true},
        {{}, "mybuild", "mybuild", false},
        {{}, "fendrix", "fendrix", false},
    };
    for (const Row& r : rows) {
        shell::test::TempFolder folder;
        platform::SetModuleFolder(folder.path());
        for (const auto& name : r.present)
            ProvideIn(folder, name);
        BuildToolLibrary lib;
        std::string toolChain = r.setting, message;
        EXPECT_EQ(BindBuildToolLibrary(toolChain, lib, message), r.bound) << r.setting;
        EXPECT_EQ(toolChain, r.settingAfter);
        if (r.bound) {
            EXPECT_EQ(message, "");
            // The stand-in exports two of the five entry points.
            EXPECT_NE(lib.build, nullptr);
            EXPECT_NE(lib.stopBuild, nullptr);
            EXPECT_EQ(lib.getProjectSetting, nullptr);
            EXPECT_EQ(lib.updateLinkModules, nullptr);
            EXPECT_EQ(lib.handleCompilerInfo, nullptr);
            FreeLibrary(lib.module);
        } else {
            EXPECT_EQ(lib.module, nullptr);
            EXPECT_EQ(lib.build, nullptr);
            EXPECT_EQ(message, "Build-tool library " + r.setting + " not found: builds through it are not available");
        }
    }
}

// Choosing a row of the build-tool table: the row's library replaces the
// bound one and becomes the tool chain; a library that does not load leaves
// the tool chain's own bound again; the tool chain's row and rows past the
// table change nothing.
TEST_F(ModulesTest, ChoosingABuildToolBindsItsLibraryOrKeepsTheToolChain)
{
    struct Row {
        std::vector<std::string> present;
        std::string setting;
        size_t row;
        bool chosen;
        std::string settingAfter, boundAfter;
    } rows[] = {
        {{"mybuild", "fendrix"}, "mybuild", 0, true, "fendrix", "fendrix"},
        {{"mybuild"}, "mybuild", 0, false, "mybuild", "mybuild"},
        {{"mybuild", "fendrix"}, "FENDRIX", 0, false, "FENDRIX", "fendrix"},
        {{"mybuild", "fendrix"}, "mybuild", 1, false, "mybuild", "mybuild"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.setting + " row " + std::to_string(r.row));
        shell::test::TempFolder folder;
        platform::SetModuleFolder(folder.path());
        for (const auto& name : r.present)
            ProvideIn(folder, name);
        BuildToolLibrary lib;
        std::string toolChain = r.setting, message;
        ASSERT_TRUE(BindBuildToolLibrary(toolChain, lib, message));
        EXPECT_EQ(ChooseBuildTool(r.row, toolChain, lib), r.chosen);
        EXPECT_EQ(toolChain, r.settingAfter);
        EXPECT_EQ(IsChosenBuildTool(0, toolChain), r.settingAfter == "fendrix" || r.settingAfter == "FENDRIX");
        // The library loaded already: the same handle.
        HMODULE expected = LoadLibrary(r.boundAfter.c_str());
        ASSERT_NE(expected, nullptr);
        EXPECT_EQ(lib.module, expected);
        EXPECT_NE(lib.build, nullptr);
        FreeLibrary(expected);
        FreeLibrary(lib.module);
    }
}

// The menu items each present module adds, for every mix of them.
TEST_F(ModulesTest, FrameStartAddsTheItemsOfThePresentModules)
{
    RegisterShellResources();
    const char* names[] = {"Sorvel", "hook", "Corvane", "fendrix"};
    for (int mask = 0; mask < 16; ++mask) {
        shell::test::TempFolder folder;
        platform::SetModuleFolder(folder.path());
        for (int i = 0; i < 4; ++i)
            if (mask & (1 << i))
                ProvideIn(folder, names[i]);
        auto menu = platform::resources::LoadMenu(IDR_MAINFRAME);
        ShellModules modules;
        std::string toolChain = "fendrix", message;
        bool bound = LoadFrameModules(menu.get(), modules, toolChain, message);
        EXPECT_EQ(bound, (mask & 8) != 0) << mask;
        EXPECT_EQ(message.empty(), bound) << mask;
        EXPECT_EQ(menu->FindCommand(ID_EDIT_COMPARE) != nullptr, (mask & 1) != 0) << mask;
        EXPECT_EQ(menu->FindCommand(ID_TOOLS_ACTION_RECORD) != nullptr, (mask & 2) != 0) << mask;
        EXPECT_EQ(menu->FindCommand(ID_TOOLS_CORVANE) != nullptr, (mask & 4) != 0) << mask;
        CMenu* edit = menu->GetSubMenu(kEditMenuPosition);
        if (mask & 1) {
            EXPECT_EQ(edit->GetMenuString(edit->GetMenuItemCount() - 1, MF_BYPOSITION), "Compa&re...");
        }
        CMenu* build = menu->GetSubMenu(kOptionMenuPosition)->GetSubMenu(kBuildToolsItemPosition);
        ASSERT_EQ(build->GetMenuItemCount(), 1);
        EXPECT_EQ(build->GetMenuString(0, MF_BYPOSITION), "GNU");
        EXPECT_EQ(build->GetMenuItemID(0), 32982u);
        CloseFrameModules(modules);
        if (mask & 1) {
            auto* calls = reinterpret_cast<int*>(GetProcAddress(modules.sorvel, "zk_standin_calls"));
            ASSERT_NE(calls, nullptr);
            EXPECT_EQ(*calls, 1);
        }
        modules.FreeAll();
    }
}

TEST_F(ModulesTest, WithoutAToolsMenuHookIsNotLoadedButCorvaneIs)
{
    for (const char* name : {"hook", "Corvane"})
        Provide(name);
    auto bar = platform::BuildMenu({{"&File", 0, {{"E&xit", ID_APP_EXIT}}}});
    std::string toolChain = "fendrix", message;
    EXPECT_FALSE(LoadFrameModules(bar.get(), Modules(), toolChain, message));
    EXPECT_EQ(Modules().hook, nullptr);
    EXPECT_NE(Modules().corvane, nullptr);
    EXPECT_EQ(message, "Build-tool library fendrix not found: builds through it are not available");
}

}  // namespace
