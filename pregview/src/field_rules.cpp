#include "field_rules.h"

#include <cstdio>

namespace halvek {

uint32_t BitMask(int n)
{
    if (n <= 0)
        return 0;
    return n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1;
}

int LowBit(const Field& f)
{
    return f.loc - f.sz + 1;
}

bool FieldConsistent(const Field& f)
{
    return f.sz >= 1 && f.sz <= 32 && f.loc <= 31 && LowBit(f) >= 0;
}

uint32_t FieldValue(uint32_t registerValue, const Field& f)
{
    if (!FieldConsistent(f))
        return 0;
    return (registerValue >> LowBit(f)) & BitMask(f.sz);
}

void WorkOutFields(Register& r)
{
    for (Field& f : r.fields)
        f.value = FieldValue(r.value, f);
}

uint32_t ComposeValue(uint32_t registerValue, const Field& f, uint32_t fieldValue, uint32_t implemented)
{
    uint32_t v = registerValue;
    if (FieldConsistent(f)) {
        const uint32_t mask = BitMask(f.sz) << LowBit(f);
        v = (v & ~mask) | ((fieldValue << LowBit(f)) & mask);
    }
    return v & implemented;
}

bool AcceptFieldValue(const Field& f, uint32_t value)
{
    if (f.av)
        return f.mn <= value && value <= f.mx;
    return f.texts.count(static_cast<uint16_t>(value)) != 0;
}

std::string ValueText(const Field& f, uint32_t value)
{
    auto it = f.texts.find(static_cast<uint16_t>(value));
    if (it == f.texts.end())
        it = f.texts.find(static_cast<uint16_t>(f.mx));
    return it == f.texts.end() ? std::string() : it->second;
}

std::string SpanText(const Field& f)
{
    char text[32];
    if (f.sz == 1)
        std::snprintf(text, sizeof text, "%u: ", static_cast<unsigned>(f.loc));
    else
        std::snprintf(text, sizeof text, "%u-%u: ", static_cast<unsigned>(f.loc), static_cast<unsigned>(LowBit(f)));
    return text;
}

std::string RegisterValueText(uint32_t value, int widthBytes)
{
    char text[16];
    const int bits = widthBytes * 8;
    std::snprintf(text, sizeof text,
                  bits <= 8        ? "0x%02lX"
                      : bits <= 16 ? "0x%04lX"
                                   : "0x%08lX",
                  static_cast<unsigned long>(value));
    return text;
}

uint32_t SpinStep(const Field& f, uint32_t value, int direction)
{
    if (direction > 0)
        return value >= f.mx || value < f.mn ? f.mn : value + 1;
    return value <= f.mn || value > f.mx ? f.mx : value - 1;
}

}  // namespace halvek
