// Scalar and handle types of the Windows interfaces the system was written
// against, with the widths this 64-bit Linux build gives them. Values that go
// to files, to the target or across a documented layout use the exact-width
// types; handle- and pointer-carrying types are pointer-sized.
#pragma once

#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;  // exactly 32 bits, unlike C long on this host
using ULONG = uint32_t;
using BOOL = int;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = uint32_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Opaque handles. A window handle names a registered message sink of the
// platform layer; a global-memory handle names a block of its handle table;
// a module handle names a loaded library.
struct HWND__;
struct HGLOBAL__;
struct HINSTANCE__;
using HWND = HWND__*;
using HGLOBAL = HGLOBAL__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using FARPROC = void (*)();

inline constexpr WORD LOWORD(uintptr_t v)
{
    return static_cast<WORD>(v & 0xFFFF);
}
inline constexpr WORD HIWORD(uintptr_t v)
{
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
