// What `arm-none-eabi-readelf -W -h -S -l` prints, parsed into numbers, so
// that the loader's headers (and ldrdump's listing, which prints the same
// columns) can be compared with it field by field.
#pragma once

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tarnel::test {

struct ReadelfSection {
    std::string name;
    uint32_t type, addr, offset, size, entsize, flags, link, info, align;
    bool operator==(const ReadelfSection&) const = default;
};

struct ReadelfSegment {
    uint32_t type, offset, vaddr, paddr, filesz, memsz, flags, align;
    bool operator==(const ReadelfSegment&) const = default;
};

struct ReadelfDump {
    std::map<std::string, std::string> header;  // "Entry point address" -> "0x0"
    std::vector<ReadelfSection> sections;
    std::vector<ReadelfSegment> segments;
    // The first number of a header value ("52 (bytes into file)" -> 52).
    uint32_t HeaderNumber(const std::string& key) const
    {
        auto it = header.find(key);
        return it == header.end() ? 0xDEADBEEF : static_cast<uint32_t>(std::stoul(it->second, nullptr, 0));
    }
};

inline uint32_t SectionTypeNumber(const std::string& name)
{
    static const std::map<std::string, uint32_t> types = {
        {"NULL", 0},
        {"PROGBITS", 1},
        {"SYMTAB", 2},
        {"STRTAB", 3},
        {"RELA", 4},
        {"HASH", 5},
        {"DYNAMIC", 6},
        {"NOTE", 7},
        {"NOBITS", 8},
        {"REL", 9},
        {"INIT_ARRAY", 14},
        {"FINI_ARRAY", 15},
        {"ARM_EXIDX", 0x70000001},
        {"ARM_ATTRIBUTES", 0x70000003},
    };
    auto it = types.find(name);
    return it == types.end() ? 0xDEADBEEF : it->second;
}

inline uint32_t SegmentTypeNumber(const std::string& name)
{
    static const std::map<std::string, uint32_t> types = {
        {"NULL", 0},
        {"LOAD", 1},
        {"DYNAMIC", 2},
        {"INTERP", 3},
        {"NOTE", 4},
        {"PHDR", 6},
        {"TLS", 7},
        {"EXIDX", 0x70000001},
        {"GNU_STACK", 0x6474E551},
        {"GNU_RELRO", 0x6474E552},
    };
    auto it = types.find(name);
    return it == types.end() ? 0xDEADBEEF : it->second;
}

// readelf's letters in front of sh_flags bits.
inline uint32_t SectionFlagBits(const std::string& letters)
{
    static const std::map<char, uint32_t> bits = {
        {'W', 0x1},   {'A', 0x2},   {'X', 0x4},   {'M', 0x10},  {'S', 0x20},       {'I', 0x40},       {'L', 0x80},
        {'O', 0x100}, {'G', 0x200}, {'T', 0x400}, {'C', 0x800}, {'E', 0x80000000}, {'y', 0x20000000},
    };
    uint32_t flags = 0;
    for (char c : letters)
        flags |= bits.count(c) ? bits.at(c) : 0xDEADBEEF;
    return flags;
}

inline std::vector<std::string> Tokens(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

inline uint32_t Hex(const std::string& text)
{
    return static_cast<uint32_t>(std::stoul(text, nullptr, 16));
}

inline ReadelfDump ParseReadelf(const std::string& text)
{
    ReadelfDump dump;
    std::istringstream in(text);
    enum { None, Header, Sections, Segments } part = None;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("ELF Header:", 0) == 0) {
            part = Header;
            continue;
        }
        if (line.rfind("Section Headers:", 0) == 0) {
            part = Sections;
            continue;
        }
        if (line.rfind("Program Headers:", 0) == 0) {
            part = Segments;
            continue;
        }
        if (line.rfind("Key to Flags", 0) == 0 || line.find("Section to Segment") != std::string::npos) {
            part = None;
            continue;
        }
        if (line.empty()) {
            if (part == Header)
                part = None;
            continue;
        }
        if (part == Header) {
            const size_t colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            std::string key = line.substr(0, colon), value = line.substr(colon + 1);
            key.erase(0, key.find_first_not_of(' '));
            value.erase(0, value.find_first_not_of(' '));
            dump.header[key] = value;
        } else if (part == Sections) {
            const size_t open = line.find('['), close = line.find(']');
            if (open == std::string::npos || close == std::string::npos || line.find("Nr]") != std::string::npos)
                continue;
            const int index = std::stoi(line.substr(open + 1, close - open - 1));
            std::vector<std::string> t = Tokens(line.substr(close + 1));
            size_t i = 0;
            ReadelfSection s{};
            s.name = index == 0 ? "" : t[i++];
            s.type = SectionTypeNumber(t[i++]);
            s.addr = Hex(t[i++]);
            s.offset = Hex(t[i++]);
            s.size = Hex(t[i++]);
            s.entsize = Hex(t[i++]);
            s.flags = t.size() - i == 4 ? SectionFlagBits(t[i++]) : 0;
            s.link = static_cast<uint32_t>(std::stoul(t[i++]));
            s.info = static_cast<uint32_t>(std::stoul(t[i++]));
            s.align = static_cast<uint32_t>(std::stoul(t[i++]));
            dump.sections.push_back(s);
        } else if (part == Segments) {
            std::vector<std::string> t = Tokens(line);
            if (t.size() < 8 || t[0] == "Type" || t[1].rfind("0x", 0) != 0)
                continue;
            ReadelfSegment p{};
            p.type = SegmentTypeNumber(t[0]);
            p.offset = Hex(t[1]);
            p.vaddr = Hex(t[2]);
            p.paddr = Hex(t[3]);
            p.filesz = Hex(t[4]);
            p.memsz = Hex(t[5]);
            p.flags = 0;
            for (size_t i = 6; i + 1 < t.size(); ++i)
                for (char c : t[i])
                    p.flags |= c == 'R' ? 4 : c == 'W' ? 2 : c == 'E' ? 1 : 0xDEADBEEF;
            p.align = Hex(t.back());
            dump.segments.push_back(p);
        }
    }
    return dump;
}

}  // namespace tarnel::test
