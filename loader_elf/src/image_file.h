// The open image file. It is read whole into memory when it is opened, in a
// few large reads, so that every later read (headers, download chunks, the
// debug-information readers' fields) is a bounded look into one buffer and
// never a system call; the buffer is also a snapshot that a rebuild of the
// file during the load cannot change under the readers.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "byte_cursor.h"
#include "ldr_types.h"

namespace tarnel {

class ImageFile {
public:
    // LDR_E_OPEN_ELF when the file cannot be opened or read, or its buffer
    // cannot be allocated. The path may use either separator.
    LdrResult Open(const std::string& path);
    // An image held in memory already (the fuzz targets): opened as if read.
    void Assign(std::vector<uint8_t> bytes, const std::string& path);
    void Close();
    bool IsOpen() const { return open_; }

    const std::string& Path() const { return path_; }
    std::span<const uint8_t> Bytes() const { return bytes_; }
    uint64_t Size() const { return bytes_.size(); }
    // The stamp of the file's creation time (zero when it cannot be taken).
    ImageStamp Stamp() const;

    // Where the reading stands, for the progress bar: the end of the last
    // part read. Set by the phases and readers; never read back from a cursor.
    uint64_t Position() const { return position_; }
    void SetPosition(uint64_t position) { position_ = position; }

    // [offset, offset + size) of the file, cut at the file's end.
    std::span<const uint8_t> Range(uint64_t offset, uint64_t size) const;
    // A cursor over that range, reporting offsets within the section.
    ByteCursor Cursor(uint64_t offset, uint64_t size, bool bigEndian, std::string_view section) const;
    // Copies count bytes at offset; LDR_E_READ when the file holds fewer.
    LdrResult ReadBlock(uint64_t offset, void* destination, uint64_t count) const;

private:
    bool open_ = false;
    std::string path_;
    std::vector<uint8_t> bytes_;
    uint64_t position_ = 0;
};

}  // namespace tarnel
