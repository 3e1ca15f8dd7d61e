// lockstep IMAGE [--max N]
//
// Runs an ARM ELF image in the simulator and in qemu-system-arm side by side,
// one instruction at a time, and compares r0-r15, the CPSR flags, the T bit
// and the mode after every instruction. qemu traces its CPU state into a pipe
// (-singlestep -d cpu,nochain); its first record is the state before the
// first instruction. The comparison ends at the normal-end word (an ordinary
// SWI to qemu), after N instructions, or at the first mismatch, which is
// printed side by side. The last line is "N instructions matched"; the exit
// status is 0 when every compared instruction matched.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "armdecode/arm_decode.h"
#include "categories.h"
#include "elf_image.h"
#include "qemu_runner.h"
#include "qemu_trace.h"
#include "simcore/simulator.h"

using zk::sim::Simulator;
using zk::tools::Category;
using zk::tools::QemuRecord;

namespace {

constexpr uint32_t kComparedPsrBits = 0xF000003Fu;  // NZCV, T, mode

struct Qemu {
    pid_t pid = -1;
    int traceFd = -1;
};

Qemu StartQemu(const std::string& image)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    std::vector<std::string> argv = zk::test::QemuCommand();
    for (const char* a : {"-singlestep", "-d", "cpu,nochain", "-D"})
        argv.emplace_back(a);
    argv.push_back("/dev/fd/" + std::to_string(fds[1]));
    argv.emplace_back("-kernel");
    argv.push_back(image);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        setenv("QEMU_AUDIO_DRV", "none", 1);
        std::vector<char*> cargv;
        for (auto& a : argv)
            cargv.push_back(a.data());
        cargv.push_back(nullptr);
        execvp(cargv[0], cargv.data());
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return {};
    }
    return {pid, fds[0]};
}

void StopQemu(Qemu& q)
{
    if (q.pid > 0) {
        kill(q.pid, SIGKILL);
        waitpid(q.pid, nullptr, 0);
    }
    if (q.traceFd >= 0)
        close(q.traceFd);
    q = {};
}

std::string Describe(uint32_t pc, uint32_t word, bool thumb)
{
    char text[96];
    if (thumb) {
        const auto& row = zk::armdecode::DecodeThumb(static_cast<uint16_t>(word));
        std::snprintf(text, sizeof text, "0x%08x: %04x     (%s)", pc, word & 0xFFFF, std::string(row.name).c_str());
    } else {
        const auto& row = zk::armdecode::DecodeArm(word);
        std::snprintf(text, sizeof text, "0x%08x: %08x (%s)", pc, word, std::string(row.name).c_str());
    }
    return text;
}

uint32_t SimReg(const Simulator& sim, unsigned n)
{
    return n == 15 ? sim.Cpu().pc : sim.Cpu().r[n];
}

bool Matches(const Simulator& sim, const QemuRecord& q)
{
    for (unsigned n = 0; n < 16; ++n) {
        if (SimReg(sim, n) != q.r[n])
            return false;
    }
    return ((sim.Cpu().cpsr ^ q.psr) & kComparedPsrBits) == 0;
}

void PrintSideBySide(const Simulator& sim, const QemuRecord& q)
{
    std::printf("         simulator   qemu\n");
    for (unsigned n = 0; n < 16; ++n) {
        const uint32_t s = SimReg(sim, n);
        std::printf("  r%-2u    %08x    %08x%s\n", n, s, q.r[n], s == q.r[n] ? "" : "   <-- differs");
    }
    const uint32_t s = sim.Cpu().cpsr & kComparedPsrBits, o = q.psr & kComparedPsrBits;
    std::printf("  cpsr   %08x    %08x%s   (flags, T, mode)\n", s, o, s == o ? "" : "   <-- differs");
}

// qemu's view of the difference: the simulator takes qemu's registers (for
// loads and reads of r15) or rewrites the stored r15 with PC + 8.
void Reconcile(Simulator& sim, zk::tools::CategorySet cats, const QemuRecord& q,
               const std::vector<std::pair<uint32_t, unsigned>>& writes)
{
    using zk::tools::Bit;
    if (cats & Bit(Category::StorePc) && !writes.empty()) {
        // r15 is the last (highest) register an STM stores, and the only one of STR/STRH.
        const auto [addr, width] = writes.back();
        auto& store = sim.Memory().Store();
        store.Write(addr, width, store.Read(addr, width) - 4);
    }
    if (cats & (Bit(Category::ShiftedPcRead) | Bit(Category::UnalignedWord) | Bit(Category::UnalignedHalf))) {
        for (unsigned n = 0; n < 15; ++n)
            sim.Cpu().SetReg(n, q.r[n]);
        sim.Cpu().cpsr = (sim.Cpu().cpsr & 0x0FFFFFFFu) | (q.psr & 0xF0000000u);
    }
    if (cats & Bit(Category::NvCondition)) {
        sim.Cpu().EnterException(zk::sim::Exception::Undefined);
        sim.Cpu().SetPc(sim.Cpu().nextPc);
    }
}

int Usage()
{
    std::fprintf(stderr, "usage: lockstep IMAGE [--max N]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string image;
    uint64_t max = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--max" && i + 1 < argc) {
            max = std::strtoull(argv[++i], nullptr, 0);
        } else if (!a.empty() && a[0] != '-' && image.empty()) {
            image = a;
        } else {
            return Usage();
        }
    }
    if (image.empty())
        return Usage();

    Simulator sim;
    std::string error;
    if (!zk::tools::LoadElfFile(image, sim, error)) {
        std::fprintf(stderr, "lockstep: %s\n", error.c_str());
        return 2;
    }
    std::vector<std::pair<uint32_t, unsigned>> writes;
    sim.Memory().SetWriteHook([&](uint32_t addr, unsigned width, uint32_t) { writes.emplace_back(addr, width); });

    signal(SIGPIPE, SIG_IGN);
    Qemu qemu = StartQemu(image);
    if (qemu.pid < 0) {
        std::fprintf(stderr, "lockstep: cannot start qemu-system-arm\n");
        return 2;
    }
    zk::tools::QemuTrace trace(qemu.traceFd);
    QemuRecord q;
    if (!trace.Next(q)) {
        StopQemu(qemu);
        std::fprintf(stderr, "lockstep: qemu-system-arm produced no trace\n");
        return 2;
    }
    // qemu sets CPSR bits 8-9 (A, E) at reset; the core here has neither.
    sim.WriteRegister(0, q.psr & ~0x300u);
    std::printf("lockstep %s\n", image.c_str());

    uint64_t matched = 0, blPairs = 0;
    uint64_t counts[static_cast<size_t>(Category::Count)] = {};
    bool ok = Matches(sim, q);
    std::string last = "the initial state";
    std::string end = "the instruction limit";
    if (!ok) {
        std::printf("mismatch in %s\n", last.c_str());
        end = last;
    }
    while (ok && (max == 0 || matched < max)) {
        const uint32_t pc = sim.Cpu().pc;
        const bool thumb = sim.Cpu().thumb;
        const uint32_t word = sim.Memory().Store().Read(pc, thumb ? 2 : 4);
        const zk::tools::CategorySet cats = zk::tools::Classify(sim);
        writes.clear();
        int code = sim.Run(1);
        if (code == zk::sim::kNormalEnd) {
            char text[64];
            std::snprintf(text, sizeof text, "the normal end at 0x%08x", pc);
            end = text;
            break;
        }
        if (!trace.Next(q)) {
            std::printf("qemu's trace ended after %llu instructions\n", static_cast<unsigned long long>(matched));
            end = "the end of qemu's trace";
            ok = false;
            break;
        }
        // qemu runs a Thumb BL's two halves as one instruction when both are on one page.
        if (code == zk::sim::kThumbBlFirst && q.r[15] != sim.Cpu().pc) {
            code = sim.Run(1);
            ++blPairs;
        }
        for (size_t c = 0; c < static_cast<size_t>(Category::Count); ++c) {
            if (cats & (1u << c))
                ++counts[c];
        }
        Reconcile(sim, cats, q, writes);
        last = Describe(pc, word, thumb);
        if (!Matches(sim, q)) {
            std::printf("mismatch after instruction %llu, %s\n", static_cast<unsigned long long>(matched + 1),
                        last.c_str());
            PrintSideBySide(sim, q);
            end = "the mismatch at " + last;
            ok = false;
            break;
        }
        ++matched;
    }
    StopQemu(qemu);

    std::printf("compared up to %s\n", end.c_str());
    for (size_t c = 0; c < static_cast<size_t>(Category::Count); ++c) {
        std::printf("category %s: %llu (%s)\n", std::string(zk::tools::kCategories[c].id).c_str(),
                    static_cast<unsigned long long>(counts[c]), std::string(zk::tools::kCategories[c].text).c_str());
    }
    std::printf("thumb BL pairs run by qemu as one instruction: %llu\n", static_cast<unsigned long long>(blPairs));
    std::printf("simulator instruction count: %u\n", sim.InstructionCount());
    std::printf("%llu instructions matched\n", static_cast<unsigned long long>(matched));
    return ok ? 0 : 1;
}
