#include "host_files.h"

#include <cerrno>
#include <cstring>

namespace sarvik {

namespace {

constexpr const char* kModes[HOST_OPEN_MODES] = {"r",  "rb",  "r+", "r+b", "w",  "wb",
                                                 "w+", "w+b", "a",  "ab",  "a+", "a+b"};

// The features file: the magic "SHFB", then one byte of feature bits:
// bit 0 SYS_EXIT_EXTENDED, bit 1 ":tt" opened for appending is stderr.
constexpr uint8_t kFeatures[] = {'S', 'H', 'F', 'B', 0x03};

bool ReadMode(uint32_t mode)
{
    return mode < 4;
}

}  // namespace

HostFiles::Slot* HostFiles::Find(uint32_t handle, int& error)
{
    if (handle == 0 || handle > HOST_FILE_SLOTS || slots_[handle - 1].kind == HostStream::None) {
        error = EBADF;
        return nullptr;
    }
    return &slots_[handle - 1];
}

int HostFiles::Take(const Slot& slot, int& error)
{
    for (int i = 0; i < HOST_FILE_SLOTS; ++i) {
        if (slots_[i].kind == HostStream::None) {
            slots_[i] = slot;
            return i + 1;
        }
    }
    error = EMFILE;
    return -1;
}

int HostFiles::Open(const std::string& name, uint32_t mode, int& error)
{
    if (mode >= HOST_OPEN_MODES) {
        error = EINVAL;
        return -1;
    }
    const bool binary = (mode & 1) != 0;
    if (name == ":tt") {
        const HostStream kind = mode < 4 ? HostStream::ConsoleIn
            : mode < 8                   ? HostStream::ConsoleOut
                                         : HostStream::ConsoleErr;
        for (int i = 0; i < HOST_FILE_SLOTS; ++i) {
            if (slots_[i].kind == kind && slots_[i].binary == binary)
                return i + 1;
        }
        return Take({kind, nullptr, binary, LastOp::None, 0}, error);
    }
    if (name == ":semihosting-features") {
        if (!ReadMode(mode)) {
            error = EACCES;
            return -1;
        }
        return Take({HostStream::Features, nullptr, binary, LastOp::None, 0}, error);
    }
    if (OpenCount() >= HOST_FILE_SLOTS) {
        error = EMFILE;
        return -1;
    }
    std::FILE* file = std::fopen(name.c_str(), kModes[mode]);
    if (!file) {
        error = errno;
        return -1;
    }
    return Take({HostStream::File, file, binary, LastOp::None, 0}, error);
}

int HostFiles::Close(uint32_t handle, int& error)
{
    Slot* s = Find(handle, error);
    if (!s)
        return -1;
    switch (s->kind) {
    case HostStream::File: {
        const int r = std::fclose(s->file);
        if (r != 0)
            error = errno;
        *s = Slot{};
        return r == 0 ? 0 : -1;
    }
    case HostStream::Features: *s = Slot{}; return 0;
    default: return 0;
    }
}

HostStream HostFiles::Kind(uint32_t handle) const
{
    if (handle == 0 || handle > HOST_FILE_SLOTS)
        return HostStream::None;
    return slots_[handle - 1].kind;
}

void HostFiles::Switch(Slot& s, LastOp to)
{
    if (s.last != LastOp::None && s.last != to)
        std::fseek(s.file, 0, SEEK_CUR);
    s.last = to;
}

int64_t HostFiles::Read(uint32_t handle, uint8_t* buffer, size_t count, int& error)
{
    Slot* s = Find(handle, error);
    if (!s)
        return -1;
    if (s->kind == HostStream::Features) {
        const size_t left = s->featurePos < sizeof kFeatures ? sizeof kFeatures - s->featurePos : 0;
        const size_t n = count < left ? count : left;
        std::memcpy(buffer, kFeatures + s->featurePos, n);
        s->featurePos += static_cast<uint32_t>(n);
        return static_cast<int64_t>(n);
    }
    if (s->kind != HostStream::File) {
        error = EBADF;
        return -1;
    }
    Switch(*s, LastOp::Read);
    const size_t n = std::fread(buffer, 1, count, s->file);
    if (n < count && std::ferror(s->file)) {
        error = errno;
        std::clearerr(s->file);
        if (n == 0)
            return -1;
    }
    return static_cast<int64_t>(n);
}

int64_t HostFiles::Write(uint32_t handle, const uint8_t* data, size_t count, int& error)
{
    Slot* s = Find(handle, error);
    if (!s)
        return -1;
    if (s->kind != HostStream::File) {
        error = EBADF;
        return -1;
    }
    Switch(*s, LastOp::Write);
    const size_t n = std::fwrite(data, 1, count, s->file);
    if (n < count) {
        error = errno;
        std::clearerr(s->file);
    }
    return static_cast<int64_t>(n);
}

int HostFiles::Seek(uint32_t handle, uint32_t position, int& error)
{
    Slot* s = Find(handle, error);
    if (!s)
        return -1;
    switch (s->kind) {
    case HostStream::File:
        if (std::fseek(s->file, static_cast<long>(position), SEEK_SET) != 0) {
            error = errno;
            return -1;
        }
        s->last = LastOp::None;
        return 0;
    case HostStream::Features:
        if (position > sizeof kFeatures) {
            error = EINVAL;
            return -1;
        }
        s->featurePos = position;
        return 0;
    default: return 0;
    }
}

int64_t HostFiles::Length(uint32_t handle, int& error)
{
    Slot* s = Find(handle, error);
    if (!s)
        return -1;
    switch (s->kind) {
    case HostStream::File: {
        // Pending output counts: it is flushed by the positioning calls.
        const long here = std::ftell(s->file);
        if (here < 0 || std::fseek(s->file, 0, SEEK_END) != 0) {
            error = errno;
            return -1;
        }
        const long end = std::ftell(s->file);
        if (end < 0 || std::fseek(s->file, here, SEEK_SET) != 0) {
            error = errno;
            return -1;
        }
        s->last = LastOp::None;
        return end;
    }
    case HostStream::Features: return sizeof kFeatures;
    default: return 0;
    }
}

void HostFiles::CloseAll()
{
    for (Slot& s : slots_) {
        if (s.kind == HostStream::File)
            std::fclose(s.file);
        s = Slot{};
    }
}

int HostFiles::OpenCount() const
{
    int n = 0;
    for (const Slot& s : slots_)
        n += s.kind != HostStream::None;
    return n;
}

}  // namespace sarvik
