#include "qemu_trace.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zk::tools {

bool ParseTraceLine(const std::string& line, QemuRecord& record, unsigned& seen)
{
    if (line.rfind("PSR=", 0) == 0) {
        record.psr = static_cast<uint32_t>(std::strtoul(line.c_str() + 4, nullptr, 16));
        const bool complete = seen == 0xFFFF;
        seen = 0;
        return complete;
    }
    // Register lines: "R00=xxxxxxxx R01=xxxxxxxx R02=xxxxxxxx R03=xxxxxxxx".
    for (size_t at = line.find('R'); at != std::string::npos; at = line.find('R', at + 1)) {
        if (at + 12 > line.size() || line[at + 3] != '=')
            continue;
        const int n = (line[at + 1] - '0') * 10 + (line[at + 2] - '0');
        if (n < 0 || n > 15)
            continue;
        record.r[n] = static_cast<uint32_t>(std::strtoul(line.substr(at + 4, 8).c_str(), nullptr, 16));
        seen |= 1u << n;
    }
    return false;
}

bool QemuTrace::ReadLine(std::string& line)
{
    for (;;) {
        const size_t nl = buffer_.find('\n', pos_);
        if (nl != std::string::npos) {
            line.assign(buffer_, pos_, nl - pos_);
            pos_ = nl + 1;
            if (pos_ > 1 << 20) {
                buffer_.erase(0, pos_);
                pos_ = 0;
            }
            return true;
        }
        if (eof_)
            return false;
        char chunk[1 << 16];
        const ssize_t got = read(fd_, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            eof_ = true;
            continue;
        }
        buffer_.append(chunk, static_cast<size_t>(got));
    }
}

bool QemuTrace::Next(QemuRecord& record)
{
    std::string line;
    unsigned seen = 0;
    while (ReadLine(line)) {
        if (ParseTraceLine(line, record, seen))
            return true;
    }
    return false;
}

}  // namespace zk::tools
