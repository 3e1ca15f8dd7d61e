// stepbench [--runs N] [--steps N] [--image NAME]... [--only WAY]...
// [--verbose]: the cost of one source-level step. The workload (workload/:
// rounds of calls, loops, recursion, inlined helpers, then a long ledger
// loop), built at -O0 and -O2 in ARM and Thumb state, is stepped by a fixed
// plan (bench.h): N Step Into in round_of_work, N Step Out of next_value
// each followed by a Go to its breakpoint, N Step Over in ledger's loop.
// Three ways: headless (simrun --script --source-level --stats), in quelm's
// main frame offscreen with the sources, the register and a memory window open
// (tiled)
// (the command to its stop shown and the queue drained), and gdb-multiarch's
// step, finish, continue and next over qemu-system-arm's gdb stub as the
// reference. N runs of each (default 3, 100 commands each way); each run's
// minimum and median per command, then over all runs. NAME: arm_o0, arm_o2,
// thumb_o0, thumb_o2 (default all); WAY: headless, frame, gdb (default
// all). --verbose: the frame's stops, the widgets each command painted and
// the windows on standard error (STEPBENCH_PAINT_PATHS=1: every paint with
// its widget's path).
#include <QApplication>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench.h"
#include "offscreen_quelm.h"
#include "platform/qt/qt_loop.h"
#include "platform/scripted_ui.h"

namespace {

using stepbench::Measured;

const char* const kImages[] = {"arm_o0", "arm_o2", "thumb_o0", "thumb_o2"};
const char* const kWays[] = {"headless", "frame", "gdb"};

std::string MinMedian(std::vector<double> ms)
{
    if (ms.empty())
        return "-";
    std::sort(ms.begin(), ms.end());
    char text[48];
    std::snprintf(text, sizeof text, "%.3f / %.3f", ms.front(), ms[ms.size() / 2]);
    return text;
}

void PrintRow(const std::string& name, const std::map<std::string, std::vector<double>>& ms, const std::string& tail)
{
    std::printf("  %-16s", name.c_str());
    for (const char* kind : stepbench::kKinds) {
        const auto found = ms.find(kind);
        std::printf(" %19s", MinMedian(found == ms.end() ? std::vector<double>{} : found->second).c_str());
    }
    std::printf("%s\n", tail.c_str());
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: stepbench [--runs N] [--steps N] [--image arm_o0|arm_o2|thumb_o0|thumb_o2]... "
                 "[--only headless|frame|gdb]... [--verbose]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 3;
    int steps = 100;
    bool verbose = false;
    std::vector<std::string> images, ways;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--steps" && i + 1 < argc)
            steps = std::max(1, std::atoi(argv[++i]));
        else if (a == "--image" && i + 1 < argc)
            images.push_back(argv[++i]);
        else if (a == "--verbose")
            verbose = true;
        else if (a == "--only" && i + 1 < argc)
            ways.push_back(argv[++i]);
        else
            return Usage();
    }
    if (images.empty())
        images.assign(std::begin(kImages), std::end(kImages));
    if (ways.empty())
        ways.assign(std::begin(kWays), std::end(kWays));
    for (const std::string& name : images)
        if (std::find(std::begin(kImages), std::end(kImages), name) == std::end(kImages))
            return Usage();
    for (const std::string& way : ways)
        if (std::find(std::begin(kWays), std::end(kWays), way) == std::end(kWays))
            return Usage();

    const std::string folder = benchsupport::PrepareOffscreenProcess("stepbench");
    QApplication qapp(argc, argv);
    platform::qt::QtLoop loop;
    // Nothing may ask: a question is answered at once and reported.
    platform::ScriptedUi ui;
    ui.SetFailureHandler([](const std::string& failure) { std::fprintf(stderr, "stepbench: %s\n", failure.c_str()); });
    platform::ModalUiScope scope(ui);

    std::printf("%d run(s) of %d commands each way; min / median in ms per command\n", runs, steps);
    int failures = 0;
    for (const std::string& name : images) {
        stepbench::Plan plan;
        plan.image = std::string(STEPBENCH_IMAGE_DIR) + "/stepbench_" + name + ".elf";
        plan.sources = STEPBENCH_WORKLOAD;
        plan.steps = steps;
        plan.verbose = verbose;
        std::printf("\n%s\n  %-16s", plan.image.c_str(), "");
        for (const char* kind : stepbench::kKinds)
            std::printf(" %19s", kind);
        std::printf("\n");
        for (const std::string& way : ways) {
            std::map<std::string, std::vector<double>> all;
            for (int run = 1; run <= runs; ++run) {
                const Measured m = way == "headless" ? stepbench::StepHeadless(plan)
                    : way == "frame"                 ? stepbench::StepInFrame(plan)
                                                     : stepbench::StepWithGdb(plan);
                if (!m.ok) {
                    std::printf("  %s run %d failed: %s\n", way.c_str(), run, m.error.c_str());
                    ++failures;
                    continue;
                }
                std::string tail;
                if (way == "frame") {
                    long commands = 0;
                    for (const auto& [kind, ms] : m.ms)
                        commands += static_cast<long>(ms.size());
                    char text[96];
                    std::snprintf(text, sizeof text, "   %.1f paints, %.3f ms cpu per command",
                                  commands ? static_cast<double>(m.paints) / commands : 0.0,
                                  commands ? m.processorSeconds * 1000 / commands : 0.0);
                    tail = text;
                }
                PrintRow(way + " " + std::to_string(run), m.ms, tail);
                for (const auto& [kind, ms] : m.ms)
                    all[kind].insert(all[kind].end(), ms.begin(), ms.end());
                std::fflush(stdout);
            }
            if (runs > 1 && !all.empty())
                PrintRow(way + " all", all, "");
        }
    }
    std::filesystem::remove_all(folder);
    return failures == 0 ? 0 : 1;
}
