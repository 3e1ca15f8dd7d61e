// dwarf1_twin: writes the DWARF 1 twin of a gcc DWARF 2 image as GNU as
// source (dwarf1_twin.h), from the program facts readelf gives of it:
//   dwarf1_twin image.elf out.s
#include <cstdio>
#include <fstream>
#include <string>

#include "dwarf1_twin.h"
#include "readelf_parse.h"
#include "tool_listings.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: dwarf1_twin image.elf out.s\n");
        return 2;
    }
    const tarnel::test::ReadelfDump header =
        tarnel::test::ParseReadelf(zk::test::ToolOutput({"arm-none-eabi-readelf", "-h", argv[1]}));
    auto data = header.header.find("Data");
    const bool bigEndian = data != header.header.end() && data->second.find("big endian") != std::string::npos;
    const zk::test::ProgramFacts facts = zk::test::ProgramFactsOf(argv[1], bigEndian);
    if (facts.units.empty()) {
        std::fprintf(stderr, "dwarf1_twin: %s has no DWARF 2 unit\n", argv[1]);
        return 1;
    }
    // Addresses from the start code's entry symbol when the image has one.
    std::string anchor;
    uint32_t anchorAddress = 0;
    for (const tarnel::test::ReadelfSymbol& s : tarnel::test::ReadelfSymbols(argv[1]))
        if (s.name == "_start") {
            anchor = s.name;
            anchorAddress = s.value & ~1u;
        }
    std::ofstream out(argv[2]);
    out << tarnel::test::Dwarf1Twin(facts, anchor, anchorAddress).Source();
    return out ? 0 : 1;
}
