#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

const char* CauseText(int cause)
{
    switch (cause) {
    case CFileException::none: return "no error";
    case CFileException::genericException: return "file error";
    case CFileException::fileNotFound: return "file not found";
    case CFileException::badPath: return "bad path";
    case CFileException::tooManyOpenFiles: return "too many open files";
    case CFileException::accessDenied: return "access denied";
    case CFileException::invalidFile: return "invalid file";
    case CFileException::removeCurrentDir: return "cannot remove the current folder";
    case CFileException::directoryFull: return "folder full";
    case CFileException::badSeek: return "bad seek";
    case CFileException::hardIO: return "hardware I/O error";
    case CFileException::sharingViolation: return "sharing violation";
    case CFileException::lockViolation: return "lock violation";
    case CFileException::diskFull: return "disk full";
    case CFileException::endOfFile: return "end of file";
    default: return "file error";
    }
}

std::string Describe(int cause, LONG osError, const std::string& fileName)
{
    std::string text = CauseText(cause);
    if (!fileName.empty())
        text += ": " + fileName;
    if (osError > 0)
        text += std::string(" (") + std::strerror(osError) + ")";
    return text;
}

}  // namespace

CFileException::CFileException(int cause, LONG osError, std::string fileName)
    : CException(Describe(cause, osError, fileName)), m_cause(cause), m_lOsError(osError),
      m_strFileName(std::move(fileName))
{}

int CFileException::OsErrorToCause(int osError)
{
    switch (osError) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return accessDenied;
    case EBADF: return invalidFile;
    case EBUSY: return removeCurrentDir;
    case ESPIPE:
    case EINVAL: return badSeek;
    case EIO: return hardIO;
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return diskFull;
    default: return genericException;
    }
}

CFile::CFile(const char* path, UINT openFlags)
{
    CFileException error;
    if (!Open(path, openFlags, &error))
        throw error;
}

CFile::~CFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

BOOL CFile::Open(const char* path, UINT openFlags, CFileException* error)
{
    if (fd_ >= 0)
        Abort();
    int flags = O_CLOEXEC;
    switch (openFlags & 3) {
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    if (openFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate))
            flags |= O_TRUNC;
    }
    int fd = path ? ::open(path, flags, 0666) : -1;
    int err = path ? errno : ENOENT;
    if (fd >= 0) {
        struct stat st {};
        if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            fd = -1;
            err = EISDIR;
        }
    }
    if (fd < 0) {
        if (error)
            *error = CFileException(CFileException::OsErrorToCause(err), err, path ? path : "");
        return FALSE;
    }
    fd_ = fd;
    path_ = path;
    return TRUE;
}

void CFile::Throw(int osError) const
{
    throw CFileException(CFileException::OsErrorToCause(osError), osError, path_);
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (fd_ < 0)
        Throw(EBADF);
    UINT done = 0;
    while (done < count) {
        ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Throw(errno);
        }
        if (n == 0)
            break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count)
{
    if (fd_ < 0)
        Throw(EBADF);
    UINT done = 0;
    while (done < count) {
        ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Throw(errno);
        }
        done += static_cast<UINT>(n);
    }
}

uint64_t CFile::Seek(int64_t offset, UINT from)
{
    int whence = from == end ? SEEK_END : from == current ? SEEK_CUR : SEEK_SET;
    off_t pos = ::lseek(fd_, offset, whence);
    if (pos < 0)
        Throw(errno);
    return static_cast<uint64_t>(pos);
}

uint64_t CFile::GetPosition() const
{
    off_t pos = ::lseek(fd_, 0, SEEK_CUR);
    if (pos < 0)
        Throw(errno);
    return static_cast<uint64_t>(pos);
}

uint64_t CFile::GetLength() const
{
    struct stat st {};
    if (fstat(fd_, &st) != 0)
        Throw(errno);
    return static_cast<uint64_t>(st.st_size);
}

void CFile::SetLength(uint64_t length)
{
    if (ftruncate(fd_, static_cast<off_t>(length)) != 0)
        Throw(errno);
}

void CFile::Flush()
{
    if (fd_ >= 0 && fsync(fd_) != 0 && errno != EINVAL)
        Throw(errno);
}

void CFile::Close()
{
    if (fd_ < 0)
        return;
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        Throw(errno);
}

void CFile::Abort()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void CFile::Remove(const char* path)
{
    if (!path || ::unlink(path) != 0) {
        int err = path ? errno : ENOENT;
        throw CFileException(CFileException::OsErrorToCause(err), err, path ? path : "");
    }
}

void CFile::Rename(const char* oldPath, const char* newPath)
{
    if (!oldPath || !newPath || ::rename(oldPath, newPath) != 0) {
        int err = (oldPath && newPath) ? errno : ENOENT;
        throw CFileException(CFileException::OsErrorToCause(err), err, oldPath ? oldPath : "");
    }
}

BOOL CFile::GetStatus(const char* path, CFileStatus& status)
{
    struct stat st {};
    if (!path || stat(path, &st) != 0)
        return FALSE;
    status.m_ctime = st.st_ctime;
    status.m_mtime = st.st_mtime;
    status.m_atime = st.st_atime;
    status.m_size = static_cast<uint64_t>(st.st_size);
    status.m_attribute = static_cast<BYTE>((S_ISDIR(st.st_mode) ? 0x10 : 0) | (access(path, W_OK) != 0 ? 0x01 : 0));
    char full[PATH_MAX];
    status.m_szFullName = realpath(path, full) ? full : path;
    return TRUE;
}

CMemFile::CMemFile(const void* bytes, size_t size)
    : data_(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + size)
{}

BOOL CMemFile::Open(const char*, UINT, CFileException* error)
{
    if (error)
        *error = CFileException(CFileException::genericException);
    return FALSE;
}

UINT CMemFile::Read(void* buffer, UINT count)
{
    if (pos_ >= data_.size())
        return 0;
    uint64_t n = std::min<uint64_t>(count, data_.size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    if (pos_ + count > data_.size())
        data_.resize(pos_ + count);
    std::memcpy(data_.data() + pos_, buffer, count);
    pos_ += count;
}

uint64_t CMemFile::Seek(int64_t offset, UINT from)
{
    int64_t base = from == end ? static_cast<int64_t>(data_.size()) : from == current ? static_cast<int64_t>(pos_) : 0;
    if (base + offset < 0)
        throw CFileException(CFileException::badSeek);
    pos_ = static_cast<uint64_t>(base + offset);
    return pos_;
}

void CMemFile::SetLength(uint64_t length)
{
    data_.resize(length);
    pos_ = std::min(pos_, length);
}

std::vector<uint8_t> CMemFile::Detach()
{
    pos_ = 0;
    return std::move(data_);
}

}  // namespace platform
