#include "ieee695_debug_types.h"

#include <cstdio>
#include <vector>

#include "ieee695_names.h"
#include "ieee695_records.h"

namespace quentor {

using namespace ieee695;

namespace {

constexpr uint32_t FIRST_OWN_TYPE = 256;
constexpr uint32_t BIT_FIELD_DEFAULT_BASE = 17;

bool ParameterFollows(Ieee695Input& in)
{
    const int next = in.Peek();
    return next >= 0 && next < 0x80;
}

}  // namespace

uint32_t DebugTypes::Shift(uint32_t index) const
{
    if (index < FIRST_OWN_TYPE)
        return index;
    // The C++ compiler's global types keep the numbers of the first type
    // block; the types of later blocks move with their own base.
    if (globalSeen_)
        return index >= firstBase_ + FIRST_OWN_TYPE ? index + (base_ - firstBase_) : index;
    return index + base_;
}

void DebugTypes::Refused(uint32_t index, SymResult r)
{
    char text[96];
    std::snprintf(text, sizeof text, "type %u refused (0x%X, 0x%X)", index, static_cast<unsigned>(LDR_E_SYMBOL_CALL),
                  static_cast<unsigned>(r));
    cx_.message(in_.Position() - std::min(cx_.partStart, in_.Position()), text);
}

bool DebugTypes::Block(bool global)
{
    const quinar::Result<uint32_t> allocated = symbols_.HighestTypeIndex();
    base_ = allocated.ok() && allocated.value >= 255 ? allocated.value - 255 : 0;
    if (!anyBlock_) {
        firstBase_ = base_;
        anyBlock_ = true;
    }
    if (global && cx_.toolKind == TOOL_KIND_CPP)
        globalSeen_ = true;
    std::string name;
    for (;;) {
        uint32_t index = 0;
        if (in_.Accept(BLOCK_END))
            return true;
        if (in_.Accept(LOCAL_NAME)) {
            if (!in_.Number(index) || !in_.Name(name))
                return false;
        } else if (in_.Accept(TYPE)) {
            if (!Record(name))
                return false;
            name.clear();
        } else {
            return in_.Fail("unexpected record in a type block");
        }
    }
}

bool DebugTypes::Record(const std::string& name)
{
    uint32_t fileIndex = 0;
    uint32_t nameIndex = 0;
    uint8_t letter = 0;
    if (!in_.Number(fileIndex) || !in_.Accept(LETTER_N) || !in_.Number(nameIndex) || !in_.Byte(letter))
        return in_.Fail("type record cut short");
    const uint32_t index = Shift(fileIndex);
    auto add = [&](uint32_t code, uint32_t size, bool sizeKnown = true) {
        SymTypeDesc d{};
        d.valid = 1;
        d.code = code;
        d.size = size;
        d.name = name.c_str();
        d.sizeKnown = sizeKnown ? 1 : 0;
        return symbols_.AddType(index, d);
    };
    auto sizeOf = [&](uint32_t type) -> uint32_t {
        const quinar::Result<quinar::TypeInfo> t = symbols_.Type(type);
        return t.ok() ? t->size : 0;
    };
    uint32_t a = 0;
    uint32_t b = 0;
    SymResult r = SYM_OK;
    // The first tool's 'P' 1 is a one-byte 'V'.
    if (cx_.toolKind == TOOL_KIND_LINES_GROW && letter == 'P' && in_.Peek() == 1)
        letter = 'V';
    switch (letter) {
    case '!':
        if (!in_.Number(a))
            return false;
        r = add(SYM_TYPE_BASE, a);
        break;
    case 'V':
    case '?':
        if (!in_.Number(a))
            return false;
        r = add(SYM_TYPE_TYPEDEF, a);
        if (r == SYM_OK)
            r = symbols_.SetTypeBase(index, 1);
        break;
    case 'N': {
        if (!in_.Number(a))
            return false;
        r = add(SYM_TYPE_ENUM, a);
        std::string constant;
        while (ParameterFollows(in_)) {
            if (!in_.Name(constant) || !in_.Number(b))
                return false;
            if (r == SYM_OK)
                r = symbols_.AddEnumConstant(index, static_cast<int32_t>(b), constant);
        }
        break;
    }
    case 'O':
    case 'P':
        if (!in_.Number(a))
            return false;
        r = add(SYM_TYPE_POINTER, letter == 'O' ? 2 : 4);
        if (r == SYM_OK)
            r = symbols_.SetPointerTarget(index, Shift(a));
        break;
    case 'S':
    case 'U': {
        if (!in_.Number(a))
            return false;
        r = add(letter == 'S' ? SYM_TYPE_STRUCT : SYM_TYPE_UNION, a);
        std::string member;
        uint32_t offset = 0;
        while (a != 0 && ParameterFollows(in_)) {
            if (!in_.Name(member) || !in_.Number(b) || !in_.Number(offset))
                return false;
            const std::string kept = cx_.cppNames ? MemberNameOf(member) : member;
            SymStructMember m{kept.c_str(), Shift(b), offset, 0, 0, 0};
            if (auto field = bitFields_.find(m.type); field != bitFields_.end()) {
                m.byteSize = field->second.byteSize;
                m.bitOffset = field->second.bitOffset;
                m.bitSize = field->second.bitSize;
            }
            if (r == SYM_OK)
                r = symbols_.AddStructMember(index, m);
        }
        break;
    }
    case 'T': {
        if (!in_.Number(a))
            return false;
        const uint32_t base = Shift(a);
        r = add(SYM_TYPE_TYPEDEF, base < 0x0FFFFFFF ? sizeOf(base) : 0);
        if (r == SYM_OK)
            r = symbols_.SetTypeBase(index, base);
        break;
    }
    case 'X':
    case 'x': {
        uint32_t attributes = 0;
        uint32_t count = 0;
        if (!in_.Number(a) || !in_.Number(attributes) || !in_.Number(count))
            return false;
        if (count == 0xFFFF || count == 0xFFFFFFFF)
            count = 0;
        std::vector<uint32_t> parameters;
        for (uint32_t i = 0; i < count; ++i) {
            if (!in_.Number(b))
                return false;
            parameters.push_back(Shift(b));
        }
        r = symbols_.AddProcType(index, Shift(a), static_cast<uint32_t>(parameters.size()));
        for (uint32_t p : parameters)
            if (r == SYM_OK)
                r = symbols_.AddProcParam(index, p);
        break;
    }
    case 'Z': {
        if (!in_.Number(a) || !in_.Number(b))
            return false;
        const uint32_t element = Shift(a);
        r = add(SYM_TYPE_ARRAY, static_cast<uint32_t>((uint64_t{b} + 1) * sizeOf(element)));
        if (r == SYM_OK)
            r = symbols_.SetArrayDims(index, SymArrayDim{element, b});
        break;
    }
    case 'g': {
        uint32_t base = BIT_FIELD_DEFAULT_BASE;
        if (!in_.Number(a) || !in_.Number(b))
            return false;
        if (ParameterFollows(in_) && !in_.Number(base))
            return false;
        base = Shift(base);
        r = add(SYM_TYPE_BITFIELD, sizeOf(base));
        const SymBitFieldInfo field{sizeOf(base), a, b, base};
        if (r == SYM_OK)
            r = symbols_.SetBitField(index, field);
        if (r == SYM_OK)
            bitFields_[index] = field;
        break;
    }
    default:
        // A letter not read here: its parameters up to the next record.
        while (ParameterFollows(in_) || (in_.Peek() >= 0x80 && in_.Peek() < 0xE0)) {
            uint8_t skipped = 0;
            in_.Byte(skipped);
        }
        return !in_.Failed();
    }
    if (r != SYM_OK)
        Refused(index, r);
    return true;
}

}  // namespace quentor
