// Script values: a VARIANT that owns what it holds, and the language's
// operators and conversions on them (Integer-Long-Double promotion, 32-bit
// logic, Empty and Null in expressions).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "errors.h"
#include "platform/automation.h"

namespace zk::script {

struct Value : VARIANT {
    Value() { VariantInit(this); }
    Value(const Value& other)
    {
        VariantInit(this);
        Copy(other);
    }
    Value(Value&& other) noexcept
    {
        static_cast<VARIANT&>(*this) = other;
        other.vt = VT_EMPTY;
    }
    Value& operator=(const Value& other)
    {
        if (this != &other) {
            Value copy(other);
            Swap(copy);
        }
        return *this;
    }
    Value& operator=(Value&& other) noexcept
    {
        Swap(other);
        return *this;
    }
    ~Value() { VariantClear(this); }

    void Swap(Value& other) noexcept { std::swap(static_cast<VARIANT&>(*this), static_cast<VARIANT&>(other)); }
    void Clear() { VariantClear(this); }
    // Copies a VARIANT (by-reference ones dereferenced).
    void Copy(const VARIANT& src);

    static Value Int(int16_t v);
    static Value Long(int32_t v);
    static Value Dbl(double v);
    static Value Bool(bool v);
    static Value Str(std::string_view s);
    static Value Null();
    static Value Object(IDispatch* d);  // adds a reference; null is Nothing
    static Value Missing();             // an argument left out
    static Value Date(double d);

    bool IsObject() const { return vt == VT_DISPATCH || vt == VT_UNKNOWN; }
    bool IsArray() const { return (vt & VT_ARRAY) != 0; }
    std::string_view Text() const;  // VT_BSTR only
};
static_assert(sizeof(Value) == sizeof(VARIANT));

// The value of an object's default member (error 438 when it has none);
// other values as they are.
Value Deref(const Value& v);

// Conversions raising the language's errors (13, 6, 94).
double ToDouble(const Value& v);
int32_t ToLong(const Value& v);  // rounds half to even
int16_t ToInt(const Value& v);
bool ToBool(const Value& v);
std::string ToStr(const Value& v);
Value ChangeType(const Value& v, VARTYPE vt);
bool IsNumericType(VARTYPE vt);

enum class Op : uint8_t {
    Add,
    Sub,
    Mul,
    Div,
    IntDiv,
    Mod,
    Pow,
    Cat,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Is,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
    Neg,
    Not,
};

Value Binary(Op op, const Value& a, const Value& b);
Value Unary(Op op, const Value& a);
// -1, 0, 1; 2 when either side is Null.
int Compare(const Value& a, const Value& b, bool textCompare = false);

// The longest string a script may build (error 14 beyond it).
size_t StringLimit();
void SetStringLimit(size_t bytes);

// TypeName and VarType.
std::string TypeName(const Value& v);
int VarTypeOf(const Value& v);

}  // namespace zk::script
