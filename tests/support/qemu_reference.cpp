#include "qemu_reference.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <sstream>

#include <unistd.h>

#include "host_tools.h"
#include "qemu_runner.h"

namespace zk::test {

namespace {

constexpr auto GDB_TIMEOUT = std::chrono::seconds(60);

// A gdb command that prints `tag` and the registers on one line.
std::string PrintRegisters(const std::string& tag)
{
    std::string format = tag;
    std::string args;
    for (int i = 0; i < 16; ++i) {
        format += " %x";
        args += ", $r" + std::to_string(i);
    }
    return "printf \"" + format + " %x\\n\"" + args + ", $cpsr";
}

bool ParseWords(const std::string& out, const std::string& tag, std::vector<uint32_t>* words, size_t count)
{
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string first;
        if (!(in >> first) || first != tag)
            continue;
        words->assign(count, 0);
        for (uint32_t& w : *words)
            in >> std::hex >> w;
        return !in.fail();
    }
    return false;
}

bool ParseRegisters(const std::string& out, const std::string& tag, ArmState* state)
{
    std::vector<uint32_t> words;
    if (!ParseWords(out, tag, &words, 17))
        return false;
    std::copy(words.begin(), words.begin() + 16, state->r);
    state->cpsr = words[16];
    return true;
}

}  // namespace

ProcessResult RunGdbOnQemu(const std::string& image, const std::vector<std::string>& commands,
                           const std::string& append)
{
    std::string qemu = "exec";
    for (const std::string& arg : QemuCommand())
        qemu += " " + arg;
    qemu += " -S -gdb stdio -kernel '" + image + "'";
    if (!append.empty())
        qemu += " -append '" + append + "'";
    // qemu may answer slowly on a loaded machine: a reply that comes after
    // gdb's remote time-out (2 s by default) puts the two out of step.
    std::vector<std::string> argv = {"gdb-multiarch",
                                     "-nx",
                                     "-batch",
                                     "-ex",
                                     "set pagination off",
                                     "-ex",
                                     "set confirm off",
                                     "-ex",
                                     "set remotetimeout 30",
                                     "-ex",
                                     "target remote | " + qemu};
    for (const std::string& c : commands) {
        argv.push_back("-ex");
        argv.push_back(c);
    }
    argv.push_back("-ex");
    argv.push_back("kill");
    argv.push_back(image);
    // On a heavily loaded machine the pipe to qemu's stub now and then breaks
    // ("Remote communication error", "Broken pipe"): that says nothing about
    // the program, so the whole session is run again (at most three times).
    // Any other failure is the caller's to report. A pipe that breaks only
    // once qemu has obeyed the closing "kill" (it says so on its way out) is
    // no failure: every command before it ran over a live connection, and
    // gdb's status is the kill's.
    ProcessResult p;
    for (int attempt = 0; attempt < 3; ++attempt) {
        p = RunProcess(argv, {}, GDB_TIMEOUT, {"QEMU_AUDIO_DRV=none"});
        const std::string all = p.out + p.err;
        const bool transport = all.find("Remote communication error") != std::string::npos ||
            all.find("Broken pipe") != std::string::npos || all.find("Remote connection closed") != std::string::npos;
        if (p.timedOut || !transport)
            break;
        if (all.find("Terminated via GDBstub") != std::string::npos) {
            p.exitStatus = 0;
            break;
        }
    }
    return p;
}

std::vector<GdbValueStop> GdbValuesAt(const std::string& image, const std::vector<uint32_t>& addresses,
                                      const std::vector<std::string>& names, const std::string& keep,
                                      std::string* output)
{
    char path[] = "/tmp/gdb_values_XXXXXX.py";
    const int fd = mkstemps(path, 3);
    if (fd < 0) {
        *output = "cannot make a script file";
        return {};
    }
    close(fd);
    {
        std::ofstream py(path);
        py << "import gdb\npcs = set()\n";
        for (uint32_t a : addresses)
            py << "gdb.Breakpoint('*" << a << "', temporary=True)\npcs.add(" << a << ")\n";
        py << "names = [";
        for (const std::string& n : names)
            py << "'" << n << "',";
        py << "]\n"
              "while pcs:\n"
              "    gdb.execute('continue', to_string=True)\n"
              "    pc = int(gdb.parse_and_eval('$pc')) & 0xFFFFFFFE\n"
              "    if pc not in pcs:\n"
              "        break\n"
              "    pcs.discard(pc)\n"
              "    print('AT %x' % pc)\n"
              "    for n in names:\n"
              "        try:\n"
              "            v = gdb.parse_and_eval(n)\n"
              "            if not ("
           << (keep.empty() ? std::string("True") : keep)
           << "):\n"
              "                continue\n"
              "            if not v.is_optimized_out:\n"
              "                print('V %s %d' % (n, int(v)))\n"
              "        except Exception:\n"
              "            pass\n";
    }
    const ProcessResult p = RunGdbOnQemu(image, {std::string("source ") + path});
    std::remove(path);
    *output = p.out + p.err;
    std::vector<GdbValueStop> stops;
    std::istringstream lines(p.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string tag, name;
        if (!(in >> tag))
            continue;
        if (tag == "AT") {
            GdbValueStop s;
            in >> std::hex >> s.pc;
            stops.push_back(s);
        } else if (tag == "V" && !stops.empty() && in >> name) {
            int64_t v = 0;
            if (in >> v)
                stops.back().values[name] = v;
        }
    }
    return stops;
}

bool QemuPcsAfter(const std::string& image, const std::vector<uint32_t>& starts, const std::string& command,
                  std::vector<uint32_t>* pcs, std::string* error)
{
    std::vector<std::string> commands;
    for (uint32_t start : starts) {
        std::ostringstream at;
        at << std::hex << start;
        commands.push_back("tbreak *0x" + at.str());
        commands.push_back("continue");
        commands.push_back("printf \"START %x\\n\", $pc");
        commands.push_back(command);
        commands.push_back("printf \"AFTER %x\\n\", $pc");
    }
    const ProcessResult p = RunGdbOnQemu(image, commands);
    std::vector<uint32_t> reached;
    pcs->clear();
    std::istringstream lines(p.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string tag;
        uint32_t pc = 0;
        if (!(in >> tag >> std::hex >> pc))
            continue;
        if (tag == "START")
            reached.push_back(pc);
        else if (tag == "AFTER")
            pcs->push_back(pc);
    }
    if (!p.timedOut && reached == starts && pcs->size() == starts.size())
        return true;
    *error = (p.timedOut ? "gdb-multiarch with qemu timed out\n" : "not every start was reached\n") + p.out + p.err;
    return false;
}

QemuStop QemuStopAt(const std::string& image, const std::string& location, const std::string& wordsAt, unsigned count,
                    const std::string& append)
{
    std::string wordsFormat = "WORDS %x";
    std::string wordsArgs = ", (unsigned)(" + (wordsAt.empty() ? std::string("0") : wordsAt) + ")";
    for (unsigned i = 0; i < count; ++i) {
        wordsFormat += " %x";
        wordsArgs += ", ((unsigned*)(" + wordsAt + "))[" + std::to_string(i) + "]";
    }

    const ProcessResult p = RunGdbOnQemu(image,
                                         {PrintRegisters("ENTRY"), "break " + location, "continue",
                                          PrintRegisters("STOP"), "printf \"" + wordsFormat + "\\n\"" + wordsArgs},
                                         append);

    QemuStop stop;
    std::vector<uint32_t> words;
    if (p.timedOut) {
        stop.error = "gdb-multiarch with qemu timed out";
    } else if (!ParseRegisters(p.out, "ENTRY", &stop.atEntry) || !ParseRegisters(p.out, "STOP", &stop.atStop) ||
               !ParseWords(p.out, "WORDS", &words, count + 1)) {
        stop.error = "no state in gdb's output";
    } else {
        stop.wordsAddress = words[0];
        stop.words.assign(words.begin() + 1, words.end());
        stop.ok = true;
    }
    if (!stop.ok)
        stop.error += " (exit " + std::to_string(p.exitStatus) + ")\n" + p.out + p.err;
    return stop;
}

QemuStop QemuStateAtNormalEnd(const std::string& image, const std::string& symbol, unsigned count)
{
    return QemuStopAt(image, "*__normal_end", "&" + symbol, count);
}

std::string SideBySide(const ArmState& qemu, const ArmState& sim)
{
    std::ostringstream out;
    out << std::hex << std::setfill('0');
    for (int i = 0; i < 17; ++i) {
        const uint32_t q = i < 16 ? qemu.r[i] : qemu.cpsr;
        const uint32_t s = i < 16 ? sim.r[i] : sim.cpsr;
        out << (i < 16 ? "r" + std::to_string(i) : std::string("cpsr")) << "\tqemu " << std::setw(8) << q << "\tsim "
            << std::setw(8) << s << (q != s ? "   <--" : "") << "\n";
    }
    return out.str();
}

}  // namespace zk::test
