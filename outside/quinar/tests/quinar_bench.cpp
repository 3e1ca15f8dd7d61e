// Look-up speed over a large store: 1000 modules of 1000 line rows each
// (1M rows, 4 bytes apart as ARM code), 100 functions per module (100k
// functions) and one global variable per function.
//
//   build/tests/quinar_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "quinar/quinar.h"

namespace {

constexpr uint32_t kModules = 1000;
constexpr uint32_t kRowsPerModule = 1000;
constexpr uint32_t kFunctionsPerModule = 100;
constexpr uint32_t kCodeBase = 0x10000;
constexpr uint32_t kModuleSize = kRowsPerModule * 4;
constexpr uint32_t kDataBase = 0x2000000;
constexpr ImageStamp kStamp{0, 1, 2, 3, 4, 5, 0};

std::vector<uint32_t> g_modules;

std::string FunctionName(uint32_t n)
{
    return "function_" + std::to_string(n);
}

// Rows of line n at 4-byte steps; every 7th row repeats its line's number
// further down (a loop), so lines have several ranges.
void Fill()
{
    SymClearSymbolTables(0);
    g_modules.clear();
    char name[32];
    for (uint32_t m = 0; m < kModules; ++m) {
        uint32_t base = kCodeBase + m * kModuleSize;
        std::snprintf(name, sizeof name, "unit%u.c", m);
        SymModuleDesc desc{2, base, base + kModuleSize - 1};
        uint32_t module = 0;
        SymOpenModule(name, &kStamp, &desc, 0, 1, 0, &module, 0);
        g_modules.push_back(module);
        for (uint32_t f = 0; f < kFunctionsPerModule; ++f) {
            uint32_t n = m * kFunctionsPerModule + f;
            uint32_t start = base + f * (kModuleSize / kFunctionsPerModule);
            SymModuleDesc range{2, start, start + kModuleSize / kFunctionsPerModule - 1};
            std::string fn = FunctionName(n);
            SymAddPublicSymbol(fn.c_str(), 0, 0, &range, 0);
            SymEndSymbolBlock();
            const uint32_t at[3] = {3, kDataBase + n * 4, 0};
            uint32_t handle = 0;
            SymAddVariable(("var_" + std::to_string(n)).c_str(), SYM_TYPE_INT, SYM_STORAGE_EXTERNAL, 0, at, 0, 1,
                           &handle);
        }
        SymCloseModule(0);
        SymBeginLineTable(module);
        for (uint32_t r = 0; r < kRowsPerModule; ++r) {
            uint32_t line = r % 7 == 6 ? r - 3 + 10 : r + 10;
            SymAddLineRow(line, 1, base + r * 4, 0);
        }
        SymEndLineTable();
    }
    SymEndLoad();
}

void EnsureFilled()
{
    if (g_modules.empty())
        Fill();
}

std::vector<uint32_t> RandomValues(uint32_t count, uint32_t low, uint32_t high)
{
    std::mt19937 rng(12345);
    std::uniform_int_distribution<uint32_t> pick(low, high);
    std::vector<uint32_t> values(count);
    for (uint32_t& v : values)
        v = pick(rng);
    return values;
}

// Look-ups of random addresses between low and high.
template <class Lookup>
void RunAddressLookups(benchmark::State& state, uint32_t low, uint32_t high, Lookup lookup)
{
    EnsureFilled();
    auto addresses = RandomValues(4096, low, high);
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(lookup(addresses[i++ & 4095]));
}

constexpr uint32_t kCodeEnd = kCodeBase + kModules * kModuleSize - 1;

void BM_FillAndIndex(benchmark::State& state)
{
    for (auto _ : state)
        Fill();
    state.counters["rows"] = kModules * kRowsPerModule;
    state.counters["functions"] = kModules * kFunctionsPerModule;
}
BENCHMARK(BM_FillAndIndex)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_AddrToSourceLine(benchmark::State& state)
{
    RunAddressLookups(state, kCodeBase, kCodeEnd, [](uint32_t a) {
        uint32_t line = 0, start = 0;
        return SymAddrToSourceLine(a, nullptr, nullptr, &line, &start, nullptr, nullptr);
    });
}
BENCHMARK(BM_AddrToSourceLine);

// Look-ups of random lines of random modules.
template <class Lookup>
void RunLineLookups(benchmark::State& state, Lookup lookup)
{
    EnsureFilled();
    auto modules = RandomValues(4096, 0, kModules - 1);
    auto lines = RandomValues(4096, 10, 10 + kRowsPerModule);
    size_t i = 0;
    for (auto _ : state) {
        size_t k = i++ & 4095;
        benchmark::DoNotOptimize(lookup(g_modules[modules[k]], lines[k]));
    }
}

void BM_SourceLineToAddr(benchmark::State& state)
{
    RunLineLookups(state, [](uint32_t key, uint32_t line) {
        uint32_t address = 0;
        return SymSourceLineToAddr(key, line, &address);
    });
}
BENCHMARK(BM_SourceLineToAddr);

void BM_LineRanges(benchmark::State& state)
{
    RunLineLookups(state, [](uint32_t key, uint32_t line) {
        uint32_t start = 0, end = 0, it = 0, count = 0;
        for (SymResult r = SymSrcLinenum2FirstRange(key, line, &start, &end, &it); r == SYM_OK;
             r = SymSrcLinenum2NextRange(key, line, &start, &end, &it))
            ++count;
        return count;
    });
}
BENCHMARK(BM_LineRanges);

void BM_FunctionAtAddress(benchmark::State& state)
{
    RunAddressLookups(state, kCodeBase, kCodeEnd, [](uint32_t a) {
        uint32_t handle = 0;
        return SymGetAddrInfo(SYM_ADDR_CODE, a, nullptr, nullptr, nullptr, nullptr, &handle, nullptr);
    });
}
BENCHMARK(BM_FunctionAtAddress);

void BM_VariableAtAddress(benchmark::State& state)
{
    RunAddressLookups(state, kDataBase, kDataBase + kModules * kFunctionsPerModule * 4 - 1, [](uint32_t a) {
        uint32_t handle = 0;
        return SymGetAddrInfo(SYM_ADDR_DATA, a, nullptr, nullptr, nullptr, nullptr, &handle, nullptr);
    });
}
BENCHMARK(BM_VariableAtAddress);

void BM_ModuleOfAddress(benchmark::State& state)
{
    RunAddressLookups(state, kCodeBase, kCodeEnd, [](uint32_t a) {
        uint32_t position = 0;
        return SymAddrToModule(a, &position, nullptr);
    });
}
BENCHMARK(BM_ModuleOfAddress);

void BM_SymbolByName(benchmark::State& state)
{
    EnsureFilled();
    std::vector<std::string> names;
    for (uint32_t n : RandomValues(4096, 0, kModules * kFunctionsPerModule - 1))
        names.push_back(FunctionName(n));
    size_t i = 0;
    for (auto _ : state) {
        uint32_t handle = 0;
        benchmark::DoNotOptimize(SymLookupNamedSymbol(0, names[i++ & 4095].c_str(), &handle));
    }
}
BENCHMARK(BM_SymbolByName);

void BM_FunctionRangeByName(benchmark::State& state)
{
    EnsureFilled();
    std::vector<std::string> names;
    for (uint32_t n : RandomValues(4096, 0, kModules * kFunctionsPerModule - 1))
        names.push_back("#" + FunctionName(n));
    size_t i = 0;
    for (auto _ : state) {
        ADDR start{}, end{};
        benchmark::DoNotOptimize(SrcGetFuncRange(names[i++ & 4095].c_str(), &start, &end));
    }
}
BENCHMARK(BM_FunctionRangeByName);

void BM_ModuleByFileName(benchmark::State& state)
{
    EnsureFilled();
    std::vector<std::string> names;
    for (uint32_t n : RandomValues(4096, 0, kModules - 1))
        names.push_back("unit" + std::to_string(n) + ".c");
    size_t i = 0;
    for (auto _ : state) {
        uint32_t key = 0;
        benchmark::DoNotOptimize(SymFindModuleByIndex(names[i++ & 4095].c_str(), 0, &key));
    }
}
BENCHMARK(BM_ModuleByFileName);

}  // namespace

BENCHMARK_MAIN();
