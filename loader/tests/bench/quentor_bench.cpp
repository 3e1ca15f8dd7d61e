// Load times of the front end on tarnel_bench's large image (40 units,
// 12,000 functions) and its IEEE-695 twin with the debug part written from
// the image's program facts: symbols of the twin next to the DWARF 2 ELF's,
// and the twin's download next to the S-record download of the same bytes
// (objcopy -O srec), into the simulator library:
//   cmake --build build --target quentor_bench && build/tests/quentor_bench
#include <benchmark/benchmark.h>
#include <platform/messages.h>
#include <platform/modules.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "falcrest.h"
#include "host_tools.h"
#include "ieee695_debug_twin.h"
#include "ieee695_twin.h"
#include "quentor.h"
#include "quinar/quinar.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace {

const std::string IMAGE = ZK_BIG_IMAGE;

struct Files {
    std::string twin, srec;
    Files()
    {
        const std::string base = "/tmp/quentor_bench_" + std::to_string(::getpid());
        twin = base + ".695";
        srec = base + ".srec";
        const quentor::test::ElfFacts facts = quentor::test::FactsOf(IMAGE);
        zk::test::Ieee695ModuleDesc m = quentor::test::TwinOf(IMAGE, facts);
        m.debug = quentor::test::DebugTwin(zk::test::ProgramFactsOf(IMAGE, facts.bigEndian), facts.symbols).Write();
        zk::test::WriteBytesFile(twin, zk::test::WriteIeee695(m));
        zk::test::RunProcess({"arm-none-eabi-objcopy", "-O", "srec", IMAGE, srec});
    }
    ~Files()
    {
        std::remove(twin.c_str());
        std::remove(srec.c_str());
    }
};

const Files& TheFiles()
{
    static const Files files;
    return files;
}

void Load(benchmark::State& state, const std::string& path, unsigned flags)
{
    for (auto _ : state) {
        if (LdrLoadWin(path.c_str(), 0, flags, nullptr) != LDR_OK)
            state.SkipWithError("the image does not load");
        SymClearSymbolTables(0);
    }
}

void SymbolsElf(benchmark::State& state)
{
    Load(state, IMAGE, LDR_LOAD_SYMBOLS);
}
void SymbolsIeee695Twin(benchmark::State& state)
{
    Load(state, TheFiles().twin, LDR_LOAD_SYMBOLS);
}

// The simulator library connected as the program connects it.
class Target {
public:
    Target()
    {
        frame_ = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        InitDLL_CpuServer(0, frame_, "ARM7TDMI", 0);
        int port = 0;
        platform::SetModuleFolder("");
        ok_ = NewABIDLL(1, "ARM7TDMI", &port, "Simulator", 1) == 1;
        MemInitServer(frame_);
    }
    ~Target()
    {
        MemExitServer();
        ExitABIDLL();
        platform::DestroySink(frame_);
    }
    bool Ok() const { return ok_; }

private:
    HWND frame_ = nullptr;
    bool ok_ = false;
};

void Download(benchmark::State& state, const std::string& path)
{
    const Target target;
    if (!target.Ok()) {
        state.SkipWithError("libDorvel.so is not in the program's folder");
        return;
    }
    Load(state, path, LDR_LOAD_CODE);
}
void DownloadIeee695Twin(benchmark::State& state)
{
    Download(state, TheFiles().twin);
}
void DownloadSrec(benchmark::State& state)
{
    Download(state, TheFiles().srec);
}

BENCHMARK(SymbolsElf)->Unit(benchmark::kMillisecond);
BENCHMARK(SymbolsIeee695Twin)->Unit(benchmark::kMillisecond);
BENCHMARK(DownloadIeee695Twin)->Unit(benchmark::kMillisecond);
BENCHMARK(DownloadSrec)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
