#include "kernel_reference.h"

#include <regex>
#include <sstream>

#include "host_tools.h"

namespace corvane::test {

uint32_t ImageReference::Word(uint32_t address) const
{
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i) {
        auto it = bytes.find(address + i);
        const uint32_t b = it == bytes.end() ? 0 : it->second;
        w |= bigEndian ? b << (8 * (3 - i)) : b << (8 * i);
    }
    return w;
}

std::string ImageReference::Text(uint32_t address, size_t limit) const
{
    std::string s;
    for (uint32_t a = address; s.size() < limit; ++a) {
        auto it = bytes.find(a);
        if (it == bytes.end() || it->second == 0)
            break;
        s += static_cast<char>(it->second);
    }
    return s;
}

namespace {

bool Run(const std::vector<std::string>& argv, std::string& out, std::string& error)
{
    auto r = zk::test::RunProcess(argv);
    if (r.exitStatus != 0) {
        error = argv[0] + " failed: " + r.err;
        return false;
    }
    out = r.out;
    return true;
}

void ParseObjdump(const std::string& text, ImageReference& ref)
{
    // " 2000 44524854 11000000 a0000000 00000000  DRHT............"
    std::istringstream in(text);
    std::string line;
    static const std::regex row(R"(^ ([0-9a-f]+) ((?:[0-9a-f]{2,8} ?){1,4}) .*$)");
    while (std::getline(in, line)) {
        std::smatch m;
        if (!std::regex_match(line, m, row))
            continue;
        uint32_t at = std::stoul(m[1], nullptr, 16);
        std::istringstream groups(m[2].str());
        std::string g;
        while (groups >> g)
            for (size_t i = 0; i + 1 < g.size(); i += 2)
                ref.bytes[at++] = static_cast<uint8_t>(std::stoul(g.substr(i, 2), nullptr, 16));
    }
}

void ParseStructs(const std::string& text, ImageReference& ref)
{
    std::istringstream in(text);
    std::string line;
    static const std::regex entry(R"(^ <(\d+)><[0-9a-f]+>: Abbrev Number: \d+ \((\w+)\))");
    static const std::regex name(R"(DW_AT_name\s*:.*?([A-Za-z_]\w*)\s*$)");
    static const std::regex location(R"(DW_AT_data_member_location\s*:.*?(\d+)\)?\s*$)");
    std::string currentStruct;
    int structDepth = -1;
    std::string tag;
    int depth = 0;
    std::string memberName;
    while (std::getline(in, line)) {
        std::smatch m;
        if (std::regex_search(line, m, entry)) {
            depth = std::stoi(m[1]);
            tag = m[2];
            if (structDepth >= 0 && depth <= structDepth)
                structDepth = -1;
            continue;
        }
        if (std::regex_search(line, m, name)) {
            if (tag == "DW_TAG_structure_type") {
                currentStruct = m[1];
                structDepth = depth;
                ref.structs[currentStruct];
            } else if (tag == "DW_TAG_member") {
                memberName = m[1];
            }
            continue;
        }
        if (tag == "DW_TAG_member" && structDepth >= 0 && depth == structDepth + 1 &&
            std::regex_search(line, m, location))
            ref.structs[currentStruct].emplace_back(memberName, std::stoul(m[1]));
    }
}

}  // namespace

bool ReadReference(const std::string& elf, ImageReference& ref, std::string& error)
{
    std::string out;
    if (!Run({"arm-none-eabi-readelf", "-h", elf}, out, error))
        return false;
    ref.bigEndian = out.find("big endian") != std::string::npos;
    if (!Run({"arm-none-eabi-nm", elf}, out, error))
        return false;
    std::istringstream in(out);
    std::string address, type, symbol;
    while (in >> address >> type >> symbol)
        ref.symbols[symbol] = std::stoul(address, nullptr, 16);
    if (!Run({"arm-none-eabi-objdump", "-s", "-j", ".data", "-j", ".rodata", elf}, out, error))
        return false;
    ParseObjdump(out, ref);
    if (!Run({"arm-none-eabi-readelf", "--debug-dump=info", elf}, out, error))
        return false;
    ParseStructs(out, ref);
    return true;
}

}  // namespace corvane::test
