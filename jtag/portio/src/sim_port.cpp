#include "portio/sim_port.h"

#include <cstdio>

namespace portio {

namespace {

// Control register bits as the box reads them: bit 1 is the strobe, bits 0
// and 2 say what the strobed byte is, bit 3 selects the nibble read-back.
constexpr uint8_t kStrobe = 0x02;
constexpr uint8_t kDataMode = 0x01;
constexpr uint8_t kSecondMode = 0x04;
constexpr uint8_t kNibbleRead = 0x08;

// A passive cable: data bits 1 TMS, 2 TCK, 3 TDI, 4 TRST (low = asserted);
// status bit 7 is TDO inverted. Data bit 6 is looped back to status bit 3,
// which lets a driver tell a cable from an open port.
class PassiveCable : public ParallelDevice {
public:
    explicit PassiveCable(Tap& tap) : tap_(tap) {}
    void DataWritten(uint8_t value) override
    {
        tap_.SetTrst(!(value & 0x10));
        const bool tck = value & 0x04;
        if (tck && !tck_)
            tap_.Rising(value & 0x02, value & 0x08);
        else if (!tck && tck_)
            tap_.Falling();
        tck_ = tck;
        loop_ = value & 0x40;
    }
    uint8_t Status() override { return (tap_.Tdo() ? 0x00 : 0x80) | (loop_ ? 0x08 : 0x00); }

private:
    Tap& tap_;
    bool tck_ = false;
    bool loop_ = false;
};

// Nothing on the connector: the status lines float.
class OpenConnector : public ParallelDevice {
public:
    uint8_t Status() override { return 0x7F; }
};

}  // namespace

std::string FormatTrace(const std::vector<PortOp>& ops)
{
    std::string text;
    char item[16];
    for (const PortOp& op : ops) {
        std::snprintf(item, sizeof item, "%s%c%X=%02X", text.empty() ? "" : " ", op.write ? 'W' : 'R', op.port,
                      op.value);
        text += item;
    }
    return text;
}

// ---- the box ---------------------------------------------------------------

void EppBox::ControlWritten(uint8_t value)
{
    if (!(control_ & kStrobe) && (value & kStrobe))
        Accept(data_, value);
    control_ = value;
}

bool EppBox::EppWrite(uint8_t value)
{
    Accept(value, control_);
    return true;
}

void EppBox::Accept(uint8_t value, uint8_t control)
{
    toggle_ = !toggle_;
    const bool dataMode = control & kDataMode;
    const bool second = control & kSecondMode;
    if (dataMode && second) {
        Shift(value);
    } else if (dataMode) {
        Walk(value);
    } else if (second) {
        commands_.push_back(value);
        speedIndex_ = value & 7;
        const unsigned command = value >> 3;
        if (command == 7)
            ++setups_;
        if (command >= 16 && command <= 23)
            count_ = command - 15;
    } else {
        outputs_ = value;
        tap_.SetTrst(value & 0x80);
    }
}

void EppBox::Shift(uint8_t value)
{
    for (unsigned i = 0; i < count_; ++i) {
        const bool tdo = tap_.Clock(false, (value >> i) & 1);
        captured_ = static_cast<uint8_t>((captured_ >> 1) | (tdo ? 0x80 : 0));
    }
    count_ = 8;
}

void EppBox::Walk(uint8_t code)
{
    for (unsigned i = 0; i < 7; ++i) {
        const bool tdo = tap_.Clock((code >> i) & 1, code & 0x80);
        if (i == 0)
            lastTdo_ = tdo;
    }
}

uint8_t EppBox::Status()
{
    if (control_ & kNibbleRead) {
        const uint8_t value = (control_ & kDataMode) ? captured_ : inputs_;
        const uint8_t nibble = (control_ & kSecondMode) ? (value & 0x0F) : (value >> 4);
        return static_cast<uint8_t>(0x80 | (nibble << 3));
    }
    // Bit 7 set: ready for a handshake byte; bit 6 clear: not busy.
    return static_cast<uint8_t>(0x80 | (toggle_ ? 0x20 : 0) | (lastTdo_ ? 0x10 : 0));
}

// ---- the port --------------------------------------------------------------

SimulatedPort::SimulatedPort(DeviceKind kind, uint16_t base) : kind_(kind), base_(base)
{
    Attach(kind);
}

SimulatedPort::~SimulatedPort() = default;

void SimulatedPort::Reset(DeviceKind kind, const PortFeatures& features)
{
    features_ = features;
    tap_ = Tap(4);
    data_ = 0;
    control_ = 0;
    ecr_ = 0x15;
    smcReg4_ = 0;
    smcUnlock_ = 0;
    smcIndex_ = 0;
    trace_.clear();
    opened_.clear();
    Attach(kind);
}

void SimulatedPort::Attach(DeviceKind kind)
{
    kind_ = kind;
    switch (kind) {
    case DeviceKind::Box: device_ = std::make_unique<EppBox>(tap_); break;
    case DeviceKind::Cable: device_ = std::make_unique<PassiveCable>(tap_); break;
    case DeviceKind::Nothing: device_ = std::make_unique<OpenConnector>(); break;
    }
}

EppBox* SimulatedPort::Box()
{
    return kind_ == DeviceKind::Box ? static_cast<EppBox*>(device_.get()) : nullptr;
}

void SimulatedPort::SetFeatures(const PortFeatures& features)
{
    features_ = features;
}

bool SimulatedPort::EppWorks() const
{
    return features_.eppWithoutSetup || (features_.hasEcr && features_.ecrEnablesEpp && (ecr_ & 0xE0) == 0x80) ||
        (features_.hasSmc && (smcReg4_ & 0x03) == 0x01);
}

bool SimulatedPort::OpenAccess(uint16_t port)
{
    opened_.push_back(port);
    return true;
}

void SimulatedPort::Record(const PortOp& op)
{
    if (trace_.size() >= kTraceLimit)
        trace_.erase(trace_.begin(), trace_.begin() + static_cast<std::ptrdiff_t>(kTraceLimit / 2));
    trace_.push_back(op);
}

void SimulatedPort::Write(uint16_t port, uint8_t value)
{
    Record({true, port, value});
    WriteRegister(port, value);
}

uint8_t SimulatedPort::Read(uint16_t port)
{
    const uint8_t value = ReadRegister(port);
    Record({false, port, value});
    return value;
}

void SimulatedPort::WriteRegister(uint16_t port, uint8_t value)
{
    if (port == kSmcIndexPort || port == kSmcDataPort) {
        WriteSmc(port, value);
        return;
    }
    const uint16_t offset = static_cast<uint16_t>(port - base_);
    switch (offset) {
    case kDataOffset:
        data_ = value;
        device_->DataWritten(value);
        break;
    case kControlOffset:
        control_ = value;
        device_->ControlWritten(value);
        break;
    case kEppDataOffset:
        if (EppWorks())
            device_->EppWrite(value);
        break;
    case kEcrOffset:
        // Bits 0 and 1 (FIFO full and empty) are read-only.
        if (features_.hasEcr)
            ecr_ = static_cast<uint8_t>((value & 0xFC) | 0x01);
        break;
    default: break;
    }
}

uint8_t SimulatedPort::ReadRegister(uint16_t port)
{
    if (port == kSmcDataPort && features_.hasSmc && smcUnlock_ == 2 && smcIndex_ == 4)
        return smcReg4_;
    if (port == kSmcIndexPort || port == kSmcDataPort)
        return 0xFF;
    const uint16_t offset = static_cast<uint16_t>(port - base_);
    switch (offset) {
    case kDataOffset: return data_;
    case kStatusOffset: return device_->Status();
    case kControlOffset: return control_;
    case kEppDataOffset: return EppWorks() ? device_->EppRead() : 0xFF;
    case kEcrOffset: return features_.hasEcr ? ecr_ : 0xFF;
    default: return 0xFF;
    }
}

void SimulatedPort::WriteSmc(uint16_t port, uint8_t value)
{
    if (!features_.hasSmc)
        return;
    if (port == kSmcIndexPort) {
        if (smcUnlock_ < 2) {
            // Two 0x55 in a row enter the configuration mode.
            smcUnlock_ = value == 0x55 ? smcUnlock_ + 1 : 0;
        } else if (value == 0xAA) {
            smcUnlock_ = 0;
        } else {
            smcIndex_ = value;
        }
        return;
    }
    if (smcUnlock_ == 2 && smcIndex_ == 4)
        smcReg4_ = value;
}

}  // namespace portio
