// Core registers, the watchpoint-unit registers answered here, and the
// memory-mapped peripheral registers relative to the peripheral base.
#include <optional>
#include <vector>

#include "session.h"

using namespace falcrest;

namespace {

// Watchpoint unit u owns six registers from 52 + 7u: address value and mask,
// data value and mask, control value and mask. Bit 0x100 of the control
// value enables the unit.
constexpr uint32_t WATCH_UNIT_FIRST = 52;
constexpr uint32_t WATCH_UNIT_STRIDE = 7;
constexpr uint32_t WATCH_CONTROL_VALUE = 4;
constexpr int WATCH_ENABLE = 0x100;

enum class RegKind { Simulator, WatchUnit, Unknown };

RegKind Classify(int regNumber)
{
    const int n = static_cast<int16_t>(regNumber);
    if (n >= SIM_REG_CPSR && n <= SIM_REG_LAST)
        return RegKind::Simulator;
    if (n >= SIM_REG_WATCH_FIRST && n <= SIM_REG_WATCH_LAST)
        return RegKind::WatchUnit;
    return RegKind::Unknown;
}

bool KnownBank(int bank)
{
    return bank == 0 || bank == 1;
}

// The result of a register access that does not reach the simulator: other
// banks and the watchpoint-unit registers (0), numbers outside both sets
// (refused), or no simulator bound. Empty when the simulator must be asked.
std::optional<EmuResult> AnsweredHere(int bank, int regNumber)
{
    if (!KnownBank(bank))
        return EMU_OK;
    switch (Classify(regNumber)) {
    case RegKind::WatchUnit: return EMU_OK;
    case RegKind::Unknown: return EMU_REFUSED;
    case RegKind::Simulator: break;
    }
    if (!Bound())
        return EMU_NO_BACKEND;
    return std::nullopt;
}

int WatchRegister(uint32_t unit, uint32_t index)
{
    return static_cast<int>(WATCH_UNIT_FIRST + WATCH_UNIT_STRIDE * unit + index);
}

bool PeripheralSize(int size)
{
    return size == 1 || size == 2 || size == 4;
}

// Translated memory regions rebuilt by MMUMapUpdate; nothing reads them yet.
struct MmuRegion {
    uint32_t virtualBase;
    uint32_t physicalBase;
    uint32_t size;
};
std::vector<MmuRegion>& MmuRegions()
{
    static std::vector<MmuRegion> regions;
    return regions;
}

}  // namespace

extern "C" {

EmuResult emuGetReg(int bank, int regNumber, int* value)
{
    if (KnownBank(bank) && !value)
        return EMU_REFUSED;
    if (auto answer = AnsweredHere(bank, regNumber)) {
        if (KnownBank(bank) && Classify(regNumber) == RegKind::WatchUnit)
            *value = -1;
        return *answer;
    }
    return Send(SIM_CMD_READ_REG, static_cast<int16_t>(regNumber), Ptr(value));
}

EmuResult emuSetReg(int bank, int regNumber, int value)
{
    if (auto answer = AnsweredHere(bank, regNumber))
        return *answer;
    return Send(SIM_CMD_WRITE_REG, static_cast<int16_t>(regNumber), static_cast<uint32_t>(value));
}

EmuResult emuGetAllReg(int, void*)
{
    return EMU_OK;
}

EmuResult emuSetHwBp(int addrValue, int* addrMask, int dataValue, int* dataMask, int, int, uint32_t* control, int unit)
{
    if (!addrMask || !dataMask || !control)
        return EMU_REFUSED;
    const uint32_t u = static_cast<uint32_t>(unit);
    const int values[6] = {addrValue,
                           *addrMask,
                           dataValue,
                           *dataMask,
                           static_cast<int>(*control & 0xFFFF),
                           static_cast<int>(*control >> 16)};
    EmuResult r = EMU_OK;
    for (uint32_t i = 0; i < 6; ++i) {
        r = emuSetReg(0, WatchRegister(u, i), values[i]);
        if (r != EMU_OK)
            return r;
    }
    return r;
}

EmuResult emuEnableHwBp(int enable, int unit)
{
    const int reg = WatchRegister(static_cast<uint32_t>(unit) & 0xFF, WATCH_CONTROL_VALUE);
    int control = 0;
    EmuResult r = emuGetReg(0, reg, &control);
    if (r != EMU_OK)
        return r;
    control = enable ? (control | WATCH_ENABLE) : (control & ~WATCH_ENABLE);
    return emuSetReg(0, reg, control);
}

EmuResult emuClrHwBp(int unit)
{
    const uint32_t u = static_cast<uint32_t>(unit) & 0xFFFF;
    if (u > 1)
        return EMU_NO_BACKEND;
    // Idle: address 0 with mask -1, data 0 with mask -1, control 0 with mask -1.
    const int idle[6] = {0, -1, 0, -1, 0, -1};
    EmuResult all = EMU_OK;
    for (uint32_t i = 0; i < 6; ++i)
        all |= emuSetReg(0, WatchRegister(u, i), idle[i]);
    return all;
}

EmuResult emuGetIntReg(int offset, int size, int* value, int)
{
    const int n = size & 0xFFFF;
    const uint32_t address = State().peri.current + static_cast<uint32_t>(offset);
    if (!PeripheralSize(n) || !value || address % n != 0)
        return EMU_REFUSED;
    if (!Bound())
        return EMU_NO_BACKEND;
    // The simulator stores one unit of `n` bytes as a host value.
    uint8_t b = 0;
    uint16_t h = 0;
    uint32_t w = 0;
    void* unit = n == 1 ? static_cast<void*>(&b) : n == 2 ? static_cast<void*>(&h) : &w;
    EmuResult r = Send(SIM_CMD_READ_MEM, n, address, Ptr(unit), n);
    if (r == EMU_OK)
        *value = static_cast<int>(n == 1 ? b : n == 2 ? h : w);
    return r;
}

EmuResult emuSetIntReg(int offset, int size, int value, int)
{
    const int n = size & 0xFFFF;
    const uint32_t address = State().peri.current + static_cast<uint32_t>(offset);
    if (!PeripheralSize(n) || address % n != 0)
        return EMU_REFUSED;
    if (!Bound())
        return EMU_NO_BACKEND;
    const uint32_t v = static_cast<uint32_t>(value);
    uint8_t b = static_cast<uint8_t>(v);
    uint16_t h = static_cast<uint16_t>(v);
    uint32_t w = v;
    const void* unit = n == 1 ? static_cast<const void*>(&b) : n == 2 ? static_cast<const void*>(&h) : &w;
    return Send(SIM_CMD_WRITE_MEM, n, address, Ptr(unit), n);
}

void emuSetHalvekBaseAddress(uint32_t current, uint32_t reset, int, uint32_t mask)
{
    PeriBase& p = State().peri;
    p.current = current;
    p.reset = reset;
    p.mask = mask;
}

EmuResult emuSetDERValue(int)
{
    return EMU_OK;
}

// Rebuilds the list of section mappings from the first-level translation
// table whose base the translation-base register holds, when the control
// word says translation is on.
int MMUMapUpdate(void)
{
    constexpr int TRANSLATION_BASE_REG = 2146;
    constexpr int CONTROL_REG = 27;
    constexpr uint32_t ENTRIES = 4096;
    int base = 0;
    int control = 0;
    emuGetReg(0, TRANSLATION_BASE_REG, &base);
    emuGetReg(0, CONTROL_REG, &control);
    if ((control & 0x30) == 0)
        return 1;
    std::vector<uint32_t> table(ENTRIES);
    const uint32_t tableAddress = static_cast<uint32_t>(base) & 0xFFFFC000u;
    if (!Bound())
        return 0;
    constexpr uint32_t PIECE = 256;  // entries: 1024 bytes a request
    for (uint32_t i = 0; i < ENTRIES; i += PIECE) {
        if (ReadUnits(tableAddress + i * 4, &table[i], PIECE * 4, 4) != EMU_OK)
            return 0;
    }
    std::vector<MmuRegion>& regions = MmuRegions();
    regions.clear();
    for (uint32_t i = 0; i < ENTRIES; ++i) {
        // Descriptor type 2: a 1 MiB section.
        if ((table[i] & 3) == 2)
            regions.push_back({i << 20, table[i] & 0xFFF00000u, 1u << 20});
    }
    return 1;
}

}  // extern "C"
