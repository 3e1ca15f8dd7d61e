#include "dwarf2_locations.h"

#include "byte_cursor.h"
#include "dwarf2_constants.h"
#include "dwarf2_context.h"

namespace tarnel {
namespace {

// The register DW_OP_breg takes as the frame pointer (r11, fp of the ARM
// procedure call standard).
constexpr uint32_t FRAME_POINTER_REGISTER = 11;

}  // namespace

LocationWords DecodeLocation(const Dwarf2Unit& unit, std::span<const uint8_t> expr)
{
    LocationWords w;
    ByteCursor c(expr, unit.entries.BigEndian());
    while (c.Ok() && !c.AtEnd()) {
        // An operation cut short by the end of the expression gives nothing.
        LocationWords next = w;
        const uint8_t op = c.U8();
        if (op == DW_OP_addr) {
            next.value = static_cast<uint32_t>(c.Fixed(unit.addressSize));
            next.isAddress = true;
        } else if (op == DW_OP_plus_uconst) {
            next.value = static_cast<uint32_t>(c.ULeb128());
        } else if (op >= DW_OP_reg0 && op <= DW_OP_reg31) {
            next.value = op - DW_OP_reg0;
            next.isRegister = true;
        } else if (op >= DW_OP_breg0 && op <= DW_OP_breg31) {
            const int64_t offset = c.SLeb128();
            if (op - DW_OP_breg0 == FRAME_POINTER_REGISTER) {
                next.value = static_cast<uint32_t>(offset);
            } else {
                next.value = op - DW_OP_breg0;
                next.isRegister = true;
            }
        } else if (op == DW_OP_regx) {
            next.value = static_cast<uint32_t>(c.ULeb128());
            next.isRegister = true;
        } else if (op == DW_OP_fbreg) {
            next.value = static_cast<uint32_t>(c.SLeb128());
        } else {
            break;
        }
        if (!c.Ok())
            break;
        w = next;
    }
    return w;
}

std::vector<LocationPiece> LocationPieces(const Dwarf2Unit& unit, const FormValue& value, CodeRange code)
{
    std::vector<LocationPiece> pieces;
    if (value.kind == FormClass::Block) {
        pieces.push_back({0, 0xFFFFFFFF, value.block});
        return pieces;
    }
    if (value.kind != FormClass::Constant)
        return pieces;

    ByteCursor c = unit.locations;
    const uint64_t offset = value.number;
    if (offset >= c.Remaining()) {
        Context(unit).errors.At(c.Section(), offset, "location list offset outside the section");
        return pieces;
    }
    c.SeekTo(offset);
    const unsigned width = unit.addressSize;
    const uint64_t largest = width >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * width)) - 1;
    // Pairs of the unit's base are kept without it first (see above).
    struct Raw {
        uint64_t begin, end, base;
        bool unitBase;
        std::span<const uint8_t> expr;
    };
    std::vector<Raw> raw;
    uint64_t base = unit.baseAddress;
    bool unitBase = true;
    for (;;) {
        const uint64_t begin = c.Fixed(width);
        const uint64_t end = c.Fixed(width);
        if (c.Ok() && begin == 0 && end == 0)
            break;
        if (c.Ok() && begin == largest) {
            base = end;
            unitBase = false;
            continue;
        }
        const std::span<const uint8_t> expr = c.Block(c.U16());
        if (!c.Ok()) {
            Context(unit).errors.Failed(c);
            break;
        }
        if (end > begin)
            raw.push_back({begin, end, base, unitBase, expr});
    }

    const uint64_t codeEnd = code.high == 0xFFFFFFFF ? uint64_t{1} << 32 : code.high;
    auto inCode = [&](bool withUnitBase) {
        for (const Raw& r : raw) {
            const uint64_t b = r.unitBase && !withUnitBase ? 0 : r.base;
            if (r.begin + b < code.low || r.end + b > codeEnd)
                return false;
        }
        return true;
    };
    const bool dropUnitBase = unit.baseAddress != 0 && !inCode(true) && inCode(false);
    for (const Raw& r : raw) {
        const uint64_t b = r.unitBase && dropUnitBase ? 0 : r.base;
        const uint64_t low = r.begin + b, high = r.end + b;
        if (low > 0xFFFFFFFF)
            continue;
        pieces.push_back(
            {static_cast<uint32_t>(low), high > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(high), r.expr});
    }
    return pieces;
}

}  // namespace tarnel
