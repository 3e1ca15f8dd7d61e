// The optional libraries of the shell, bound by name through the platform's
// module loader: each is null when its file is missing or is no library.
// The main frame loads them once per process; later windows call through
// the bound entry points and test each for null first.
#pragma once

#include <cstdint>
#include <string>

#include "compiler_info.h"
#include "platform/menu.h"
#include "platform/win32.h"

namespace shell {

// The build-tool table: {menu text, library}; row i is command 32982 + i.
struct BuildToolRow {
    const char* menuText;
    const char* library;
};
inline constexpr BuildToolRow kBuildTools[] = {{"GNU", "fendrix"}, {nullptr, nullptr}};
inline constexpr UINT ID_BUILD_TOOL_FIRST = 32982;

struct BuildToolLibrary {
    HMODULE module = nullptr;
    GetProjectSettingProc getProjectSetting = nullptr;
    TCUpdateLinkModulesProc updateLinkModules = nullptr;
    TCBuildProc build = nullptr;
    TCStopBuildProc stopBuild = nullptr;
    TCHandleCompilerInfoProc handleCompilerInfo = nullptr;
};

// Loads the library `toolChain` names, else the table's first row (and then
// toolChain becomes its name). When neither loads, the five pointers stay
// null, toolChain is unchanged and `message` holds the text for the message
// pane. True when a library is bound.
bool BindBuildToolLibrary(std::string& toolChain, BuildToolLibrary& out, std::string& message);
// "Build-tool library <name> not found: builds through it are not available"
std::string BuildToolMissingText(const std::string& name);

// The choice of the table's row `row` ("&Build Tools" item ID_BUILD_TOOL_FIRST
// + row): nothing (false) for a row past the table or the tool chain's own
// row (compared without case). Otherwise the bound library is freed and the
// row's library bound; it becomes the tool chain (true). When it does not
// load, the tool chain's library is bound again and the tool chain stays.
bool ChooseBuildTool(size_t row, std::string& toolChain, BuildToolLibrary& library);
// The row's library is the tool chain (its item's check mark).
bool IsChosenBuildTool(size_t row, const std::string& toolChain);

using Peri32Proc = uint32_t (*)();
using PeriOpenWindowProc = uint32_t (*)(HWND mainFrame, HWND* window);
struct HalvekEntries {
    HMODULE module = nullptr;
    Peri32Proc periInit = nullptr;
    PeriOpenWindowProc periOpenWindow = nullptr;
    Peri32Proc periRefreshWindow = nullptr;
};

// The entry points that take the frame's window handle (or 0 at close).
using WindowEntryProc = int (*)(HWND);

// The optional modules of the main frame, once per process.
struct ShellModules {
    HMODULE sorvel = nullptr;   // file compare; "Compa&re..." in "&Edit"
    HMODULE hook = nullptr;     // hook.dll; "Action &Record" in "&Tools"
    HMODULE corvane = nullptr;  // kernel view; "&Corvane" in "&Tools"
    HalvekEntries halvek;       // peripheral view
    HMODULE mirobel = nullptr;  // flash programmer
    FARPROC doFlashProgramming = nullptr;
    BuildToolLibrary buildTool;

    // Each loads only while its handle is unset. hook.dll only when the
    // "&Tools" menu exists.
    void LoadSorvel();
    void LoadHook(bool toolsMenuExists);
    void LoadCorvane();
    void LoadHalvek();
    void LoadMirobel();
    WindowEntryProc SorvelMain() const;
    WindowEntryProc HookOpen() const;
    // Frees every loaded module and clears the handles.
    void FreeAll();
};

// The process-wide set.
ShellModules& Modules();

// The main frame's start with its menu bar (null: none): the optional
// modules, each with its menu item ("Compa&re..." in "&Edit", "Action
// &Record" and "&Corvane" in "&Tools"), the build-tool library with the
// fallback to the table's first row, and the "&Build Tools" items. False
// when no build-tool library loads; `message` then holds the text for the
// message pane and the frame opens all the same.
bool LoadFrameModules(platform::CMenu* menuBar, ShellModules& modules, std::string& toolChain, std::string& message);
// The frame's close: Sorvel_Main(0) and HookOpen(0) of the loaded modules.
void CloseFrameModules(const ShellModules& modules);

}  // namespace shell
