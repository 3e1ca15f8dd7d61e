// Block transfers between a host buffer and target memory for the
// simulator's entry (memory read and write codes).
//
// Every byte goes to or comes from its own address: the block moves in
// units of 1, 2 or 4 bytes where a unit starts at a multiple of its size and
// fits in what remains; a unit at an unaligned address and a tail shorter
// than a unit move as bytes. (While every access goes straight to the store,
// with no protection unit, cache or write observer to tell one width from
// another, the widest aligned accesses that fit move the same bytes.) Reads take the data-side debug path (a line held
// in the data cache is seen as cached; nothing is allocated); writes bypass
// both caches and invalidate the line in each (a dirty data line is written
// back first). Buffers hold the bytes in target (little-endian) order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zk::sim {

class Simulator;

enum class TransferResult { Done, Refused, BadUnit };

// A refused unit reads as zeros; the transfer goes on with the next one.
TransferResult ReadTargetMemory(Simulator& sim, unsigned unit, uint32_t address, uint8_t* dest, size_t length);
// A refused unit is skipped; the transfer goes on with the next one.
TransferResult WriteTargetMemory(Simulator& sim, unsigned unit, uint32_t address, const uint8_t* source, size_t length);

}  // namespace zk::sim
