#include "console_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace simrun {

bool ConsoleInput::Fill(Clock::time_point deadline, bool& timedOut)
{
    while (!ended_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            timedOut = true;
            return false;
        }
        pollfd fd{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(left < 1000 ? left : 1000));
        if (ready < 0 && errno != EINTR) {
            ended_ = true;
            break;
        }
        if (ready <= 0)
            continue;
        char chunk[4096];
        const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ended_ = true;
            break;
        }
        pending_.append(chunk, static_cast<size_t>(got));
        return true;
    }
    return false;
}

size_t ConsoleInput::ReadLine(uint8_t* buffer, size_t count, Clock::time_point deadline, bool& timedOut)
{
    timedOut = false;
    size_t end = pending_.find('\n');
    while (end == std::string::npos && pending_.size() < count && Fill(deadline, timedOut))
        end = pending_.find('\n');
    size_t n = end == std::string::npos ? pending_.size() : end + 1;
    if (n > count)
        n = count;
    std::memcpy(buffer, pending_.data(), n);
    pending_.erase(0, n);
    return n;
}

}  // namespace simrun
