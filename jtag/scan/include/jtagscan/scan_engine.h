// The scans and walks both JTAG drivers share: the bit-string convention of
// the driver interface (include/jtag_driver.h), the last bit carried by the
// walk out of the shift state, reverse order, word swap and partial windows.
// A driver supplies the hardware side as a Link: the EPP box sends transfers,
// the passive cable toggles TCK itself.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace jtag {

class Link {
public:
    virtual ~Link() = default;
    // Eight bits of `value`, least significant first, TMS 0. With capture the
    // eight TDO bits come back, the first in bit 0.
    virtual uint8_t ShiftByte(uint8_t value, bool capture) = 0;
    // The low `count` bits (1 to 8) of a scan's last byte. With capture the
    // TDO bits come back left-aligned: the first in bit 8 - count.
    virtual uint8_t ShiftLast(uint8_t value, unsigned count, bool capture) = 0;
    // From state `from` to `to` (both 0-5) with TDI held at `tdi`. With
    // wantTdo, the TDO bit of the first clock (the one leaving a shift state).
    virtual bool Walk(uint8_t from, uint8_t to, bool tdi, bool wantTdo) = 0;
    // The walk that ends a scan: its first clock shifts the scan's last bit.
    virtual bool WalkOut(uint8_t from, uint8_t to, bool tdi, bool wantTdo) { return Walk(from, to, tdi, wantTdo); }
    // Out of the undetermined state: TMS 1 six times, then 0 (Run-Test/Idle).
    virtual void WalkFromUndetermined() = 0;
};

enum class ScanKind { Out, In, InOut };

struct ScanOptions {
    bool reverse = false;            // run the buffer from its last byte
    bool wordSwap = false;           // 16-bit words with their bytes exchanged
    uint8_t fill = 0x00;             // shifted where no data are given
    bool markOutsideWindow = false;  // partial scans store 0xCC in whole bytes outside the window
};

class ScanEngine {
public:
    explicit ScanEngine(Link& link) : link_(link) {}

    ScanOptions& Options() { return options_; }
    uint8_t State() const { return state_; }
    // Records a state without clocking (6: undetermined); other numbers are
    // no state and change nothing.
    void JumpTo(uint8_t state)
    {
        if (state <= 6)
            state_ = state;
    }

    // Walks to `target` (0-5); false and nothing done for any other number.
    // From the undetermined state the TAP first goes to Run-Test/Idle and the
    // walk goes on from there.
    bool MoveTo(uint8_t target, bool tdi = false);

    // scan_out, scan_in, scan_io. `reg` 0 is the instruction register.
    void Scan(ScanKind kind, uint8_t reg, uint16_t bits, const uint8_t* data, uint8_t* capture, uint8_t endState);
    // Clocks the bits in the current state, without walking in or out.
    void ScanOnly(uint16_t bits, const uint8_t* data, uint8_t* capture);
    // Shifts every bit (or, with complete 0, up to the window's end) but keeps
    // TDO only for the bytes of the window from startBit, `bitsIn` bits long.
    void ScanPartial(uint8_t reg, uint16_t bits, uint16_t startBit, uint16_t bitsIn, const uint8_t* data,
                     uint8_t* capture, bool complete, uint8_t endState);

private:
    struct Walkway {
        const uint8_t* source = nullptr;  // data or its swapped copy; null: the fill byte
        int start = 0;
        int step = 1;
    };
    Walkway Plan(uint16_t bits, const uint8_t* data);
    uint8_t Out(const Walkway& way, int index) const { return way.source ? way.source[index] : options_.fill; }
    // The last byte of k bits: k - 1 shifted, the last one carried by the walk
    // to the end state; with capture, the byte right-aligned.
    uint8_t LastByte(uint8_t out, unsigned k, bool capture, uint8_t endState);
    void SwapCapturedWords(uint16_t bits, uint8_t* capture) const;

    Link& link_;
    ScanOptions options_;
    uint8_t state_ = 6;
    std::vector<uint8_t> swapCopy_;
};

// The driver's log file: created (truncated) on, closed off. A log that
// cannot be created stays closed.
class DriverLog {
public:
    explicit DriverLog(const char* fileName) : fileName_(fileName) {}
    ~DriverLog() { Off(); }
    void On();
    void Off();
    bool IsOpen() const { return file_ != nullptr; }
    // A new entry: the current line is ended first.
    void Entry(const std::string& text);
    // More text on the current line.
    void Append(const std::string& text);

private:
    const char* fileName_;
    std::FILE* file_ = nullptr;
};

}  // namespace jtag
