#include "lathris/registry.h"

#include <cstring>

#include "byte_record.h"

namespace lathris {
namespace {

constexpr char kStringArrayTag[] = "SARR";
constexpr char kStringListTag[] = "SLST";
constexpr char kWordArrayTag[] = "DARR";

template <class Texts>
std::string PackTexts(const char* tag, const Texts& texts)
{
    ByteWriter w;
    w.Tag(tag);
    w.U32(static_cast<uint32_t>(texts.size()));
    for (const std::string& t : texts)
        w.Text(t);
    return w.Take();
}

template <class Texts>
bool UnpackTexts(const char* tag, const std::string& data, Texts& out)
{
    ByteReader r(data);
    r.ExpectTag(tag);
    uint32_t count = r.Count(4);
    Texts texts;
    for (uint32_t i = 0; i < count && r.Ok(); ++i)
        texts.push_back(r.Text());
    if (!r.Ok() || !r.AtEnd())
        return false;
    out = std::move(texts);
    return true;
}

}  // namespace

BOOL CRegistry::Open(HKEY root, const std::string& path)
{
    Close();
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return FALSE;
    key_ = key;
    path_ = path;
    return TRUE;
}

BOOL CRegistry::CreateKey(const std::string& path)
{
    Close();
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                       &key, &disposition) != ERROR_SUCCESS)
        return FALSE;
    key_ = key;
    path_ = path;
    return TRUE;
}

void CRegistry::Close()
{
    if (key_)
        RegCloseKey(key_);
    key_ = nullptr;
    path_.clear();
}

BOOL CRegistry::Query(const std::string& name, DWORD& type, std::string& data)
{
    if (!key_)
        return FALSE;
    DWORD size = 0;
    if (RegQueryValueEx(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return FALSE;
    data.assign(size, '\0');
    if (size &&
        RegQueryValueEx(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS)
        return FALSE;
    data.resize(size);
    // Texts come back with their terminating NUL.
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && !data.empty() && data.back() == '\0')
        data.pop_back();
    return TRUE;
}

BOOL CRegistry::Set(const std::string& name, DWORD type, const std::string& data)
{
    if (!key_)
        return FALSE;
    std::string bytes = data;
    if (type == REG_SZ)
        bytes.push_back('\0');
    return RegSetValueEx(key_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

BOOL CRegistry::VerifyValue(const std::string& name)
{
    DWORD type = 0;
    std::string data;
    return Query(name, type, data);
}

BOOL CRegistry::Read(const std::string& name, int& value)
{
    DWORD type = 0;
    std::string data;
    if (!Query(name, type, data) || type != REG_DWORD || data.size() != 4)
        return FALSE;
    uint32_t v;
    std::memcpy(&v, data.data(), 4);
    value = static_cast<int>(v);
    return TRUE;
}

BOOL CRegistry::Read(const std::string& name, unsigned long& value)
{
    int v = 0;
    if (!Read(name, v))
        return FALSE;
    value = static_cast<uint32_t>(v);
    return TRUE;
}

BOOL CRegistry::Read(const std::string& name, std::string& value)
{
    DWORD type = 0;
    std::string data;
    if (!Query(name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return FALSE;
    value = data;
    return TRUE;
}

BOOL CRegistry::Read(const std::string& name, CStringArray& value)
{
    DWORD type = 0;
    std::string data;
    return Query(name, type, data) && type == REG_BINARY && UnpackTexts(kStringArrayTag, data, value);
}

BOOL CRegistry::Read(const std::string& name, CStringList& value)
{
    DWORD type = 0;
    std::string data;
    return Query(name, type, data) && type == REG_BINARY && UnpackTexts(kStringListTag, data, value);
}

BOOL CRegistry::Read(const std::string& name, CDWordArray& value)
{
    DWORD type = 0;
    std::string data;
    if (!Query(name, type, data) || type != REG_BINARY)
        return FALSE;
    ByteReader r(data);
    r.ExpectTag(kWordArrayTag);
    uint32_t count = r.Count(4);
    CDWordArray words;
    for (uint32_t i = 0; i < count && r.Ok(); ++i)
        words.push_back(r.U32());
    if (!r.Ok() || !r.AtEnd())
        return FALSE;
    value = std::move(words);
    return TRUE;
}

BOOL CRegistry::ReadBinary(const std::string& name, std::string& bytes)
{
    DWORD type = 0;
    std::string data;
    if (!Query(name, type, data) || type != REG_BINARY)
        return FALSE;
    bytes = std::move(data);
    return TRUE;
}

BOOL CRegistry::Write(const std::string& name, int value)
{
    uint32_t v = static_cast<uint32_t>(value);
    return Set(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&v), 4));
}

BOOL CRegistry::Write(const std::string& name, unsigned long value)
{
    return Write(name, static_cast<int>(static_cast<uint32_t>(value)));
}

BOOL CRegistry::Write(const std::string& name, const std::string& value)
{
    return Set(name, REG_SZ, value);
}

BOOL CRegistry::Write(const std::string& name, const CStringArray& value)
{
    return Set(name, REG_BINARY, PackTexts(kStringArrayTag, value));
}

BOOL CRegistry::Write(const std::string& name, const CStringList& value)
{
    return Set(name, REG_BINARY, PackTexts(kStringListTag, value));
}

BOOL CRegistry::Write(const std::string& name, const CDWordArray& value)
{
    ByteWriter w;
    w.Tag(kWordArrayTag);
    w.U32(static_cast<uint32_t>(value.size()));
    for (DWORD d : value)
        w.U32(d);
    return Set(name, REG_BINARY, w.Take());
}

BOOL CRegistry::WriteBinary(const std::string& name, const std::string& bytes)
{
    return Set(name, REG_BINARY, bytes);
}

BOOL CRegistry::DeleteValue(const std::string& name)
{
    return key_ && RegDeleteValue(key_, name.c_str()) == ERROR_SUCCESS;
}

}  // namespace lathris
