// Where a variable lives at a stop: its DWARF location description at the
// PC, with registers, memory and the frame base read from the target; or
// the location words of a reader that gives no description. A constant, or
// an object in parts at several places, is its value instead.
#include <algorithm>
#include <span>
#include <vector>

#include "dwarf_location.h"
#include "expressions.h"

namespace quinar {

namespace {

// ARM registers in DWARF: 0-15 are r0-r15 (higher numbers name
// floating-point registers, which the CPU model does not have).
constexpr uint32_t kDwarfCoreRegisters = 16;

SymResult FrameBaseAt(Store& s, uint32_t function, uint32_t pc, uint32_t* base);

DwarfMachine TargetMachine(Store& s, uint32_t function, uint32_t pc)
{
    DwarfMachine m;
    m.readRegister = [](uint32_t reg, uint32_t* value) {
        return reg < kDwarfCoreRegisters ? ReadTargetRegister(reg, value) : SYM_E_NO_VALUE;
    };
    m.readMemory = ReadTargetWord;
    if (function != kNone)
        m.frameBase = [&s, function, pc](uint32_t* base) { return FrameBaseAt(s, function, pc, base); };
    m.bigEndian = TargetBigEndian();
    return m;
}

// Bytes laid out as in target memory (at most 8): a value place.
Place ValueOf(std::span<const uint8_t> bytes, bool bigEndian)
{
    Place place;
    place.isValue = true;
    place.size = static_cast<uint32_t>(std::min<size_t>(bytes.size(), 8));
    for (uint32_t i = 0; i < place.size; ++i)
        place.bits = (place.bits << 8) | bytes[bigEndian ? i : place.size - 1 - i];
    return place;
}

// The first 8 bytes of an object in parts (the rest is not read: no value
// this library reads is longer); SYM_E_NO_VALUE when a part among them is
// optimised out or unreadable.
SymResult ComposePieces(const std::vector<DwarfPiece>& pieces, bool bigEndian, Place* place)
{
    uint8_t bytes[8] = {};
    uint32_t filled = 0;
    for (const DwarfPiece& piece : pieces) {
        if (filled == sizeof bytes)
            break;
        if (piece.kind == DwarfPiece::Missing)
            return SYM_E_NO_VALUE;
        if (piece.kind == DwarfPiece::Register && piece.where >= kDwarfCoreRegisters)
            return SYM_E_NO_VALUE;
        const uint32_t size = std::min<uint32_t>(piece.size, sizeof bytes - filled);
        uint64_t v = 0;
        if (SymResult r = ReadPlace({piece.kind == DwarfPiece::Register, piece.where}, size, &v); r != SYM_OK)
            return r;
        for (uint32_t i = 0; i < size; ++i)
            bytes[filled + i] = static_cast<uint8_t>(v >> (8 * (bigEndian ? size - 1 - i : i)));
        filled += size;
    }
    *place = ValueOf({bytes, filled}, bigEndian);
    return SYM_OK;
}

SymResult FrameBaseAt(Store& s, uint32_t function, uint32_t pc, uint32_t* base)
{
    const uint8_t* expr = nullptr;
    uint32_t length = 0;
    if (SymGetLocationAt(s.FunctionHandle(function), pc, &expr, &length) != SYM_OK)
        return SYM_E_NO_VALUE;
    return EvaluateDwarfFrameBase(expr, length, TargetMachine(s, kNone, pc), base);
}

}  // namespace

bool LocationHoldsAt(Store& s, uint32_t handle, uint32_t pc)
{
    const LocationRef* ref = s.LocationOf(handle);
    return !ref || !ref->stored || SymGetLocationAt(handle, pc, nullptr, nullptr) == SYM_OK;
}

SymResult PlaceOfVariable(Store& s, uint32_t handle, const uint32_t* pc, Place* place)
{
    const uint32_t at = s.VariablePosition(handle);
    if (at == kNone)
        return SYM_E_BAD_HANDLE;
    const Variable& v = s.Variables()[at];
    if (v.hasConstValue) {
        if (pc && !LocationHoldsAt(s, handle, *pc))
            return SYM_E_NO_VALUE;
        *place = ValueOf(s.ConstValueOf(v), TargetBigEndian());
        return SYM_OK;
    }
    const LocationRef* ref = s.LocationOf(handle);
    if (ref && ref->stored) {
        const uint8_t* expr = nullptr;
        uint32_t length = 0;
        if (!pc || SymGetLocationAt(handle, *pc, &expr, &length) != SYM_OK)
            return SYM_E_NO_VALUE;
        const DwarfMachine machine = TargetMachine(s, v.function, *pc);
        DwarfLocation where;
        std::vector<DwarfPiece> pieces;
        if (SymResult r = EvaluateDwarfPieces(expr, length, machine, &where, &pieces); r != SYM_OK)
            return r;
        if (!pieces.empty())
            return ComposePieces(pieces, machine.bigEndian, place);
        if (where.inRegister && where.where >= kDwarfCoreRegisters)
            return SYM_E_NO_VALUE;
        *place = {where.inRegister, where.where};
        return SYM_OK;
    }
    if (v.isRegister) {
        if (v.location[0] >= kDwarfCoreRegisters)
            return SYM_E_NO_VALUE;
        *place = {true, v.location[0]};
        return SYM_OK;
    }
    if (v.HasAddress()) {
        *place = {false, v.start};
        return SYM_OK;
    }
    // A frame offset from the function's frame base.
    uint32_t base = 0;
    if (!pc || v.function == kNone)
        return SYM_E_NO_VALUE;
    if (SymResult r = FrameBaseAt(s, v.function, *pc, &base); r != SYM_OK)
        return r;
    *place = {false, base + v.location[0]};
    return SYM_OK;
}

}  // namespace quinar
