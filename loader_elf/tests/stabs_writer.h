// Hand-built .stab and .stabstr sections: entries of 12 bytes in either
// byte order, strings gathered into one string section after the empty
// string at offset 0, as the linker leaves them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel::test {

class StabWriter {
public:
    explicit StabWriter(bool bigEndian = false) : bigEndian_(bigEndian) { strings.push_back(0); }

    // One entry; an empty text gets string offset 0.
    StabWriter& Add(uint8_t type, uint16_t desc, uint32_t value, std::string_view text = {})
    {
        uint32_t strx = 0;
        if (!text.empty()) {
            strx = static_cast<uint32_t>(strings.size());
            strings.insert(strings.end(), text.begin(), text.end());
            strings.push_back(0);
        }
        return Raw(strx, type, desc, value);
    }

    // An entry with the string offset as given.
    StabWriter& Raw(uint32_t strx, uint8_t type, uint16_t desc, uint32_t value)
    {
        Word(strx);
        stab.push_back(type);
        stab.push_back(0);
        if (bigEndian_) {
            stab.push_back(static_cast<uint8_t>(desc >> 8));
            stab.push_back(static_cast<uint8_t>(desc));
        } else {
            stab.push_back(static_cast<uint8_t>(desc));
            stab.push_back(static_cast<uint8_t>(desc >> 8));
        }
        Word(value);
        return *this;
    }

    std::vector<uint8_t> stab;
    std::vector<uint8_t> strings;

private:
    void Word(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            stab.push_back(static_cast<uint8_t>(v >> (bigEndian_ ? 24 - 8 * i : 8 * i)));
    }

    bool bigEndian_ = false;
};

}  // namespace tarnel::test
