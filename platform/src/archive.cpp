#include "platform/archive.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

constexpr uint16_t kNullTag = 0;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000u;
constexpr uint32_t kMaxMapCount = 0x3FFFFFFEu;
constexpr size_t kMaxClassName = 64;
// Objects that read objects: bounded, so crafted data cannot exhaust the stack.
constexpr int kMaxDepth = 1000;
// A string is read in pieces, so a lying length meets the end of the data
// before it costs memory.
constexpr size_t kStringChunk = 1u << 20;

const char* CauseText(int cause)
{
    switch (cause) {
    case CArchiveException::readOnly: return "write to an archive that is loading";
    case CArchiveException::endOfFile: return "unexpected end of data";
    case CArchiveException::writeOnly: return "read from an archive that is storing";
    case CArchiveException::badIndex: return "bad object or class index";
    case CArchiveException::badClass: return "bad class";
    case CArchiveException::badSchema: return "unexpected object schema";
    case CArchiveException::none: return "no error";
    default: return "archive error";
    }
}

std::string Describe(int cause, const std::string& fileName, uint64_t offset, const std::string& detail)
{
    std::string text = std::string(CauseText(cause)) + " at offset " + std::to_string(offset);
    if (!fileName.empty())
        text += " of " + fileName;
    if (!detail.empty())
        text += ": " + detail;
    return text;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::string& bytes)
{
    std::string out;
    size_t n = bytes.size() / 2;
    auto unit = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i])) |
            (static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i + 1])) << 8);
    };
    for (size_t i = 0; i < n; ++i) {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < n && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }

private:
    int& depth_;
};

}  // namespace

CArchiveException::CArchiveException(int cause, std::string fileName, uint64_t offset, const std::string& detail)
    : CException(Describe(cause, fileName, offset, detail)), m_cause(cause), m_strFileName(std::move(fileName)),
      m_offset(offset)
{}

CArchive::CArchive(CFile* file, UINT mode, int bufferSize)
    : file_(file), loading_((mode & load) != 0), flushOnDelete_((mode & bNoFlushOnDelete) == 0),
      buffer_(static_cast<size_t>(std::max(bufferSize, 64)))
{}

CArchive::~CArchive()
{
    if (!closed_ && !loading_ && flushOnDelete_) {
        try {
            Flush();
        } catch (...) {}
    }
}

void CArchive::Fail(int cause, const std::string& detail) const
{
    throw CArchiveException(cause, file_ ? file_->GetFilePath() : std::string(), offset_, detail);
}

void CArchive::CheckLoading() const
{
    if (closed_ || !file_)
        Fail(CArchiveException::genericException, "the archive is closed");
    if (!loading_)
        Fail(CArchiveException::writeOnly);
}

void CArchive::CheckStoring() const
{
    if (closed_ || !file_)
        Fail(CArchiveException::genericException, "the archive is closed");
    if (loading_)
        Fail(CArchiveException::readOnly);
}

void CArchive::Flush()
{
    if (closed_ || !file_)
        return;
    if (!loading_) {
        if (bufferLen_)
            file_->Write(buffer_.data(), static_cast<UINT>(bufferLen_));
        bufferLen_ = 0;
        return;
    }
    // Give back what was read ahead, so the file stands after the last byte used.
    size_t ahead = bufferLen_ - bufferPos_;
    if (ahead) {
        try {
            file_->Seek(-static_cast<int64_t>(ahead), CFile::current);
        } catch (const CFileException&) {}
    }
    bufferPos_ = bufferLen_ = 0;
}

void CArchive::Close()
{
    Flush();
    closed_ = true;
}

void CArchive::Abort()
{
    closed_ = true;
}

void CArchive::FillBuffer()
{
    bufferPos_ = 0;
    bufferLen_ = file_->Read(buffer_.data(), static_cast<UINT>(buffer_.size()));
}

UINT CArchive::Read(void* out, UINT count)
{
    CheckLoading();
    auto* dst = static_cast<uint8_t*>(out);
    UINT done = 0;
    while (done < count) {
        if (bufferPos_ == bufferLen_) {
            if (count - done >= buffer_.size()) {
                UINT n = file_->Read(dst + done, count - done);
                done += n;
                offset_ += n;
                break;
            }
            FillBuffer();
            if (bufferLen_ == 0)
                break;
        }
        size_t n = std::min<size_t>(count - done, bufferLen_ - bufferPos_);
        std::memcpy(dst + done, buffer_.data() + bufferPos_, n);
        bufferPos_ += n;
        done += static_cast<UINT>(n);
        offset_ += n;
    }
    return done;
}

void CArchive::ReadExact(void* out, size_t count)
{
    auto* dst = static_cast<uint8_t*>(out);
    while (count > 0) {
        UINT piece = static_cast<UINT>(std::min<size_t>(count, 0x40000000u));
        UINT got = Read(dst, piece);
        if (got < piece)
            Fail(CArchiveException::endOfFile, std::to_string(count - got) + " more bytes expected");
        dst += got;
        count -= got;
    }
}

void CArchive::Write(const void* in, size_t count)
{
    CheckStoring();
    const auto* src = static_cast<const uint8_t*>(in);
    while (count > 0) {
        if (bufferLen_ == buffer_.size()) {
            file_->Write(buffer_.data(), static_cast<UINT>(bufferLen_));
            bufferLen_ = 0;
        }
        size_t n = std::min(count, buffer_.size() - bufferLen_);
        std::memcpy(buffer_.data() + bufferLen_, src, n);
        bufferLen_ += n;
        src += n;
        count -= n;
        offset_ += n;
    }
}

CArchive& CArchive::Put(uint64_t value, int bytes)
{
    uint8_t b[8];
    for (int i = 0; i < bytes; ++i)
        b[i] = static_cast<uint8_t>(value >> (8 * i));
    Write(b, static_cast<size_t>(bytes));
    return *this;
}

uint64_t CArchive::Get(int bytes)
{
    uint8_t b[8];
    ReadExact(b, static_cast<size_t>(bytes));
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(b[i]) << (8 * i);
    return value;
}

CArchive& CArchive::operator<<(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return Put(bits, 4);
}

CArchive& CArchive::operator<<(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return Put(bits, 8);
}

CArchive& CArchive::operator>>(float& v)
{
    uint32_t bits = static_cast<uint32_t>(Get(4));
    std::memcpy(&v, &bits, 4);
    return *this;
}

CArchive& CArchive::operator>>(double& v)
{
    uint64_t bits = Get(8);
    std::memcpy(&v, &bits, 8);
    return *this;
}

void CArchive::WriteCount(DWORD count)
{
    if (count < 0xFFFF) {
        Put(count, 2);
    } else {
        Put(0xFFFF, 2);
        Put(count, 4);
    }
}

DWORD CArchive::ReadCount()
{
    uint16_t w = static_cast<uint16_t>(Get(2));
    if (w != 0xFFFF)
        return w;
    return static_cast<DWORD>(Get(4));
}

void CArchive::WriteCString(const std::string& s)
{
    size_t len = s.size();
    if (len >= 0xFFFFFFFFu)
        Fail(CArchiveException::genericException, "string of " + std::to_string(len) + " bytes is too long");
    if (len < 0xFF) {
        Put(len, 1);
    } else if (len < 0xFFFE) {
        Put(0xFF, 1);
        Put(len, 2);
    } else {
        Put(0xFF, 1);
        Put(0xFFFF, 2);
        Put(len, 4);
    }
    Write(s.data(), len);
}

size_t CArchive::ReadLength(int& charSize)
{
    charSize = 1;
    uint8_t b = static_cast<uint8_t>(Get(1));
    if (b < 0xFF)
        return b;
    uint16_t w = static_cast<uint16_t>(Get(2));
    if (w == 0xFFFE) {
        // UTF-16 text; the real length follows in the same form.
        charSize = 2;
        b = static_cast<uint8_t>(Get(1));
        if (b < 0xFF)
            return b;
        w = static_cast<uint16_t>(Get(2));
    }
    if (w < 0xFFFF)
        return w;
    uint32_t d = static_cast<uint32_t>(Get(4));
    if (d == 0xFFFFFFFFu)
        Fail(CArchiveException::genericException, "string length beyond 32 bits");
    return d;
}

std::string CArchive::ReadCString()
{
    int charSize;
    size_t len = ReadLength(charSize);
    size_t bytes = len * static_cast<size_t>(charSize);
    std::string s;
    while (s.size() < bytes) {
        size_t piece = std::min(kStringChunk, bytes - s.size());
        size_t at = s.size();
        s.resize(at + piece);
        ReadExact(s.data() + at, piece);
    }
    return charSize == 2 ? Utf16ToUtf8(s) : s;
}

void CArchive::WriteStringArray(const std::vector<std::string>& strings)
{
    if (strings.size() > 0xFFFFFFFFu)
        Fail(CArchiveException::genericException, "too many strings");
    WriteCount(static_cast<DWORD>(strings.size()));
    for (const auto& s : strings)
        WriteCString(s);
}

std::vector<std::string> CArchive::ReadStringArray()
{
    DWORD count = ReadCount();
    std::vector<std::string> out;
    // Grows as strings arrive: the count alone must not reserve memory.
    for (DWORD i = 0; i < count; ++i)
        out.push_back(ReadCString());
    return out;
}

void CArchive::WriteClass(const CRuntimeClass* cls)
{
    CheckStoring();
    if (!cls || cls->m_wSchema == 0xFFFF)
        Fail(CArchiveException::badClass,
             std::string("class ") + (cls ? cls->m_lpszClassName : "(null)") + " is not serialisable");
    auto it = stored_.find(cls);
    if (it != stored_.end()) {
        if (it->second < kBigObjectTag) {
            Put(kClassTag | it->second, 2);
        } else {
            Put(kBigObjectTag, 2);
            Put(kBigClassTag | it->second, 4);
        }
        return;
    }
    size_t len = std::strlen(cls->m_lpszClassName);
    if (len == 0 || len >= kMaxClassName)
        Fail(CArchiveException::badClass, std::string("class name ") + cls->m_lpszClassName + " is too long");
    if (storeCount_ > kMaxMapCount)
        Fail(CArchiveException::genericException, "too many objects in one archive");
    Put(kNewClassTag, 2);
    Put(cls->m_wSchema & 0xFFFF, 2);
    Put(len, 2);
    Write(cls->m_lpszClassName, len);
    stored_[cls] = storeCount_++;
}

void CArchive::WriteObject(const CObject* object)
{
    CheckStoring();
    if (!object) {
        Put(kNullTag, 2);
        return;
    }
    auto it = stored_.find(object);
    if (it != stored_.end()) {
        if (it->second < kBigObjectTag) {
            Put(it->second, 2);
        } else {
            Put(kBigObjectTag, 2);
            Put(it->second, 4);
        }
        return;
    }
    WriteClass(object->GetRuntimeClass());
    if (storeCount_ > kMaxMapCount)
        Fail(CArchiveException::genericException, "too many objects in one archive");
    stored_[object] = storeCount_++;
    DepthGuard depth(depth_);
    if (depth_ > kMaxDepth)
        Fail(CArchiveException::genericException, "objects nested too deeply");
    const_cast<CObject*>(object)->Serialize(*this);
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* requested, UINT* schema, DWORD* objectTag)
{
    CheckLoading();
    uint16_t tag = static_cast<uint16_t>(Get(2));
    uint32_t obTag = tag == kBigObjectTag ? static_cast<uint32_t>(Get(4))
                                          : (static_cast<uint32_t>(tag & kClassTag) << 16) | (tag & 0x7FFFu);
    if (!(obTag & kBigClassTag)) {
        if (!objectTag)
            Fail(CArchiveException::badIndex, "object tag " + std::to_string(obTag) + " where a class was expected");
        *objectTag = obTag;
        return nullptr;
    }
    const CRuntimeClass* cls;
    UINT readSchema;
    if (tag == kNewClassTag) {
        readSchema = static_cast<UINT>(Get(2));
        size_t len = static_cast<size_t>(Get(2));
        if (len == 0 || len >= kMaxClassName)
            Fail(CArchiveException::badClass, "class name of " + std::to_string(len) + " bytes");
        char name[kMaxClassName];
        ReadExact(name, len);
        std::string_view className(name, len);
        cls = CRuntimeClass::FromName(className);
        if (!cls)
            Fail(CArchiveException::badClass, "unknown class \"" + std::string(className) + "\"");
        if (cls->m_wSchema == 0xFFFF)
            Fail(CArchiveException::badClass, "class " + std::string(className) + " is not serialisable");
        if ((cls->m_wSchema & ~VERSIONABLE_SCHEMA) != readSchema && !(cls->m_wSchema & VERSIONABLE_SCHEMA))
            Fail(CArchiveException::badSchema,
                 "class " + std::string(className) + " stored with schema " + std::to_string(readSchema) +
                     ", this program reads schema " + std::to_string(cls->m_wSchema));
        if (loaded_.size() > kMaxMapCount)
            Fail(CArchiveException::genericException, "too many objects in one archive");
        loaded_.push_back(Loaded{cls, readSchema, nullptr});
    } else {
        uint32_t index = obTag & ~kBigClassTag;
        if (index == 0 || index >= loaded_.size() || !loaded_[index].cls)
            Fail(CArchiveException::badIndex, "class index " + std::to_string(index));
        cls = loaded_[index].cls;
        readSchema = loaded_[index].schema;
    }
    if (requested && !cls->IsDerivedFrom(requested))
        Fail(CArchiveException::badClass,
             std::string(cls->m_lpszClassName) + " where " + requested->m_lpszClassName + " was expected");
    if (schema)
        *schema = readSchema;
    return cls;
}

CObject* CArchive::ReadObject(const CRuntimeClass* requested)
{
    DepthGuard depth(depth_);
    if (depth_ > kMaxDepth)
        Fail(CArchiveException::genericException, "objects nested too deeply");
    UINT schema = 0;
    DWORD obTag = 0;
    const CRuntimeClass* cls = ReadClass(requested, &schema, &obTag);
    if (!cls) {
        if (obTag == 0)
            return nullptr;
        if (obTag >= loaded_.size() || !loaded_[obTag].object)
            Fail(CArchiveException::badIndex, "object index " + std::to_string(obTag));
        CObject* object = loaded_[obTag].object;
        if (requested && !object->IsKindOf(requested))
            Fail(CArchiveException::badClass,
                 std::string(object->GetRuntimeClass()->m_lpszClassName) + " where " + requested->m_lpszClassName +
                     " was expected");
        return object;
    }
    CObject* object = cls->CreateObject();
    if (!object)
        Fail(CArchiveException::badClass, std::string("class ") + cls->m_lpszClassName + " cannot be created");
    size_t slot = loaded_.size();
    loaded_.push_back(Loaded{nullptr, 0, object});
    UINT savedSchema = schema_;
    schema_ = schema;
    try {
        object->Serialize(*this);
    } catch (...) {
        // Nobody has the half-read object yet: it goes, and its index with it.
        loaded_[slot].object = nullptr;
        delete object;
        schema_ = savedSchema;
        throw;
    }
    schema_ = savedSchema;
    return object;
}

UINT CArchive::GetObjectSchema()
{
    UINT schema = schema_;
    schema_ = static_cast<UINT>(-1);
    return schema;
}

}  // namespace platform
