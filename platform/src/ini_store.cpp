#include "platform/ini_store.h"

#include <cstdint>

#include "platform/files.h"
#include "platform/paths.h"

namespace platform {

namespace {

// A stray '\r' counts as a blank, so that a value reads the same after the
// file is written again.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A name or value stays on its line.
std::string_view OneLine(std::string_view s)
{
    const size_t end = s.find_first_of("\r\n");
    return end == std::string_view::npos ? s : s.substr(0, end);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

IniStore IniStore::Parse(std::string_view text)
{
    IniStore store;
    store.sections_.push_back({});
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        const std::string_view trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const size_t close = trimmed.find(']');
            if (close != std::string_view::npos) {
                store.sections_.push_back({std::string(Trim(trimmed.substr(1, close - 1))), {}});
                continue;
            }
        }
        Section& section = store.sections_.back();
        const size_t equals = trimmed.find('=');
        const bool comment = !trimmed.empty() && trimmed.front() == ';';
        if (equals == std::string_view::npos || equals == 0 || comment) {
            section.lines.push_back({{}, std::string(line)});
            continue;
        }
        section.lines.push_back(
            {std::string(Trim(trimmed.substr(0, equals))), std::string(Trim(trimmed.substr(equals + 1)))});
    }
    return store;
}

IniStore IniStore::Load(const std::string& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes, nullptr))
        bytes.clear();
    return Parse(bytes);
}

IniStore::Section* IniStore::Find(std::string_view section)
{
    for (Section& s : sections_)
        if (EqualNoCase(s.name, section) && !(s.name.empty() && &s == &sections_.front()))
            return &s;
    return nullptr;
}

const IniStore::Section* IniStore::Find(std::string_view section) const
{
    return const_cast<IniStore*>(this)->Find(section);
}

std::optional<std::string> IniStore::Get(std::string_view section, std::string_view key) const
{
    const Section* s = Find(Trim(section));
    if (!s)
        return std::nullopt;
    key = Trim(key);
    for (const Line& line : s->lines)
        if (!line.key.empty() && EqualNoCase(line.key, key))
            return line.text;
    return std::nullopt;
}

void IniStore::Set(std::string_view section, std::string_view key, std::string_view value)
{
    section = Trim(OneLine(section));
    key = Trim(OneLine(key));
    key = Trim(key.substr(0, key.find('=')));
    value = Trim(OneLine(value));
    // Such a line would read back as a comment or a section.
    if (key.empty() || key.front() == ';' || key.front() == '[')
        return;
    if (sections_.empty())
        sections_.push_back({});
    Section* s = Find(section);
    if (!s) {
        sections_.push_back({std::string(section), {}});
        s = &sections_.back();
    }
    for (Line& line : s->lines) {
        if (!line.key.empty() && EqualNoCase(line.key, key)) {
            line.text = value;
            return;
        }
    }
    // After the section's last key: blank lines and comments below it stay
    // in front of the next section.
    size_t at = s->lines.size();
    while (at > 0 && s->lines[at - 1].key.empty())
        --at;
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), {std::string(key), std::string(value)});
}

std::string IniStore::Serialize() const
{
    std::string out;
    for (size_t i = 0; i < sections_.size(); ++i) {
        const Section& s = sections_[i];
        if (i > 0)
            out += "[" + s.name + "]\n";
        for (const Line& line : s.lines)
            out += line.key.empty() ? line.text + "\n" : line.key + "=" + line.text + "\n";
    }
    return out;
}

bool IniStore::Save(const std::string& path, std::string* error) const
{
    return WriteFileAtomic(path, Serialize(), error);
}

std::string EncodeStructValue(const void* data, size_t size)
{
    static const char kDigits[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::string text;
    text.reserve(2 * size + 2);
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xF];
        sum = static_cast<uint8_t>(sum + bytes[i]);
    }
    text += kDigits[sum >> 4];
    text += kDigits[sum & 0xF];
    return text;
}

bool DecodeStructValue(std::string_view text, void* data, size_t size)
{
    if (text.size() != 2 * size + 2)
        return false;
    std::string bytes(size + 1, '\0');
    for (size_t i = 0; i <= size; ++i) {
        const int high = HexDigit(text[2 * i]);
        const int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = static_cast<char>(high << 4 | low);
    }
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(bytes[i]));
    if (sum != static_cast<uint8_t>(bytes[size]))
        return false;
    bytes.copy(static_cast<char*>(data), size);
    return true;
}

bool GetProfileStruct(const std::string& path, std::string_view section, std::string_view key, void* data, size_t size)
{
    const std::optional<std::string> value = IniStore::Load(path).Get(section, key);
    return value && DecodeStructValue(*value, data, size);
}

bool WriteProfileStruct(const std::string& path, std::string_view section, std::string_view key, const void* data,
                        size_t size, std::string* error)
{
    return WriteProfileString(path, section, key, EncodeStructValue(data, size), error);
}

std::string GetProfileString(const std::string& path, std::string_view section, std::string_view key,
                             std::string_view fallback)
{
    const std::optional<std::string> value = IniStore::Load(path).Get(section, key);
    return value ? *value : std::string(fallback);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key, std::string_view value,
                        std::string* error)
{
    IniStore store = IniStore::Load(path);
    store.Set(section, key, value);
    return store.Save(path, error);
}

}  // namespace platform
