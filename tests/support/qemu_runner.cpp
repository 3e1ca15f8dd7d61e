#include "qemu_runner.h"

namespace zk::test {

std::vector<std::string> QemuCommand()
{
    return {"qemu-system-arm", "-M",       "versatilepb", "-cpu",    "ti925t", "-semihosting",
            "-nographic",      "-monitor", "none",        "-serial", "none"};
}

QemuRun RunOnQemu(const std::string& image, const std::string& input, std::chrono::milliseconds timeout,
                  const std::vector<std::string>& extraArgs)
{
    std::vector<std::string> argv = QemuCommand();
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    argv.push_back("-kernel");
    argv.push_back(image);
    ProcessResult p = RunProcess(argv, input, timeout, {"QEMU_AUDIO_DRV=none"});
    return {p.out, p.err, p.exitStatus, p.timedOut};
}

}  // namespace zk::test
