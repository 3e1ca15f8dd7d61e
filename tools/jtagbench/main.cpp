// jtagbench: port operations per 33-bit DR scan for each JTAG driver, and
// scans per second on the simulated port (min and median of 3 runs of one
// second each).
//
//   build/bin/jtagbench
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "portio/sim_port.h"

namespace {

template <typename F>
F Get(void* lib, const char* name)
{
    return reinterpret_cast<F>(dlsym(lib, name));
}

std::string Folder(const char* argv0)
{
    std::string path = argv0;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

void Measure(const std::string& folder, const char* name, portio::DeviceKind kind)
{
    void* lib = dlopen((folder + "/lib" + name + ".so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        std::fprintf(stderr, "jtagbench: %s\n", dlerror());
        std::exit(1);
    }
    portio::SimulatedPort& port = *portio::Simulated();
    port.Reset(kind, {.eppWithoutSetup = true});
    port.TargetTap().Plug(5, std::make_shared<portio::LatchRegister>(33));
    Get<void (*)(uint16_t, int32_t)>(lib, "init_jtag_controller")(1, 1);
    auto scanOut = Get<void (*)(uint8_t, uint16_t, const uint8_t*, uint8_t)>(lib, "scan_out");
    auto scanIo = Get<void (*)(uint8_t, uint16_t, const uint8_t*, uint8_t*, uint8_t)>(lib, "scan_io");
    const uint8_t instruction = 5;
    scanOut(0, 4, &instruction, 1);
    const uint8_t data[5] = {0x12, 0x34, 0x56, 0x78, 0x01};
    uint8_t captured[5];
    port.ClearTrace();
    scanIo(1, 33, data, captured, 1);
    const size_t ops = port.Trace().size();
    std::vector<double> rates;
    for (int run = 0; run < 3; ++run) {
        using clock = std::chrono::steady_clock;
        const auto start = clock::now();
        long scans = 0;
        double seconds = 0;
        do {
            for (int i = 0; i < 100; ++i)
                scanIo(1, 33, data, captured, 1);
            scans += 100;
            port.ClearTrace();
            seconds = std::chrono::duration<double>(clock::now() - start).count();
        } while (seconds < 1.0);
        rates.push_back(scans / seconds);
    }
    std::sort(rates.begin(), rates.end());
    std::printf("%-9s %4zu port operations per 33-bit DR scan; %9.0f scans/s min, %9.0f median\n", name, ops, rates[0],
                rates[1]);
    dlclose(lib);
}

}  // namespace

int main(int, char** argv)
{
    setenv("ZK_PORTIO", "sim", 1);
    const std::string folder = Folder(argv[0]);
    Measure(folder, "Rimbolt", portio::DeviceKind::Box);
    Measure(folder, "Tessovar", portio::DeviceKind::Cable);
    return 0;
}
