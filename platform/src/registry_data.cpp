// The registry's keys and values in memory, and their file form:
//
//   ZELKOR REGISTRY 1
//   [Software\Zelkor\Zelkor for Arm\Configuration]
//   "DataTip"=dword:00000001
//   "Protocol"=sz:"Pelliton"
//   "Format Colors"=binary:000000ffffff00...
//   "Other"=hex(7):610000
//   END 1c291ca3
//
// Names and texts escape '%', '"', ']' and control bytes as %HH. The END line
// carries the CRC-32 of every byte before it, so a truncated or damaged file
// is recognised as a whole and never half read.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "platform/paths.h"
#include "platform/registry.h"

namespace platform {
namespace {

constexpr const char* kHeader = "ZELKOR REGISTRY";
constexpr int kVersion = 1;

uint32_t Crc32(const std::string& bytes)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string Escape(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x20 || c == 0x7F || c == '%' || c == '"' || c == ']') {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Unescape(const std::string& s, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (i + 2 >= s.size())
            return false;
        int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

std::string HexBytes(const std::string& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

bool ParseHexBytes(const std::string& s, std::string& out)
{
    if (s.size() % 2)
        return false;
    out.clear();
    for (size_t i = 0; i < s.size(); i += 2) {
        int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

bool ParseHex32(const std::string& s, uint32_t& out)
{
    if (s.empty() || s.size() > 8)
        return false;
    out = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0)
            return false;
        out = out * 16 + static_cast<uint32_t>(d);
    }
    return true;
}

std::string DwordBytes(DWORD v)
{
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

DWORD BytesDword(const std::string& b)
{
    DWORD v = 0;
    for (int i = 0; i < 4 && i < static_cast<int>(b.size()); ++i)
        v |= static_cast<DWORD>(static_cast<unsigned char>(b[i])) << (8 * i);
    return v;
}

bool StartsWithPathNoCase(const std::string& path, const std::string& prefix)
{
    if (prefix.empty())
        return !path.empty();
    return path.size() > prefix.size() && path[prefix.size()] == '\\' &&
        EqualNoCase(path.substr(0, prefix.size()), prefix);
}

// `line` of the form "name"=type:data.
bool ParseValueLine(const std::string& line, std::string& name, RegValue& value, std::string& why)
{
    size_t close = line.find('"', 1);
    if (close == std::string::npos || close + 1 >= line.size() || line[close + 1] != '=') {
        why = "a value line must read \"name\"=type:data";
        return false;
    }
    if (!Unescape(line.substr(1, close - 1), name)) {
        why = "bad %-escape in a value name";
        return false;
    }
    std::string rest = line.substr(close + 2);
    size_t colon = rest.find(':');
    if (colon == std::string::npos) {
        why = "value \"" + name + "\" has no type";
        return false;
    }
    std::string type = rest.substr(0, colon), data = rest.substr(colon + 1);
    auto quoted = [&](DWORD t) {
        if (data.size() < 2 || data.front() != '"' || data.back() != '"' ||
            !Unescape(data.substr(1, data.size() - 2), value.data)) {
            why = "value \"" + name + "\" has a badly quoted text";
            return false;
        }
        value.type = t;
        return true;
    };
    if (type == "sz")
        return quoted(REG_SZ);
    if (type == "expand_sz")
        return quoted(REG_EXPAND_SZ);
    if (type == "dword") {
        uint32_t v;
        if (data.size() != 8 || !ParseHex32(data, v)) {
            why = "value \"" + name + "\" has a bad dword";
            return false;
        }
        value.type = REG_DWORD;
        value.data = DwordBytes(v);
        return true;
    }
    DWORD t = REG_BINARY;
    if (type != "binary") {
        uint32_t n;
        if (type.size() < 6 || type.compare(0, 4, "hex(") != 0 || type.back() != ')' ||
            !ParseHex32(type.substr(4, type.size() - 5), n)) {
            why = "value \"" + name + "\" has an unknown type \"" + type + "\"";
            return false;
        }
        t = n;
    }
    if (!ParseHexBytes(data, value.data)) {
        why = "value \"" + name + "\" has bad hex bytes";
        return false;
    }
    value.type = t;
    return true;
}

}  // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const
{
    return CompareNoCase(a, b) < 0;
}

std::string NormalizeKeyPath(const std::string& path)
{
    std::string out;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t sep = path.find('\\', pos);
        if (sep == std::string::npos)
            sep = path.size();
        if (sep > pos) {
            if (!out.empty())
                out += '\\';
            out.append(path, pos, sep - pos);
        }
        pos = sep + 1;
    }
    return out;
}

bool RegistryData::HasKey(const std::string& path) const
{
    std::string p = NormalizeKeyPath(path);
    return p.empty() || keys_.count(p) != 0;
}

bool RegistryData::CreateKey(const std::string& path)
{
    std::string p = NormalizeKeyPath(path);
    if (p.empty() || keys_.count(p))
        return false;
    size_t sep = p.rfind('\\');
    if (sep != std::string::npos)
        CreateKey(p.substr(0, sep));
    keys_[p].path = p;
    return true;
}

bool RegistryData::DeleteKey(const std::string& path)
{
    std::string p = NormalizeKeyPath(path);
    bool removed = false;
    for (auto it = keys_.begin(); it != keys_.end();) {
        bool same = !p.empty() && EqualNoCase(it->first, p);
        if (same || StartsWithPathNoCase(it->first, p)) {
            it = keys_.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    return removed;
}

const RegistryData::Value* RegistryData::Find(const std::string& path, const std::string& name) const
{
    auto key = keys_.find(NormalizeKeyPath(path));
    if (key == keys_.end())
        return nullptr;
    auto value = key->second.values.find(name);
    return value == key->second.values.end() ? nullptr : &value->second;
}

void RegistryData::Set(const std::string& path, const std::string& name, RegValue value)
{
    std::string p = NormalizeKeyPath(path);
    CreateKey(p);
    Key& key = keys_[p];
    key.path = key.path.empty() ? p : key.path;
    auto it = key.values.find(name);
    if (it == key.values.end())
        key.values.emplace(name, Value{name, std::move(value)});
    else
        it->second.value = std::move(value);
}

bool RegistryData::Delete(const std::string& path, const std::string& name)
{
    auto key = keys_.find(NormalizeKeyPath(path));
    return key != keys_.end() && key->second.values.erase(name) != 0;
}

std::vector<std::string> RegistryData::SubKeys(const std::string& path) const
{
    std::string p = NormalizeKeyPath(path);
    std::vector<std::string> out;
    for (const auto& [k, key] : keys_) {
        if (!StartsWithPathNoCase(k, p))
            continue;
        std::string rest = p.empty() ? key.path : key.path.substr(p.size() + 1);
        if (rest.find('\\') == std::string::npos)
            out.push_back(rest);
    }
    return out;
}

std::vector<std::string> RegistryData::ValueNames(const std::string& path) const
{
    std::vector<std::string> out;
    auto key = keys_.find(NormalizeKeyPath(path));
    if (key != keys_.end())
        for (const auto& [n, v] : key->second.values)
            out.push_back(v.name);
    return out;
}

std::string RegistryData::Serialize() const
{
    std::string out = std::string(kHeader) + " " + std::to_string(kVersion) + "\n";
    for (const auto& [k, key] : keys_) {
        out += "[" + Escape(key.path) + "]\n";
        for (const auto& [n, v] : key.values) {
            out += "\"" + Escape(v.name) + "\"=";
            switch (v.value.type) {
            case REG_SZ: out += "sz:\"" + Escape(v.value.data) + "\""; break;
            case REG_EXPAND_SZ: out += "expand_sz:\"" + Escape(v.value.data) + "\""; break;
            case REG_DWORD:
                if (v.value.data.size() == 4) {
                    char buf[16];
                    std::snprintf(buf, sizeof buf, "dword:%08x", BytesDword(v.value.data));
                    out += buf;
                    break;
                }
                [[fallthrough]];
            default: {
                char buf[24];
                if (v.value.type == REG_BINARY)
                    std::snprintf(buf, sizeof buf, "binary:");
                else
                    std::snprintf(buf, sizeof buf, "hex(%x):", v.value.type);
                out += buf + HexBytes(v.value.data);
            }
            }
            out += "\n";
        }
    }
    char end[24];
    std::snprintf(end, sizeof end, "END %08x\n", Crc32(out));
    return out + end;
}

bool RegistryData::Parse(const std::string& text, RegistryData& out, std::string& error)
{
    std::string header = std::string(kHeader) + " ";
    size_t firstEnd = text.find('\n');
    std::string first = text.substr(0, firstEnd);
    if (!first.empty() && first.back() == '\r')
        first.pop_back();
    if (first.compare(0, header.size(), header) != 0) {
        error = "not a registry file (no \"" + std::string(kHeader) + "\" header)";
        return false;
    }
    if (first != header + std::to_string(kVersion)) {
        error = "format \"" + first.substr(header.size()) + "\" is not format " + std::to_string(kVersion);
        return false;
    }
    // The END line is the last line; the checksum covers everything before it.
    size_t endLine = text.rfind("\nEND ");
    if (endLine == std::string::npos) {
        error = "the file ends early (no END line): it was cut short";
        return false;
    }
    std::string body = text.substr(0, endLine + 1);
    std::string endText = text.substr(endLine + 5);
    while (!endText.empty() && (endText.back() == '\n' || endText.back() == '\r'))
        endText.pop_back();
    uint32_t stored;
    if (!ParseHex32(endText, stored)) {
        error = "the END line is damaged";
        return false;
    }
    if (stored != Crc32(body)) {
        error = "checksum mismatch: the file was damaged or changed outside the program";
        return false;
    }

    RegistryData data;
    std::string currentKey;
    bool inKey = false;
    size_t lineNo = 1;
    size_t pos = firstEnd + 1;
    while (pos < body.size()) {
        size_t nl = body.find('\n', pos);
        std::string line = body.substr(pos, nl - pos);
        pos = nl + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::string where = "line " + std::to_string(lineNo) + ": ";
        if (line.front() == '[') {
            if (line.back() != ']' || !Unescape(line.substr(1, line.size() - 2), currentKey)) {
                error = where + "bad key line";
                return false;
            }
            currentKey = NormalizeKeyPath(currentKey);
            data.CreateKey(currentKey);
            inKey = true;
        } else if (line.front() == '"') {
            if (!inKey) {
                error = where + "value before any key";
                return false;
            }
            std::string name, why;
            RegValue value;
            if (!ParseValueLine(line, name, value, why)) {
                error = where + why;
                return false;
            }
            data.Set(currentKey, name, std::move(value));
        } else {
            error = where + "unexpected text";
            return false;
        }
    }
    out = std::move(data);
    return true;
}

}  // namespace platform
