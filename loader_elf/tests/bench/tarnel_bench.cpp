// Load times of a large image (thousands of functions, megabytes of DWARF 2,
// built by the tarnel_big_image target):
//   cmake --build build --target tarnel_bench && build/tests/tarnel_bench
// compare_tools.sh times gdb-multiarch and readelf on the same file.
#include <benchmark/benchmark.h>

#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "../dwarf1_writer.h"
#include "byte_cursor.h"
#include "download.h"
#include "elf_reader.h"
#include "load_state.h"
#include "quinar/quinar.h"
#include "tarnel.h"

namespace {

using namespace tarnel;

const std::string IMAGE = ZK_BIG_IMAGE;
// The same sources built with -gstabs.
const std::string STABS_IMAGE = ZK_BIG_STABS_IMAGE;
// The DWARF 1 twin of IMAGE: its program facts written as DWARF 1.
const std::string DWARF1_IMAGE = ZK_BIG_DWARF1_IMAGE;

int NoWrite(ADDR, const void*, uint32_t, int)
{
    return 0;
}

void Load(benchmark::State& state, unsigned flags, const std::string& image = IMAGE)
{
    for (auto _ : state) {
        if (LdrLoadWinElf(image.c_str(), 0, flags, nullptr) != LDR_OK)
            state.SkipWithError("the image does not load");
        SymClearSymbolTables(0);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(State().record.imageSize));
}

// Open, read whole, check, headers, section pass.
void LoadHeaders(benchmark::State& state)
{
    Load(state, 0);
}
// The same with the symbol-library side: quinar's sections, the dispatch
// and the readers present in this build.
void LoadSymbols(benchmark::State& state)
{
    Load(state, LDR_FLAG_SYMBOLS);
}

// The DWARF 1 twin of the same program, with symbols.
void LoadSymbolsDwarf1Twin(benchmark::State& state)
{
    Load(state, LDR_FLAG_SYMBOLS, DWARF1_IMAGE);
}

// The stabs build of the same program, with symbols.
void LoadSymbolsStabs(benchmark::State& state)
{
    Load(state, LDR_FLAG_SYMBOLS, STABS_IMAGE);
}

// The segment download's reads, chunks and progress steps, with a target
// write that does nothing.
void DownloadAllSegments(benchmark::State& state)
{
    ImageFile file;
    if (file.Open(IMAGE) != LDR_OK || ReadElfImage(file.Bytes(), State().image) != LDR_OK) {
        state.SkipWithError("the image does not open");
        return;
    }
    for (auto _ : state) {
        State().record = LoadProgressRecord{};
        State().record.imageSize = file.Size();
        State().progress = ProgressMemory{};
        uint64_t loaded = 0;
        benchmark::DoNotOptimize(DownloadSegments(file, &loaded, NoWrite));
    }
}

// What the debug-information readers will cost per field: every byte of
// .debug_info, .debug_line and .debug_loc taken as LEB128 numbers and words.
void CursorOverDebugSections(benchmark::State& state)
{
    ImageFile file;
    ElfImage image;
    if (file.Open(IMAGE) != LDR_OK || ReadElfImage(file.Bytes(), image) != LDR_OK) {
        state.SkipWithError("the image does not open");
        return;
    }
    uint64_t bytes = 0;
    for (auto _ : state) {
        uint64_t sum = 0;
        for (const SectionRecord& s : image.sections) {
            if (s.name != ".debug_info" && s.name != ".debug_line" && s.name != ".debug_loc")
                continue;
            ByteCursor c = file.Cursor(s.offset, s.size, image.header.BigEndian(), s.name);
            while (!c.AtEnd()) {
                sum += c.ULeb128();
                sum += c.Remaining() >= 4 ? c.U32() : c.U8();
            }
            bytes += s.size;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// For comparison: the same sections read one 4-byte field per system call,
// as a reader that goes to the file for every field would.
void SystemCallPerField(benchmark::State& state)
{
    ImageFile file;
    ElfImage image;
    if (file.Open(IMAGE) != LDR_OK || ReadElfImage(file.Bytes(), image) != LDR_OK) {
        state.SkipWithError("the image does not open");
        return;
    }
    const int fd = ::open(IMAGE.c_str(), O_RDONLY);
    uint64_t bytes = 0;
    for (auto _ : state) {
        uint32_t sum = 0;
        for (const SectionRecord& s : image.sections) {
            if (s.name != ".debug_info" && s.name != ".debug_line" && s.name != ".debug_loc")
                continue;
            for (uint32_t at = 0; at + 4 <= s.size; at += 4) {
                uint32_t word = 0;
                if (::pread(fd, &word, 4, s.offset + at) == 4)
                    sum += word;
            }
            bytes += s.size;
        }
        benchmark::DoNotOptimize(sum);
    }
    ::close(fd);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// A DWARF 1 image of the big image's shape, written here (no compiler of
// today writes DWARF 1): 40 units of 300 functions, each with two
// parameters, a local and two line rows.
std::vector<uint8_t> BigDwarf1Image()
{
    constexpr uint32_t UNITS = 40, FUNCTIONS = 300, SIZE = 0x40;
    tarnel::test::Dwarf1Writer w;
    std::vector<uint8_t> line;
    uint32_t pc = 0x100;
    for (uint32_t u = 0; u < UNITS; ++u) {
        const std::string unit = "u" + std::to_string(u);
        const uint32_t low = pc;
        w.Begin(0x11).Sibling(unit).Name("big_" + std::to_string(u) + ".c").Str(0x0258, "GNU C 2.95");
        w.Pcs(low, low + FUNCTIONS * SIZE).End();
        std::vector<tarnel::test::Dwarf1LineRow> rows;
        for (uint32_t f = 0; f < FUNCTIONS; ++f, pc += SIZE) {
            const std::string name = unit + "f" + std::to_string(f);
            w.Begin(0x06).Sibling(name).Name(name).FundType(8).Pcs(pc, pc + SIZE).End();
            w.Begin(0x05).Name("a").FundType(8).AtFrame(11, -16).End();
            w.Begin(0x05).Name("b").ModFundType({1}, 2).AtRegister(1).End();
            w.Begin(0x0C).Name("total").FundType(8).AtFrame(11, -8).End();
            w.Null().Label(name);
            rows.push_back({f * 4 + 1, 0, pc - low});
            rows.push_back({f * 4 + 2, 0, pc - low + 8});
        }
        w.Null().Label(unit);
        const std::vector<uint8_t> table = tarnel::test::Dwarf1LineTable(low, rows);
        line.insert(line.end(), table.begin(), table.end());
    }
    return tarnel::test::Dwarf1Image(w.Build(), line);
}

void LoadSymbolsDwarf1(benchmark::State& state)
{
    const tarnel::test::TempFile file("big_dwarf1.elf", BigDwarf1Image());
    for (auto _ : state) {
        if (LdrLoadWinElf(file.Path().c_str(), 0, LDR_FLAG_SYMBOLS, nullptr) != LDR_OK)
            state.SkipWithError("the image does not load");
        SymClearSymbolTables(0);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(State().record.imageSize));
}

BENCHMARK(LoadHeaders)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadSymbols)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadSymbolsDwarf1)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadSymbolsDwarf1Twin)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadSymbolsStabs)->Unit(benchmark::kMillisecond);
BENCHMARK(DownloadAllSegments)->Unit(benchmark::kMillisecond);
BENCHMARK(CursorOverDebugSections)->Unit(benchmark::kMillisecond);
BENCHMARK(SystemCallPerField)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
