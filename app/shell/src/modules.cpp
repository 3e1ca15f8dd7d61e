#include "shell/modules.h"

#include <strings.h>

#include "shell/shell_ids.h"

namespace shell {
namespace {

template <class Fn>
Fn Bind(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Fn>(GetProcAddress(module, name)) : nullptr;
}

void LoadOnce(HMODULE& handle, const char* name)
{
    if (!handle)
        handle = LoadLibrary(name);
}

void Free(HMODULE& handle)
{
    if (handle)
        FreeLibrary(handle);
    handle = nullptr;
}

}  // namespace

std::string BuildToolMissingText(const std::string& name)
{
    return "Build-tool library " + name + " not found: builds through it are not available";
}

bool BindBuildToolLibrary(std::string& toolChain, BuildToolLibrary& out, std::string& message)
{
    message.clear();
    if (!out.module) {
        HMODULE module = LoadLibrary(toolChain.c_str());
        if (!module && (module = LoadLibrary(kBuildTools[0].library)))
            toolChain = kBuildTools[0].library;
        if (!module) {
            out = {};
            message = BuildToolMissingText(toolChain);
            return false;
        }
        out.module = module;
    }
    out.getProjectSetting = Bind<GetProjectSettingProc>(out.module, "GetProjectSetting");
    out.updateLinkModules = Bind<TCUpdateLinkModulesProc>(out.module, "TCUpdateLinkModules");
    out.build = Bind<TCBuildProc>(out.module, "TCBuild");
    out.stopBuild = Bind<TCStopBuildProc>(out.module, "TCStopBuild");
    out.handleCompilerInfo = Bind<TCHandleCompilerInfoProc>(out.module, "TCHandleCompilerInfo");
    return true;
}

namespace {

// The row's library; null past the table.
const char* BuildToolOfRow(size_t row)
{
    for (size_t i = 0; kBuildTools[i].library; ++i)
        if (i == row)
            return kBuildTools[i].library;
    return nullptr;
}

}  // namespace

bool IsChosenBuildTool(size_t row, const std::string& toolChain)
{
    const char* library = BuildToolOfRow(row);
    return library && strcasecmp(library, toolChain.c_str()) == 0;
}

bool ChooseBuildTool(size_t row, std::string& toolChain, BuildToolLibrary& library)
{
    const char* chosen = BuildToolOfRow(row);
    if (!chosen || IsChosenBuildTool(row, toolChain))
        return false;
    Free(library.module);
    library = {};
    std::string message;
    if ((library.module = LoadLibrary(chosen))) {
        toolChain = chosen;
        BindBuildToolLibrary(toolChain, library, message);
        return true;
    }
    if ((library.module = LoadLibrary(toolChain.c_str())))
        BindBuildToolLibrary(toolChain, library, message);
    return false;
}

void ShellModules::LoadSorvel()
{
    LoadOnce(sorvel, "Sorvel");
}

void ShellModules::LoadHook(bool toolsMenuExists)
{
    if (toolsMenuExists)
        LoadOnce(hook, "hook.dll");
}

void ShellModules::LoadCorvane()
{
    LoadOnce(corvane, "Corvane.dll");
}

void ShellModules::LoadHalvek()
{
    if (halvek.module)
        return;
    halvek.module = LoadLibrary("Halvek.dll");
    halvek.periInit = Bind<Peri32Proc>(halvek.module, "PeriInit");
    halvek.periOpenWindow = Bind<PeriOpenWindowProc>(halvek.module, "PeriOpenWindow");
    halvek.periRefreshWindow = Bind<Peri32Proc>(halvek.module, "PeriRefreshWindow");
}

void ShellModules::LoadMirobel()
{
    LoadOnce(mirobel, "Mirobel.dll");
    doFlashProgramming = mirobel ? GetProcAddress(mirobel, "DoFlashProgramming") : nullptr;
}

WindowEntryProc ShellModules::SorvelMain() const
{
    return Bind<WindowEntryProc>(sorvel, "Sorvel_Main");
}

WindowEntryProc ShellModules::HookOpen() const
{
    return Bind<WindowEntryProc>(hook, "HookOpen");
}

void ShellModules::FreeAll()
{
    Free(sorvel);
    Free(hook);
    Free(corvane);
    Free(halvek.module);
    halvek = {};
    Free(mirobel);
    doFlashProgramming = nullptr;
    Free(buildTool.module);
    buildTool = {};
}

ShellModules& Modules()
{
    static ShellModules modules;
    return modules;
}

namespace {

platform::CMenu* TopMenu(platform::CMenu* bar, int position, const char* text)
{
    if (!bar || position >= bar->GetMenuItemCount())
        return nullptr;
    if (bar->GetMenuString(position, MF_BYPOSITION) != text)
        return nullptr;
    return bar->GetSubMenu(position);
}

}  // namespace

bool LoadFrameModules(platform::CMenu* menuBar, ShellModules& modules, std::string& toolChain, std::string& message)
{
    // Optional modules, once per process.
    bool hadSorvel = modules.sorvel != nullptr;
    modules.LoadSorvel();
    if (modules.sorvel && !hadSorvel)
        if (platform::CMenu* edit = TopMenu(menuBar, kEditMenuPosition, "&Edit")) {
            edit->AppendMenu(MF_SEPARATOR);
            edit->AppendMenu(MF_STRING, ID_EDIT_COMPARE, "Compa&re...");
        }
    platform::CMenu* tools = TopMenu(menuBar, kToolsMenuPosition, "&Tools");
    bool hadHook = modules.hook != nullptr;
    modules.LoadHook(tools != nullptr);
    if (modules.hook && !hadHook && tools) {
        tools->AppendMenu(MF_SEPARATOR);
        tools->AppendMenu(MF_STRING, ID_TOOLS_ACTION_RECORD, "Action &Record");
    }
    bool hadCorvane = modules.corvane != nullptr;
    modules.LoadCorvane();
    if (modules.corvane && !hadCorvane && tools) {
        tools->AppendMenu(MF_SEPARATOR);
        tools->AppendMenu(MF_STRING, ID_TOOLS_CORVANE, "&Corvane");
    }

    // The build-tool library.
    bool bound = BindBuildToolLibrary(toolChain, modules.buildTool, message);

    // "&Build Tools": the table's rows.
    if (platform::CMenu* option = TopMenu(menuBar, kOptionMenuPosition, "&Option"))
        if (platform::CMenu* build = option->GetSubMenu(kBuildToolsItemPosition)) {
            build->ModifyMenu(0, MF_BYPOSITION | MF_STRING, ID_BUILD_TOOL_FIRST, kBuildTools[0].menuText);
            for (UINT i = 1; kBuildTools[i].menuText; ++i)
                build->AppendMenu(MF_STRING, ID_BUILD_TOOL_FIRST + i, kBuildTools[i].menuText);
        }
    return bound;
}

void CloseFrameModules(const ShellModules& modules)
{
    if (WindowEntryProc sorvelMain = modules.SorvelMain())
        sorvelMain(nullptr);
    if (WindowEntryProc hookOpen = modules.HookOpen())
        hookOpen(nullptr);
}

}  // namespace shell
