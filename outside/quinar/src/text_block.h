// Texts the library hands to its callers: blocks with the block's handle in
// the 4 bytes in front of the data, which the caller frees by that handle.
//
// Every returned text is made by NewReturnedText alone: a block of the
// platform layer's global heap (GlobalAlloc with the handle stored in front,
// as the loaders' own blocks), which a receiver frees with
// platform::FreeHandleBlock or GlobalFree on that handle.
#pragma once

#include <cstdint>
#include <string_view>

namespace quinar {

char* NewReturnedText(std::string_view text);
// Releases a block made by NewReturnedText; null is ignored.
void FreeReturnedText(char* data);
// The handle stored in front of a block's data.
uint32_t ReturnedTextHandle(const char* data);
// Blocks handed out and not yet released.
size_t ReturnedTextsOutstanding();

}  // namespace quinar
