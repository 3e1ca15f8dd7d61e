// simbench [--fresh] IMAGE...: runs each freestanding ARM image in the
// simulator to its normal end and prints the instruction count, the time and
// the instructions per second. --fresh fetches and decodes every instruction
// afresh instead of running from the pre-decoded slots. The images choose whether they turn on the
// protection unit and the caches.
#include <chrono>
#include <cstdio>
#include <string>

#include "elf_image.h"
#include "simcore/simulator.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: simbench [--fresh] IMAGE...\n");
        return 2;
    }
    int status = 0;
    bool fresh = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--fresh") {
            fresh = true;
            continue;
        }
        zk::sim::Simulator sim;
        sim.SetPredecode(!fresh);
        std::string error;
        if (!zk::tools::LoadElfFile(argv[i], sim, error)) {
            std::fprintf(stderr, "simbench: %s\n", error.c_str());
            status = 2;
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        const int code = sim.Run(0);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        uint32_t r0 = 0;
        sim.ReadRegister(1, r0);
        const double n = sim.InstructionCount();
        std::printf("%s: %s, r0 = 0x%08x, %.0f instructions in %.3f s: %.1f million instructions per second\n", argv[i],
                    code == zk::sim::kNormalEnd ? "normal end" : "stopped", r0, n, seconds, n / seconds / 1e6);
        if (code != zk::sim::kNormalEnd)
            status = 1;
    }
    return status;
}
