#include "qemu_reference.h"

#include <algorithm>
#include <sstream>

#include "host_tools.h"
#include "qemu_runner.h"

namespace falcrest_e2e {

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

QemuReference QemuStateAtNormalEnd(const std::string& image, const std::string& bufferSymbol,
                                   unsigned words)
{
    std::string qemu = "exec";
    for (const std::string& arg : zk::test::QemuCommand())
        qemu += " " + arg;
    qemu += " -S -gdb stdio -kernel '" + image + "'";

    std::string bufferFormat = "BUFFER %x";
    std::string bufferArgs = ", (unsigned)&" + bufferSymbol;
    for (unsigned i = 0; i < words; ++i) {
        bufferFormat += " %x";
        bufferArgs += ", ((unsigned*)&" + bufferSymbol + ")[" + std::to_string(i) + "]";
    }

    const std::vector<std::string> argv = {
        "gdb-multiarch", "-nx", "-batch",
        "-ex", "set pagination off",
        "-ex", "set confirm off",
        "-ex", "target remote | " + qemu,
        "-ex", PrintRegisters("ENTRY"),
        "-ex", "break *__normal_end",
        "-ex", "continue",
        "-ex", PrintRegisters("STOP"),
        "-ex", "printf \"NORMALEND %x\\n\", (unsigned)&__normal_end",
        "-ex", "printf \"" + bufferFormat + "\\n\"" + bufferArgs,
        "-ex", "kill",
        image};
    const zk::test::ProcessResult p = zk::test::RunProcess(argv, {}, GDB_TIMEOUT, {"QEMU_AUDIO_DRV=none"});

    QemuReference ref;
    std::vector<uint32_t> end, buffer;
    if (p.timedOut) {
        ref.error = "gdb-multiarch with qemu timed out";
    } else if (!ParseRegisters(p.out, "ENTRY", &ref.atEntry) || !ParseRegisters(p.out, "STOP", &ref.atNormalEnd) ||
               !ParseWords(p.out, "NORMALEND", &end, 1) || !ParseWords(p.out, "BUFFER", &buffer, words + 1)) {
        ref.error = "no state in gdb's output";
    } else {
        ref.normalEnd = end[0];
        ref.bufferAddress = buffer[0];
        ref.buffer.assign(buffer.begin() + 1, buffer.end());
        ref.ok = true;
    }
    if (!ref.ok)
        ref.error += " (exit " + std::to_string(p.exitStatus) + ")\n" + p.out + p.err;
    return ref;
}

}  // namespace falcrest_e2e
