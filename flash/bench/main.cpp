// flashbench [KB] [library-folder]: programs an image of KB kilobytes
// (default 1024) through the chunk worker on the simulator, three times,
// with the test device's routine from the library folder (default: the
// build's flash test folder). The target is set up as the program does it,
// with the main frame's stop handling on this (the GUI) thread. Prints each
// run and the minimum and median of the throughput in KB/s and of the
// per-chunk overhead: the host's writes (chunk, destination, length), the
// run from the go till the target stopped, and the stop's handling until the
// worker may go on.
#include <platform/messages.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "emu_messages.h"
#include "falcrest.h"
#include "mirobel/flash_engine.h"
#include "mirobel/flash_files.h"
#include "mirobel/flash_protocol.h"
#include "sarvik.h"
#include "sarvik/frame_stop.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

class Display : public sarvik::StopDisplay {
public:
    void ShowHalt(uint16_t, const char*) override {}
    void Refresh() override {}
};

// The library's target, timed phase by phase.
class TimedTarget : public mirobel::FlashTarget {
public:
    explicit TimedTarget(mirobel::FlashTarget& inner) : inner_(inner) {}
    int WriteBlock(uint32_t address, const uint8_t* data, uint32_t size) override
    {
        const auto start = Clock::now();
        const int r = inner_.WriteBlock(address, data, size);
        write += Clock::now() - start;
        return r;
    }
    int ReadBlock(uint32_t address, uint8_t* data, uint32_t size) override
    {
        return inner_.ReadBlock(address, data, size);
    }
    int SetPc(uint32_t pc) override { return inner_.SetPc(pc); }
    int GetPc(uint32_t& pc) override { return inner_.GetPc(pc); }
    mirobel::RunMark Mark() override { return inner_.Mark(); }
    int GoTill(uint32_t address) override
    {
        goAt_ = Clock::now();
        stoppedSeen_ = false;
        ++chunks;
        return inner_.GoTill(address);
    }
    bool Settled(const mirobel::RunMark& mark) override
    {
        if (!stoppedSeen_ && (CpuGetCpuStatus(0, 0) & 1) == 0) {
            stoppedSeen_ = true;
            stoppedAt_ = Clock::now();
            run += stoppedAt_ - goAt_;
        }
        const bool settled = inner_.Settled(mark);
        if (settled && stoppedSeen_)
            handling += Clock::now() - stoppedAt_;
        return settled;
    }
    int Halt() override { return inner_.Halt(); }

    Clock::duration write{}, run{}, handling{};
    int chunks = 0;

private:
    mirobel::FlashTarget& inner_;
    Clock::time_point goAt_, stoppedAt_;
    bool stoppedSeen_ = false;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Min(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

}  // namespace

int main(int argc, char** argv)
{
    const uint32_t kb = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : 1024;
    const std::string folder = argc > 2 ? argv[2] : ZK_FLASH_TESTLIB;
    mirobel::SetLibraryFolder(folder);

    const sarvik::StopEntries core = sarvik::LinkedStopEntries();
    Display display;
    HWND frame = platform::CreateSink([&](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == WM_EMU_ERROR)
            sarvik::HandleTargetStop(core, display, w, l);
        return 1;
    });
    InitDLL_CpuServer(0, frame, "ARM7TDMI", 0);
    int port = 0;
    if (NewABIDLL(1, "ARM7TDMI", &port, "Simulator", 1) != 1) {
        std::fprintf(stderr, "flashbench: no simulator (libDorvel.so beside the program)\n");
        return 1;
    }
    MemInitServer(frame);
    EmuInit(frame);
    const EMU_TARGET_CONFIG config{0x101, 8, 0x08000000, EMU_PROTOCOL_SIMULATOR, EMU_CATCH_DEFAULT};
    EmuSetTargetConfig(&config);

    const uint32_t size = kb * 1024;
    const std::string image = "/tmp/flashbench-" + std::to_string(getpid()) + ".bin";
    {
        std::vector<char> bytes(size);
        for (uint32_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 13 + i / 509);
        std::ofstream(image, std::ios::binary).write(bytes.data(), size);
    }
    mirobel::FlashRequest request;
    request.device = "TESTDEV";
    request.imagePath = image;
    request.info.flashStart = request.info.flashOffset = 0x01000000;
    request.info.flashSize = size;
    request.info.ramStart = 0x00200000;
    request.info.ramEnd = 0x0020FFFF;

    std::vector<double> rates, writes, runs, handlings, perChunk;
    int status = 0;
    for (int pass = 0; pass < 3; ++pass) {
        TimedTarget target(mirobel::LibraryTarget());
        mirobel::FlashEngine engine(target);
        const auto start = Clock::now();
        if (!engine.StartFlash(request) || !engine.WaitUntilDone() || engine.Result() != FLASH_OK) {
            std::fprintf(stderr, "flashbench: result %u %s\n", engine.Result(), engine.Message().c_str());
            status = 1;
            break;
        }
        const double ms = Ms(Clock::now() - start);
        std::vector<uint8_t> back(size);
        MemReadBlock(back.data(), {request.info.flashStart, ADDR_SPACE_TARGET}, size);
        for (uint32_t i = 0; i < size; ++i)
            if (back[i] != static_cast<uint8_t>(i * 13 + i / 509)) {
                std::fprintf(stderr, "flashbench: flash differs at 0x%X\n", i);
                status = 1;
                break;
            }
        const double n = target.chunks;
        rates.push_back(kb / (ms / 1000.0));
        perChunk.push_back(ms / n);
        writes.push_back(Ms(target.write) / n);
        runs.push_back(Ms(target.run) / n);
        handlings.push_back(Ms(target.handling) / n);
        std::printf("run %d: %u KB in %.1f ms, %d chunks: %.0f KB/s; per chunk %.3f ms (write %.3f, run %.3f, "
                    "stop handling %.3f)\n",
                    pass + 1, kb, ms, target.chunks, rates.back(), perChunk.back(), writes.back(), runs.back(),
                    handlings.back());
    }
    if (status == 0) {
        std::printf("throughput KB/s: min %.0f median %.0f\n", Min(rates), Median(rates));
        std::printf("per chunk ms: min %.3f median %.3f\n", Min(perChunk), Median(perChunk));
        std::printf("  write ms: min %.3f median %.3f\n", Min(writes), Median(writes));
        std::printf("  run ms: min %.3f median %.3f\n", Min(runs), Median(runs));
        std::printf("  stop handling ms: min %.3f median %.3f\n", Min(handlings), Median(handlings));
    }
    std::remove(image.c_str());
    MemExitServer();
    ExitABIDLL();
    platform::DestroySink(frame);
    return status;
}
