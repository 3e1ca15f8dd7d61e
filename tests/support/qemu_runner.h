// Runs an ARM image on qemu-system-arm, the reference machine for run results:
// versatilepb with the ARMv4T ti925t core, semihosting on, no display, no
// serial port and no monitor, for a bounded time.
#pragma once

#include "host_tools.h"

namespace zk::test {

struct QemuRun {
    std::string console;  // what the program wrote through semihosting (stdout)
    std::string errors;   // qemu's standard error (and the program's stderr)
    int exitStatus = -1;  // the program's exit status as qemu reports it
    bool timedOut = false;
};

QemuRun RunOnQemu(const std::string& image, const std::string& input = {},
                  std::chrono::milliseconds timeout = std::chrono::seconds(60),
                  const std::vector<std::string>& extraArgs = {});

// The qemu command line (without the image) shared by the tests and the tools.
std::vector<std::string> QemuCommand();

}  // namespace zk::test
