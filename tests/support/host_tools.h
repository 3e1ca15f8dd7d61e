// Running host programs from tests: the reference tools (readelf, objdump,
// objcopy, qemu) and the project's own tools in build/bin.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace zk::test {

struct ProcessResult {
    std::string out;      // standard output
    std::string err;      // standard error
    int exitStatus = -1;  // exit code, or 128 + signal
    bool timedOut = false;
};

// Runs argv[0] (searched on PATH) with the arguments, feeding `input` to its
// standard input; kills it after `timeout`. Never throws for a failing child:
// a program that cannot be started gives exit status 127.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = {},
                         std::chrono::milliseconds timeout = std::chrono::seconds(60),
                         const std::vector<std::string>& extraEnv = {});

// Path of build/fixtures/<name>.elf.
std::string FixturePath(const std::string& name);

// Whole contents of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

}  // namespace zk::test
