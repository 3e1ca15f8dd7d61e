// buildbench [runs]: builds through TCBuild whose command is a small shell
// script, received on this thread. Prints per run and then min and median of
// (1) the delay from the command's last moment (it prints the clock, then
// exits) to the finished message, (2) the relay rate of a 3 MB burst.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "compiler_info.h"
#include "platform/messages.h"
#include "platform/win32.h"

namespace {

double NowSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Received {
    std::string text;
    double finishedAt = 0;
    int status = -1;
};

Received Run(const std::string& dir, const std::string& script)
{
    BuildRequest request;
    request.threadId = GetCurrentThreadId();
    request.customBuild = 1;
    request.strings[BuildRequest::kCustomBuildFile] = dir + "/" + script;
    request.strings[BuildRequest::kProjectPath] = dir + "/bench.mpj";
    Received received;
    if (!TCBuild(WriteBuildRequest(request))) {
        std::fprintf(stderr, "buildbench: the build did not start\n");
        std::exit(1);
    }
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != BuildOutputMessage)
            continue;
        if (msg.wParam == 1) {
            received.finishedAt = NowSeconds();
            received.status = static_cast<int>(msg.lParam);
            break;
        }
        auto block = reinterpret_cast<HGLOBAL>(msg.lParam);
        received.text += static_cast<const char*>(GlobalLock(block));
        GlobalUnlock(block);
        GlobalFree(block);
    }
    return received;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    platform::EnsureMessageQueue();
    char pattern[] = "/tmp/buildbenchXXXXXX";
    const std::string dir = mkdtemp(pattern);
    std::ofstream(dir + "/end.sh") << "date +%s.%N\n";
    std::ofstream(dir + "/burst.sh") << "head -c 3145728 /dev/zero | tr '\\0' a\n";

    std::vector<double> delays, rates;
    for (int i = 0; i < runs; ++i) {
        const Received end = Run(dir, "end.sh");
        const double delayMs = (end.finishedAt - std::atof(end.text.c_str())) * 1000.0;
        const double start = NowSeconds();
        const Received burst = Run(dir, "burst.sh");
        const double rate = static_cast<double>(burst.text.size()) / (burst.finishedAt - start) / 1048576.0;
        if (burst.text.size() != 3145728u || burst.status != 0 || end.status != 0) {
            std::fprintf(stderr, "buildbench: wrong output (%zu bytes, status %d)\n", burst.text.size(), burst.status);
            return 1;
        }
        std::printf("run %d: finished %.2f ms after the command's end; 3 MB relayed at %.1f MB/s\n", i + 1, delayMs,
                    rate);
        delays.push_back(delayMs);
        rates.push_back(rate);
    }
    std::printf("finished delay: min %.2f ms, median %.2f ms\n", *std::min_element(delays.begin(), delays.end()),
                Median(delays));
    std::printf("relay rate: min %.1f MB/s, median %.1f MB/s\n", *std::min_element(rates.begin(), rates.end()),
                Median(rates));
    std::remove((dir + "/end.sh").c_str());
    std::remove((dir + "/burst.sh").c_str());
    rmdir(dir.c_str());
    return 0;
}
