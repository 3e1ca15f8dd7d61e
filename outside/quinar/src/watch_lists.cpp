// The four numbered watch lists of expression texts, and their file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "boundary.h"
#include "store.h"
#include "watch_file.h"

namespace quinar {

namespace {

// The largest file the bounds of DecodeWatchFile allow.
constexpr size_t kMaxWatchFileSize = 28 + size_t{kWatchListCount} * kMaxWatchTexts * (4 + size_t{kMaxWatchTextLength});

WatchLists& Lists()
{
    return TheStore().watchLists;
}

std::string& Message()
{
    return TheStore().watchFileMessage;
}

SymResult Fail(std::string message)
{
    Message() = std::move(message);
    return SYM_E_FILE;
}

std::string SystemError(int error)
{
    return std::strerror(error);
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::span<const std::string> SymbolStore::WatchList(uint32_t n) const
{
    if (n >= kWatchListCount)
        return {};
    return Lists()[n];
}

SymResult SymbolStore::SetWatchList(uint32_t n, std::vector<std::string> texts)
{
    if (n >= kWatchListCount || texts.size() > kMaxWatchTexts)
        return SYM_E_ARGUMENT;
    for (const std::string& text : texts) {
        if (text.size() > kMaxWatchTextLength || text.find('\0') != std::string::npos)
            return SYM_E_ARGUMENT;
    }
    Lists()[n] = std::move(texts);
    return SYM_OK;
}

const std::string& SymbolStore::WatchFileMessage() const
{
    return Message();
}

// Written beside the file and renamed over it, so a file that was there
// stays whole until the new one is complete.
SymResult SymbolStore::SaveWatchLists(const std::string& path)
{
    Message().clear();
    const std::vector<uint8_t> bytes = EncodeWatchFile(Lists());
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return Fail(path + ": cannot be written: " + SystemError(errno));
    ::fchmod(fd, 0644);
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        ::unlink(temporary.c_str());
        return Fail(path + ": cannot be written: " + SystemError(written ? errno : writeError));
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return Fail(path + ": cannot be written: " + SystemError(error));
    }
    return SYM_OK;
}

SymResult SymbolStore::RestoreWatchLists(const std::string& path)
{
    Message().clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Fail(path + ": cannot be read: " + SystemError(errno));
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    bool tooLong = false;
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return Fail(path + ": cannot be read at offset " + std::to_string(bytes.size()) + ": " +
                        SystemError(error));
        }
        if (n == 0)
            break;
        if (bytes.size() + static_cast<size_t>(n) > kMaxWatchFileSize) {
            tooLong = true;
            break;
        }
        bytes.insert(bytes.end(), block, block + n);
    }
    ::close(fd);
    if (tooLong)
        return Fail(path + ": offset " + std::to_string(kMaxWatchFileSize) + ": longer than any watch file");
    WatchLists lists;
    WatchFileFault fault;
    if (!DecodeWatchFile(bytes, &lists, &fault))
        return Fail(path + ": offset " + std::to_string(fault.offset) + ": " + fault.what);
    Lists() = std::move(lists);
    return SYM_OK;
}

}  // namespace quinar

extern "C" {

int Var_SaveVar(const char* path)
{
    if (!path || !*path)
        return SYM_E_ARGUMENT;
    return quinar::Symbols().SaveWatchLists(path);
}

int Var_RestoreVar(const char* path)
{
    if (!path || !*path)
        return SYM_E_ARGUMENT;
    return quinar::Symbols().RestoreWatchLists(path);
}

}  // extern "C"
