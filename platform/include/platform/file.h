// Files the way the system's code uses them: CFile over a file descriptor,
// CMemFile over a byte buffer, and the exception classes that file and
// archive errors raise. Errors are thrown by value; catch `CException&`
// (or the derived class) by reference.
#pragma once

#include <cstdint>
#include <ctime>
#include <exception>
#include <string>
#include <vector>

#include "win_types.h"

namespace platform {

class CException : public std::exception {
public:
    explicit CException(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

protected:
    std::string message_;
};

class CMemoryException : public CException {
public:
    CMemoryException() : CException("out of memory") {}
};

class CFileException : public CException {
public:
    enum Cause {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    // osError is errno, or -1 when no operating-system error stands behind it.
    explicit CFileException(int cause = genericException, LONG osError = -1, std::string fileName = {});

    static int OsErrorToCause(int osError);

    int m_cause;
    LONG m_lOsError;
    std::string m_strFileName;
};

struct CFileStatus {
    time_t m_ctime = 0;  // status change (the file system keeps no creation time everywhere)
    time_t m_mtime = 0;
    time_t m_atime = 0;
    uint64_t m_size = 0;
    BYTE m_attribute = 0;  // 0x10 for a directory, 0x01 for read-only
    std::string m_szFullName;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens or throws CFileException.
    CFile(const char* path, UINT openFlags);
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE on failure, with the reason in *error when given. Sharing modes
    // are accepted and not enforced.
    virtual BOOL Open(const char* path, UINT openFlags, CFileException* error = nullptr);
    // Fewer bytes than asked at the end of the file; throws on an I/O error.
    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    virtual uint64_t Seek(int64_t offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    uint64_t SeekToEnd() { return Seek(0, end); }
    virtual uint64_t GetPosition() const;
    virtual uint64_t GetLength() const;
    virtual void SetLength(uint64_t length);
    virtual void Flush();
    virtual void Close();
    // Closes without throwing.
    virtual void Abort();
    virtual bool IsOpen() const { return fd_ >= 0; }
    const std::string& GetFilePath() const { return path_; }

    static void Remove(const char* path);
    static void Rename(const char* oldPath, const char* newPath);
    static BOOL GetStatus(const char* path, CFileStatus& status);

protected:
    [[noreturn]] void Throw(int osError) const;

    int fd_ = -1;
    std::string path_;
};

// A file in memory: stores into a growing buffer, or loads from given bytes.
class CMemFile : public CFile {
public:
    CMemFile() = default;
    explicit CMemFile(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}
    CMemFile(const void* bytes, size_t size);

    BOOL Open(const char*, UINT, CFileException* error = nullptr) override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    uint64_t Seek(int64_t offset, UINT from) override;
    uint64_t GetPosition() const override { return pos_; }
    uint64_t GetLength() const override { return data_.size(); }
    void SetLength(uint64_t length) override;
    void Flush() override {}
    void Close() override {}
    void Abort() override {}
    bool IsOpen() const override { return true; }

    const std::vector<uint8_t>& Data() const { return data_; }
    std::vector<uint8_t> Detach();

private:
    std::vector<uint8_t> data_;
    uint64_t pos_ = 0;
};

}  // namespace platform

using platform::CException;
using platform::CFile;
using platform::CFileException;
using platform::CFileStatus;
using platform::CMemFile;
using platform::CMemoryException;
