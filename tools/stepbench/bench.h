// The stepping plan every way of stepping follows, and what a run of it
// measured.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace stepbench {

// The kinds of timed command.
inline constexpr const char* kInto = "step into";
inline constexpr const char* kOut = "step out";
inline constexpr const char* kOver = "step over";
inline constexpr const char* kGo = "go to bp";
inline constexpr const char* kKinds[] = {kInto, kOver, kOut, kGo};

// The plan, on the workload, in the order the program runs:
//   to round_of_work's entry, then `steps` Step Into (calls, loops, a
//   recursion, inlined helpers);
//   a breakpoint on next_value's entry (thousands of calls), to it, then
//   `steps` times Step Out and Go to it again;
//   the breakpoint cleared, to ledger's entry, then `steps` Step Over (its
//   loop has thousands of rounds of short lines and a call).
struct Plan {
    std::string image;
    std::string sources;  // the workload's folder
    int steps = 100;
    bool verbose = false;  // each stop and the windows open to standard error
};

struct Measured {
    bool ok = false;
    std::string error;
    std::map<std::string, std::vector<double>> ms;  // kind -> each command's time
    // The frame only: paints of any widget during the timed commands, and
    // the process's processor time over them.
    long paints = 0;
    double processorSeconds = 0;
};

// simrun --script --source-level --stats as a child process.
Measured StepHeadless(const Plan& plan);
// gdb-multiarch over qemu-system-arm's gdb stub; each command timed by gdb's
// Python.
Measured StepWithGdb(const Plan& plan);
// quelm's main frame offscreen in this process.
Measured StepInFrame(const Plan& plan);

}  // namespace stepbench
