#include "shell/reg_key.h"

#include <cstring>

namespace shell {
namespace {

constexpr char kTextArrayTag[] = "SARR";
constexpr char kWordArrayTag[] = "DARR";

void PutU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A bounds-checked reader of one record.
class Record {
public:
    Record(const std::string& data, const char* tag) : data_(data)
    {
        ok_ = data_.size() >= 4 && data_.compare(0, 4, tag, 4) == 0;
        pos_ = 4;
    }
    uint32_t U32()
    {
        if (!ok_ || data_.size() - pos_ < 4) {
            ok_ = false;
            return 0;
        }
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(static_cast<unsigned char>(data_[pos_ + i])) << (8 * i);
        pos_ += 4;
        return v;
    }
    std::string Text()
    {
        uint32_t n = U32();
        if (!ok_ || data_.size() - pos_ < n) {
            ok_ = false;
            return {};
        }
        std::string s = data_.substr(pos_, n);
        pos_ += n;
        return s;
    }
    // A count of items of at least `itemBytes` bytes that the record can hold.
    uint32_t Count(size_t itemBytes)
    {
        uint32_t n = U32();
        if (ok_ && n > (data_.size() - pos_) / itemBytes)
            ok_ = false;
        return ok_ ? n : 0;
    }
    bool Whole() const { return ok_ && pos_ == data_.size(); }

private:
    const std::string& data_;
    size_t pos_ = 0;
    bool ok_ = false;
};

}  // namespace

bool RegKey::Open(const std::string& path)
{
    Close();
    return RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key_) == ERROR_SUCCESS ||
        (key_ = nullptr, false);
}

bool RegKey::CreateKey(const std::string& path)
{
    Close();
    DWORD disposition = 0;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                       &key_, &disposition) != ERROR_SUCCESS) {
        key_ = nullptr;
        return false;
    }
    return true;
}

void RegKey::Close()
{
    if (key_)
        RegCloseKey(key_);
    key_ = nullptr;
}

bool RegKey::Query(const std::string& name, DWORD& type, std::string& data)
{
    if (!key_)
        return false;
    DWORD size = 0;
    if (RegQueryValueEx(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.assign(size, '\0');
    if (size &&
        RegQueryValueEx(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS)
        return false;
    data.resize(size);
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && !data.empty() && data.back() == '\0')
        data.pop_back();
    return true;
}

bool RegKey::Set(const std::string& name, DWORD type, const std::string& data)
{
    if (!key_)
        return false;
    std::string bytes = data;
    if (type == REG_SZ)
        bytes.push_back('\0');
    return RegSetValueEx(key_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

bool RegKey::VerifyValue(const std::string& name)
{
    DWORD type = 0;
    std::string data;
    return Query(name, type, data);
}

bool RegKey::Read(const std::string& name, int& value)
{
    DWORD v = 0;
    if (!Read(name, v))
        return false;
    value = static_cast<int>(v);
    return true;
}

bool RegKey::Read(const std::string& name, DWORD& value)
{
    DWORD type = 0;
    std::string data;
    if (!Query(name, type, data) || type != REG_DWORD || data.size() != 4)
        return false;
    uint32_t v;
    std::memcpy(&v, data.data(), 4);
    value = v;
    return true;
}

bool RegKey::Read(const std::string& name, std::string& value)
{
    DWORD type = 0;
    std::string data;
    if (!Query(name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    value = std::move(data);
    return true;
}

bool RegKey::Read(const std::string& name, CStringArray& value)
{
    DWORD type = 0;
    std::string data;
    if (!Query(name, type, data) || type != REG_BINARY)
        return false;
    Record r(data, kTextArrayTag);
    uint32_t n = r.Count(4);
    CStringArray texts;
    for (uint32_t i = 0; i < n; ++i)
        texts.push_back(r.Text());
    if (!r.Whole())
        return false;
    value = std::move(texts);
    return true;
}

bool RegKey::Read(const std::string& name, CDWordArray& value)
{
    DWORD type = 0;
    std::string data;
    if (!Query(name, type, data) || type != REG_BINARY)
        return false;
    Record r(data, kWordArrayTag);
    uint32_t n = r.Count(4);
    CDWordArray words;
    for (uint32_t i = 0; i < n; ++i)
        words.push_back(r.U32());
    if (!r.Whole())
        return false;
    value = std::move(words);
    return true;
}

bool RegKey::Write(const std::string& name, int value)
{
    return Write(name, static_cast<DWORD>(value));
}

bool RegKey::Write(const std::string& name, DWORD value)
{
    std::string bytes;
    PutU32(bytes, value);
    return Set(name, REG_DWORD, bytes);
}

bool RegKey::Write(const std::string& name, const std::string& value)
{
    return Set(name, REG_SZ, value);
}

bool RegKey::Write(const std::string& name, const CStringArray& value)
{
    std::string bytes(kTextArrayTag, 4);
    PutU32(bytes, static_cast<uint32_t>(value.size()));
    for (const std::string& t : value) {
        PutU32(bytes, static_cast<uint32_t>(t.size()));
        bytes += t;
    }
    return Set(name, REG_BINARY, bytes);
}

bool RegKey::Write(const std::string& name, const CDWordArray& value)
{
    std::string bytes(kWordArrayTag, 4);
    PutU32(bytes, static_cast<uint32_t>(value.size()));
    for (DWORD w : value)
        PutU32(bytes, w);
    return Set(name, REG_BINARY, bytes);
}

}  // namespace shell
