// The call stack of the stopped target, found frame by frame with the
// call-frame rules: registers of the innermost frame from the CPU model,
// saved registers from target memory.
#pragma once

#include <cstdint>
#include <vector>

#include "frame_rules.h"
#include "handles.h"

namespace quinar {

struct WalkFrame {
    uint32_t regs[SYM_FRAME_REGISTERS] = {};
    uint32_t known = 0;  // bit r: regs[r] holds the register's value in this frame
    uint32_t cfa = 0;    // valid once the caller was looked for and found
    enum class Caller : uint8_t { NotLooked, None, Found } caller = Caller::NotLooked;

    // Every frame knows its PC: r15.
    uint32_t Pc() const { return regs[15]; }
    void SetPc(uint32_t pc)
    {
        regs[15] = pc;
        known |= 1u << 15;
    }
};

class FrameWalk {
public:
    // Starts a new walk at the target's registers with pc as r15; the
    // handles of the walk before are retired. SYM_E_NO_VALUE when no
    // register can be read.
    SymResult Start(uint32_t pc);
    // The handle of the n-th frame (0 innermost).
    uint32_t HandleOf(uint32_t n) const { return handles_.HandleOf(n); }
    // The frame a handle names, kNone when it names none of this walk.
    uint32_t PositionOf(uint32_t handle) const { return handles_.PositionIn(handle, frames_); }
    // The caller of frame n, found when first asked: false when it has none.
    bool FindCaller(FrameRules& rules, uint32_t n);
    const WalkFrame& Frame(uint32_t n) const { return frames_[n]; }

private:
    std::vector<WalkFrame> frames_;
    HandleSpace handles_{SYM_KIND_FRAME};
};

FrameWalk& Walk();

}  // namespace quinar
