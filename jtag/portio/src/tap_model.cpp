#include "portio/tap_model.h"

#include <array>

namespace portio {

namespace {

using S = TapState;

// The controller's next state for TMS 0 and TMS 1.
constexpr std::array<std::array<TapState, 2>, kTapStateCount> kNext = {{
    {S::RunTestIdle, S::TestLogicReset},  // Test-Logic-Reset
    {S::RunTestIdle, S::SelectDrScan},    // Run-Test/Idle
    {S::CaptureDr, S::SelectIrScan},      // Select-DR-Scan
    {S::ShiftDr, S::Exit1Dr},             // Capture-DR
    {S::ShiftDr, S::Exit1Dr},             // Shift-DR
    {S::PauseDr, S::UpdateDr},            // Exit1-DR
    {S::PauseDr, S::Exit2Dr},             // Pause-DR
    {S::ShiftDr, S::UpdateDr},            // Exit2-DR
    {S::RunTestIdle, S::SelectDrScan},    // Update-DR
    {S::CaptureIr, S::TestLogicReset},    // Select-IR-Scan
    {S::ShiftIr, S::Exit1Ir},             // Capture-IR
    {S::ShiftIr, S::Exit1Ir},             // Shift-IR
    {S::PauseIr, S::UpdateIr},            // Exit1-IR
    {S::PauseIr, S::Exit2Ir},             // Pause-IR
    {S::ShiftIr, S::UpdateIr},            // Exit2-IR
    {S::RunTestIdle, S::SelectDrScan},    // Update-IR
}};

constexpr std::array<const char*, kTapStateCount> kNames = {
    "Test-Logic-Reset", "Run-Test/Idle", "Select-DR-Scan", "Capture-DR",     "Shift-DR",   "Exit1-DR",
    "Pause-DR",         "Exit2-DR",      "Update-DR",      "Select-IR-Scan", "Capture-IR", "Shift-IR",
    "Exit1-IR",         "Pause-IR",      "Exit2-IR",       "Update-IR",
};

class IdcodeRegister : public TapDataRegister {
public:
    explicit IdcodeRegister(uint32_t value) : value_(value) {}
    unsigned Length() const override { return 32; }
    TapBits Capture() override { return BitsOf(value_, 32); }
    void Update(const TapBits&) override {}

private:
    uint32_t value_;
};

}  // namespace

TapState NextTapState(TapState state, bool tms)
{
    return kNext[static_cast<unsigned>(state)][tms ? 1 : 0];
}

const char* TapStateName(TapState state)
{
    return kNames[static_cast<unsigned>(state)];
}

TapBits BitsOf(uint64_t value, unsigned length)
{
    TapBits bits(length, false);
    for (unsigned i = 0; i < length && i < 64; ++i)
        bits[i] = (value >> i) & 1;
    return bits;
}

uint64_t ValueOf(const TapBits& bits)
{
    uint64_t value = 0;
    for (size_t i = 0; i < bits.size() && i < 64; ++i)
        value |= static_cast<uint64_t>(bits[i]) << i;
    return value;
}

Tap::Tap(unsigned irLength) : irLength_(irLength < 2 ? 2 : (irLength > 32 ? 32 : irLength))
{
    EnterTestLogicReset();
}

void Tap::SetIdcode(uint32_t instruction, uint32_t idcode)
{
    hasIdcode_ = true;
    idcodeInstruction_ = instruction;
    registers_[instruction] = std::make_shared<IdcodeRegister>(idcode);
    if (state_ == TapState::TestLogicReset)
        instruction_ = instruction;
}

void Tap::Plug(uint32_t instruction, std::shared_ptr<TapDataRegister> reg)
{
    registers_[instruction] = std::move(reg);
}

void Tap::EnterTestLogicReset()
{
    state_ = TapState::TestLogicReset;
    instruction_ = hasIdcode_ ? idcodeInstruction_ : BypassInstruction();
    tdo_ = true;
}

TapDataRegister* Tap::Selected()
{
    auto it = registers_.find(instruction_);
    return it == registers_.end() ? &bypass_ : it->second.get();
}

void Tap::SetTrst(bool asserted)
{
    trst_ = asserted;
    if (asserted)
        EnterTestLogicReset();
}

void Tap::Rising(bool tms, bool tdi)
{
    ++clocks_;
    if (trst_)
        return;
    switch (state_) {
    case TapState::CaptureDr: shift_ = Selected()->Capture(); break;
    case TapState::CaptureIr:
        // The instruction register captures ...01 (IEEE 1149.1 fixes the two
        // bits nearest TDO).
        shift_ = BitsOf(1, irLength_);
        break;
    case TapState::ShiftDr:
    case TapState::ShiftIr:
        if (!shift_.empty()) {
            shift_.erase(shift_.begin());
            shift_.push_back(tdi);
        }
        break;
    default: break;
    }
    state_ = NextTapState(state_, tms);
    pendingUpdate_ = state_ == TapState::UpdateDr || state_ == TapState::UpdateIr;
}

void Tap::Falling()
{
    if (trst_)
        return;
    if (state_ == TapState::ShiftDr || state_ == TapState::ShiftIr) {
        tdo_ = shift_.empty() ? true : shift_.front();
    } else {
        tdo_ = true;  // TDO is not driven outside the shift states: the pull-up reads 1
    }
    if (pendingUpdate_) {
        pendingUpdate_ = false;
        if (state_ == TapState::UpdateIr) {
            instruction_ = static_cast<uint32_t>(ValueOf(shift_));
            updates_.push_back({true, instruction_, shift_});
        } else {
            Selected()->Update(shift_);
            updates_.push_back({false, instruction_, shift_});
        }
    }
    if (state_ == TapState::TestLogicReset)
        EnterTestLogicReset();
}

bool Tap::Clock(bool tms, bool tdi)
{
    const bool out = tdo_;
    Rising(tms, tdi);
    Falling();
    return out;
}

}  // namespace portio
