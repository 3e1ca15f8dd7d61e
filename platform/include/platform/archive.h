// CArchive: the binary stream of the system's files (project file, breakpoint
// file, window layout block, build-tool settings block, form file), byte for
// byte as the MFC class library writes it. Always little-endian.
//
// Byte forms:
// - BYTE, WORD, DWORD, LONG/int, float, double: 1, 2, 4, 4, 4, 8 bytes.
//   There is deliberately no operator for `long`, `size_t` or bool-sized
//   host types: a record field must say its width.
// - Count (WriteCount/ReadCount, element counts of arrays): WORD below
//   0xFFFF, else WORD 0xFFFF and a DWORD.
// - String (CString): a BYTE length below 255; else 0xFF and a WORD length below
//   0xFFFE; else 0xFF, WORD 0xFFFF and a DWORD length; then the bytes, no
//   terminator. On reading, 0xFF 0xFFFE marks UTF-16 text (then the length
//   again in the same form, counting 16-bit units), returned as UTF-8.
// - Objects (WriteObject/ReadObject): WORD 0 for null; a new class: 0xFFFF,
//   schema WORD, name length WORD, name; a known class: 0x8000 | class index;
//   an object stored before: its index; indexes count classes and objects
//   together from 1; an index of 0x7FFF or more is written as 0x7FFF and a
//   DWORD (0x80000000 | index for a class).
//
// Reading past the end, a bad tag or an unknown class throws
// CArchiveException with a message naming the file and the offset; the
// archive never reads outside the data it was given.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file.h"
#include "platform/runtime_class.h"

namespace platform {

class CArchiveException : public CException {
public:
    enum Cause {
        none = 0,
        genericException = 1,
        readOnly = 2,  // writing to a loading archive
        endOfFile = 3,
        writeOnly = 4,  // reading from a storing archive
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
    };

    CArchiveException(int cause, std::string fileName, uint64_t offset, const std::string& detail = {});

    int m_cause;
    std::string m_strFileName;
    uint64_t m_offset;  // bytes from the start of the archive
};

class CArchive {
public:
    enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

    CArchive(CFile* file, UINT mode, int bufferSize = 4096);
    // Flushes a storing archive unless it was closed or aborted (errors are
    // lost there: call Close to see them).
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return loading_; }
    bool IsStoring() const { return !loading_; }
    CFile* GetFile() const { return file_; }
    // Bytes read or written through this archive so far.
    uint64_t Offset() const { return offset_; }

    void Flush();
    void Close();
    void Abort();

    // Raw bytes. Read returns fewer bytes at the end of the data; ReadExact throws.
    UINT Read(void* buffer, UINT count);
    void ReadExact(void* buffer, size_t count);
    void Write(const void* buffer, size_t count);

    CArchive& operator<<(uint8_t v) { return Put(v, 1); }
    CArchive& operator<<(int8_t v) { return Put(static_cast<uint8_t>(v), 1); }
    CArchive& operator<<(char v) { return Put(static_cast<uint8_t>(v), 1); }
    CArchive& operator<<(uint16_t v) { return Put(v, 2); }
    CArchive& operator<<(int16_t v) { return Put(static_cast<uint16_t>(v), 2); }
    CArchive& operator<<(uint32_t v) { return Put(v, 4); }
    CArchive& operator<<(int32_t v) { return Put(static_cast<uint32_t>(v), 4); }
    CArchive& operator<<(float v);
    CArchive& operator<<(double v);
    CArchive& operator<<(const std::string& s)
    {
        WriteCString(s);
        return *this;
    }
    CArchive& operator<<(const char* s)
    {
        WriteCString(s ? std::string(s) : std::string());
        return *this;
    }
    CArchive& operator<<(const CObject* object)
    {
        WriteObject(object);
        return *this;
    }

    CArchive& operator>>(uint8_t& v)
    {
        v = static_cast<uint8_t>(Get(1));
        return *this;
    }
    CArchive& operator>>(int8_t& v)
    {
        v = static_cast<int8_t>(Get(1));
        return *this;
    }
    CArchive& operator>>(char& v)
    {
        v = static_cast<char>(Get(1));
        return *this;
    }
    CArchive& operator>>(uint16_t& v)
    {
        v = static_cast<uint16_t>(Get(2));
        return *this;
    }
    CArchive& operator>>(int16_t& v)
    {
        v = static_cast<int16_t>(Get(2));
        return *this;
    }
    CArchive& operator>>(uint32_t& v)
    {
        v = static_cast<uint32_t>(Get(4));
        return *this;
    }
    CArchive& operator>>(int32_t& v)
    {
        v = static_cast<int32_t>(Get(4));
        return *this;
    }
    CArchive& operator>>(float& v);
    CArchive& operator>>(double& v);
    CArchive& operator>>(std::string& s)
    {
        s = ReadCString();
        return *this;
    }
    CArchive& operator>>(CObject*& object)
    {
        object = ReadObject(nullptr);
        return *this;
    }

    void WriteCount(DWORD count);
    DWORD ReadCount();
    // The CString form (not MFC's line-oriented WriteString/ReadString).
    void WriteCString(const std::string& s);
    std::string ReadCString();
    // A string array (CStringArray): count, then each string.
    void WriteStringArray(const std::vector<std::string>& strings);
    std::vector<std::string> ReadStringArray();

    void WriteObject(const CObject* object);
    // A new object is created from its class name and reads itself with
    // Serialize; the caller owns it. With `requested`, an object of another
    // class is a badClass error.
    CObject* ReadObject(const CRuntimeClass* requested);
    void WriteClass(const CRuntimeClass* cls);
    // A class tag; with a non-null `objectTag`, an object tag is accepted
    // too (result null, tag stored).
    const CRuntimeClass* ReadClass(const CRuntimeClass* requested = nullptr, UINT* schema = nullptr,
                                   DWORD* objectTag = nullptr);
    // The schema read for the object being loaded, once; (UINT)-1 after.
    UINT GetObjectSchema();
    void SetObjectSchema(UINT schema) { schema_ = schema; }

private:
    CArchive& Put(uint64_t value, int bytes);
    uint64_t Get(int bytes);
    [[noreturn]] void Fail(int cause, const std::string& detail = {}) const;
    void FillBuffer();
    void CheckLoading() const;
    void CheckStoring() const;
    size_t ReadLength(int& charSize);

    struct Loaded {
        const CRuntimeClass* cls = nullptr;
        UINT schema = 0;
        CObject* object = nullptr;
    };

    CFile* file_;
    bool loading_;
    bool flushOnDelete_;
    bool closed_ = false;
    std::vector<uint8_t> buffer_;
    size_t bufferPos_ = 0;  // next byte to read
    size_t bufferLen_ = 0;  // valid bytes (loading) or bytes waiting (storing)
    uint64_t offset_ = 0;
    UINT schema_ = static_cast<UINT>(-1);
    int depth_ = 0;
    std::vector<Loaded> loaded_ = std::vector<Loaded>(1);  // index 0 is null
    std::unordered_map<const void*, DWORD> stored_;        // object or class -> index
    DWORD storeCount_ = 1;
};

}  // namespace platform

using platform::CArchive;
using platform::CArchiveException;
