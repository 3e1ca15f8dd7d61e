// The stabs reader over sections held in memory: the input is a flags byte
// (bit 0 big-endian, bit 1 the readers' kind word 3), the size of .stab as
// a 32-bit little-endian word, the .stab bytes, and .stabstr as the rest.
// quinar takes what the reader gives and builds its indexes over it. Only
// asks "no crash, no read outside the buffer".
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "dwarf2_quinar.h"
#include "image_file.h"
#include "loader_tables.h"
#include "quinar/quinar.h"
#include "read_errors.h"
#include "stabs_reader.h"

using namespace tarnel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    const uint8_t flags = data[0];
    const uint32_t declared =
        uint32_t(data[1]) | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16 | uint32_t(data[4]) << 24;
    const std::span<const uint8_t> rest(data + 5, size - 5);
    const size_t stabSize = std::min<size_t>(declared, rest.size());

    SymClearSymbolTables(0);
    LoaderTables tables;
    ImageStamp stamp{};
    QuinarRecords records(stamp);
    ReadErrors errors("fuzz.elf", [](std::string) {});
    ImageFile file;
    uint32_t modules = 0;
    ReaderCall call{file, 1, (flags & 2) ? 3u : 1u, &modules};
    StabsContext cx{rest.first(stabSize),
                    rest.subspan(stabSize),
                    0,
                    (flags & 1) != 0,
                    "/img/",
                    tables,
                    records,
                    errors,
                    {},
                    {},
                    0,
                    0};
    ReadStabsPass(call, cx);
    SymEndLoad();
    return 0;
}
