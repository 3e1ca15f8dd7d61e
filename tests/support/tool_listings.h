// What readelf prints about an image's symbols and frames, parsed for
// comparison with what tarnel loaded: `readelf -s -W` and
// `readelf --debug-dump=frames` (objdump's listing: arm_listings.h).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "arm_listings.h"
#include "host_tools.h"
#include "readelf_parse.h"

namespace tarnel::test {

struct ReadelfSymbol {
    uint32_t value = 0;
    uint32_t size = 0;
    std::string type;  // NOTYPE, OBJECT, FUNC, SECTION, FILE
    std::string bind;
    std::string ndx;  // UND, ABS or the section number
    std::string name;
};

// One FDE: its code range and the registers of its DW_CFA_offset rules.
struct ReadelfFde {
    uint32_t pc = 0;
    uint32_t end = 0;
    std::vector<uint32_t> savedRegisters;
};

// One FDE as `readelf --debug-dump=frames-interp` shows its rule table:
// the column names ("r11", "ra"), then per row the address, the CFA text
// ("r13+8", "exp") and one text per column ("u", "c-8", "s", "r7", "v+4",
// "exp", "vexp").
struct ReadelfRuleRow {
    uint32_t address = 0;
    std::string cfa;
    std::vector<std::string> columns;
};
struct ReadelfRuleTable {
    uint32_t pc = 0;
    uint32_t end = 0;
    std::vector<std::string> columnNames;
    std::vector<ReadelfRuleRow> rows;
};

using zk::test::ToolOutput;

inline std::vector<ReadelfSymbol> ReadelfSymbols(const std::string& image)
{
    std::vector<ReadelfSymbol> symbols;
    std::istringstream in(ToolOutput({"arm-none-eabi-readelf", "-s", "-W", image}));
    for (std::string line; std::getline(in, line);) {
        // "    12: 000000a4    44 FUNC    GLOBAL DEFAULT    1 iw_scale"
        const std::vector<std::string> t = Tokens(line);
        if (t.size() < 7 || t[0].empty() || t[0].back() != ':' || t[0] == "Num:")
            continue;
        ReadelfSymbol s;
        s.value = Hex(t[1]);
        s.size = static_cast<uint32_t>(std::stoul(t[2], nullptr, 0));
        s.type = t[3];
        s.bind = t[4];
        s.ndx = t[6];
        s.name = t.size() > 7 ? t[7] : "";
        symbols.push_back(s);
    }
    return symbols;
}

inline std::vector<ReadelfFde> ReadelfFrames(const std::string& image)
{
    std::vector<ReadelfFde> fdes;
    std::istringstream in(ToolOutput({"arm-none-eabi-readelf", "--debug-dump=frames", image}));
    bool inFde = false;
    for (std::string line; std::getline(in, line);) {
        // "00000010 0000001c 00000000 FDE cie=00000000 pc=00000080..000000a8"
        const size_t pc = line.find(" pc=");
        if (line.find(" FDE ") != std::string::npos && pc != std::string::npos) {
            const size_t dots = line.find("..", pc);
            fdes.push_back({Hex(line.substr(pc + 4, dots - pc - 4)), Hex(line.substr(dots + 2)), {}});
            inFde = true;
        } else if (line.find(" CIE") != std::string::npos) {
            inFde = false;
        } else if (inFde) {
            // "  DW_CFA_offset: r14 at cfa-4"
            const std::vector<std::string> t = Tokens(line);
            if (t.size() >= 2 && t[0] == "DW_CFA_offset:" && t[1].size() > 1 && t[1][0] == 'r')
                fdes.back().savedRegisters.push_back(static_cast<uint32_t>(std::stoul(t[1].substr(1))));
        }
    }
    return fdes;
}

inline std::vector<ReadelfRuleTable> ReadelfRuleTables(const std::string& image)
{
    std::vector<ReadelfRuleTable> tables;
    std::istringstream in(ToolOutput({"arm-none-eabi-readelf", "--debug-dump=frames-interp", image}));
    bool inFde = false;
    bool inDebugFrame = false;
    for (std::string line; std::getline(in, line);) {
        if (line.find("Contents of the ") == 0) {
            inDebugFrame = line.find(".debug_frame") != std::string::npos;
            continue;
        }
        if (!inDebugFrame)
            continue;
        const size_t pc = line.find(" pc=");
        const std::vector<std::string> t = Tokens(line);
        if (line.find(" FDE ") != std::string::npos && pc != std::string::npos) {
            const size_t dots = line.find("..", pc);
            tables.push_back({Hex(line.substr(pc + 4, dots - pc - 4)), Hex(line.substr(dots + 2)), {}, {}});
            inFde = true;
        } else if (line.find(" CIE") != std::string::npos || t.empty()) {
            inFde = inFde && !t.empty();
        } else if (inFde && t[0] == "LOC") {
            tables.back().columnNames.assign(t.begin() + 2, t.end());
        } else if (inFde && t.size() >= 2) {
            tables.back().rows.push_back({Hex(t[0]), t[1], {t.begin() + 2, t.end()}});
        }
    }
    return tables;
}

}  // namespace tarnel::test
