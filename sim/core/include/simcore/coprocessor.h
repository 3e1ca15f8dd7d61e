// The port through which MRC and MCR reach the system control coprocessor
// (CP15, the only coprocessor of the core). With none installed every MRC and
// MCR is refused, which the executor turns into an undefined instruction.
#pragma once

#include <cstdint>

#include "simcore/cpu_state.h"

namespace zk::sim {

enum class Cp15Write : uint8_t {
    Refused,
    Done,
    // The write asks for a reset of the whole simulator. Nothing was stored:
    // the caller performs the reset once the instruction (or command) that
    // wrote has finished, since the reset frees what that instruction uses.
    ResetRequested,
};

class Coprocessor15 {
public:
    virtual ~Coprocessor15() = default;
    // MRC p15, opcode1, Rd, CRn, CRm, opcode2: false when refused.
    virtual bool Read(unsigned opcode1, unsigned crn, unsigned crm, unsigned opcode2, Mode mode, uint32_t& value) = 0;
    // MCR.
    virtual Cp15Write Write(unsigned opcode1, unsigned crn, unsigned crm, unsigned opcode2, Mode mode,
                            uint32_t value) = 0;
};

}  // namespace zk::sim
