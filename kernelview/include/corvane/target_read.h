// Reading the kernel's objects from target memory: the kernel's symbols and
// control-block types from the symbol library, the bytes through the memory
// library, in the loaded image's byte order.
#pragma once

#include <cstdint>

namespace corvane {

// Reverses the bytes in place when the size is even and the loaded image is
// big-endian; false when nothing was done.
bool SwapIfBigEndian(void* buffer, uint32_t size);

// Where a member of a structure type lies: offset and size in bytes, its
// type. found is false when the structure or the member is unknown.
struct MemberSlot {
    bool found = false;
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t type = 0;
};
MemberSlot LocateMember(uint32_t structType, uint32_t index);

// The 32-bit value of a member of a control block held in a host buffer of
// blockSize bytes (narrower members zero-extended). *word is left unchanged
// and false returned when the member is unknown or lies outside the buffer.
bool ReadMemberFromBlock(const uint8_t* block, uint32_t blockSize, uint32_t structType, uint32_t index, uint32_t* word);
// The same for a member of the control block at a target address, read
// from target memory; false when the member is unknown or the read fails.
bool ReadMemberFromTarget(uint32_t structType, uint32_t index, uint32_t address, uint32_t* word);

// Fills one kind's table from the target: 1 on success, 0 when the list
// head, its type or (threads) the current-thread pointer cannot be read. An
// image without the kernel's count symbol gives every kind a count of 0.
int ReadKernelKind(int kind);
// Walks the created list from its first block: at most the kind's count
// and the table's capacity, ending early at a failed read; the count
// becomes the number of records filled. 0 when the control block is larger
// than the read buffer (nothing is read), else 1.
int WalkCreatedList(uint32_t structType, uint32_t first, int kind);
// Kinds 0 to 6 in order; 0 at the first failure.
int ReadAllKinds();

// The word at the running-thread pointer; 0 when the symbol is unknown or
// the read fails.
uint32_t ReadCurrentThreadPointer();

}  // namespace corvane
