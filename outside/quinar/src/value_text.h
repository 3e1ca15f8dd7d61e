// A variable's value as the views show it: formatted once here so that the
// source tips and the watch nodes show the same text.
#pragma once

#include <cstdint>
#include <string>

#include "type_table.h"

namespace quinar {

// How a value of a type is read and shown.
enum class ValueShape : uint8_t {
    Signed,     // decimal, sign-extended from its size
    Unsigned,   // decimal
    Character,  // number and quoted character ("65 'A'"), by the sign of its type
    UnsignedCharacter,
    Boolean,    // "true", "false", another number in decimal
    Float,      // %.9g for a float, %.17g for a double: enough digits to read back
    Pointer,    // "0x%08X"
    Enum,       // the enumerator's name, else the number in decimal
    Aggregate,  // structures, unions, classes, arrays: "{...}"
};

struct ValueLayout {
    ValueShape shape = ValueShape::Signed;
    uint32_t size = 4;  // bytes read (0 for an aggregate)
    uint32_t type = 0;  // the type after typedefs (the enumeration's own index)
};

// The layout of a type index (0: an untyped word). SYM_E_NO_TYPE for an
// index that holds no type, SYM_E_WRONG_TYPE for what has no value (void,
// procedures, sizes this library cannot read).
SymResult LayoutOf(const TypeTable& types, uint32_t type, ValueLayout* layout);

// The text of `size` bytes read as a number (the bits as read, not
// sign-extended).
std::string FormatValue(const TypeTable& types, const ValueLayout& layout, uint64_t bits);

// A character as C quotes it: 'A', '\n', '\\', '\'', '\310'.
std::string QuotedCharacter(uint8_t c);

}  // namespace quinar
