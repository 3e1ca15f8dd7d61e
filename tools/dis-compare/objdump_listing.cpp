#include "objdump_listing.h"

#include <cctype>
#include <map>
#include <string_view>

#include "text_rules.h"

namespace zk::tools {

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool IsHex(std::string_view s)
{
    return !s.empty() && s.size() <= 8 && s.substr(0, 2) != "0x" && ParseHex(s).has_value();
}

uint32_t HexValue(std::string_view s)
{
    return ParseHex(s).value_or(0);
}

bool EndsWith(std::string_view s, std::string_view tail)
{
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// "   1c:\te1a00004 \tmov\tr0, r4" -> address, hex field and the rest.
bool SplitInstructionLine(std::string_view line, uint32_t& address, std::string_view& hex, std::string_view& rest)
{
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon + 1 >= line.size() || line[colon + 1] != '\t')
        return false;
    const std::string_view addr = Trim(line.substr(0, colon));
    if (!IsHex(addr) || addr.size() > 8)
        return false;
    const std::string_view after = line.substr(colon + 2);
    const size_t tab = after.find('\t');
    hex = Trim(after.substr(0, tab));
    rest = tab == std::string_view::npos ? std::string_view() : after.substr(tab + 1);
    address = HexValue(addr);
    return !hex.empty();
}

// "\t\t\t2: R_ARM_THM_CALL\t_exit" -> the address the relocation applies
// to and its symbol.
bool Relocation(std::string_view line, uint32_t& address, std::string& symbol)
{
    const std::string_view t = Trim(line);
    const size_t colon = t.find(':');
    if (colon == std::string_view::npos || !IsHex(t.substr(0, colon)) || colon > 8)
        return false;
    const std::string_view type = Trim(t.substr(colon + 1));
    if (type.substr(0, 6) != "R_ARM_")
        return false;
    const size_t gap = type.find_first_of(" \t");
    symbol = gap == std::string_view::npos ? std::string() : std::string(Trim(type.substr(gap)));
    address = HexValue(t.substr(0, colon));
    return true;
}

// "000000a8 <__multadd>:" -> the symbol and its address.
bool Label(std::string_view line, uint32_t& address, std::string& name)
{
    const size_t open = line.find(" <");
    if (open == std::string_view::npos || line.size() < open + 4 || line.substr(line.size() - 2) != ">:")
        return false;
    if (!IsHex(line.substr(0, open)) || open > 8)
        return false;
    address = HexValue(line.substr(0, open));
    name = std::string(line.substr(open + 2, line.size() - open - 4));
    return true;
}

// The symbol objdump names in a branch operand, "64 <_strtod_l>" (none when
// it names a symbol plus an offset).
std::string OperandSymbol(const std::string& operands)
{
    const size_t open = operands.find('<');
    const size_t close = operands.find('>', open);
    if (open == std::string::npos || close == std::string::npos)
        return {};
    const std::string name = operands.substr(open + 1, close - open - 1);
    return name.find('+') == std::string::npos ? name : std::string();
}

bool ClassifyHex(std::string_view hex, ObjdumpLine& out)
{
    const size_t space = hex.find(' ');
    const std::string_view first = hex.substr(0, space);
    const std::string_view second = space == std::string_view::npos ? std::string_view() : Trim(hex.substr(space + 1));
    if (!IsHex(first))
        return false;
    out.word = HexValue(first);
    if (second.empty() && first.size() == 8) {
        out.encoding = Encoding::Arm;
    } else if (second.empty() && first.size() == 4) {
        out.encoding = Encoding::Thumb16;
    } else if (first.size() == 4 && second.size() == 4 && IsHex(second)) {
        out.encoding = Encoding::Thumb32;
        out.second = static_cast<uint16_t>(HexValue(second));
    } else {
        out.encoding = Encoding::Other;
    }
    return true;
}

}  // namespace

std::vector<ObjdumpLine> ReadObjdumpListing(std::istream& in)
{
    std::vector<ObjdumpLine> lines;
    std::string archive, object;
    bool objectIsRelocatable = false;
    std::vector<bool> relocatable;  // by index into lines
    std::map<std::string, bool> objectsWithRelocations;
    std::map<std::string, std::map<std::string, uint32_t>> labels;  // per object
    std::map<size_t, std::string> relocationSymbols;                // by index into lines
    std::string text;
    size_t number = 0;
    while (std::getline(in, text)) {
        ++number;
        const std::string_view line = text;
        if (line.substr(0, 11) == "In archive ") {
            archive = std::string(Trim(line.substr(11)));
            if (EndsWith(archive, ":"))
                archive.pop_back();
            continue;
        }
        const size_t format = line.find(":     file format ");
        if (format != std::string_view::npos) {
            const std::string name(line.substr(0, format));
            object = archive.empty() ? name : archive + "(" + name + ")";
            objectIsRelocatable = EndsWith(name, ".o") || EndsWith(name, ".obj");
            continue;
        }
        uint32_t relocAddress;
        std::string symbol;
        if (!line.empty() && line[0] == '\t' && Relocation(line, relocAddress, symbol)) {
            objectsWithRelocations[object] = true;
            // The relocation follows its instruction; it may point into a
            // 32-bit Thumb instruction's second half.
            for (auto it = lines.rbegin(); it != lines.rend() && it->object == object; ++it) {
                const uint32_t size = it->encoding == Encoding::Thumb16 ? 2 : 4;
                if (relocAddress - it->address < size) {
                    it->relocated = true;
                    relocationSymbols[static_cast<size_t>(lines.rend() - it) - 1] = symbol;
                    break;
                }
                if (it->address < relocAddress)
                    break;
            }
            continue;
        }
        uint32_t labelAddress;
        if (Label(line, labelAddress, symbol)) {
            labels[object].emplace(symbol, labelAddress);
            continue;
        }
        ObjdumpLine out;
        std::string_view hex, rest;
        if (!SplitInstructionLine(line, out.address, hex, rest) || !ClassifyHex(hex, out))
            continue;
        const size_t at = rest.find('@');
        if (at != std::string_view::npos) {
            out.comment = std::string(Trim(rest.substr(at + 1)));
            rest = rest.substr(0, at);
        }
        rest = Trim(rest);
        const size_t gap = rest.find_first_of(" \t");
        out.mnemonic = std::string(rest.substr(0, gap));
        if (gap != std::string_view::npos)
            out.operands = std::string(Trim(rest.substr(gap)));
        out.object = object;
        out.lineNumber = number;
        lines.push_back(std::move(out));
        relocatable.push_back(objectIsRelocatable);
    }
    auto symbolValue = [&labels](const std::string& object, const std::string& name) -> uint32_t {
        const auto& table = labels[object];
        const auto it = table.find(name);
        return it == table.end() ? 0 : it->second;  // undefined symbols and sections count 0
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        ObjdumpLine& l = lines[i];
        if (l.relocated) {
            l.relocationBases = {symbolValue(l.object, relocationSymbols[i])};
        } else if (relocatable[i] && objectsWithRelocations.count(l.object) == 0) {
            l.mayBeRelocated = true;
            l.relocationBases = {0};
            const std::string name = OperandSymbol(l.operands);
            if (!name.empty())
                l.relocationBases.push_back(symbolValue(l.object, name));
        }
    }
    return lines;
}

}  // namespace zk::tools
