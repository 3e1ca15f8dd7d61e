// DWARF 1 entries of ".debug": a u32 length (the entry's whole size), a
// u16 tag, then attributes, each a u16 code (attribute name * 16 + form)
// and its value. Entries follow one another; an entry with children has a
// sibling reference to the entry after its last child, and a null entry
// (length 4 or less; length 5 carries one more byte) ends a list of
// children. References are addresses: the section's address plus the
// entry's offset in it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "byte_cursor.h"

namespace tarnel {

// Tags.
inline constexpr uint16_t DW1_TAG_PADDING = 0x0000;
inline constexpr uint16_t DW1_TAG_ARRAY_TYPE = 0x0001;
inline constexpr uint16_t DW1_TAG_CLASS_TYPE = 0x0002;
inline constexpr uint16_t DW1_TAG_ENUMERATION_TYPE = 0x0004;
inline constexpr uint16_t DW1_TAG_FORMAL_PARAMETER = 0x0005;
inline constexpr uint16_t DW1_TAG_GLOBAL_SUBROUTINE = 0x0006;
inline constexpr uint16_t DW1_TAG_GLOBAL_VARIABLE = 0x0007;
inline constexpr uint16_t DW1_TAG_LABEL = 0x000A;
inline constexpr uint16_t DW1_TAG_LEXICAL_BLOCK = 0x000B;
inline constexpr uint16_t DW1_TAG_LOCAL_VARIABLE = 0x000C;
inline constexpr uint16_t DW1_TAG_MEMBER = 0x000D;
inline constexpr uint16_t DW1_TAG_COMPILE_UNIT = 0x0011;
inline constexpr uint16_t DW1_TAG_STRUCTURE_TYPE = 0x0013;
inline constexpr uint16_t DW1_TAG_SUBROUTINE = 0x0014;
inline constexpr uint16_t DW1_TAG_SUBROUTINE_TYPE = 0x0015;
inline constexpr uint16_t DW1_TAG_TYPEDEF = 0x0016;
inline constexpr uint16_t DW1_TAG_UNION_TYPE = 0x0017;
inline constexpr uint16_t DW1_TAG_UNSPECIFIED_PARAMETERS = 0x0018;
inline constexpr uint16_t DW1_TAG_INHERITANCE = 0x001C;
inline constexpr uint16_t DW1_TAG_VENDOR_SIBLING = 0x5002;

// Attribute codes (name * 16 + form).
inline constexpr uint16_t DW1_AT_SIBLING = 0x0012;
inline constexpr uint16_t DW1_AT_LOCATION = 0x0023;
inline constexpr uint16_t DW1_AT_NAME = 0x0038;
inline constexpr uint16_t DW1_AT_FUND_TYPE = 0x0055;
inline constexpr uint16_t DW1_AT_MOD_FUND_TYPE = 0x0063;
inline constexpr uint16_t DW1_AT_USER_DEF_TYPE = 0x0072;
inline constexpr uint16_t DW1_AT_MOD_U_D_TYPE = 0x0083;
inline constexpr uint16_t DW1_AT_ORDERING = 0x0095;
inline constexpr uint16_t DW1_AT_SUBSCR_DATA = 0x00A3;
inline constexpr uint16_t DW1_AT_BYTE_SIZE = 0x00B6;
inline constexpr uint16_t DW1_AT_BIT_OFFSET = 0x00C5;
inline constexpr uint16_t DW1_AT_BIT_SIZE = 0x00D6;
inline constexpr uint16_t DW1_AT_ELEMENT_LIST = 0x00F4;
inline constexpr uint16_t DW1_AT_STMT_LIST = 0x0106;
inline constexpr uint16_t DW1_AT_LOW_PC = 0x0111;
inline constexpr uint16_t DW1_AT_HIGH_PC = 0x0121;
inline constexpr uint16_t DW1_AT_LANGUAGE = 0x0136;
inline constexpr uint16_t DW1_AT_COMP_DIR = 0x01B8;
inline constexpr uint16_t DW1_AT_PRODUCER = 0x0258;
inline constexpr uint16_t DW1_AT_PRIVATE = 0x0248;
inline constexpr uint16_t DW1_AT_PROTECTED = 0x0268;
inline constexpr uint16_t DW1_AT_PUBLIC = 0x0288;
inline constexpr uint16_t DW1_AT_MANGLED_NAME = 0x0508;

// Forms (the low four bits of an attribute code).
inline constexpr uint8_t DW1_FORM_ADDR = 1;
inline constexpr uint8_t DW1_FORM_REF = 2;
inline constexpr uint8_t DW1_FORM_BLOCK2 = 3;
inline constexpr uint8_t DW1_FORM_BLOCK4 = 4;
inline constexpr uint8_t DW1_FORM_DATA2 = 5;
inline constexpr uint8_t DW1_FORM_DATA4 = 6;
inline constexpr uint8_t DW1_FORM_DATA8 = 7;
inline constexpr uint8_t DW1_FORM_STRING = 8;

// Location atoms.
inline constexpr uint8_t DW1_OP_REG = 0x01;
inline constexpr uint8_t DW1_OP_BASEREG = 0x02;
inline constexpr uint8_t DW1_OP_ADDR = 0x03;
inline constexpr uint8_t DW1_OP_CONST = 0x04;
inline constexpr uint8_t DW1_OP_ADD = 0x07;

// Fundamental type codes the readers use themselves.
inline constexpr uint16_t DW1_FT_VOID = 0x14;

// Damage that ends the unit being read: where and what.
struct Dwarf1Damage : std::runtime_error {
    Dwarf1Damage(uint32_t at, const char* what) : std::runtime_error(what), offset(at) {}
    uint32_t offset;
};

struct Dwarf1Attribute {
    uint16_t code = 0;
    uint32_t value = 0;              // address, reference, data2 or data4
    std::span<const uint8_t> block;  // blocks
    std::string_view text;           // strings
};

// An entry's attributes in file order: the first eight held in place (an
// entry is read for every child walk, so most reads need no heap block).
class Dwarf1Attributes {
public:
    void push_back(const Dwarf1Attribute& a)
    {
        if (size_ < INLINE) {
            inline_[size_++] = a;
            return;
        }
        if (more_.empty())
            more_.assign(inline_.begin(), inline_.end());
        more_.push_back(a);
        ++size_;
    }
    const Dwarf1Attribute* begin() const { return size_ <= INLINE ? inline_.data() : more_.data(); }
    const Dwarf1Attribute* end() const { return begin() + size_; }
    bool empty() const { return size_ == 0; }
    size_t size() const { return size_; }
    const Dwarf1Attribute& front() const { return *begin(); }

private:
    static constexpr size_t INLINE = 8;
    std::array<Dwarf1Attribute, INLINE> inline_{};
    std::vector<Dwarf1Attribute> more_;
    size_t size_ = 0;
};

struct Dwarf1Entry {
    uint32_t offset = 0;  // in .debug
    uint32_t length = 0;  // the bytes the entry takes, null entries included
    bool null = false;
    uint16_t tag = 0;
    Dwarf1Attributes attributes;

    uint32_t End() const { return offset + length; }
    const Dwarf1Attribute* Find(uint16_t code) const;
    std::string_view Text(uint16_t code) const;
};

// The .debug section in memory.
struct Dwarf1Section {
    std::span<const uint8_t> bytes;
    uint32_t address = 0;
    bool bigEndian = false;

    uint32_t Size() const { return static_cast<uint32_t>(bytes.size()); }
    ByteCursor Cursor(uint32_t offset, uint32_t size) const;
    // The entry at `offset`, which must end at `limit` at the latest;
    // damage throws.
    Dwarf1Entry Read(uint32_t offset, uint32_t limit) const;
    // A reference as an offset in the section; damage throws when it lies
    // outside (`at`: the entry that holds it).
    uint32_t OffsetOf(uint32_t reference, uint32_t at) const;
    // Whether the reference lies inside the section.
    bool Holds(uint32_t reference) const;
};

// The entry that follows `e` on its level: its sibling, or the next entry
// when it has none. A sibling that does not move forward or lies past
// `limit` is damage.
uint32_t NextOffset(const Dwarf1Section& section, const Dwarf1Entry& e, uint32_t limit);

// A name attribute's text up to a '$' (compiler-made suffixes).
std::string_view PlainName(std::string_view name);

}  // namespace tarnel
