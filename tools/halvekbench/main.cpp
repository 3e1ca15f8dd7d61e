// halvekbench [groups registers fields]: writes a description of that many
// groups x registers x fields (default 100 x 200 x 8, two value texts a
// field) into a temporary folder, then three times: PeriInit from that
// folder, and the texts of every row with everything expanded. Prints each
// run and the minimum and median of both steps in milliseconds.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "halvek.h"
#include "halvek_library.h"
#include "row_model.h"
#include "vexlor/vexlor.h"

namespace {

void WriteDescription(const std::string& folder, int groups, int registers, int fields)
{
    std::filesystem::create_directories(folder + "/PCF");
    std::ofstream cfg(folder + "/PCF/PERIBENCH7.CFG");
    cfg << "BENCH7\nbegin_cfg\nversion 1\nBase 0x3FF0000\n" << groups << "\n";
    for (int g = 0; g < groups; ++g)
        cfg << g << " GROUP" << g << " 0x" << std::hex << g * 0x1000 << std::dec << " 0 0xFFF PCF\\G" << g << ".PCF\n";
    cfg << "END_CFG\n";
    for (int g = 0; g < groups; ++g) {
        std::ofstream pcf(folder + "/PCF/G" + std::to_string(g) + ".PCF");
        pcf << "begin_peripheral\nversion 1\n";
        for (int r = 0; r < registers; ++r) {
            // Offsets listed backwards, so that the sort has work.
            pcf << "begin_reg\nREG" << r << " " << (registers - 1 - r) * 4 << " 4 " << fields
                << " 0xFFFFFFFF 0 0 0\n\"Register " << r << "\"\n\"Generated\"\nstart_fields\n";
            for (int f = 0; f < fields; ++f)
                pcf << "begin_f\nF" << f << " 4 " << f * 4 + 3 << " 0 15 1 0\n\"Field " << f
                    << "\"\n2\n0 \"Off\"\n15 \"All set\"\nend_f\n";
            pcf << "end_reg\n";
        }
        pcf << "end_peripheral\n";
    }
}

double Ms(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void Report(const char* what, std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    std::printf("%s: min %.1f ms, median %.1f ms\n", what, runs.front(), runs[runs.size() / 2]);
}

}  // namespace

int main(int argc, char** argv)
{
    const int groups = argc > 1 ? std::atoi(argv[1]) : 100;
    const int registers = argc > 2 ? std::atoi(argv[2]) : 200;
    const int fields = argc > 3 ? std::atoi(argv[3]) : 8;
    char pattern[] = "/tmp/halvekbench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::string folder = pattern;
    WriteDescription(folder, groups, registers, fields);
    if (chdir(folder.c_str()) != 0)
        return 1;
    InitDLL_CpuServer(0, nullptr, "BENCH7", 0);
    std::vector<double> loads, texts;
    size_t rows = 0, characters = 0;
    for (int run = 0; run < 3; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        const uint32_t status = PeriInit();
        auto t1 = std::chrono::steady_clock::now();
        if (status != 0) {
            std::fprintf(stderr, "PeriInit: %08X %s\n", status, halvek::TheModel().description().errorText.c_str());
            return 1;
        }
        halvek::Description& d = halvek::TheModel().description();
        halvek::SetAllExpanded(d, true);
        rows = halvek::RecountRows(d);
        characters = 0;
        for (size_t row = 0; row < rows; ++row)
            characters += halvek::RowTextAt(row).size();
        auto t2 = std::chrono::steady_clock::now();
        loads.push_back(Ms(t1 - t0));
        texts.push_back(Ms(t2 - t1));
        std::printf("run %d: PeriInit %.1f ms, %zu rows (%zu characters) %.1f ms\n", run + 1, loads.back(), rows,
                    characters, texts.back());
    }
    Report("PeriInit", loads);
    Report("row texts", texts);
    std::filesystem::remove_all(folder);
    return 0;
}
