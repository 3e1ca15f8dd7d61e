// Record bytes and numbers of IEEE-695 modules as this system reads them,
// and what the header of a module tells the rest of the load.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quentor::ieee695 {

// Record types (first byte) and the letters of two-byte records.
inline constexpr uint8_t MODULE_BEGIN = 0xE0;
inline constexpr uint8_t MODULE_END = 0xE1;
inline constexpr uint8_t ASSIGN = 0xE2;  // assignment: letter, then its numbers
inline constexpr uint8_t SECTION_BEGIN = 0xE5;
inline constexpr uint8_t SECTION_TYPE = 0xE6;
inline constexpr uint8_t PUBLIC_NAME = 0xE8;
inline constexpr uint8_t EXTERNAL_NAME = 0xE9;
inline constexpr uint8_t ADDRESS_DESCRIPTOR = 0xEC;
inline constexpr uint8_t LOAD_DATA = 0xED;
inline constexpr uint8_t LOCAL_NAME = 0xF0;
inline constexpr uint8_t ATTRIBUTE = 0xF1;
inline constexpr uint8_t TYPE = 0xF2;
inline constexpr uint8_t REPEAT_DATA = 0xF7;
inline constexpr uint8_t BLOCK_BEGIN = 0xF8;
inline constexpr uint8_t BLOCK_END = 0xF9;

inline constexpr uint8_t LETTER_A = 0xC1;
inline constexpr uint8_t LETTER_B = 0xC2;
inline constexpr uint8_t LETTER_D = 0xC4;
inline constexpr uint8_t LETTER_G = 0xC7;  // execution start address
inline constexpr uint8_t LETTER_I = 0xC9;  // attribute of a public name
inline constexpr uint8_t LETTER_L = 0xCC;  // section base address; also "most significant first"
inline constexpr uint8_t LETTER_M = 0xCD;  // "least significant first"
inline constexpr uint8_t LETTER_N = 0xCE;  // attribute / assignment of a name
inline constexpr uint8_t LETTER_P = 0xD0;  // current address; code section
inline constexpr uint8_t LETTER_R = 0xD2;
inline constexpr uint8_t LETTER_S = 0xD3;  // section size; "absolute" with A
inline constexpr uint8_t LETTER_W = 0xD7;  // part pointer
inline constexpr uint8_t OPEN_PAREN = 0xBE;
inline constexpr uint8_t CLOSE_PAREN = 0xBF;

// Part numbers of the part-pointer records.
enum Part : uint32_t {
    PART_DESCRIPTOR_EXTENSION = 0,
    PART_ENVIRONMENT = 1,
    PART_SECTIONS = 2,
    PART_EXTERNAL = 3,
    PART_DEBUG = 4,
    PART_DATA = 5,
    PART_TRAILER = 6,
    PART_MODULE_END = 7,
    PART_COUNT = 8,
};

// Environment attributes.
inline constexpr uint32_t ENV_DATE = 50;
inline constexpr uint32_t ENV_HOST = 51;
inline constexpr uint32_t ENV_NUMBER_52 = 52;
inline constexpr uint32_t ENV_NUMBER_53 = 53;
inline constexpr uint32_t ENV_TOOL = 54;
inline constexpr uint32_t ENV_TOOL_NAME = 55;
inline constexpr uint32_t EXT_ATTRIBUTE_63 = 63;

// Public symbols of type 15 are code.
inline constexpr uint32_t CODE_SYMBOL_TYPE = 15;

inline constexpr size_t MAX_SECTIONS = 32;

// The header: what module begin, address descriptor and part pointers say.
struct ModuleHeader {
    std::string processor;
    std::string module;
    uint32_t bitsPerUnit = 8;
    uint32_t unitsPerAddress = 4;
    bool bigEndian = false;
    std::array<uint32_t, PART_COUNT> parts{};  // file offsets, 0 for an absent part

    // Where a part's bytes end: the nearest part that begins after it, else
    // the file's end.
    uint64_t PartEnd(Part part, uint64_t fileSize) const
    {
        uint64_t end = fileSize;
        for (uint32_t p : parts)
            if (p > parts[part] && p < end)
                end = p;
        return end;
    }
};

// The tool kind the environment part names (selects type sizes, register
// maps, the C++ name rules and the line rule of the debug part).
inline uint32_t ToolKindOf(uint32_t toolNumber)
{
    switch (toolNumber) {
    case 3: return 2;
    case 21: return 9;
    case 208:
    case 216: return 8;
    case 210: return 4;
    case 224: return 1;
    case 604: return 7;
    default: return 0;
    }
}
inline constexpr uint32_t TOOL_KIND_CPP = 2;
inline constexpr uint32_t TOOL_KIND_LINES_GROW = 1;
inline constexpr uint32_t TOOL_KIND_COSMIC = 5;

}  // namespace quentor::ieee695
