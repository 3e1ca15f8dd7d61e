// loadbench IMAGE [RUNS]: times the debugger's program load
// (LoadTargetProgram: symbols and the program segments into the simulator,
// the start PC, the loaded-module list with every module's source resolved)
// and, for comparison, `ldrdump --sections --download IMAGE` (a process of
// its own: start-up, the simulator library, the same load). Three runs each
// unless RUNS is given; prints the minimum and the median in milliseconds.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "appdebug/program_load.h"
#include "appdebug/symbol_records.h"
#include "falcrest.h"
#include "ldr_result_text.h"
#include "quentor.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace {

using Clock = std::chrono::steady_clock;

void Report(const char* what, int runs, const std::function<bool()>& run)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        if (!run()) {
            std::printf("%-28s failed\n", what);
            return;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s min %8.1f ms   median %8.1f ms   (%d runs)\n", what, ms.front(), ms[ms.size() / 2], runs);
}

// The program's folder: where ldrdump and the libraries are.
std::string ProgramFolder()
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return ".";
    std::string path(self, static_cast<size_t>(n));
    return path.substr(0, path.find_last_of('/'));
}

bool RunQuietly(const std::vector<std::string>& argv)
{
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: loadbench IMAGE [RUNS]\n");
        return 2;
    }
    const std::string image = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    if (NewABIDLL(1, "ARM7TDMI", nullptr, "Simulator", 1) != 1) {
        std::fprintf(stderr, "loadbench: the simulator library cannot be loaded\n");
        return 1;
    }
    InitDLL_CpuServer(0, nullptr, "ARM7TDMI", 0);
    const unsigned flags = LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS;
    LdrResult last = LDR_OK;
    Report("LoadTargetProgram", runs, [&] {
        last = appdebug::LoadTargetProgram(image, flags);
        return last == LDR_OK;
    });
    if (last != LDR_OK)
        std::fprintf(stderr, "loadbench: %s\n", LdrResultText(last).c_str());
    else
        std::printf("  %zu modules in the loaded-module list\n", appdebug::LoadedModules().Count());
    ExitABIDLL();
    Report("ldrdump --sections --download", runs, [&] {
        return RunQuietly({ProgramFolder() + "/ldrdump", "--sections", "--download", image});
    });
    return 0;
}
