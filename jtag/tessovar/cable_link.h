// The passive JTAG cable: every TCK edge is a write of the data register
// (bit 1 TMS, bit 2 TCK, bit 3 TDI, bit 4 TRST active low, bit 7 always 1),
// TDO comes back inverted on status bit 7, and a software delay loop sets the
// pace.
#pragma once

#include <cstdint>

#include "jtagscan/scan_engine.h"

namespace tessovar {

class CableLink : public jtag::Link {
public:
    uint16_t base = 0;
    uint8_t image = 0x80;
    uint32_t delayCount = 1;
    uint8_t captured = 0;  // the last captured byte
    uint8_t lastTdo = 0;   // 0x80 or 0: the TDO bit of a walk's first clock

    uint8_t ShiftByte(uint8_t value, bool capture) override;
    uint8_t ShiftLast(uint8_t value, unsigned count, bool capture) override;
    bool Walk(uint8_t from, uint8_t to, bool tdi, bool wantTdo) override;
    bool WalkOut(uint8_t from, uint8_t to, bool tdi, bool wantTdo) override;
    void WalkFromUndetermined() override;

    // The TMS pattern (bit 0 first) and clock count from one named state to
    // another.
    struct Walkway {
        uint8_t pattern;
        uint8_t clocks;
    };
    static Walkway WalkOf(uint8_t from, uint8_t to);

    void WriteData(uint8_t value);
    uint8_t Status();
    // The image with TCK high, as the output commands write it.
    void WriteImage() { WriteData(static_cast<uint8_t>((image + 4) | 0x80)); }
    // The delay loop: delayCount iterations.
    void Spin() const;

private:
    void Clock(bool tdi, bool tms);
    uint8_t Shift(uint8_t value, unsigned count, bool capture);
    void Clocks(uint8_t pattern, unsigned count, bool tdi);
};

}  // namespace tessovar
