// Any bytes as a DWARF location expression (an image's bytes reach the
// machine unchanged): evaluated as a location, as a composite location
// (DW_OP_piece) and as a frame base against
// a stop whose registers and memory answer, or fail for odd addresses.
// Never a crash, a hang or a read outside the bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dwarf_location.h"

using namespace quinar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    DwarfMachine m;
    m.readRegister = [](uint32_t reg, uint32_t* v) {
        *v = reg * 0x01010101u;
        return reg < 16 ? SYM_OK : SYM_E_NO_VALUE;
    };
    m.readMemory = [](uint32_t address, uint32_t, uint32_t* v) {
        *v = address ^ 0x5A5A5A5Au;
        return (address & 1) ? SYM_E_NO_VALUE : SYM_OK;
    };
    m.frameBase = [](uint32_t* base) {
        *base = 0x7000;
        return SYM_OK;
    };
    m.bigEndian = size & 1;
    const auto length = static_cast<uint32_t>(size);
    DwarfLocation at;
    EvaluateDwarfLocation(data, length, m, &at);
    std::vector<DwarfPiece> pieces;
    EvaluateDwarfPieces(data, length, m, &at, &pieces);
    uint32_t base = 0;
    EvaluateDwarfFrameBase(data, length, m, &base);
    return 0;
}
