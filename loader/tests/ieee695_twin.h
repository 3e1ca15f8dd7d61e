// The IEEE-695 twin of a gcc-built ELF image, described from what readelf
// and the file say: the allocated sections (`readelf -S`) with their kinds,
// the bytes of those sections at their load addresses in the PT_LOAD
// segments (`readelf -l`) as load-data and repeat records, the
// entry (`readelf -h`), the FUNC and OBJECT symbols (`readelf -s`, written
// with the leading '_' the loader drops) and a "stack" section below
// __stack_top when the image has one.
#pragma once

#include <algorithm>
#include <string>

#include "host_tools.h"
#include "ieee695_writer.h"
#include "readelf_parse.h"
#include "tool_listings.h"

namespace quentor::test {

inline constexpr uint32_t TWIN_STACK_SIZE = 0x4000;
inline constexpr uint32_t TWIN_DATA_SYMBOL = 3;

struct ElfFacts {
    tarnel::test::ReadelfDump dump;
    std::vector<tarnel::test::ReadelfSymbol> symbols;
    bool bigEndian = false;
};

inline ElfFacts FactsOf(const std::string& elf)
{
    ElfFacts f;
    f.dump = tarnel::test::ParseReadelf(zk::test::ToolOutput({"arm-none-eabi-readelf", "-W", "-h", "-S", "-l", elf}));
    f.symbols = tarnel::test::ReadelfSymbols(elf);
    auto data = f.dump.header.find("Data");
    f.bigEndian = data != f.dump.header.end() && data->second.find("big endian") != std::string::npos;
    return f;
}

// A section's kind letter: code, writable data, else read-only.
inline char SectionKindOf(uint32_t flags)
{
    return (flags & 0x4) ? 'P' : (flags & 0x1) ? 'D' : 'R';
}

// The bytes at an address in records of up to 64 bytes; runs of at least
// eight equal words become one repeat record.
inline void AddData(zk::test::Ieee695ModuleDesc& m, uint32_t address, const std::string& bytes)
{
    size_t at = 0;
    while (at < bytes.size()) {
        size_t run = 0;
        if (at + 4 <= bytes.size()) {
            while (at + 4 * (run + 1) <= bytes.size() && bytes.compare(at + 4 * run, 4, bytes, at, 4) == 0)
                ++run;
        }
        const uint32_t where = address + static_cast<uint32_t>(at);
        if (run >= 8) {
            m.data.push_back(
                {where, std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + 4), static_cast<uint32_t>(run)});
            at += 4 * run;
            continue;
        }
        const size_t n = std::min<size_t>(64, bytes.size() - at);
        m.data.push_back({where, std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + n)});
        at += n;
    }
}

inline zk::test::Ieee695ModuleDesc TwinOf(const std::string& elf, const ElfFacts& f)
{
    zk::test::Ieee695ModuleDesc m;
    m.bigEndian = f.bigEndian;
    uint32_t highest = 0;
    for (size_t i = 0; i < f.dump.sections.size(); ++i) {
        const tarnel::test::ReadelfSection& s = f.dump.sections[i];
        if (!(s.flags & 0x2) || s.size == 0)
            continue;
        m.sections.push_back({s.name, static_cast<uint32_t>(i), SectionKindOf(s.flags), s.size, s.addr});
        highest = static_cast<uint32_t>(i);
    }
    for (const tarnel::test::ReadelfSymbol& s : f.symbols) {
        if (s.name == "__stack_top" && s.value >= TWIN_STACK_SIZE)
            m.sections.push_back({"stack", highest + 1, 'D', TWIN_STACK_SIZE, s.value - TWIN_STACK_SIZE});
        if ((s.type == "FUNC" || s.type == "OBJECT") && !s.name.empty())
            m.publics.push_back({"_" + s.name, s.type == "FUNC" ? 15u : TWIN_DATA_SYMBOL, s.value});
    }
    // The bytes of each allocated section that has some, at its load
    // address in the PT_LOAD segment that holds it (as objcopy -O binary).
    const std::string file = zk::test::ReadFileBytes(elf);
    for (const tarnel::test::ReadelfSection& s : f.dump.sections) {
        if (!(s.flags & 0x2) || s.type == 8 || s.size == 0 || s.offset + s.size > file.size())
            continue;
        for (const tarnel::test::ReadelfSegment& p : f.dump.segments)
            if (p.type == 1 && p.offset <= s.offset && s.offset + s.size <= p.offset + p.filesz)
                AddData(m, p.paddr + (s.offset - p.offset), file.substr(s.offset, s.size));
    }
    m.start = f.dump.HeaderNumber("Entry point address");
    return m;
}

}  // namespace quentor::test
