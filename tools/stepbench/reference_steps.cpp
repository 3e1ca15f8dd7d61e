// The plan headless (simrun's script with --stats) and under gdb over
// qemu's gdb stub (gdb's Python times each command).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench.h"
#include "host_tools.h"
#include "qemu_reference.h"

namespace stepbench {

namespace {

std::string ScratchPath(const std::string& name)
{
    return std::filesystem::temp_directory_path() / ("stepbench_" + std::to_string(getpid()) + "_" + name);
}

// The script's command of each kind.
const char* KindOfCommand(const std::string& command)
{
    if (command == "step")
        return kInto;
    if (command == "step out")
        return kOut;
    if (command == "step over")
        return kOver;
    if (command == "go")
        return kGo;
    return nullptr;
}

// Every go of the script stopped at a breakpoint (none ran the program to
// its end): the stop line comes before the next command.
bool EveryGoStopped(const std::string& out, std::string* error)
{
    std::istringstream lines(out);
    std::string command;
    bool halted = true;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("> ", 0) == 0) {
            if (!halted) {
                *error = "'" + command + "' did not stop at a breakpoint";
                return false;
            }
            command = line.substr(2);
            halted = command.rfind("go", 0) != 0;
        } else if (line.rfind("Halt by breakpoint!", 0) == 0) {
            halted = true;
        } else if (line.find("The program has ended") != std::string::npos || line.rfind("Program ended", 0) == 0) {
            *error = "the program ended at '" + command + "'";
            return false;
        }
    }
    if (!halted)
        *error = "'" + command + "' did not stop at a breakpoint";
    return halted;
}

}  // namespace

Measured StepHeadless(const Plan& plan)
{
    Measured m;
    const std::string script = ScratchPath("script.txt");
    {
        std::ofstream out(script);
        out << "go till #round_of_work\n";
        for (int i = 0; i < plan.steps; ++i)
            out << "step\n";
        out << "bp #next_value\ngo till #next_value\n";
        for (int i = 0; i < plan.steps; ++i)
            out << "step out\ngo\n";
        out << "bc #next_value\ngo till #ledger\n";
        for (int i = 0; i < plan.steps; ++i)
            out << "step over\n";
    }
    const zk::test::ProcessResult r = zk::test::RunProcess(
        {std::string(ZK_BIN_DIR) + "/simrun", plan.image, "--script", script, "--source-level", "--stats"}, {},
        std::chrono::seconds(600));
    std::filesystem::remove(script);
    if (r.timedOut || r.exitStatus != 0) {
        m.error = "simrun failed (status " + std::to_string(r.exitStatus) + "): " + r.err;
        return m;
    }
    if (!EveryGoStopped(r.out, &m.error))
        return m;
    std::istringstream lines(r.err);
    for (std::string line; std::getline(lines, line);) {
        double ms = 0;
        const size_t colon = line.find(" ms: ");
        if (line.rfind("simrun: ", 0) != 0 || colon == std::string::npos ||
            std::sscanf(line.c_str(), "simrun: %lf", &ms) != 1)
            continue;
        if (const char* kind = KindOfCommand(line.substr(colon + 5)))
            m.ms[kind].push_back(ms);
    }
    m.ok =
        m.ms[kInto].size() == static_cast<size_t>(plan.steps) && m.ms[kOver].size() == static_cast<size_t>(plan.steps);
    if (!m.ok)
        m.error = "simrun's times are missing: " + r.err.substr(0, 2000);
    return m;
}

Measured StepWithGdb(const Plan& plan)
{
    Measured m;
    const std::string path = ScratchPath("gdb.py");
    {
        std::ofstream py(path);
        py << "import gdb, time\n"
              "def timed(kind, command):\n"
              "    start = time.perf_counter()\n"
              "    gdb.execute(command, to_string=True)\n"
              "    print('T %s %.6f' % (kind, (time.perf_counter() - start) * 1000))\n"
              "def at(symbol):\n"
              "    frame = gdb.selected_frame().function()\n"
              "    if frame is None or frame.name != symbol:\n"
              "        raise gdb.GdbError('not in ' + symbol)\n"
              "try:\n"
              "    gdb.execute('tbreak *round_of_work', to_string=True)\n"
              "    gdb.execute('continue', to_string=True)\n"
              "    at('round_of_work')\n"
              "    for i in range("
           << plan.steps
           << "):\n"
              "        timed('into', 'step')\n"
              "    gdb.execute('break *next_value', to_string=True)\n"
              "    gdb.execute('continue', to_string=True)\n"
              "    at('next_value')\n"
              "    for i in range("
           << plan.steps
           << "):\n"
              "        timed('out', 'finish')\n"
              "        timed('go', 'continue')\n"
              "        at('next_value')\n"
              "    gdb.execute('delete', to_string=True)\n"
              "    gdb.execute('tbreak *ledger', to_string=True)\n"
              "    gdb.execute('continue', to_string=True)\n"
              "    at('ledger')\n"
              "    for i in range("
           << plan.steps
           << "):\n"
              "        timed('over', 'next')\n"
              "    print('DONE')\n"
              "except Exception as e:\n"
              "    print('FAILED %s' % e)\n";
    }
    const zk::test::ProcessResult r = zk::test::RunGdbOnQemu(plan.image, {"source " + path});
    std::filesystem::remove(path);
    const std::map<std::string, const char*> kinds = {{"into", kInto}, {"out", kOut}, {"over", kOver}, {"go", kGo}};
    std::istringstream lines(r.out);
    bool done = false;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string tag, kind;
        double ms = 0;
        if (!(words >> tag))
            continue;
        if (tag == "DONE")
            done = true;
        else if (tag == "T" && words >> kind >> ms && kinds.count(kind))
            m.ms[kinds.at(kind)].push_back(ms);
    }
    m.ok = done;
    if (!done) {
        const std::string all = r.out + r.err;
        m.error = "gdb over qemu failed: " + all.substr(all.size() > 3000 ? all.size() - 3000 : 0);
    }
    return m;
}

}  // namespace stepbench
