// The loaded description on the target: register addresses from the current
// base, reads and writes by the processor's access path, the base changes,
// and the look-up by register name.
#pragma once

#include <cstdint>
#include <string>

#include "description.h"
#include "win_types.h"

namespace halvek {

// The target as Halvek reaches it: the target access library's peripheral
// calls, talvis's memory blocks, and the main frame's view updates.
class TargetAccess {
public:
    virtual ~TargetAccess() = default;
    virtual void SetBase(uint32_t current, uint32_t reset, int flag, uint32_t mask) = 0;
    virtual int GetIntReg(int offset, int width, int* value) = 0;
    virtual int SetIntReg(int offset, int width, int value) = 0;
    virtual int ReadBlock(uint32_t address, void* buffer, uint32_t count) = 0;
    virtual int WriteBlock(uint32_t address, const void* data, uint32_t count, int width) = 0;
    // WM_EMU_UPDATE_VIEWS to the main frame.
    virtual void UpdateViews(int kind, LPARAM parameter) = 0;
};

// What the CPU-model library says of the configured processor.
struct ProcessorKind {
    std::string name;
    uint32_t family = 0;
    std::string cpuType;
};

// Families 1, 2, 4 and 5 reach registers through emuGetIntReg/emuSetIntReg.
bool UsesPeripheralCalls(uint32_t family);
// CPU types that pass the offset from the current base ("ARM7TDMI",
// "MPC8260"); the others pass the register's own offset (low 16 bits).
bool PassesOffsetFromBase(const std::string& cpuType);
// Processors with a module base register (only "MBAR" is written with a
// base-register step on them).
bool HasModuleBaseRegister(const std::string& processorName);
// A plain register is read and written only with a width of 1, 2 or 4.
bool PlainWidth(int width);

class PeriModel {
public:
    explicit PeriModel(TargetAccess& target) : target_(target) {}

    Description& description() { return d_; }
    const Description& description() const { return d_; }
    void SetProcessor(ProcessorKind kind) { processor_ = std::move(kind); }
    const ProcessorKind& processor() const { return processor_; }

    // The offset argument of the peripheral calls for this register.
    int PeripheralOffset(const Register& r) const;
    // Reads the register's value (or a buffer's bytes) from the target and
    // works out its fields; 0 or the failing call's result (the register is
    // then unreadable and keeps its last value).
    uint32_t Read(Register& r);
    // Writes a value (from the field editor); then the three view updates.
    uint32_t Write(Register& r, uint32_t value);
    // Writes a buffer's shadow bytes; then the first two view updates.
    uint32_t WriteBuffer(Register& r);

    // The base dialog's text ("%08X") and its OK.
    std::string BaseText() const;
    void SetNewBase(uint32_t base);
    // Redraw requests of the window (one per base change from the dialog).
    int redrawRequests() const { return redraws_; }
    // The target's reset: the current base only.
    void ResetBase(uint32_t base) { d_.currentBase = base; }
    // Group ranges from the current base; every register is read again.
    void UpdateBlockLocation();
    // The first register of the name, case ignored (group and file order).
    const Register* FindRegister(const std::string& name) const;

private:
    void AfterWrite(Register& r, bool ok, uint32_t value);

    TargetAccess& target_;
    Description d_;
    ProcessorKind processor_;
    int redraws_ = 0;
};

}  // namespace halvek
