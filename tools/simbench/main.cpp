// simbench [--fresh] [--qemu] [--runs N] IMAGE...: runs each freestanding
// ARM image in the simulator to its normal end, N times (3 by default), and
// prints the instruction count, the least and the median time and the
// instructions per second. --fresh fetches and decodes every instruction
// afresh instead of running from the pre-decoded slots. --qemu also runs each
// image N times under qemu-system-arm (its start-up code leaves through
// semihosting on the normal-end SWI) and prints qemu's least and median time
// next to the simulator's; an image whose name ends in "_protected.elf" turns
// on the protection unit and the caches, which qemu's core does not have, so
// it is compared with the simulator's figure for the same image without the
// suffix when that was run before it. The images choose whether they turn on
// the protection unit and the caches.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "elf_image.h"
#include "simcore/simulator.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double least = 0;
    double median = 0;
};

Figures Summarise(std::vector<double> seconds)
{
    std::sort(seconds.begin(), seconds.end());
    return {seconds.front(), seconds[seconds.size() / 2]};
}

// One run of the image in a new simulator: seconds, or a negative value when
// the image cannot be loaded or does not reach its normal end.
double RunSimulator(const std::string& image, bool fresh, uint32_t& instructions, uint32_t& r0)
{
    zk::sim::Simulator sim;
    sim.SetPredecode(!fresh);
    std::string error;
    if (!zk::tools::LoadElfFile(image, sim, error)) {
        std::fprintf(stderr, "simbench: %s\n", error.c_str());
        return -1;
    }
    const auto start = Clock::now();
    const int code = sim.Run(0);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    instructions = sim.InstructionCount();
    sim.ReadRegister(1, r0);
    if (code != zk::sim::kNormalEnd) {
        std::fprintf(stderr, "simbench: %s stopped before its normal end (code %d)\n", image.c_str(), code);
        return -1;
    }
    return seconds;
}

// One run under qemu-system-arm, start-up and exit included: seconds, or a
// negative value when qemu cannot be started.
double RunQemu(const std::string& image)
{
    std::vector<std::string> args = {"qemu-system-arm", "-M",       "versatilepb", "-cpu",    "ti925t", "-semihosting",
                                     "-nographic",      "-monitor", "none",        "-serial", "none",   "-audiodev",
                                     "none,id=none",    "-kernel",  image};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1 /* O_WRONLY */, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, "qemu-system-arm", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        std::fprintf(stderr, "simbench: qemu-system-arm cannot be started\n");
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    bool fresh = false, qemu = false;
    int runs = 3;
    std::vector<std::string> images;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--fresh") {
            fresh = true;
        } else if (a == "--qemu") {
            qemu = true;
        } else if (a == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            images.push_back(a);
        }
    }
    if (images.empty()) {
        std::fprintf(stderr, "usage: simbench [--fresh] [--qemu] [--runs N] IMAGE...\n");
        return 2;
    }
    int status = 0;
    std::map<std::string, Figures> simulated;  // by image
    for (const std::string& image : images) {
        std::vector<double> times;
        uint32_t instructions = 0, r0 = 0;
        for (int run = 0; run < runs; ++run) {
            const double t = RunSimulator(image, fresh, instructions, r0);
            if (t < 0)
                break;
            times.push_back(t);
        }
        if (times.size() != static_cast<size_t>(runs)) {
            status = 1;
            continue;
        }
        const Figures sim = Summarise(times);
        simulated[image] = sim;
        std::printf("%s: r0 = 0x%08x, %u instructions; simulator %.3f s least, %.3f s median: %.1f million "
                    "instructions per second (median %.1f)\n",
                    image.c_str(), r0, instructions, sim.least, sim.median, instructions / sim.least / 1e6,
                    instructions / sim.median / 1e6);
        if (!qemu)
            continue;
        const std::string suffix = "_protected.elf";
        if (EndsWith(image, suffix)) {
            const std::string plain = image.substr(0, image.size() - suffix.size()) + ".elf";
            const auto found = simulated.find(plain);
            if (found != simulated.end()) {
                std::printf("  protection unit and caches on: %.2f times the simulator's time without them (least), "
                            "%.2f (median)\n",
                            sim.least / found->second.least, sim.median / found->second.median);
            }
            continue;
        }
        std::vector<double> qemuTimes;
        for (int run = 0; run < runs; ++run) {
            const double t = RunQemu(image);
            if (t < 0)
                break;
            qemuTimes.push_back(t);
        }
        if (qemuTimes.size() != static_cast<size_t>(runs)) {
            status = 1;
            continue;
        }
        const Figures q = Summarise(qemuTimes);
        std::printf("  qemu-system-arm %.3f s least, %.3f s median (start-up included): the simulator takes %.2f "
                    "times qemu's time (least), %.2f (median)\n",
                    q.least, q.median, sim.least / q.least, sim.median / q.median);
    }
    return status;
}
