// The EPP controller box on the parallel port: the register sequences the
// box's firmware accepts (command, data and walk bytes, nibble read-back),
// detection, the EPP test and the plain-cable loop-back. With EPP enabled and
// a fast speed index (0 to 2) data and walk bytes go out as EPP data cycles;
// otherwise the driver performs the handshake on the standard registers.
#pragma once

#include <cstdint>

#include "jtagscan/scan_engine.h"

namespace rimbolt {

class BoxLink : public jtag::Link {
public:
    uint16_t base = 0;
    bool epp = false;
    unsigned speedIndex = 7;
    unsigned pollLimit = 1800;
    bool altWalks = false;
    uint8_t error = 0;

    uint8_t ShiftByte(uint8_t value, bool capture) override;
    uint8_t ShiftLast(uint8_t value, unsigned count, bool capture) override;
    bool Walk(uint8_t from, uint8_t to, bool tdi, bool wantTdo) override;
    void WalkFromUndetermined() override;

    // The walk code from one named state to another (TDI in bit 7 clear).
    uint8_t WalkCode(uint8_t from, uint8_t to) const;

    void Command(uint8_t command);
    void Data(uint8_t value);
    void WalkByte(uint8_t code);
    uint8_t ReadByte();
    bool ReadLastTdo();
    uint8_t ReadInputs();
    void WriteOutputs(uint8_t image);

    bool DetectBox();
    bool EppTest();
    // Tries the ECR, then the SMC chip; error 2 when EPP cycles still fail.
    void EnableEpp();

private:
    uint16_t Port(uint16_t offset) const { return static_cast<uint16_t>(base + offset); }
    void Control(uint8_t value);
    uint8_t Status();
    bool Fast() const { return epp && speedIndex <= 2; }
    void WaitReady();
    // Polls status bit 7; error 5 when the limit runs out.
    void WaitHandshake();
    uint8_t ReadNibbles(uint8_t highControl, uint8_t lowControl);
};

}  // namespace rimbolt
