// SymEvaluateExpr: the value of a symbol, a register, a number or a memory
// word at the target's stop, with its type code.
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "boundary.h"
#include "expressions.h"

namespace quinar {

namespace {

// How a value of a type is read and what code it carries.
struct ValueKind {
    uint32_t code = SYM_VALUE_WORD;
    uint32_t size = 4;
    uint32_t pointee = 0;  // pointers: the type pointed to (0 untyped)
};

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

// A base type that a reader stored by name (not one of the predefined ids):
// the predefined id of the same kind and size. A plain "char" is unsigned
// in the ARM procedure call standard.
uint32_t CodeOfNamedBase(const TypeRecord& t, uint32_t size)
{
    const std::string name = FoldCase(t.name);
    if (Contains(name, "float") || Contains(name, "double") || Contains(name, "real"))
        return size == 4 ? 14u : size == 8 ? 15u : 16u;
    if (Contains(name, "bool"))
        return 21;
    const bool isUnsigned = Contains(name, "unsigned") || name == "char";
    switch (size) {
    case 1: return isUnsigned ? 3u : 2u;
    case 2: return isUnsigned ? 6u : 5u;
    case 8: return isUnsigned ? 72u : 71u;
    default: return isUnsigned ? 9u : 8u;
    }
}

SymResult KindOfType(const TypeTable& types, uint32_t type, ValueKind* kind)
{
    *kind = ValueKind{};
    if (type == 0)
        return SYM_OK;  // untyped: a word
    const uint32_t resolved = types.Resolve(type);
    const TypeRecord* t = types.Find(resolved);
    if (!t)
        return SYM_E_NO_TYPE;
    const uint32_t size = types.SizeOf(resolved);
    if (t->predefined) {
        if (t->size == 0 || t->size > 8)
            return SYM_E_WRONG_TYPE;  // void, complex, extended reals
        *kind = {t->index, t->size, 0};
        return SYM_OK;
    }
    switch (t->code) {
    case SYM_TYPE_POINTER:
    case SYM_TYPE_REFERENCE: *kind = {SYM_VALUE_POINTER, 4, t->link}; return SYM_OK;
    case SYM_TYPE_ENUM:
        *kind = {size == 1 ? 2u : size == 2 ? 5u : SYM_VALUE_WORD, size == 1 || size == 2 ? size : 4, 0};
        return SYM_OK;
    case SYM_TYPE_BASE:
        if (size == 0 || size > 8)
            return SYM_E_WRONG_TYPE;
        *kind = {CodeOfNamedBase(*t, size), size, 0};
        return SYM_OK;
    default: return SYM_E_WRONG_TYPE;  // structures, arrays, procedures: no single value
    }
}

SymResult Load(const Place& place, const ValueKind& kind, SymExprValue* out)
{
    uint64_t bits = 0;
    if (SymResult r = ReadPlace(place, kind.size, &bits); r != SYM_OK)
        return r;
    *out = {kind.code, kind.size, bits};
    return SYM_OK;
}

bool IsNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '#';
}
bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

class Evaluator {
public:
    Evaluator(Store& s, std::string_view text) : s_(s), text_(text) { pcKnown_ = TargetPc(&pc_); }

    SymResult Run(SymExprValue* out)
    {
        uint32_t derefs = 0;
        for (SkipBlanks(); pos_ < text_.size() && text_[pos_] == '*'; SkipBlanks()) {
            ++pos_;
            ++derefs;
        }
        SymExprValue value{};
        uint32_t type = 0;  // the value's type index, for what a pointer points to
        if (SymResult r = Operand(&value, &type); r != SYM_OK)
            return r;
        SkipBlanks();
        if (pos_ != text_.size())
            return SYM_E_SYNTAX;
        for (; derefs > 0; --derefs) {
            ValueKind pointee{};
            if (value.type == SYM_VALUE_POINTER) {
                ValueKind pointer{};
                KindOfType(s_.Types(), type, &pointer);
                type = pointer.pointee;
                if (SymResult r = KindOfType(s_.Types(), type, &pointee); r != SYM_OK)
                    return r;
            } else if (value.type == 14 || value.type == 15 || value.type == 16) {
                return SYM_E_WRONG_TYPE;
            } else {
                type = 0;  // a number or integer: the word at that address
            }
            if (SymResult r = Load({false, static_cast<uint32_t>(value.value)}, pointee, &value); r != SYM_OK)
                return r;
        }
        *out = value;
        return SYM_OK;
    }

private:
    void SkipBlanks()
    {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
    }

    SymResult Operand(SymExprValue* value, uint32_t* type)
    {
        if (pos_ >= text_.size())
            return SYM_E_SYNTAX;
        const char c = text_[pos_];
        if (c == '@' || c == '$')
            return Register(value);
        if (std::isdigit(static_cast<unsigned char>(c)))
            return Number(value);
        if (!IsNameStart(c))
            return SYM_E_SYNTAX;
        const size_t start = pos_++;
        while (pos_ < text_.size() && IsNameChar(text_[pos_]))
            ++pos_;
        uint32_t handle = 0;
        const uint32_t* pc = pcKnown_ ? &pc_ : nullptr;
        const uint32_t scope = pcKnown_ ? ScopeAt(s_, pc_) : 0;
        if (SymResult r = FindSymbol(s_, scope, text_.substr(start, pos_ - start), &handle, pc); r != SYM_OK)
            return r;
        Place place;
        if (SymResult r = PlaceOfSymbol(s_, handle, pc, &place, type); r != SYM_OK)
            return r;
        ValueKind kind;
        if (SymResult r = KindOfType(s_.Types(), *type, &kind); r != SYM_OK)
            return r;
        return Load(place, kind, value);
    }

    SymResult Register(SymExprValue* value)
    {
        size_t end = pos_ + 1;
        if (end < text_.size() && text_[end] == '(') {
            end = text_.find(')', end);
            if (end == std::string_view::npos)
                return SYM_E_SYNTAX;
            ++end;
        } else {
            while (end < text_.size() && IsNameChar(text_[end]))
                ++end;
        }
        uint32_t id = 0;
        if (!ParseRegisterReference(text_.substr(pos_, end - pos_), &id))
            return SYM_E_NOT_FOUND;
        pos_ = end;
        return Load({true, id}, ValueKind{}, value);
    }

    SymResult Number(SymExprValue* value)
    {
        size_t end = pos_;
        while (end < text_.size() && std::isalnum(static_cast<unsigned char>(text_[end])))
            ++end;
        const std::string digits(text_.substr(pos_, end - pos_));
        char* stop = nullptr;
        errno = 0;
        const unsigned long long n = std::strtoull(digits.c_str(), &stop, 0);
        if (errno != 0 || *stop != '\0')
            return SYM_E_SYNTAX;
        pos_ = end;
        if (n > 0xFFFFFFFFull)
            *value = {72, 8, n};  // unsigned long long
        else
            *value = {SYM_VALUE_WORD, 4, n};
        return SYM_OK;
    }

    Store& s_;
    std::string_view text_;
    size_t pos_ = 0;
    uint32_t pc_ = 0;
    bool pcKnown_ = false;
};

}  // namespace

SymResult ReadPlace(const Place& place, uint32_t size, uint64_t* bits)
{
    *bits = 0;
    if (place.isValue) {
        if (size == 0 || size > 8)
            return SYM_E_WRONG_TYPE;
        if (size > place.size)
            return SYM_E_NO_VALUE;
        *bits = size < 8 ? place.bits & ((uint64_t{1} << (8 * size)) - 1) : place.bits;
        return SYM_OK;
    }
    if (!place.inRegister)
        return ReadTargetMemory(place.where, size, bits);
    uint32_t low = 0, high = 0;
    if (SymResult r = ReadTargetRegister(place.where, &low); r != SYM_OK)
        return r;
    if (size > 4) {
        if (SymResult r = ReadTargetRegister(place.where + 1, &high); r != SYM_OK)
            return r;
    }
    *bits = (uint64_t{high} << 32) | low;
    if (size < 8)
        *bits &= (uint64_t{1} << (8 * size)) - 1;
    return SYM_OK;
}

SymResult PlaceOfSymbol(Store& s, uint32_t handle, const uint32_t* pc, Place* place, uint32_t* type)
{
    *type = 0;
    if (uint32_t id = 0; RegisterOf(handle, &id)) {
        *place = {true, id};
        return SYM_OK;
    }
    switch (KindOf(handle)) {
    case SYM_KIND_VARIABLE:
        *type = s.Variables()[s.VariablePosition(handle)].type;
        return PlaceOfVariable(s, handle, pc, place);
    case SYM_KIND_LABEL: *place = {false, s.Labels()[s.LabelPosition(handle)].value}; return SYM_OK;
    case SYM_KIND_DATA_LABEL: {
        const DataLabel& d = s.DataLabels()[s.DataLabelPosition(handle)];
        *type = d.type;
        *place = {false, d.address};
        return SYM_OK;
    }
    default: return SYM_E_WRONG_TYPE;  // a function or module has an address, not a value
    }
}

uint32_t ScopeAt(Store& s, uint32_t pc)
{
    if (uint32_t f = s.FunctionAt(pc); f != kNone)
        return s.FunctionHandle(f);
    if (uint32_t m = s.ModuleAt(pc); m != kNone)
        return s.Modules()[m].handle;
    return 0;
}

Result<SymExprValue> SymbolStore::Evaluate(std::string_view text)
{
    SymExprValue value{};
    SymResult r = Evaluator(TheStore(), text).Run(&value);
    return {r, r == SYM_OK ? value : SymExprValue{}};
}

}  // namespace quinar

extern "C" SymResult SymEvaluateExpr(const char* text, SymExprValue* value)
{
    if (!text || !value)
        return SYM_E_ARGUMENT;
    return quinar::Deliver(quinar::Symbols().Evaluate(text), value);
}
