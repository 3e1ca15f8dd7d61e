// simrun IMAGE [--max-seconds N] [--stats] [--script FILE [--source-level]]
// [args...]: runs an ARM image on the simulator with ARM semihosting,
// headless; with a script, the command shell's lines from FILE (one a line)
// run against the loaded image instead (go, step, halt, reset, jump, bp, bc,
// wp), the step commands by source line with --source-level; the bp command
// saves the breakpoints only to the file --save-breakpoints names. The program's console
// output goes to standard output (its standard error to standard error),
// standard input feeds its console input line by line, and its arguments
// follow the image on its command line ("--" ends the runner's options).
// Exit status: the program's own status when it ends with the
// application-exit reason (0x20026; exit(n) gives n), otherwise 1 with the
// reason's or the halt's text on standard error; 2 for a usage or set-up
// failure.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runner.h"

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: simrun IMAGE [--max-seconds N] [--stats] [--script FILE [--source-level] [--save-breakpoints "
                 "FILE]] [--] [args...]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    simrun::RunOptions options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && a == "--max-seconds") {
            if (++i >= argc)
                return Usage();
            char* end = nullptr;
            options.maxSeconds = std::strtod(argv[i], &end);
            // Not NaN (no comparison holds), not infinite.
            if (!end || *end || !(options.maxSeconds > 0) || !std::isfinite(options.maxSeconds))
                return Usage();
        } else if (!optionsEnded && a == "--script") {
            if (++i >= argc)
                return Usage();
            options.script = argv[i];
        } else if (!optionsEnded && a == "--save-breakpoints") {
            if (++i >= argc)
                return Usage();
            options.breakpointFile = argv[i];
        } else if (!optionsEnded && a == "--source-level") {
            options.sourceLevel = true;
        } else if (!optionsEnded && a == "--stats") {
            options.stats = true;
        } else if (!optionsEnded && a.rfind("--", 0) == 0 && options.image.empty()) {
            return Usage();
        } else if (options.image.empty()) {
            options.image = a;
        } else {
            options.args.push_back(a);
        }
    }
    if (options.image.empty())
        return Usage();
    return simrun::RunImage(options);
}
