// simcmdbench: a 1 MiB download through Sim_Command code 7 and 1 KiB reads
// through code 6, as the target library sends them: downloads in 240-byte
// pieces of unit 1 (memory writes of a loader) and in 1 KiB pieces of unit 4
// (copies), reads of 1 KiB in units 1 and 4. "Protected" runs the same with
// the protection unit and both caches on, so that every access is checked
// and the caches are invalidated line by line.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "sim_command.h"

namespace {

constexpr uint32_t kBase = 0x100000;
constexpr size_t kDownload = 1 << 20;

void Setup(bool protectedMemory)
{
    Sim_Command(SIM_CMD_INIT, 0, 0, 0, 0);
    if (!protectedMemory)
        return;
    // Region 0 all 4 GB, full access, write-back data and cacheable
    // instructions, protection and both caches on.
    const uint32_t program[] = {
        0xE3A0003F, 0xEE060F10,  // mov r0,#0x3f; mcr p15,0,r0,c6,c0,0
        0xE3A00003, 0xEE050F10,  // mov r0,#3; mcr p15,0,r0,c5,c0,0
        0xEE050F11,              // mcr p15,0,r0,c5,c1,0
        0xE3A00801, 0xE2800003,  // mov r0,#0x10000; add r0,r0,#3
        0xEE020F10,              // mcr p15,0,r0,c2,c0,0
        0xE3A0001D, 0xEE010F10,  // mov r0,#0x1d; mcr p15,0,r0,c1,c0,0
    };
    Sim_Command(SIM_CMD_WRITE_MEM, 4, 0, reinterpret_cast<intptr_t>(program), sizeof program);
    for (size_t i = 0; i < sizeof program / 4; ++i)
        Sim_Command(SIM_CMD_STEP, 0, 0, 0, 0);
}

void Download(benchmark::State& state, unsigned unit, size_t piece, bool protectedMemory)
{
    Setup(protectedMemory);
    std::vector<uint8_t> image(kDownload);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i * 131 + 7);
    for (auto _ : state) {
        for (size_t offset = 0; offset < image.size(); offset += piece) {
            const size_t n = std::min(piece, image.size() - offset);
            Sim_Command(SIM_CMD_WRITE_MEM, unit, kBase + offset, reinterpret_cast<intptr_t>(image.data() + offset),
                        static_cast<intptr_t>(n));
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.size()));
}

void Read1KiB(benchmark::State& state, unsigned unit, bool protectedMemory)
{
    Setup(protectedMemory);
    std::vector<uint8_t> buffer(1024, 0x5A);
    Sim_Command(SIM_CMD_WRITE_MEM, 4, kBase, reinterpret_cast<intptr_t>(buffer.data()), 1024);
    for (auto _ : state) {
        Sim_Command(SIM_CMD_READ_MEM, unit, kBase, reinterpret_cast<intptr_t>(buffer.data()), 1024);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer.size()));
}

BENCHMARK_CAPTURE(Download, 1MiB_240B_pieces_unit1, 1, 240, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Download, 1MiB_1KiB_pieces_unit4, 4, 1024, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Download, 1MiB_240B_pieces_unit1_protected, 1, 240, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Download, 1MiB_1KiB_pieces_unit4_protected, 4, 1024, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Read1KiB, unit1, 1, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Read1KiB, unit4, 4, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Read1KiB, unit1_protected, 1, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Read1KiB, unit4_protected, 4, true)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
