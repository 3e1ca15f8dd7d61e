// The build: one child process (make, or the user's build file) started in
// the project folder in its own process group, its standard output and error
// relayed to the host thread as `BuildOutputMessage` chunks, and a finished
// message with its exit status last.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "compiler_info.h"

namespace fendrix {

// What a request asks to run: the argv (never a shell command line) and the
// folder it runs in.
struct BuildCommand {
    std::vector<std::string> argv;
    std::string folder;
};

BuildCommand CommandFor(const BuildRequest& request);

class Build;

class BuildRunner {
public:
    static BuildRunner& Instance();
    ~BuildRunner();

    // An opaque non-null id of the started build; null while another build
    // runs or when no worker could be started.
    void* Start(DWORD hostThread, const BuildCommand& command);
    // Asks the running build to end (SIGTERM to its group, SIGKILL after
    // the grace) and waits a bounded time for its worker.
    void Stop();
    bool Running();
    // Milliseconds between SIGTERM and SIGKILL, on platform/clock.h's clock.
    void SetGraceMs(uint32_t ms) { graceMs_ = ms; }
    uint32_t GraceMs() const { return graceMs_; }

private:
    std::mutex mutex_;
    std::shared_ptr<Build> build_;
    uint32_t graceMs_ = 2000;
};

}  // namespace fendrix
