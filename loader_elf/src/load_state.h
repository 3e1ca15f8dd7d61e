// ElfLoadState: the one process-wide record of tarnel. The load that runs
// now (busy flag, flags, progress window and record) and the image loaded
// last, which serves the queries until the next load or ResetOnCloseELF.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image_file.h"
#include "ldr_types.h"
#include "loader_tables.h"
#include "quinar/symbol_store.h"
#include "read_errors.h"
#include "section_pass.h"
#include "tarnel/elf_image.h"
#include "win_types.h"

namespace tarnel {

// Load flags of LdrLoadWinElf.
inline constexpr uint32_t LOAD_SYMBOLS = 0x1;
inline constexpr uint32_t LOAD_DOWNLOAD = 0x2;
inline constexpr uint32_t LOAD_SEGMENTS = 0x1000000;
inline constexpr uint32_t LOAD_DATA = 0x2000000;
inline constexpr uint32_t LOAD_RODATA = 0x4000000;

inline constexpr uint32_t STACK_SIZE_UNKNOWN = 0x7FFFFFFF;
inline constexpr uint32_t DEFAULT_STACK_SIZE = 0x10000;
inline constexpr size_t PATH_TAIL_MAX = 255;

// What the progress bar and the caller's status text are made from.
// Sizes and positions are 64-bit: percentages of large files must not wrap.
struct LoadProgressRecord {
    uint64_t imageSize = 0;
    uint64_t filePosition = 0;
    quinar::LoadCounts symbols;  // what the symbol store holds
    uint64_t downloadedBytes = 0;
    uint32_t lineRows = 0;
    uint32_t functions = 0;  // functions the debug readers added
    uint32_t startPC = 0;
    uint32_t stackBase = 0;
    uint32_t stackSize = 0;
    std::string pathTail;  // the path's last PATH_TAIL_MAX characters
};

// The bar's memory between two reports.
struct ProgressMemory {
    uint64_t previousPosition = 0;
    uint32_t lastSent = 0;
    bool downloadSeen = false;  // bytes were downloaded; stillToDownload is set
    uint64_t stillToDownload = 0;
};

struct ElfLoadState {
    // --- The load that runs ---
    bool busy = false;
    uint32_t flags = 0;
    int mode = 0;
    HWND progressWindow = nullptr;
    std::string imageDirectory;  // the path up to its last separator
    std::string imagePath;
    ImageStamp stamp{};
    ImageFile file;
    LoadProgressRecord record;
    ProgressMemory progress;
    // What the readers found damaged ("<file>: <section>+0x1c: <what>").
    std::vector<std::string> messages;

    // --- The image loaded last ---
    ElfImage image;
    bool bigEndian = false;
    SectionNotes notes;
    StackNote stack;
    uint32_t startPC = 0;
    CompilerKind compilerKind = COMPILER_NONE;
    LoaderTables tables;

    bool SymbolsWanted() const { return (flags & LOAD_SYMBOLS) != 0; }
    // The readers' kind word: 1 for a load with a nonzero mode, else 3.
    uint32_t ReaderKind() const { return mode != 0 ? 1 : 3; }
};

ElfLoadState& State();

// Keeps a reader's message about damaged debug information (the first
// MAX_READER_MESSAGES of a load).
inline constexpr size_t MAX_READER_MESSAGES = 200;
void ReportReaderMessage(std::string text);

// The readers' error handler of the load that runs: its messages go to
// `messages` (ReportReaderMessage) with the image's path.
ReadErrors LoadReadErrors();

// Frees the section records and forgets the noted sections.
void FreeSectionTable();
// What ResetOnCloseELF forgets: the start PC, the source files, the class
// ranges and what the readers keep for the loaded image.
void ForgetLoadedImage();

}  // namespace tarnel
