// Every entry of `arm-none-eabi-readelf --debug-dump=info` with its
// attributes as readelf prints them, and the location lists of
// --debug-dump=loc, for the comparisons of the type, function and variable
// readers with the tools. Only entries of version 2 units whose producer is
// a C or C++ compiler of the GNU tools are kept.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "readelf_dwarf.h"
#include "tool_listings.h"

namespace tarnel::test {

struct ReadelfDie {
    uint32_t offset = 0;
    uint32_t depth = 0;
    std::string tag;                           // "DW_TAG_member"
    std::map<std::string, std::string> attrs;  // DW_AT_* -> value text
    uint32_t parent = 0;                       // offset of the parent, 0 at depth 1
    std::vector<uint32_t> children;
    uint32_t unitLowPc = 0;  // of the compile unit (readelf's base for lists)

    bool Has(const std::string& name) const { return attrs.count(name) != 0; }
    std::string Text(const std::string& name) const
    {
        auto it = attrs.find(name);
        return it == attrs.end() ? std::string() : it->second;
    }
    // A reference ("<0x7e>") or number ("12", "0x80", "-2", "5\t(signed)").
    std::optional<int64_t> Number(const std::string& name) const
    {
        std::string v = Text(name);
        if (v.empty())
            return std::nullopt;
        if (v[0] == '<')
            v = v.substr(1);
        return std::stoll(v, nullptr, 0);
    }
    uint32_t Ref(const std::string& name) const { return static_cast<uint32_t>(Number(name).value_or(0)); }
    // "2 byte block: 91 74 \t(DW_OP_fbreg: -12)" -> {0x91, 0x74}.
    std::optional<std::vector<uint8_t>> Block(const std::string& name) const
    {
        const std::string v = Text(name);
        const size_t colon = v.find("byte block:");
        if (colon == std::string::npos)
            return std::nullopt;
        std::vector<uint8_t> bytes;
        std::istringstream in(v.substr(colon + 11, v.find('(') - colon - 11));
        for (std::string b; in >> b;)
            bytes.push_back(static_cast<uint8_t>(std::stoul(b, nullptr, 16)));
        return bytes;
    }
    // "0x38 (location list)" -> 0x38.
    std::optional<uint32_t> LocationList(const std::string& name) const
    {
        const std::string v = Text(name);
        if (v.find("(location list)") == std::string::npos)
            return std::nullopt;
        return static_cast<uint32_t>(std::stoul(v, nullptr, 0));
    }
};

// One entry of a location list as readelf prints it: addresses with the
// unit's base added, the expression decoded ("DW_OP_breg13 (r13): 0").
struct ReadelfLocation {
    uint32_t begin = 0, end = 0;
    std::string expression;
};

struct ReadelfDies {
    std::map<uint32_t, ReadelfDie> dies;                     // by offset
    std::vector<uint32_t> order;                             // offsets in file order
    std::map<uint32_t, std::vector<ReadelfLocation>> lists;  // by list offset

    const ReadelfDie* At(uint32_t offset) const
    {
        auto it = dies.find(offset);
        return it == dies.end() ? nullptr : &it->second;
    }
};

inline ReadelfDies ParseReadelfDies(const std::string& info, const std::string& loc)
{
    ReadelfDies d;
    uint16_t version = 0;
    bool keep = false;
    uint32_t unitLowPc = 0;
    std::vector<uint32_t> open;  // the innermost entry at each depth
    ReadelfDie* die = nullptr;
    ReadelfDie unitDie;
    for (const std::string& line : TextLines(info)) {
        if (line.find("Compilation Unit @ offset") != std::string::npos) {
            die = nullptr;
            open.clear();
            continue;
        }
        if (line.find("   Version:") == 0) {
            version = static_cast<uint16_t>(tarnel::test::Number(Tokens(line)[1]));
            continue;
        }
        // " <1><25>: Abbrev Number: 2 (DW_TAG_structure_type)"
        if (line.size() > 2 && line[0] == ' ' && line[1] == '<' && line.find("Abbrev Number:") != std::string::npos) {
            const uint32_t depth = static_cast<uint32_t>(std::stoul(line.substr(2)));
            const size_t second = line.find('<', 2);
            const uint32_t offset = static_cast<uint32_t>(std::stoul(line.substr(second + 1), nullptr, 16));
            const size_t paren = line.find('(');
            die = nullptr;
            if (paren == std::string::npos)
                continue;  // a null entry
            const std::string tag = line.substr(paren + 1, line.find(')', paren) - paren - 1);
            if (depth == 0) {
                unitDie = ReadelfDie{};
                die = &unitDie;
                keep = false;
                open.assign(1, offset);
                continue;
            }
            if (!keep)
                continue;
            ReadelfDie& e = d.dies[offset];
            e.offset = offset;
            e.depth = depth;
            e.tag = tag;
            e.unitLowPc = unitLowPc;
            open.resize(depth + 1);
            open[depth] = offset;
            e.parent = depth > 1 ? open[depth - 1] : 0;
            if (e.parent != 0)
                d.dies[e.parent].children.push_back(offset);
            d.order.push_back(offset);
            die = &e;
            continue;
        }
        if (!die)
            continue;
        const auto [name, value] = AttributeOf(line);
        if (name.empty())
            continue;
        die->attrs[name] = value;
        if (die == &unitDie) {
            // The unit's attributes come before its children.
            const std::string producer = unitDie.Text("DW_AT_producer");
            keep = version == 2 && producer.rfind("GNU C", 0) == 0;
            unitLowPc = static_cast<uint32_t>(unitDie.Number("DW_AT_low_pc").value_or(0));
        }
    }

    // "    00000038 000000b0 000000e0 (DW_OP_reg5 (r5))" and
    // "    0000003c <End of list>"; a list is named by its first entry.
    std::optional<uint32_t> list;
    for (const std::string& line : TextLines(loc)) {
        const std::vector<std::string> t = Tokens(line);
        if (t.size() < 2 || t[0].find_first_not_of("0123456789abcdef") != std::string::npos || t[0].size() != 8)
            continue;
        const uint32_t at = static_cast<uint32_t>(std::stoul(t[0], nullptr, 16));
        if (t[1] == "<End") {
            list.reset();
            continue;
        }
        if (!list)
            list = at;
        // Base address entries and empty ranges hold no expression to compare.
        const size_t paren = line.find('(');
        const size_t close = line.rfind(')');
        if (t.size() < 4 || paren == std::string::npos || line.find("(base address)") != std::string::npos ||
            line.find("(start == end)") != std::string::npos)
            continue;
        d.lists[*list].push_back({static_cast<uint32_t>(std::stoul(t[1], nullptr, 16)),
                                  static_cast<uint32_t>(std::stoul(t[2], nullptr, 16)),
                                  line.substr(paren + 1, close - paren - 1)});
    }
    return d;
}

inline ReadelfDies ReadelfDiesOf(const std::string& image)
{
    return ParseReadelfDies(ToolOutput({"arm-none-eabi-readelf", "--debug-dump=info", image}),
                            ToolOutput({"arm-none-eabi-readelf", "--debug-dump=loc", image}));
}

}  // namespace tarnel::test
