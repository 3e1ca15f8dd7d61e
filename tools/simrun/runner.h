// The headless runner: connects the simulator as the program does, loads an
// image through the loader front end, runs it with the debugger core's run
// control and semihosting, and plays the main frame's part at every stop.
#pragma once

#include <string>
#include <vector>

namespace simrun {

struct RunOptions {
    std::string image;
    std::vector<std::string> args;  // the program's command line after the image
    double maxSeconds = 0;          // 0: no bound
    bool stats = false;             // timings, instruction count and rate to standard error;
                                    // with a script, each line's time
    std::string script;             // shell command lines to run in place of a free run
    bool sourceLevel = false;       // the script's step commands go by source line
    std::string breakpointFile;     // where the bp command saves; empty: nowhere
};

// The exit status: the program's status when it ends with the
// application-exit reason, else 1 (the reason's or the halt's text on
// standard error); 2 when the simulator or the image cannot be set up.
// With a script: each line goes to the command shell (echoed behind "> "),
// the shell's output to standard output; a go's stop is shown as the
// frame's halt text with the PC ("Halt by breakpoint! (PC 0x00000080)"), the
// program's end as "Program ended (status N)". Exit status 0, or 2 when
// the script cannot be read.
int RunImage(const RunOptions& options);

}  // namespace simrun
