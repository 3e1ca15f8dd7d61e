// Blocks handed across a library boundary with their global memory handle in
// the four bytes in front of the data: the receiver frees them from the data
// pointer alone. The handle is a 32-bit handle number of the global memory
// table (GlobalAlloc in platform/win32.h), never a pointer cast to 32 bits.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/win32.h"

namespace platform {

// A zero-filled, locked block of `bytes` bytes with its handle in front;
// null when memory runs out.
void* AllocHandleBlock(size_t bytes);
// Unlocks and frees such a block; null is ignored, and so (with a report on
// stderr) is a pointer that is not the data of a live block.
void FreeHandleBlock(void* data);
// The handle stored in front of a block's data, null when it is not one.
HGLOBAL HandleOfBlock(const void* data);
// A movable global memory block holding `text` and a terminating zero (a
// path or a text handed to a window by handle); null when memory runs out.
HGLOBAL GlobalTextBlock(std::string_view text);
// Live global memory blocks, for tests that look for leaks.
size_t GlobalBlockCount();

}  // namespace platform
