// Loading a program image into the target: the "Load File" dialog, the load
// through the loader front end with the "Loading" progress bar, and the
// steps after a successful load (start PC, loaded-module list with each
// module's resolved source path, optional clearing of the breakpoints, the
// symbol and class trees and the stop display).
//
// `ProgramLoader` is the typed interface (tests give it a recording
// TargetSide and a window of their own); the free functions are the
// system's entries over the libraries and the application's main window.
#pragma once

#include <string>

#include "appdebug/target_side.h"
#include "emu_types.h"
#include "ldr_types.h"
#include "win_types.h"

namespace appdebug {

// The file filter of the "Load File" dialog.
inline constexpr const char* kLoadFileFilter =
    "ELF Files (*.elf;*.axf;*.out)|*.elf;*.axf;*.out|S Record Files (*.s)|*.s|All Files (*.*)|*.*||";
// "The target is running": a load or a breakpoint toggle refused.
inline constexpr UINT IDS_TARGET_RUNNING = 32773;

// The answer of a load refused while the target runs. The refusal was shown
// already (message 32773); callers report nothing more and change nothing.
inline constexpr LdrResult kLoadRefusedRunning = 0xFFFFFFFEu;
// Whether a load's result is a failure the caller shows with ReportError.
inline bool LoadResultIsReported(LdrResult result)
{
    return result != LDR_OK && result != kLoadRefusedRunning;
}

// Shows a failed load: the loader's result in words with its code, over the
// caption of every report with the hand icon. (The numbered texts of the
// error-text library are run-control results; a loader result of 1 is not
// "no back end".)
void ReportLoadFailure(LdrResult result);

class ProgramLoader {
public:
    // `mainWindow` receives the view updates after a load (null: none).
    ProgramLoader(TargetSide& side, HWND mainWindow) : side_(side), mainWindow_(mainWindow) {}

    // Pending messages are handled first; refused while the target runs.
    // Otherwise the image goes through the loader front end with the
    // "Loading" progress bar in the status bar and, on success, the
    // previous program's semihosting host files closed and
    // AfterProgramLoad(true). The loader's result.
    LdrResult LoadTargetProgram(const std::string& path, DWORD flags);
    void AfterProgramLoad(bool rebuildModules, const std::string& path);

private:
    TargetSide& side_;
    HWND mainWindow_;
};

// The "Load File" dialog: the chosen path in a new movable, zeroed global
// block (the receiver frees it); 0 on cancel.
HGLOBAL PromptLoadFile(HWND owner = nullptr);

// Over the libraries, with the application's main window.
LdrResult LoadTargetProgram(const std::string& path, DWORD flags);
void AfterProgramLoad(BOOL rebuildModules, const std::string& path);

// The source file of a loaded module: `path` holds the module's name as the
// symbol library gives it and receives the file. The path tarnel resolved
// (compilation directory, else the image's folder) when that file exists,
// else the name itself when it names an existing file, else the file of that
// name in the image's folder. FALSE, and `path` empty, when none exists.
// Paths take '/' and '\'.
BOOL ResolveSourcePath(std::string& path, uint32_t module, const std::string& imagePath);

// What the current image load has done: true while one runs, with its
// percentage (0 to 100).
BOOL SymGetLoadStatus(int* percent);

}  // namespace appdebug
