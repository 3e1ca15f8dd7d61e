// Value texts: integers in decimal by their type's size and sign, characters
// as number and quoted character, pointers in hexadecimal, enumerations by
// the enumerator's name, aggregates as "{...}".
#include "value_text.h"

#include <cstdio>
#include <cstring>

namespace quinar {

namespace {

// Predefined base types (the type table's fixed indices) by what they show.
ValueShape ShapeOfPredefined(const TypeRecord& t)
{
    switch (t.index) {
    case 1:
    case 2: return ValueShape::Character;
    case 3: return ValueShape::UnsignedCharacter;
    case 13: return ValueShape::Pointer;
    case 21: return ValueShape::Boolean;
    default: break;
    }
    if (t.isFloat)
        return ValueShape::Float;
    return t.isSigned ? ValueShape::Signed : ValueShape::Unsigned;
}

// A base type stored by name rather than as a predefined index.
ValueShape ShapeOfNamedBase(const TypeRecord& t, uint32_t size)
{
    const std::string name = t.name;
    auto has = [&](const char* part) { return name.find(part) != std::string::npos; };
    if (has("float") || has("double") || has("real"))
        return size == 4 || size == 8 ? ValueShape::Float : ValueShape::Signed;
    if (has("bool"))
        return ValueShape::Boolean;
    const bool isUnsigned = has("unsigned");
    if (has("char") && size == 1)
        return isUnsigned || name == "char" ? ValueShape::UnsignedCharacter : ValueShape::Character;
    return isUnsigned ? ValueShape::Unsigned : ValueShape::Signed;
}

int64_t SignExtend(uint64_t bits, uint32_t size)
{
    if (size >= 8)
        return static_cast<int64_t>(bits);
    const uint64_t sign = uint64_t{1} << (8 * size - 1);
    const uint64_t mask = (uint64_t{1} << (8 * size)) - 1;
    bits &= mask;
    return static_cast<int64_t>((bits ^ sign) - sign);
}

std::string FloatText(uint64_t bits, uint32_t size)
{
    char text[40];
    if (size == 4) {
        const uint32_t word = static_cast<uint32_t>(bits);
        float f = 0;
        std::memcpy(&f, &word, sizeof f);
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(f));
    } else {
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        std::snprintf(text, sizeof text, "%.17g", d);
    }
    return text;
}

std::string EnumText(const TypeTable& types, const ValueLayout& layout, uint64_t bits)
{
    const uint64_t mask = layout.size >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * layout.size)) - 1;
    bool anyNegative = false;
    if (const TypeRecord* t = types.Find(layout.type)) {
        for (uint32_t e = t->firstItem; e != kNone; e = types.Enumerators()[e].next) {
            const EnumItem& item = types.Enumerators()[e];
            anyNegative = anyNegative || item.value < 0;
            if ((static_cast<uint64_t>(static_cast<int64_t>(item.value)) & mask) == (bits & mask))
                return item.name;
        }
    }
    return anyNegative ? std::to_string(SignExtend(bits, layout.size)) : std::to_string(bits & mask);
}

}  // namespace

SymResult LayoutOf(const TypeTable& types, uint32_t type, ValueLayout* layout)
{
    *layout = ValueLayout{};
    if (type == 0)
        return SYM_OK;  // untyped: a word
    const uint32_t resolved = types.Resolve(type);
    const TypeRecord* t = types.Find(resolved);
    if (!t)
        return SYM_E_NO_TYPE;
    const uint32_t size = types.SizeOf(resolved);
    layout->type = resolved;
    switch (t->predefined ? SYM_TYPE_BASE : t->code) {
    case SYM_TYPE_BASE:
        if (size == 0 || size > 8)
            return SYM_E_WRONG_TYPE;  // void, complex, extended reals
        layout->size = size;
        layout->shape = t->predefined ? ShapeOfPredefined(*t) : ShapeOfNamedBase(*t, size);
        if (layout->shape == ValueShape::Float && size != 4 && size != 8)
            return SYM_E_WRONG_TYPE;
        return SYM_OK;
    case SYM_TYPE_POINTER:
    case SYM_TYPE_REFERENCE: layout->shape = ValueShape::Pointer; return SYM_OK;
    case SYM_TYPE_ENUM:
        layout->shape = ValueShape::Enum;
        layout->size = size == 1 || size == 2 || size == 8 ? size : 4;
        return SYM_OK;
    case SYM_TYPE_STRUCT:
    case SYM_TYPE_UNION:
    case SYM_TYPE_CLASS:
    case SYM_TYPE_ARRAY:
        layout->shape = ValueShape::Aggregate;
        layout->size = 0;
        return SYM_OK;
    default: return SYM_E_WRONG_TYPE;  // procedures, bit fields on their own
    }
}

std::string QuotedCharacter(uint8_t c)
{
    switch (c) {
    case '\a': return "'\\a'";
    case '\b': return "'\\b'";
    case '\f': return "'\\f'";
    case '\n': return "'\\n'";
    case '\r': return "'\\r'";
    case '\t': return "'\\t'";
    case '\v': return "'\\v'";
    case '\\': return "'\\\\'";
    case '\'': return "'\\''";
    default: break;
    }
    char text[8];
    if (c >= 0x20 && c < 0x7F)
        std::snprintf(text, sizeof text, "'%c'", c);
    else
        std::snprintf(text, sizeof text, "'\\%03o'", c);
    return text;
}

std::string FormatValue(const TypeTable& types, const ValueLayout& layout, uint64_t bits)
{
    const uint32_t size = layout.size;
    const uint64_t value = size >= 8 ? bits : bits & ((uint64_t{1} << (8 * size)) - 1);
    switch (layout.shape) {
    case ValueShape::Signed: return std::to_string(SignExtend(value, size));
    case ValueShape::Unsigned: return std::to_string(value);
    case ValueShape::Character:
        return std::to_string(SignExtend(value, 1)) + " " + QuotedCharacter(static_cast<uint8_t>(value));
    case ValueShape::UnsignedCharacter:
        return std::to_string(value & 0xFF) + " " + QuotedCharacter(static_cast<uint8_t>(value));
    case ValueShape::Boolean: return value == 0 ? "false" : value == 1 ? "true" : std::to_string(value);
    case ValueShape::Float: return FloatText(value, size);
    case ValueShape::Pointer: {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(value));
        return text;
    }
    case ValueShape::Enum: return EnumText(types, layout, value);
    case ValueShape::Aggregate: return "{...}";
    }
    return {};
}

}  // namespace quinar
