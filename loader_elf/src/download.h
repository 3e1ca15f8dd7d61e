// The download of an image into target memory through talvis: its program
// segments, or its selected data sections. The bytes go as the image holds
// them, so target memory gets them in the image's byte order (the load has
// checked that it is the target's).
#pragma once

#include <cstdint>
#include <functional>

#include "emu_types.h"
#include "image_file.h"
#include "ldr_types.h"

namespace tarnel {

// The target write: MemWriteBlock's shape (address, data, count, width).
using TargetWrite = int (*)(ADDR address, const void* data, uint32_t count, int width);

// Staged writes to the target: small adjacent pieces gather in a 1024-byte
// buffer and go in one write; larger pieces go directly.
class TargetWriter {
public:
    static constexpr uint32_t STAGE_SIZE = 1024;
    // Reads `count` bytes of the source into `destination`; 0 or an error.
    using Reader = std::function<int(uint8_t* destination, uint32_t count)>;

    explicit TargetWriter(TargetWrite write);

    // `repeat` copies of a `size`-byte unit read once, at `address`. 0, or
    // the first error of the reader or of a write.
    int WriteBuffered(const Reader& reader, uint32_t address, uint32_t size, uint32_t repeat);
    // Writes what is staged; 0 or the write's error.
    int Flush();

    uint32_t StagedCount() const { return count_; }
    uint32_t StagedStart() const { return start_; }

private:
    int Write(uint32_t address, const uint8_t* data, uint32_t count);

    TargetWrite write_;
    uint8_t stage_[STAGE_SIZE] = {};
    uint32_t count_ = 0;
    uint32_t start_ = 0;
};

// Every program header's file bytes at its virtual address, in table order,
// in chunks of 4096 bytes with the progress bar and the Esc poll between
// segments. *bytesLoaded = the sum of the segments' file sizes. 0,
// LDR_E_READ (short file), LDR_E_USER_ABORT or a talvis error.
LdrResult DownloadSegments(const ImageFile& file, uint64_t* bytesLoaded, TargetWrite write);
// The allocated data sections with contents: ".data" with LOAD_DATA,
// ".rodata" and its kin with LOAD_RODATA, any other such section always,
// never ".text". 0, LDR_E_READ or a talvis error.
LdrResult DownloadSections(const ImageFile& file, uint32_t flags, TargetWrite write);

}  // namespace tarnel
