// The PowerPC 403 over its JTAG debug port: instruction 7 executes the data
// word, instruction 11 reaches the debug data register (special register
// 1011), instruction 5 the run control.
#pragma once

#include <cstdint>

#include "ppc/ibm_access.h"
#include "ppc/stuffed_core.h"

namespace ppc {

class Ppc403 : public StuffedCore {
public:
    explicit Ppc403(IbmAccess& access) : access_(access) {}

    // The run-control byte of the connection (starts 0xA0).
    void SetRunControlByte(uint8_t value) { runControl_ = value; }
    uint8_t RunControlByte() const { return runControl_; }

    bool Running();
    bool Go();
    bool Stop();  // true when the core reports halted
    bool Step();
    bool ResetAndRun();
    bool ResetAndHalt();

    // The program counter, through the link register.
    uint32_t ReadPc();
    void WritePc(uint32_t value);

    // Invalidates both caches class by class where they are enabled.
    void InvalidateCaches();

    // The cache control registers as last read.
    uint32_t DataCacheControl() const { return dccr_; }
    uint32_t InstructionCacheControl() const { return iccr_; }

    // Reads of the data word before an instruction until bit 1 (busy) clears.
    static constexpr int kReadyPolls = 200;

protected:
    void Execute(uint32_t word) override;
    uint32_t GetGpr(unsigned n) override;
    void SetGpr(unsigned n, uint32_t value) override;
    void BeforeWrite() override;
    void AfterStore(uint32_t address, size_t written) override;
    void AfterWrite(uint32_t address) override;

private:
    uint32_t RunStatus();
    void MaintainCaches(uint32_t address);

    IbmAccess& access_;
    uint8_t runControl_ = 0xA0;
    uint32_t dccr_ = 0;
    uint32_t iccr_ = 0;
};

}  // namespace ppc
