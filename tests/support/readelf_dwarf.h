// What arm-none-eabi-readelf says about an image's DWARF, parsed for the
// comparisons with the loader: the compile-unit entries of
// --debug-dump=info, the range lists of --debug-dump=Ranges, and the line
// tables of --debug-dump=rawline (offset and version of each) joined with
// the rows of --debug-dump=decodedline (which lists the tables in the same
// order, each under one "File name" heading).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host_tools.h"
#include "readelf_parse.h"

namespace tarnel::test {

struct ReadelfUnit {
    uint32_t offset = 0;
    uint16_t version = 0;
    std::string name, producer, directory;
    std::optional<uint32_t> lowPc, highPc, stmtList, ranges;
};

struct ReadelfRow {
    std::string file;  // as readelf shows it: the name without its directory
    uint32_t line = 0;
    uint32_t address = 0;
    bool endOfSequence = false;  // "-": the first address after a sequence
};

struct ReadelfLineTable {
    uint32_t offset = 0;
    uint16_t version = 0;
    std::vector<ReadelfRow> rows;
};

struct ReadelfRange {
    uint32_t begin = 0, end = 0;
    bool base = false;  // a base address selection: `end` is the new base
};

struct ReadelfDwarf {
    std::vector<ReadelfUnit> units;
    std::vector<ReadelfLineTable> tables;
    std::map<uint32_t, std::vector<ReadelfRange>> rangeLists;

    const ReadelfLineTable* TableAt(uint32_t offset) const
    {
        for (const ReadelfLineTable& t : tables)
            if (t.offset == offset)
                return &t;
        return nullptr;
    }
};

inline std::vector<std::string> TextLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

inline std::string FilePartOf(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

inline uint32_t Number(const std::string& text)
{
    return static_cast<uint32_t>(std::stoul(text, nullptr, 0));
}

// "    <14>   DW_AT_name        : (indirect string, offset: 0x0): text" -> (DW_AT_name, text)
inline std::pair<std::string, std::string> AttributeOf(const std::string& line)
{
    const size_t at = line.find("DW_AT_");
    const size_t colon = line.find(": ", at);
    if (at == std::string::npos || colon == std::string::npos)
        return {};
    std::string name = line.substr(at, line.find_first_of(" :", at) - at);
    std::string value = line.substr(colon + 2);
    if (value.rfind("(indirect", 0) == 0)
        value = value.substr(value.find("): ") + 3);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.pop_back();
    return {name, value};
}

inline void ParseUnits(const std::string& info, ReadelfDwarf& d)
{
    ReadelfUnit* unit = nullptr;
    bool inUnitEntry = false;
    for (const std::string& line : TextLines(info)) {
        if (line.find("Compilation Unit @ offset") != std::string::npos) {
            d.units.push_back({});
            unit = &d.units.back();
            unit->offset = Number(line.substr(line.find("offset") + 7));
            inUnitEntry = false;
            continue;
        }
        if (!unit)
            continue;
        if (line.find("   Version:") == 0)
            unit->version = static_cast<uint16_t>(Number(Tokens(line)[1]));
        if (line.find(" <0>") == 0)
            inUnitEntry = true;
        else if (line.find(" <1>") == 0)
            inUnitEntry = false;
        if (!inUnitEntry)
            continue;
        const auto [name, value] = AttributeOf(line);
        if (name == "DW_AT_name")
            unit->name = value;
        else if (name == "DW_AT_producer")
            unit->producer = value;
        else if (name == "DW_AT_comp_dir")
            unit->directory = value;
        else if (name == "DW_AT_low_pc")
            unit->lowPc = Number(value);
        else if (name == "DW_AT_high_pc")
            unit->highPc = Number(value);
        else if (name == "DW_AT_stmt_list")
            unit->stmtList = Number(value);
        else if (name == "DW_AT_ranges")
            unit->ranges = Number(value);
    }
}

// .debug_ranges: "    00000000 00000000 00000020" rows (offset of the
// list, begin, end), "(base address)" rows and "<End of list>" ends.
inline void ParseRanges(const std::string& text, ReadelfDwarf& d)
{
    for (const std::string& line : TextLines(text)) {
        const std::vector<std::string> w = Tokens(line);
        auto hex = [](const std::string& t) { return t.find_first_not_of("0123456789abcdef") == std::string::npos; };
        // (.debug_rnglists of later units prints other rows; they are not read.)
        if (w.size() < 3 || !hex(w[0]) || !hex(w[1]) || !hex(w[2]))
            continue;
        ReadelfRange r;
        r.begin = static_cast<uint32_t>(std::stoul(w[1], nullptr, 16));
        r.end = static_cast<uint32_t>(std::stoul(w[2], nullptr, 16));
        r.base = line.find("(base address)") != std::string::npos;
        d.rangeLists[static_cast<uint32_t>(std::stoul(w[0], nullptr, 16))].push_back(r);
    }
}

inline void ParseLineTables(const std::string& raw, const std::string& decoded, ReadelfDwarf& d)
{
    for (const std::string& line : TextLines(raw)) {
        const std::vector<std::string> w = Tokens(line);
        if (w.size() == 2 && w[0] == "Offset:")
            d.tables.push_back({Number(w[1]), 0, {}});
        else if (w.size() == 3 && w[0] == "DWARF" && w[1] == "Version:" && !d.tables.empty())
            d.tables.back().version = static_cast<uint16_t>(Number(w[2]));
    }
    size_t table = 0;
    bool started = false;
    for (const std::string& line : TextLines(decoded)) {
        if (line.rfind("File name", 0) == 0) {
            if (started)
                ++table;
            started = true;
            continue;
        }
        const std::vector<std::string> w = Tokens(line);
        if (!started || w.size() < 3 || table >= d.tables.size())
            continue;
        if (w[2] != "0" && w[2].rfind("0x", 0) != 0)
            continue;
        if (w[1] != "-" && w[1].find_first_not_of("0123456789") != std::string::npos)
            continue;
        ReadelfRow r;
        r.file = w[0];
        r.endOfSequence = w[1] == "-";
        r.line = r.endOfSequence ? 0 : Number(w[1]);
        r.address = Number(w[2]);
        d.tables[table].rows.push_back(r);
    }
    ASSERT_EQ(table + 1, d.tables.size()) << "decodedline and rawline list different tables";
}

inline ReadelfDwarf ReadelfDwarfOf(const std::string& image)
{
    ReadelfDwarf d;
    // -W prints the form before each value: the info dump goes without it.
    auto run = [&](const char* dump) {
        const std::string what = std::string("--debug-dump=") + dump;
        auto r = zk::test::RunProcess(std::string(dump) == "info"
                                          ? std::vector<std::string>{"arm-none-eabi-readelf", what, image}
                                          : std::vector<std::string>{"arm-none-eabi-readelf", "-W", what, image});
        EXPECT_EQ(r.exitStatus, 0) << r.err;
        return r.out;
    };
    ParseUnits(run("info"), d);
    ParseRanges(run("Ranges"), d);
    ParseLineTables(run("rawline"), run("decodedline"), d);
    return d;
}

// The rows of the tables a DWARF 2 reader reads (versions 2 and 3) that
// name a source line, in table order.
inline std::vector<ReadelfRow> RowsWithLines(const ReadelfDwarf& d)
{
    std::vector<ReadelfRow> rows;
    for (const ReadelfLineTable& t : d.tables) {
        if (t.version != 2 && t.version != 3)
            continue;
        for (const ReadelfRow& r : t.rows)
            if (!r.endOfSequence && r.line != 0)
                rows.push_back(r);
    }
    return rows;
}

}  // namespace tarnel::test
