// Encoding through the shared table: a row of a kind gives the fixed bits
// (its value) and the position of every operand (its field layout); the
// values go into their fields, and the code must decode to a row of the
// same kind again, so nothing the core would reject is produced.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "armdecode/arm_decode.h"

namespace pirell::as {

using zk::armdecode::ArmKind;
using zk::armdecode::FieldId;
using zk::armdecode::ThumbKind;

struct FieldValue {
    FieldId id;
    uint32_t value;
};

// The first row of the kind.
const zk::armdecode::ArmRow& ArmRowOf(ArmKind kind);
const zk::armdecode::ThumbRow& ThumbRowOf(ThumbKind kind);

// The row's value with every field set; nothing when a value does not fit
// its field, or the result decodes to another kind.
std::optional<uint32_t> EncodeArm(ArmKind kind, std::initializer_list<FieldValue> values);
std::optional<uint16_t> EncodeThumb(ThumbKind kind, std::initializer_list<FieldValue> values);

// The ARM immediate operand of a value: 8 bits rotated right by twice the
// 4-bit rotation; the smallest rotation that holds the value.
struct RotatedImmediate {
    uint32_t imm8;
    uint32_t rotate;
};
std::optional<RotatedImmediate> EncodeRotated(uint32_t value);

}  // namespace pirell::as
