// corvanebench [runs]: loads the image with 100 objects of each kernel kind
// into the simulator and times the kernel view's read of all seven kinds
// (what runs after every stop); prints each run, the minimum and the median.
#include <platform/messages.h>
#include <platform/win32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "corvane/tables.h"
#include "corvane/target_read.h"
#include "falcrest.h"
#include "quentor.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const char* processor = "ARM7TDMI";
    HWND window = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
    InitDLL_CpuServer(0, window, processor, 0);
    int port = 0;
    if (NewABIDLL(1, processor, &port, "Simulator", 1) != 1) {
        std::fprintf(stderr, "corvanebench: the simulator library did not start\n");
        return 1;
    }
    MemInitServer(window);
    const char* image = ZK_FIXTURE_DIR "/kernel_many.elf";
    if (LdrLoadWin(image, 1, LDR_LOAD_SYMBOLS | LDR_LOAD_CODE | LDR_FLAG_SEGMENTS, nullptr) != LDR_OK) {
        std::fprintf(stderr, "corvanebench: cannot load %s\n", image);
        return 1;
    }
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        corvane::ResetTables();
        const auto start = std::chrono::steady_clock::now();
        const int ok = corvane::ReadAllKinds();
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        int total = 0;
        for (int32_t n : corvane::Tables().counts)
            total += n;
        std::printf("run %d: %.3f ms, result %d, %d objects\n", r + 1, ms.back(), ok, total);
        if (!ok || total != corvane::KIND_COUNT * corvane::TABLE_CAPACITY) {
            std::fprintf(stderr, "corvanebench: not every object was read\n");
            return 1;
        }
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    std::printf("all seven kinds, 100 objects each: min %.3f ms, median %.3f ms over %d runs\n", sorted.front(),
                sorted[sorted.size() / 2], runs);
    MemExitServer();
    ExitABIDLL();
    platform::DestroySink(window);
    return 0;
}
