// The peripheral description: groups from the CFG file, each with the
// registers of its PCF file, each register with its bit fields or its buffer.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace halvek {

inline constexpr size_t kNameLength = 24;  // names of groups, files, registers, fields
inline constexpr size_t kFieldTitleLength = 63;

struct Field {
    std::string name;
    int sz = 0;   // width in bits
    int loc = 0;  // number of the highest bit
    uint32_t mn = 0, mx = 0;
    bool av = false;  // any value from mn to mx; else only values with a text
    bool mw = false;
    std::string title;
    std::map<uint16_t, std::string> texts;  // keyed by the low 16 bits of the value
    uint32_t value = 0;                     // worked out from the register's last value
    uint32_t status = 0;
};

struct Register {
    std::string name;
    uint32_t offset = 0;       // the addr column: from the group's first address
    int width = 0;             // bytes
    int count = 0;             // fields, or the buffer's length in bytes
    uint32_t implemented = 0;  // the `unused` column: the bits a composed value keeps
    bool mw = false;
    uint32_t mwbm = 0;
    bool buffer = false;
    std::vector<uint8_t> shadow;  // a buffer's bytes
    bool writeOnly = false;       // nr: never read
    bool readOnly = false;        // nw: never written
    std::string title = "None";
    std::string description = "None";
    size_t group = 0;  // position of its group in the description
    uint32_t address = 0;
    uint32_t value = 0;
    bool unreadable = false;
    bool stale = true;  // to be read again before it is shown
    bool expanded = false;
    int rows = 1;
    uint32_t status = 0;
    std::vector<Field> fields;
};

struct Group {
    uint32_t index = 0;
    std::string name;
    uint32_t offset = 0, start = 0, end = 0;
    std::string file;
    uint32_t first = 0, last = 0;  // the address range from the current base
    bool expanded = false;
    int rows = 1;
    uint32_t status = 0;
    std::vector<Register> registers;
};

struct Description {
    uint32_t currentBase = 0;
    uint32_t fileBase = 0;
    bool loaded = false;
    bool rangesComputed = false;
    std::vector<Group> groups;
    std::string errorText;  // the message of the last failing load, at most 255 characters

    // Frees the tree and clears the marks (the bases stay).
    void Clear()
    {
        groups.clear();
        loaded = false;
        rangesComputed = false;
        errorText.clear();
    }
    // Every group's range and every register's address from the current base.
    void ComputeRanges();
};

// Cuts a text to at most `n` characters.
std::string Cut(const std::string& text, size_t n);

}  // namespace halvek
