// The process-wide state of the loader front end: the format of the image
// loaded last (which the queries answer for), the load that runs now, and
// its progress record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ldr_types.h"
#include "win_types.h"

namespace quentor {

// Load flags of LdrLoadWin (passed on to tarnel unchanged).
inline constexpr uint32_t LOAD_SYMBOLS = 0x1;
inline constexpr uint32_t LOAD_CODE = 0x2;
inline constexpr uint32_t LOAD_ASK_AGAIN = 0x8;     // ask before loading the same image's symbols again
inline constexpr uint32_t LOAD_ASM_MODULES = 0x10;  // IEEE-695: every assembler module is a module of its own
inline constexpr uint32_t LOAD_EXTERNAL = 0x800;    // IEEE-695: read the external part's public names

enum class ImageFormat : uint32_t {
    None = 0,
    Ieee695 = 1,
    SRecords = 2,
    Elf = 3,  // handed to tarnel
};
// What LdrFileFormat reports for every format but S-records and ELF.
inline constexpr uint32_t FORMAT_OTHER = 5;

inline constexpr size_t PATH_TAIL_MAX = 255;

struct LoadProgressRecord {
    uint64_t fileSize = 0;
    uint64_t filePosition = 0;
    uint64_t codeBytes = 0;    // written into target memory so far
    uint32_t symbolItems = 0;  // the symbol store's items and modules (quinar::LoadCounts)
    uint32_t symbolModules = 0;
    std::string pathTail;  // the path's last PATH_TAIL_MAX characters
    uint32_t startAddress = 0;
    uint32_t stackBase = 0;
    uint32_t stackSize = 0;
};

struct LastReport {
    uint64_t position = 0;
    uint64_t codeBytes = 0;
    uint32_t symbolItems = 0;
    uint32_t symbolModules = 0;
};

struct FrontEndState {
    ImageFormat format = ImageFormat::None;
    bool loading = false;
    uint32_t flags = 0;
    unsigned mode = 0;
    HWND progressWindow = nullptr;
    std::string path;
    bool escPressed = false;

    // What the image said about itself; S-records say nothing.
    uint32_t startAddress = 0;
    uint32_t stackBase = 0;
    uint32_t stackSize = 0;
    bool stackKnown = false;

    LoadProgressRecord record;
    LastReport last;
    // What the readers found damaged in the image this load reads.
    std::vector<std::string> messages;

    bool SymbolsWanted() const { return (flags & LOAD_SYMBOLS) != 0; }
    bool CodeWanted() const { return (flags & LOAD_CODE) != 0; }
};

FrontEndState& FrontState();

}  // namespace quentor
