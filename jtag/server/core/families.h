// The target families the server drives itself: the PowerPC 403 over JTAG,
// the PowerPC 8xx over its development port, and targets behind the serial
// ICE library. Each family's go, stop, step, register and memory operations
// serve the command handlers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ppc/ibm_access.h"
#include "ppc/ppc403.h"
#include "ppc/ppc8xx.h"
#include "probe_libraries.h"

namespace pellitons {

class CommandLog;

class TargetFamily {
public:
    virtual ~TargetFamily() = default;
    virtual bool Running() = 0;
    virtual bool Go() = 0;
    virtual bool Stop() = 0;
    virtual bool ResetAndRun() = 0;
    virtual bool ResetAndHalt() = 0;
    virtual bool Step() = 0;
    virtual uint32_t ReadPc() = 0;
    virtual void WritePc(uint32_t value) = 0;
    // The value that commands 60 and 72 return after the program counter.
    virtual uint32_t SecondValue() = 0;
    virtual uint32_t ReadRegister(uint16_t number) = 0;
    virtual void WriteRegister(uint16_t number, uint32_t value) = 0;
    // Access size 0 or 1 bytes, 2 half words, 4 words; other sizes do nothing.
    virtual void ReadMemory(uint32_t address, unsigned size, uint8_t* buffer, size_t length) = 0;
    virtual void WriteMemory(uint32_t address, unsigned size, const uint8_t* data, size_t length) = 0;
    virtual void Fill(uint32_t address, uint32_t value, size_t length, unsigned size) = 0;
    // Command 56's values.
    virtual std::vector<uint32_t> StateValues() = 0;
    // Stopped around register and memory accesses when running.
    virtual bool StopsAround() const { return true; }
};

// PowerPC 403: 0-31 GPRs, 32 PC, 33 MSR, 34 CR, 1024 + n DCR n, 2080 + n SPR n.
class Family403 : public TargetFamily {
public:
    explicit Family403(ppc::IbmAccess& access) : access_(access), core_(access) {}
    ppc::Ppc403& Core() { return core_; }

    bool Running() override { return core_.Running(); }
    bool Go() override { return core_.Go(); }
    bool Stop() override { return core_.Stop(); }
    bool ResetAndRun() override { return core_.ResetAndRun(); }
    bool ResetAndHalt() override { return core_.ResetAndHalt(); }
    bool Step() override { return core_.Step(); }
    uint32_t ReadPc() override { return core_.ReadPc(); }
    void WritePc(uint32_t value) override { core_.WritePc(value); }
    uint32_t SecondValue() override { return core_.ReadSpr(1008); }
    uint32_t ReadRegister(uint16_t number) override;
    void WriteRegister(uint16_t number, uint32_t value) override;
    void ReadMemory(uint32_t address, unsigned size, uint8_t* buffer, size_t length) override;
    void WriteMemory(uint32_t address, unsigned size, const uint8_t* data, size_t length) override;
    void Fill(uint32_t address, uint32_t value, size_t length, unsigned size) override;
    std::vector<uint32_t> StateValues() override;

private:
    ppc::IbmAccess& access_;
    ppc::Ppc403 core_;
};

// PowerPC 8xx: as the 403, with 32 PC (SRR0), 33 MSR (SRR1), 64 + 2n and
// 65 + 2n the high and low words of FPR n, 128 the FPSCR.
class Family8xx : public TargetFamily {
public:
    Family8xx(ppc::DevPortCable& cable, CommandLog& log);
    ppc::Ppc8xx& Core() { return core_; }
    bool fastDownload = false;

    bool Running() override { return !core_.Halted(); }
    bool Go() override { return core_.Go(); }
    bool Stop() override { return core_.Stop(); }
    bool ResetAndRun() override { return false; }
    bool ResetAndHalt() override { return false; }
    bool Step() override { return core_.Step(); }
    uint32_t ReadPc() override { return core_.ReadPc(); }
    void WritePc(uint32_t value) override { core_.WritePc(value); }
    uint32_t SecondValue() override { return core_.ReadSpr(148); }
    uint32_t ReadRegister(uint16_t number) override;
    void WriteRegister(uint16_t number, uint32_t value) override;
    void ReadMemory(uint32_t address, unsigned size, uint8_t* buffer, size_t length) override;
    void WriteMemory(uint32_t address, unsigned size, const uint8_t* data, size_t length) override;
    void Fill(uint32_t address, uint32_t value, size_t length, unsigned size) override;
    std::vector<uint32_t> StateValues() override;

private:
    CommandLog& log_;
    ppc::Ppc8xx core_;
};

// Targets behind the serial ICE library. Register 15 is the program counter.
class FamilySerialIce : public TargetFamily {
public:
    explicit FamilySerialIce(const SerialIceCalls& ice) : ice_(ice) {}
    static constexpr uint16_t kPcRegister = 15;
    static constexpr int kRunPolls = 1000;
    unsigned lastRunPolls = 0;

    bool Running() override;
    bool Go() override;
    bool Stop() override;
    bool ResetAndRun() override;
    bool ResetAndHalt() override;
    bool Step() override;
    uint32_t ReadPc() override { return ReadRegister(kPcRegister); }
    void WritePc(uint32_t value) override { WriteRegister(kPcRegister, value); }
    uint32_t SecondValue() override { return ReadRegister(45); }
    uint32_t ReadRegister(uint16_t number) override;
    void WriteRegister(uint16_t number, uint32_t value) override;
    void ReadMemory(uint32_t address, unsigned size, uint8_t* buffer, size_t length) override;
    void WriteMemory(uint32_t address, unsigned size, const uint8_t* data, size_t length) override;
    void Fill(uint32_t address, uint32_t value, size_t length, unsigned size) override;
    std::vector<uint32_t> StateValues() override { return {ReadPc(), SecondValue()}; }
    bool StopsAround() const override { return false; }

private:
    bool HaltTest();
    const SerialIceCalls& ice_;
};

}  // namespace pellitons
