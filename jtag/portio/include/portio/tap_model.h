// An IEEE 1149.1 test access port: the 16-state controller, an instruction
// register of a set length, BYPASS, IDCODE and data registers that a device
// model plugs in. TMS and TDI are taken on the rising TCK edge, TDO changes on
// the falling one. Every Update-IR and Update-DR value is recorded, so tests
// can compare what two drivers did to the target.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace portio {

enum class TapState : uint8_t {
    TestLogicReset,
    RunTestIdle,
    SelectDrScan,
    CaptureDr,
    ShiftDr,
    Exit1Dr,
    PauseDr,
    Exit2Dr,
    UpdateDr,
    SelectIrScan,
    CaptureIr,
    ShiftIr,
    Exit1Ir,
    PauseIr,
    Exit2Ir,
    UpdateIr,
};
inline constexpr int kTapStateCount = 16;

TapState NextTapState(TapState state, bool tms);
const char* TapStateName(TapState state);

// A bit string, element 0 nearest TDO (the first bit shifted out and in).
using TapBits = std::vector<bool>;
TapBits BitsOf(uint64_t value, unsigned length);
uint64_t ValueOf(const TapBits& bits);  // the low 64 bits

// A data register of a device behind the TAP.
class TapDataRegister {
public:
    virtual ~TapDataRegister() = default;
    virtual unsigned Length() const = 0;
    // The parallel value loaded in Capture-DR.
    virtual TapBits Capture() = 0;
    // The value latched in Update-DR.
    virtual void Update(const TapBits& value) = 0;
};

// A register that captures what was last written to it (starts at zero).
class LatchRegister : public TapDataRegister {
public:
    explicit LatchRegister(unsigned length) : value_(length, false) {}
    unsigned Length() const override { return static_cast<unsigned>(value_.size()); }
    TapBits Capture() override { return value_; }
    void Update(const TapBits& value) override { value_ = value; }
    const TapBits& Value() const { return value_; }

private:
    TapBits value_;
};

struct TapUpdate {
    bool instruction = false;  // Update-IR (true) or Update-DR
    uint32_t selected = 0;     // the instruction in force for a DR update
    TapBits value;
};

class Tap {
public:
    explicit Tap(unsigned irLength = 4);

    unsigned IrLength() const { return irLength_; }
    // The IDCODE instruction and its 32-bit value; Test-Logic-Reset selects it.
    void SetIdcode(uint32_t instruction, uint32_t idcode);
    // A data register selected by `instruction` (replaces any earlier one).
    void Plug(uint32_t instruction, std::shared_ptr<TapDataRegister> reg);

    // One TCK cycle: returns TDO as seen after the rising edge (it changes only
    // on the falling edge, so this is the bit the rising edge shifted out).
    bool Clock(bool tms, bool tdi);
    // The edges one by one, for hosts that drive TCK as a pin.
    void Rising(bool tms, bool tdi);
    void Falling();
    bool Tdo() const { return tdo_; }

    // TRST: held asserted, the controller stays in Test-Logic-Reset.
    void SetTrst(bool asserted);
    bool TrstAsserted() const { return trst_; }

    TapState State() const { return state_; }
    uint32_t Instruction() const { return instruction_; }
    uint32_t BypassInstruction() const { return (1u << irLength_) - 1; }
    const std::vector<TapUpdate>& Updates() const { return updates_; }
    void ClearUpdates() { updates_.clear(); }
    uint64_t Clocks() const { return clocks_; }

private:
    void EnterTestLogicReset();
    TapDataRegister* Selected();

    unsigned irLength_;
    TapState state_ = TapState::TestLogicReset;
    uint32_t instruction_ = 0;
    TapBits shift_;  // the register between TDI and TDO while shifting
    bool tdo_ = true;
    bool trst_ = false;
    bool pendingUpdate_ = false;
    uint64_t clocks_ = 0;
    bool hasIdcode_ = false;
    uint32_t idcodeInstruction_ = 0;
    std::map<uint32_t, std::shared_ptr<TapDataRegister>> registers_;
    LatchRegister bypass_{1};
    std::vector<TapUpdate> updates_;
};

}  // namespace portio
