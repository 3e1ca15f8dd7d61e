// Where a variable lives at a stop: its DWARF location description at the
// PC, with registers, memory and the frame base read from the target; or
// the location words of a reader that gives no description.
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
    const LocationRef* ref = s.LocationOf(handle);
    if (ref && ref->stored) {
        const uint8_t* expr = nullptr;
        uint32_t length = 0;
        if (!pc || SymGetLocationAt(handle, *pc, &expr, &length) != SYM_OK)
            return SYM_E_NO_VALUE;
        DwarfLocation where;
        if (SymResult r = EvaluateDwarfLocation(expr, length, TargetMachine(s, v.function, *pc), &where); r != SYM_OK)
            return r;
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
