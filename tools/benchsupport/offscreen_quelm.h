// What the benchmarks that drive quelm's main frame offscreen share: the
// process made ready before its QApplication (offscreen platform, a registry
// of its own, the program's folder for its libraries) and the program closed
// as the user closes it.
#pragma once

#include <QApplication>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/messages.h"
#include "platform/modules.h"
#include "platform/registry.h"
#include "shell/debugger_app.h"

namespace benchsupport {

// Before the QApplication is made: `tool` names the temporary folder that
// holds this process's registry file; the folder (the caller removes it).
inline std::string PrepareOffscreenProcess(const char* tool)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string folder =
        std::filesystem::temp_directory_path() / (std::string(tool) + "_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    platform::Registry::Global().SetFile(folder + "/registry");
    platform::SetModuleFolder(ZK_BIN_DIR);
    return folder;
}

// The main window closed (its close handling runs) and the application's exit.
inline void CloseQuelm(shell::CDebuggerApp& app)
{
    if (app.m_pMainWnd)
        app.m_pMainWnd->SendMessage(WM_CLOSE);
    for (int i = 0; i < 50 && app.m_pMainWnd; ++i)
        platform::PumpWait(10);
    QApplication::processEvents();
    app.ExitInstance();
}

}  // namespace benchsupport
