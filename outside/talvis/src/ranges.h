// Inclusive target ranges and chunked reads for the memory tools.
#pragma once

#include <cstdint>
#include <functional>

#include "emu_types.h"

namespace talvis {

// Bytes per Falcrest block transfer: below its 64 KiB limit, and a multiple
// of its 240-byte write pieces so that a split write keeps their rhythm.
inline constexpr uint32_t TRANSFER_PIECE = 0xF000;
// Bytes the tools read at a time.
inline constexpr uint32_t TOOL_CHUNK = 4096;

// The byte count of [start, end]; false when end lies below start or the
// range is the whole 4 GiB (its count does not fit 32 bits).
bool RangeLength(ADDR start, ADDR end, uint32_t* length);

// Whether count bytes from address stay below the end of the address space.
inline bool FitsAddressSpace(uint32_t address, uint32_t count)
{
    return count == 0 || uint64_t(address) + count - 1 <= 0xFFFFFFFFull;
}

// Reads [address, address + length) chunk by chunk and hands each chunk to
// visit (its address, bytes, count); visit returns false to stop. The first
// failed read ends the walk with its result.
using ChunkVisitor = std::function<bool(uint32_t address, const uint8_t* bytes, uint32_t count)>;
int ForEachChunk(ADDR address, uint32_t length, const ChunkVisitor& visit);

}  // namespace talvis
