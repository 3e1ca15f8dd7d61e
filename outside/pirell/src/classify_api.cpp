// The classifier's entry points: over a buffer of code, at an address of
// target memory, and the library-call test of a call.
#include <cstring>

#include "classifier.h"
#include "quinar/quinar.h"
#include "target_code.h"

namespace pirell {

namespace {

std::optional<uint16_t> Half(std::optional<uint32_t> v)
{
    if (!v)
        return std::nullopt;
    return static_cast<uint16_t>(*v);
}

// The instruction at an address of target memory, with its neighbours from
// the target.
int ClassifyAt(uint32_t address, Classified* out)
{
    uint32_t value = 0;
    if (IsThumbCode(address)) {
        if (const int r = ReadInstruction(address, 2, &value); r != 0)
            return r;
        *out = ClassifyThumb(static_cast<uint16_t>(value), Half(InstructionAt(int64_t{address} + 2, 2)), address,
                             Half(InstructionAt(int64_t{address} - 2, 2)));
        return 0;
    }
    if (const int r = ReadInstruction(address, 4, &value); r != 0)
        return r;
    *out = ClassifyArm(value, address, InstructionAt(int64_t{address} - 4, 4));
    return 0;
}

// A call's target that is only a "bx rN" (the compiler's way of calling a
// register from Thumb code on ARMv4T) stands for the register's target.
bool IsRegisterVeneer(uint32_t target)
{
    if (IsThumbCode(target)) {
        const auto h = InstructionAt(target, 2);
        return h && ThumbBxRegister(static_cast<uint16_t>(*h)).value_or(14) != 14;
    }
    const auto w = InstructionAt(target, 4);
    return w && ArmBxRegister(*w).value_or(14) != 14;
}

}  // namespace

}  // namespace pirell

using namespace pirell;

extern "C" {

int DadClassifyInstruction(const BYTE* code, DWORD size, DWORD position, DWORD address, DWORD flags,
                           DadInstruction* out)
{
    if (!code || !out)
        return -1;
    const bool thumb = (flags & DAD_CODE_THUMB) != 0;
    const bool big = (flags & DAD_CODE_BIG_ENDIAN) != 0;
    const DWORD width = thumb ? 2 : 4;
    auto at = [&](int64_t offset) -> std::optional<uint32_t> {
        if (offset >= 0 && offset + width <= size)
            return CodeValue(code + offset, width, big);
        return InstructionAt(int64_t{address} + offset, width);
    };
    for (DWORD pos = position; pos + width <= size;) {
        const uint32_t here = address + pos;
        const Classified c = thumb ? ClassifyThumb(static_cast<uint16_t>(*at(pos)), Half(at(int64_t{pos} + 2)), here,
                                                   Half(at(int64_t{pos} - 2)))
                                   : ClassifyArm(*at(pos), here, at(int64_t{pos} - 4));
        if (c.kind != DAD_KIND_PLAIN) {
            *out = {c.kind, pos, c.length, c.target};
            return 0;
        }
        pos += c.length;
    }
    *out = {DAD_KIND_PLAIN, size, 0, DAD_TARGET_UNKNOWN};
    return 0;
}

int DadGetCallInfo(ADDR address, DWORD* kind, DWORD* length, DWORD* target)
{
    Classified c;
    if (const int r = ClassifyAt(address.off, &c); r != 0)
        return r;
    if (kind)
        *kind = c.kind;
    if (length)
        *length = c.length;
    if (target)
        *target = c.target;
    return 0;
}

int DadIsLibFuncCall(DWORD word, ADDR address)
{
    uint8_t bytes[4];
    std::memcpy(bytes, &word, sizeof bytes);
    const bool big = BigEndianTarget();
    Classified c;
    if (IsThumbCode(address.off)) {
        c = ClassifyThumb(static_cast<uint16_t>(CodeValue(bytes, 2, big)),
                          static_cast<uint16_t>(CodeValue(bytes + 2, 2, big)), address.off,
                          Half(InstructionAt(int64_t{address.off} - 2, 2)));
    } else {
        c = ClassifyArm(CodeValue(bytes, 4, big), address.off, InstructionAt(int64_t{address.off} - 4, 4));
    }
    if (c.kind != DAD_KIND_CALL || c.target == DAD_TARGET_UNKNOWN || IsRegisterVeneer(c.target))
        return DAD_CALL_WITH_SOURCE;
    return SymAddrToSourceLine(c.target, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) == SYM_OK
               ? DAD_CALL_WITH_SOURCE
               : DAD_CALL_LIBRARY;
}

}  // extern "C"
