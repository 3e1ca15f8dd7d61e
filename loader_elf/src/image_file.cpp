#include "image_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include <platform/file_time.h>
#include <platform/paths.h>

namespace tarnel {
namespace {

// Reads of at most this size: large enough that a big image takes a few
// dozen calls, small enough to stay within every file system's limits.
constexpr size_t READ_PIECE = 8u << 20;

bool ReadAll(int fd, std::vector<uint8_t>& bytes, uint64_t expected)
{
    bytes.resize(static_cast<size_t>(expected));
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t want = std::min(READ_PIECE, bytes.size() - done);
        const ssize_t n = ::read(fd, bytes.data() + done, want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;  // the file shrank since it was examined: keep what is there
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return true;
}

}  // namespace

LdrResult ImageFile::Open(const std::string& path)
{
    Close();
    const std::string native = platform::ToNativePath(path);
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return LDR_E_OPEN_ELF;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    try {
        ok = ok && ReadAll(fd, bytes_, static_cast<uint64_t>(st.st_size));
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    ::close(fd);
    if (!ok) {
        bytes_ = {};
        return LDR_E_OPEN_ELF;
    }
    path_ = path;
    position_ = 0;
    open_ = true;
    return LDR_OK;
}

void ImageFile::Assign(std::vector<uint8_t> bytes, const std::string& path)
{
    bytes_ = std::move(bytes);
    path_ = path;
    position_ = 0;
    open_ = true;
}

void ImageFile::Close()
{
    open_ = false;
    bytes_ = {};
    position_ = 0;
}

ImageStamp ImageFile::Stamp() const
{
    ImageStamp stamp{};
    platform::DosDateTime packed;
    if (!platform::FileCreationDosDateTime(platform::ToNativePath(path_), packed))
        return stamp;
    stamp.month = static_cast<uint8_t>((packed.date >> 5) & 0x0F);
    stamp.day = static_cast<uint8_t>(packed.date & 0x1F);
    stamp.hour = static_cast<uint8_t>((packed.time >> 11) & 0x1F);
    stamp.minute = static_cast<uint8_t>((packed.time >> 5) & 0x3F);
    stamp.seconds2 = static_cast<uint8_t>(packed.time & 0x1F);
    return stamp;
}

std::span<const uint8_t> ImageFile::Range(uint64_t offset, uint64_t size) const
{
    if (offset >= bytes_.size())
        return {};
    return std::span<const uint8_t>(bytes_).subspan(static_cast<size_t>(offset),
                                                    static_cast<size_t>(std::min(size, bytes_.size() - offset)));
}

ByteCursor ImageFile::Cursor(uint64_t offset, uint64_t size, bool bigEndian, std::string_view section) const
{
    return ByteCursor(Range(offset, size), bigEndian, section);
}

LdrResult ImageFile::ReadBlock(uint64_t offset, void* destination, uint64_t count) const
{
    const auto range = Range(offset, count);
    if (range.size() != count)
        return LDR_E_READ;
    if (count)
        std::memcpy(destination, range.data(), range.size());
    return LDR_OK;
}

}  // namespace tarnel
