// The program itself, offscreen: "quelm /D demo.mac" loads the user's macro
// file and runs its AutoDebug, which connects the simulator, loads the
// example (its LoadEnd handler runs), sets a breakpoint on a line of main.c
// and runs; the handlers and the end of AutoDebug each start a program of
// the user's, the last one
// ending quelm as a session's end does (SIGTERM to its parent).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host_tools.h"

namespace {

TEST(QuelmMacroTest, AutoDebugOfTheCommandLinesMacroFileDrivesTheExample)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("zk-quelm-macro-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "home");
    const auto script = [&](const char* name, const std::string& body) {
        const fs::path path = dir / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    };
    const std::string halted = script("halted.sh", "touch " + (dir / "halted").string());
    const std::string loaded = script("loaded.sh", "touch " + (dir / "loaded").string());
    const std::string done = script("done.sh", "touch " + (dir / "done").string() + "\nkill -TERM $PPID");
    // Go returns at once: AutoDebug waits, a second at a time, until the
    // breakpoint's halt was handled (a loaded machine may take seconds to
    // get there), at most 45 seconds.
    std::ofstream(dir / "demo.mac") << "' Start-up macro of the example.\n"
                                       "Dim halts\n"
                                       "Sub AutoDebug()\n"
                                       "    If Not StartDebug() Then Exit Sub\n"
                                       "    halts = 0\n"
                                       "    Debugger.LoadImage \""
                                    << zk::test::FixturePath("example_hello_O0")
                                    << "\", 1\n"
                                       "    Debugger.BpAddOnLine 20, \"main.c\", True\n"
                                       "    Debugger.Go 0, -1\n"
                                       "    waited = 0\n"
                                       "    Do While halts = 0 And waited < 45\n"
                                       "        Wait 1\n"
                                       "        waited = waited + 1\n"
                                       "    Loop\n"
                                       "    ExecuteCommand \""
                                    << done
                                    << "\"\n"
                                       "End Sub\n\n"
                                       "Sub Debugger_LoadEnd(sRSV)\n"
                                       "    ExecuteCommand \""
                                    << loaded
                                    << "\"\nEnd Sub\n\n"
                                       "Sub Debugger_Halt(sType)\n"
                                       "    If sType = 128 Then\n"
                                       "        ExecuteCommand \""
                                    << halted
                                    << "\"\n"
                                       "        halts = halts + 1\n"
                                       "    End If\n"
                                       "End Sub\n";

    const zk::test::ProcessResult r = zk::test::RunProcess(
        {"/bin/sh", "-c", "cd '" + dir.string() + "' && exec '" ZK_BIN_DIR "/quelm' /D demo.mac"}, {},
        std::chrono::seconds(90), {"HOME=" + (dir / "home").string(), "QT_QPA_PLATFORM=offscreen"});
    EXPECT_FALSE(r.timedOut) << r.err;
    EXPECT_TRUE(fs::exists(dir / "loaded")) << "LoadImage did not fire LoadEnd\n" << r.err;
    EXPECT_TRUE(fs::exists(dir / "halted")) << "the Halt handler did not run at the breakpoint\n" << r.err;
    EXPECT_TRUE(fs::exists(dir / "done")) << "AutoDebug did not run to its end\n" << r.err;
    fs::remove_all(dir);
}

}  // namespace
