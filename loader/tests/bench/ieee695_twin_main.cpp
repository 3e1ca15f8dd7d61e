// ieee695_twin: writes the IEEE-695 twin of a gcc-built ELF image (as the
// loader's tests build it: sections, data, entry, public names and, with
// --debug, the debug part from the DWARF 2 facts readelf gives), for
// measuring IEEE-695 loads next to the ELF and S-record loads of the same
// program:
//   ieee695_twin [--debug] image.elf out.695
#include <cstdio>
#include <string>

#include "ieee695_debug_twin.h"
#include "ieee695_twin.h"

int main(int argc, char** argv)
{
    const bool debug = argc == 4 && std::string(argv[1]) == "--debug";
    if (argc != (debug ? 4 : 3)) {
        std::fprintf(stderr, "usage: ieee695_twin [--debug] image.elf out.695\n");
        return 2;
    }
    const std::string elf = argv[debug ? 2 : 1];
    const quentor::test::ElfFacts facts = quentor::test::FactsOf(elf);
    zk::test::Ieee695ModuleDesc twin = quentor::test::TwinOf(elf, facts);
    if (debug) {
        twin.debug = quentor::test::DebugTwin(zk::test::ProgramFactsOf(elf, facts.bigEndian), facts.symbols).Write();
    }
    return zk::test::WriteBytesFile(argv[debug ? 3 : 2], zk::test::WriteIeee695(twin)) ? 0 : 1;
}
