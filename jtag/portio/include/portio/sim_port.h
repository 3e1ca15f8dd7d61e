// A simulated PC parallel port (data, status, control, EPP data, ECR, and an
// SMC Super I/O chip's configuration ports) with a device on its connector:
// the EPP controller box, a passive bit-bang cable, or nothing. Behind the box
// and the cable sits an IEEE 1149.1 TAP. Every port operation is traced.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "portio/port_service.h"
#include "portio/tap_model.h"

namespace portio {

// What hangs on the connector.
class ParallelDevice {
public:
    virtual ~ParallelDevice() = default;
    virtual void DataWritten(uint8_t) {}
    virtual void ControlWritten(uint8_t) {}
    // The status lines as read at base + 1.
    virtual uint8_t Status() = 0;
    // An EPP data cycle; false when nothing acknowledges it.
    virtual bool EppWrite(uint8_t) { return false; }
    virtual uint8_t EppRead() { return 0xFF; }
};

enum class DeviceKind { Box, Cable, Nothing };

struct PortOp {
    bool write = false;
    uint16_t port = 0;
    uint8_t value = 0;
    bool operator==(const PortOp&) const = default;
};
std::string FormatTrace(const std::vector<PortOp>& ops);  // "W378=BC R379=7F ..."

// Which ways of getting EPP data cycles the simulated port offers.
struct PortFeatures {
    bool hasEcr = true;            // an ECP port with its ECR at base + 0x402
    bool ecrEnablesEpp = true;     // ECR mode 100 gives working EPP cycles
    bool hasSmc = false;           // an SMC chip at 0x3F0/0x3F1 that can switch the port to EPP
    bool eppWithoutSetup = false;  // a port that is in EPP mode from the start
};

class EppBox;

class SimulatedPort : public PortBackend {
public:
    explicit SimulatedPort(DeviceKind kind, uint16_t base = 0x378);
    ~SimulatedPort() override;

    void Write(uint16_t port, uint8_t value) override;
    uint8_t Read(uint16_t port) override;
    bool OpenAccess(uint16_t port) override;

    // Tests: the port as at power-on, with `kind` attached and a fresh TAP.
    void Reset(DeviceKind kind, const PortFeatures& features = {});
    // Tests: what is attached, and how the port is built.
    void Attach(DeviceKind kind);
    DeviceKind Attached() const { return kind_; }
    void SetFeatures(const PortFeatures& features);
    void SetBase(uint16_t base) { base_ = base; }
    uint16_t Base() const { return base_; }
    bool EppWorks() const;

    Tap& TargetTap() { return tap_; }
    EppBox* Box();  // null unless the box is attached

    // The latest operations: at most kTraceLimit are kept (the older half
    // is dropped when the trace is full), so a long session on the simulated
    // port does not grow without bound.
    static constexpr size_t kTraceLimit = size_t{1} << 22;
    const std::vector<PortOp>& Trace() const { return trace_; }
    void ClearTrace() { trace_.clear(); }
    std::vector<uint16_t> AccessOpened() const { return opened_; }
    uint8_t EcrValue() const { return ecr_; }
    uint8_t SmcRegister4() const { return smcReg4_; }

private:
    uint8_t ReadRegister(uint16_t port);
    void WriteRegister(uint16_t port, uint8_t value);
    void WriteSmc(uint16_t port, uint8_t value);
    void Record(const PortOp& op);

    DeviceKind kind_;
    uint16_t base_;
    PortFeatures features_;
    Tap tap_;
    std::unique_ptr<ParallelDevice> device_;
    uint8_t data_ = 0;
    uint8_t control_ = 0;
    uint8_t ecr_ = 0x15;  // ECP port in standard mode, FIFO empty
    uint8_t smcReg4_ = 0x00;
    int smcUnlock_ = 0;  // 0x55 writes seen; 2 = configuration mode
    uint8_t smcIndex_ = 0;
    std::vector<PortOp> trace_;
    std::vector<uint16_t> opened_;
};

// The EPP controller box: it takes command, data and walk bytes, shifts TDI
// and clocks TMS itself, and answers through the status lines.
class EppBox : public ParallelDevice {
public:
    explicit EppBox(Tap& tap) : tap_(tap) {}
    void DataWritten(uint8_t value) override { data_ = value; }
    void ControlWritten(uint8_t value) override;
    uint8_t Status() override;
    bool EppWrite(uint8_t value) override;

    void SetInputs(uint8_t value) { inputs_ = value; }
    uint8_t Outputs() const { return outputs_; }
    unsigned SpeedIndex() const { return speedIndex_; }
    unsigned SetupCommands() const { return setups_; }
    std::vector<uint8_t> Commands() const { return commands_; }

private:
    void Accept(uint8_t value, uint8_t control);
    void Shift(uint8_t value);
    void Walk(uint8_t code);

    Tap& tap_;
    uint8_t data_ = 0;
    uint8_t control_ = 0;
    uint8_t inputs_ = 0xA5;
    uint8_t outputs_ = 0;
    uint8_t captured_ = 0;
    bool lastTdo_ = false;
    bool toggle_ = false;  // status bit 5 changes with every byte the box takes
    unsigned count_ = 8;   // bits of the next data byte
    unsigned speedIndex_ = 7;
    unsigned setups_ = 0;
    std::vector<uint8_t> commands_;
};

}  // namespace portio
