// Handles: 32-bit keys whose top four bits carry the kind of what they name
// (SymKind) and whose low 28 bits a serial number. Serials are never handed
// out twice in a process, so a handle kept across a clear names nothing
// instead of something else.
#pragma once

#include <cstdint>

#include "quinar/quinar.h"

namespace quinar {

inline constexpr uint32_t kNone = 0xFFFFFFFFu;  // "no record" in every index field
inline constexpr uint32_t kKindShift = 28;
inline constexpr uint32_t kSerialMask = (1u << kKindShift) - 1;

inline constexpr uint32_t MakeHandle(SymKind kind, uint32_t serial)
{
    return (static_cast<uint32_t>(kind) << kKindShift) | (serial & kSerialMask);
}
inline constexpr SymKind KindOf(uint32_t handle)
{
    return static_cast<SymKind>(handle >> kKindShift);
}
inline constexpr uint32_t SerialOf(uint32_t handle)
{
    return handle & kSerialMask;
}

// Handles of records kept in a vector: serial = base + position. A clear
// moves the base past every serial handed out, so old handles miss.
class HandleSpace {
public:
    explicit HandleSpace(SymKind kind) : kind_(kind) {}
    uint32_t HandleOf(uint32_t position) const { return MakeHandle(kind_, base_ + position); }
    // Position of a handle among `count` records, kNone when it names none of them.
    uint32_t PositionOf(uint32_t handle, uint32_t count) const
    {
        if (KindOf(handle) != kind_)
            return kNone;
        uint32_t serial = SerialOf(handle);
        if (serial < base_ || serial - base_ >= count)
            return kNone;
        return serial - base_;
    }
    template <class Records>
    uint32_t PositionIn(uint32_t handle, const Records& records) const
    {
        return PositionOf(handle, static_cast<uint32_t>(records.size()));
    }
    void Retire(uint32_t count)
    {
        base_ += count;
        if (base_ > kSerialMask / 2)
            base_ = 1;  // wraps after 2^27 records
    }

private:
    SymKind kind_;
    uint32_t base_ = 1;  // serial 0 is never used, so no handle is 0
};

}  // namespace quinar
