// Settings text files of the "[section]" / "key=value" kind that libraries
// keep beside themselves (a private profile). Section and key names are
// compared without case; names and values lose the blanks around them.
// Lines the store does not understand (comments, text before the first
// section) are kept as they are when the file is written again. A file is
// always replaced whole, atomically.
//
// A struct value is its bytes as two upper-case hexadecimal digits each,
// then the 8-bit sum of the bytes as two more digits; it is read back only
// when its length, every digit and the sum are right.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class IniStore {
public:
    // Any bytes: lines end at '\n' (a '\r' before it is dropped).
    static IniStore Parse(std::string_view text);
    // The store of a file; empty when the file cannot be read.
    static IniStore Load(const std::string& path);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Replaces the key's value (the key keeps its place and spelling), or
    // adds the key at the end of its section, or the section at the end.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Serialize() const;
    // Writes the whole file atomically; the old file is untouched on failure.
    bool Save(const std::string& path, std::string* error = nullptr) const;

private:
    struct Line {
        std::string key;   // empty for a kept line
        std::string text;  // the value, or a kept line as read
    };
    struct Section {
        std::string name;  // empty for the lines before the first section
        std::vector<Line> lines;
    };
    Section* Find(std::string_view section);
    const Section* Find(std::string_view section) const;

    std::vector<Section> sections_;
};

// The text of a struct value.
std::string EncodeStructValue(const void* data, size_t size);
// True and `data` filled when the text is a right value of `size` bytes;
// `data` is untouched otherwise.
bool DecodeStructValue(std::string_view text, void* data, size_t size);

// The profile calls over a file: each reads the file, the writers write it
// back whole.
bool GetProfileStruct(const std::string& path, std::string_view section, std::string_view key, void* data, size_t size);
bool WriteProfileStruct(const std::string& path, std::string_view section, std::string_view key, const void* data,
                        size_t size, std::string* error = nullptr);
// The value, or `fallback` when the file, section or key is missing.
std::string GetProfileString(const std::string& path, std::string_view section, std::string_view key,
                             std::string_view fallback = {});
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key, std::string_view value,
                        std::string* error = nullptr);

}  // namespace platform
