#include "asm_encode.h"

#include <bit>

namespace pirell::as {

namespace {

using zk::armdecode::FieldLayout;
using zk::armdecode::FieldSpec;

std::optional<uint32_t> Place(uint32_t word, const FieldLayout& layout, std::initializer_list<FieldValue> values)
{
    for (const FieldValue& v : values) {
        const FieldSpec f = zk::armdecode::FindField(layout, v.id);
        if (f.id == FieldId::None)
            return std::nullopt;
        const uint32_t max = f.width >= 32 ? 0xFFFFFFFFu : (1u << f.width) - 1u;
        if (v.value > max)
            return std::nullopt;
        word = (word & ~(max << f.lsb)) | (v.value << f.lsb);
    }
    return word;
}

}  // namespace

const zk::armdecode::ArmRow& ArmRowOf(ArmKind kind)
{
    for (const auto& row : zk::armdecode::kArmRows) {
        if (row.kind == kind)
            return row;
    }
    return zk::armdecode::kArmRows.back();
}

const zk::armdecode::ThumbRow& ThumbRowOf(ThumbKind kind)
{
    for (const auto& row : zk::armdecode::kThumbRows) {
        if (row.kind == kind)
            return row;
    }
    return zk::armdecode::kThumbRows.back();
}

std::optional<uint32_t> EncodeArm(ArmKind kind, std::initializer_list<FieldValue> values)
{
    const auto& row = ArmRowOf(kind);
    const std::optional<uint32_t> word = Place(row.value, row.fields, values);
    if (!word || zk::armdecode::DecodeArm(*word).kind != kind)
        return std::nullopt;
    return word;
}

std::optional<uint16_t> EncodeThumb(ThumbKind kind, std::initializer_list<FieldValue> values)
{
    const auto& row = ThumbRowOf(kind);
    const std::optional<uint32_t> half = Place(row.value, row.fields, values);
    if (!half || *half > 0xFFFF || zk::armdecode::DecodeThumb(static_cast<uint16_t>(*half)).kind != kind)
        return std::nullopt;
    return static_cast<uint16_t>(*half);
}

std::optional<RotatedImmediate> EncodeRotated(uint32_t value)
{
    for (uint32_t rotate = 0; rotate < 16; ++rotate) {
        const uint32_t imm = std::rotl(value, static_cast<int>(2 * rotate));
        if (imm <= 0xFF)
            return RotatedImmediate{imm, rotate};
    }
    return std::nullopt;
}

}  // namespace pirell::as
