// Reads the CPU-state records that qemu-system-arm writes with
// "-singlestep -d cpu,nochain": per instruction, four lines of R00-R15 and a
// PSR line, giving the state before that instruction.
#pragma once

#include <cstdint>
#include <string>

namespace zk::tools {

struct QemuRecord {
    uint32_t r[16] = {};
    uint32_t psr = 0;
};

class QemuTrace {
public:
    explicit QemuTrace(int fd) : fd_(fd) {}
    // The next record; false at the end of the trace.
    bool Next(QemuRecord& record);

private:
    bool ReadLine(std::string& line);

    int fd_;
    std::string buffer_;
    size_t pos_ = 0;
    bool eof_ = false;
};

// Parses "R00=00000000 R01=..." and "PSR=400001d3 -Z-- A svc32" lines into a
// record; returns true once the PSR line completed it.
bool ParseTraceLine(const std::string& line, QemuRecord& record, unsigned& seen);

}  // namespace zk::tools
