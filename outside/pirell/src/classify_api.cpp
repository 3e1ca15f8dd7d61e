// The classifier's entry points: over a buffer of code, at an address of
// target memory, and the library-call test of a call.
#include <cstring>

#include "armdecode/arm_decode.h"
#include "classifier.h"
#include "quinar/symbol_store.h"
#include "target_code.h"

namespace pirell {

namespace {

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

// The linker's interworking veneers (ARMv4T): "ldr ip, [pc]; bx ip; .word
// f" from ARM code, "bx pc; nop; b f" (or the ARM veneer) from Thumb code.
// The function a veneer leads to, or nothing for other code.
std::optional<uint32_t> VeneerTarget(uint32_t at, int hops = 2)
{
    if (hops == 0)
        return std::nullopt;
    if (IsThumbCode(at)) {
        // bx pc: on in ARM state at the word after it.
        const auto h = InstructionAt(at, 2);
        if (!h || ThumbBxRegister(static_cast<uint16_t>(*h)).value_or(0) != 15)
            return std::nullopt;
        const uint32_t arm = (at + 4) & ~3u;
        const auto w = InstructionAt(arm, 4);
        if (!w)
            return std::nullopt;
        const Classified c = ClassifyArm(*w, arm, std::nullopt);
        if (c.kind == DAD_KIND_BRANCH && c.target != DAD_TARGET_UNKNOWN)
            return c.target;
        return VeneerTarget(arm, hops - 1);
    }
    const auto load = InstructionAt(at, 4);
    const auto bx = InstructionAt(int64_t{at} + 4, 4);
    if (!load || !bx)
        return std::nullopt;
    const auto& row = zk::armdecode::DecodeArm(*load);
    using zk::armdecode::FieldId;
    auto f = [&](FieldId id) { return zk::armdecode::Field(row, *load, id); };
    if (row.kind != zk::armdecode::ArmKind::SingleTransferImm || !f(FieldId::Load) || f(FieldId::Rn) != 15 ||
        !f(FieldId::PreIndex) || !f(FieldId::Up) || f(FieldId::Byte) || ArmBxRegister(*bx) != f(FieldId::Rd))
        return std::nullopt;
    // The PC reads as the load's address + 8.
    const auto word = InstructionAt(int64_t{at} + 8 + f(FieldId::Imm), 4);
    if (!word)
        return std::nullopt;
    return *word & ~1u;
}

// A call's target that is only a "bx rN" (the compiler's way of calling a
// register from Thumb code on ARMv4T) stands for the register's target.
bool IsRegisterVeneer(uint32_t target)
{
    // bx lr returns; bx pc is the switch of an interworking veneer.
    auto viaRegister = [](std::optional<uint32_t> reg) { return reg && *reg != 14 && *reg != 15; };
    if (IsThumbCode(target)) {
        const auto h = InstructionAt(target, 2);
        return h && viaRegister(ThumbBxRegister(static_cast<uint16_t>(*h)));
    }
    const auto w = InstructionAt(target, 4);
    return w && viaRegister(ArmBxRegister(*w));
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
    // Compared without forming pos + width: near 2^32 it wraps, and the
    // scan would go on from a small, misaligned offset.
    for (DWORD pos = position; pos <= size && size - pos >= width;) {
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
    // A call through an interworking veneer goes to the function behind it.
    const uint32_t callee = VeneerTarget(c.target).value_or(c.target);
    return quinar::Symbols().SourceLineAt(callee) ? DAD_CALL_WITH_SOURCE : DAD_CALL_LIBRARY;
}

}  // extern "C"
