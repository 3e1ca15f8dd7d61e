// Writes the DWARF 1 seed image of the fuzz target (see README.seeds): the
// tests' hand-written unit with a line table, little-endian.
#include <cstdio>
#include <vector>

#include "dwarf1_program.h"

int main(int argc, char** argv)
{
    using namespace tarnel::test;
    if (argc != 2)
        return 2;
    const std::vector<uint8_t> line = Dwarf1LineTable(0x100, {{10, 0xFFFF, 0}, {11, 2, 8}, {0, 0, 0x40}});
    const std::vector<uint8_t> image = Dwarf1Image(Program().Build(), line);
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(image.data(), 1, image.size(), f) != image.size())
        return 1;
    return std::fclose(f) == 0 ? 0 : 1;
}
