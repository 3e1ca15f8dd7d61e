// Results of the image loaders and the compiler kind of a loaded image.
#pragma once

#include <cstdint>

using LdrResult = uint32_t;
inline constexpr LdrResult LDR_OK = 0;
inline constexpr LdrResult LDR_E_NOT_IMAGE = 1;            // neither ELF nor text records
inline constexpr LdrResult LDR_E_OPEN_ELF = 0x8017;        // ELF file cannot be opened
inline constexpr LdrResult LDR_E_OPEN = 0x8037;            // front end: file cannot be opened
inline constexpr LdrResult LDR_E_UNKNOWN_FORMAT = 0x8038;  // text records handed to the ELF loader
inline constexpr LdrResult LDR_E_READ = 0x8092;            // a seek or a header read failed
inline constexpr LdrResult LDR_E_NO_MEMORY = 0x8093;
inline constexpr LdrResult LDR_E_BYTE_ORDER = 0x8094;       // image and target byte order differ
inline constexpr LdrResult LDR_E_USER_ABORT = 0xC016;       // Esc pressed
inline constexpr LdrResult LDR_E_BUSY = 0x40000311;         // a load is already running
inline constexpr LdrResult LDR_S_UNCHANGED = 0x400003E2;    // symbols already loaded, not again
inline constexpr LdrResult LDR_E_MODULE = 0x40000251;       // a module could not be opened
inline constexpr LdrResult LDR_E_SYMBOL_CALL = 0x400003FC;  // a symbol-library call failed
inline constexpr LdrResult LDR_E_STABS = 0x5000031B;        // stabs reader failure
inline constexpr LdrResult LDR_E_NO_SECTION = 0x500003A2;   // no section of the asked name
inline constexpr LdrResult LDR_E_BAD_RECORD = 0x10000366;   // a record of the image is damaged or unexpected
inline constexpr LdrResult LDR_E_NO_DATA = 0xFFFFFFFF;      // S-records: no data record

// The compiler that produced an image, from its debug information.
enum CompilerKind : uint32_t {
    COMPILER_NONE = 0,
    COMPILER_GREEN_HILLS = 2,
    COMPILER_GNU_C = 4,
    COMPILER_ARM = 8,  // ARM/Thumb
};

// Stamp of an image file, made from its creation time as FAT date and time;
// the loaders hand it to the symbol library with the image and every module.
// The year is not part of it.
struct ImageStamp {
    uint16_t zero;     // always 0
    uint8_t month;     // FAT date bits 5-8
    uint8_t day;       // FAT date bits 0-4
    uint8_t hour;      // FAT time bits 11-15
    uint8_t minute;    // FAT time bits 5-10
    uint8_t seconds2;  // seconds divided by 2, FAT time bits 0-4
    uint8_t pad;       // always 0
    friend bool operator==(const ImageStamp&, const ImageStamp&) = default;
};
static_assert(sizeof(ImageStamp) == 8);
