// A register's bit fields: values, the editor's rules and the texts of the
// register dialog.
#pragma once

#include <cstdint>
#include <string>

#include "description.h"

namespace halvek {

// 2^n - 1 for n = 0..32.
uint32_t BitMask(int n);
// A field lies inside a 32-bit value: 1 <= sz <= 32, its lowest bit
// loc - sz + 1 is not negative and loc <= 31. Other fields have value 0 and
// leave a composed value alone.
bool FieldConsistent(const Field& f);
int LowBit(const Field& f);
// (value >> low bit) AND mask(sz).
uint32_t FieldValue(uint32_t registerValue, const Field& f);
// Every field's value from the register's last value.
void WorkOutFields(Register& r);
// The register value with the field set to `fieldValue`, ANDed with the
// register's implemented-bits mask.
uint32_t ComposeValue(uint32_t registerValue, const Field& f, uint32_t fieldValue, uint32_t implemented);
// av 1: mn <= value <= mx; av 0: the value has a text.
bool AcceptFieldValue(const Field& f, uint32_t value);
// The value's text, else the text of mx, else "".
std::string ValueText(const Field& f, uint32_t value);
// "7: " for one bit, "15-1: " (highest and lowest bit) for more.
std::string SpanText(const Field& f);
// "0x%02lX", "0x%04lX" or "0x%08lX" for registers up to 8, 16 or 32 bits.
std::string RegisterValueText(uint32_t value, int widthBytes);
// The spin control's step from mn to mx, wrapping at both ends.
uint32_t SpinStep(const Field& f, uint32_t value, int direction);

}  // namespace halvek
