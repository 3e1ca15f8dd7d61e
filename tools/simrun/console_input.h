// The program's console input: lines of the runner's standard input, read
// without blocking past a deadline. A line longer than a request stays for
// the next one.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace simrun {

class ConsoleInput {
public:
    using Clock = std::chrono::steady_clock;

    // At most `count` bytes of the next line (its line feed included); 0 at
    // the end of the input. `timedOut` is set when the deadline passed first.
    size_t ReadLine(uint8_t* buffer, size_t count, Clock::time_point deadline, bool& timedOut);

private:
    // Reads more of standard input; false at its end or on the deadline.
    bool Fill(Clock::time_point deadline, bool& timedOut);

    std::string pending_;
    bool ended_ = false;
};

}  // namespace simrun
