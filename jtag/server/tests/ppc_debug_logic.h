// Simulated PowerPC debug logic for the probe layers' tests.
//
// The 403's JTAG logic plugs into the simulated TAP: a 4-bit instruction
// register with 5 (run control: the command byte in bits 24-31 when bit 32
// is set; captures bit 0 = halted), 7 (executes the 33-bit data register's
// word when bit 32 is set; captures the status, bit 1 = busy) and 11 (the
// debug data register, special register 1011). Output pin 0 of the box is
// the reset line.
//
// The 8xx development port takes instructions and exchanges data words with
// special register 630, answering 0 or an injected 1 to 3.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "portio/sim_port.h"
#include "ppc/ppc8xx.h"
#include "ppc_core_model.h"

namespace ppctest {

class Ppc403Logic {
public:
    // Plugs the three registers into the port's TAP (after the port's Reset).
    explicit Ppc403Logic(portio::SimulatedPort& port);

    CoreModel core;
    bool halted = true;
    int busyReads = 0;  // status reads that still answer busy
    std::vector<uint8_t> commands;  // run-control command bytes taken
    std::vector<bool> commandLine;  // the reset line at each command
    unsigned resets = 0;
    uint64_t ignored = 0;  // instructions sent while the core ran

    bool ResetLine() const;

private:
    class RunControl;
    class Execute;
    class DataRegister;
    portio::SimulatedPort& port_;
};

// Every word sent is executed; SPR 630 moves on the exchanges.
class Ppc8xxPort : public ppc::DevPortCable {
public:
    CoreModel core;
    bool running = false;
    // Answers given instead of valid data, first to last (then 0 again);
    // `answerForever` answers it on every exchange.
    std::vector<uint8_t> injected;
    uint8_t answerForever = 0;
    uint64_t exchanges = 0;
    uint64_t instructions = 0;

    void SendInstruction(uint32_t word) override;
    ppc::PortAnswer ExchangeData(uint32_t word) override;

private:
    int pendingTo_ = -1;  // the register a sent "move from 630" waits to fill
};

}  // namespace ppctest
