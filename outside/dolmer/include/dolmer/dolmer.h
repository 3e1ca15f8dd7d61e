// dolmer: the address library. It turns address texts into ADDR records and
// back, and keeps the valid range of each address space (space 1, target
// memory, is the whole 32-bit range until the connect sets it).
//
// Address texts: a hexadecimal number with or without "0x" ("8000",
// "0x8000"), or "#name" for the first address of a function of the symbol
// library. Blanks around the text are ignored.
#pragma once

#include <cstdint>

#include "emu_types.h"

// Results of the range checks besides 1 (valid).
inline constexpr int ADR_E_OUT_OF_RANGE = 0;  // outside the space's valid range
inline constexpr int ADR_E_END_BEFORE_START = 2;
inline constexpr int ADR_E_SPACES_DIFFER = 3;

extern "C" {

// 1 when `text` is an address; *addr receives it. With `inSpace` non-zero a
// number becomes an address of space 1 and must lie in its range; with 0 it
// is a plain value (space 0). Anything else: 0, *addr unchanged.
int AdrTextToAddr(const char* text, ADDR* addr, int inSpace);
// "0x%08X" of the offset into text (at least 11 bytes); 1, or 0 for an
// address of space 0 (no address, or a source position), which has no text.
int AdrAddrToHex(ADDR addr, char* text);

// The symbol text of an address: "#name" of the function that begins at
// it, the text AdrTextToAddr reads back to the same address. 1 with the
// text in `text` (ADR_SYMBOL_TEXT_SIZE bytes); 0 when no function begins
// there (or its name leads elsewhere), text unchanged.
inline constexpr int ADR_SYMBOL_TEXT_SIZE = 256;
int AdrAddrToSymbol(ADDR addr, char* text);

// The valid range of a space; 1, or 0 for a space without a range (then
// *first and *last stay).
int AdrGetAddrRange(uint16_t space, uint32_t* first, uint32_t* last);
// Sets the range of space 1 to first..last; the second pair (an extended
// space of other processor families) and the flags are kept but not used.
// Result 1; 0 when first is above last (nothing changes).
int AdrSetExtAddrRange(uint32_t first, uint32_t last, uint32_t extFirst, uint32_t extLast, int flags);
// 1 when the address lies in its space's range, else ADR_E_OUT_OF_RANGE.
int AdrCheckAddrRange(ADDR addr);
// 1 when both lie in range, in one space, start not after end; else the
// first failing check's code.
int AdrCheck2Addr(ADDR start, ADDR end);

}  // extern "C"
