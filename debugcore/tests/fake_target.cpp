#include "fake_target.h"

#include <cstdio>
#include <cstring>

#include "falcrest.h"
#include "quentor.h"
#include "quinar/symbol_store.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

FakeTarget& Fake()
{
    static FakeTarget fake;
    return fake;
}

FakeRunState& FakeRun()
{
    static FakeRunState state;
    return state;
}

void FakeRunState::Reset()
{
    running = false;
    runs = 0;
    stops = 0;
    onAbort = nullptr;
}

namespace {

std::string Hex(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", v);
    return text;
}

void Record(std::string call)
{
    Fake().calls.push_back(std::move(call));
}

bool Touches(const std::set<uint32_t>& set, uint32_t address, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        if (set.count(address + i))
            return true;
    }
    return false;
}

constexpr int UnitRegister(int unit, int index)
{
    return 52 + 7 * unit + index;
}

}  // namespace

std::vector<std::string> FakeTarget::Calls(const std::string& prefix) const
{
    std::vector<std::string> out;
    for (const std::string& c : calls) {
        if (c.rfind(prefix, 0) == 0)
            out.push_back(c);
    }
    return out;
}

int FakeTarget::TakeFailure(const std::string& name)
{
    auto it = failNext.find(name);
    if (it == failNext.end())
        return 0;
    const int r = it->second;
    failNext.erase(it);
    return r;
}

void FakeTarget::Poke(uint32_t address, std::vector<uint8_t> bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        memory[address + static_cast<uint32_t>(i)] = bytes[i];
}

std::vector<uint8_t> FakeTarget::Peek(uint32_t address, uint32_t count) const
{
    std::vector<uint8_t> out(count);
    for (uint32_t i = 0; i < count; ++i) {
        auto it = memory.find(address + i);
        out[i] = it == memory.end() ? 0 : it->second;
    }
    return out;
}

void FakeTarget::PokeWord(uint32_t address, uint32_t value)
{
    for (uint32_t i = 0; i < 4; ++i)
        memory[address + i] = static_cast<uint8_t>(value >> (8 * (bigEndian ? 3 - i : i)));
}

uint32_t FakeTarget::PeekWord(uint32_t address) const
{
    const std::vector<uint8_t> b = Peek(address, 4);
    uint32_t v = 0;
    for (uint32_t i = 0; i < 4; ++i)
        v |= uint32_t{b[i]} << (8 * (bigEndian ? 3 - i : i));
    return v;
}

uint16_t FakeTarget::PeekHalf(uint32_t address) const
{
    const std::vector<uint8_t> b = Peek(address, 2);
    return static_cast<uint16_t>(bigEndian ? (b[0] << 8 | b[1]) : (b[1] << 8 | b[0]));
}

extern "C" {

// --- Falcrest ----------------------------------------------------------------

EmuResult emuSetBp(ADDR address)
{
    Record("emuSetBp(" + Hex(address.off) + ")");
    return Fake().TakeFailure("emuSetBp");
}

EmuResult emuClrBp(ADDR address)
{
    Record("emuClrBp(" + Hex(address.off) + ")");
    return Fake().TakeFailure("emuClrBp");
}

EmuResult emuEnableSwBkpt(void)
{
    Record("emuEnableSwBkpt");
    return Fake().TakeFailure("emuEnableSwBkpt");
}

EmuResult emuDisableSwBkpt(void)
{
    Record("emuDisableSwBkpt");
    return Fake().TakeFailure("emuDisableSwBkpt");
}

DWORD emuGetBkptCode(int)
{
    return EMU_BREAK_WORD;
}

// No target is connected: a step answers as the unconnected library does,
// unless a failure is planned.
EmuResult emuStepOne(int)
{
    const int failure = Fake().TakeFailure("emuStepOne");
    return failure ? failure : EMU_NO_BACKEND;
}

EmuResult emuGetReg(int, int regNumber, int* value)
{
    if (regNumber >= SIM_REG_WATCH_FIRST && regNumber <= SIM_REG_WATCH_LAST) {
        *value = Fake().unitsPresent ? Fake().unitRegs[regNumber] : -1;
        return EMU_OK;
    }
    if (auto it = Fake().regs.find(regNumber); it != Fake().regs.end()) {
        *value = static_cast<int>(it->second);
        return EMU_OK;
    }
    return EMU_REFUSED;
}

EmuResult emuSetHwBp(int addrValue, int* addrMask, int dataValue, int* dataMask, int kind, int reserved,
                     uint32_t* control, int unit)
{
    Record("emuSetHwBp(u" + std::to_string(unit) + "," + Hex(static_cast<uint32_t>(addrValue)) + ",mask " +
           Hex(static_cast<uint32_t>(*addrMask)) + ",ctl " + Hex(*control) + ")");
    Fake().lastHwBp = {static_cast<uint32_t>(addrValue),
                       static_cast<uint32_t>(*addrMask),
                       static_cast<uint32_t>(dataValue),
                       static_cast<uint32_t>(*dataMask),
                       kind,
                       reserved,
                       *control,
                       unit};
    if (const int r = Fake().TakeFailure("emuSetHwBp"))
        return r;
    if (Fake().unitsPresent) {
        const int values[6] = {addrValue,
                               *addrMask,
                               dataValue,
                               *dataMask,
                               static_cast<int>(*control & 0xFFFF),
                               static_cast<int>(*control >> 16)};
        for (int i = 0; i < 6; ++i)
            Fake().unitRegs[UnitRegister(unit, i)] = values[i];
    }
    return EMU_OK;
}

EmuResult emuClrHwBp(int unit)
{
    Record("emuClrHwBp(u" + std::to_string(unit) + ")");
    if (const int r = Fake().TakeFailure("emuClrHwBp"))
        return r;
    const int idle[6] = {0, -1, 0, -1, 0, -1};
    for (int i = 0; i < 6; ++i)
        Fake().unitRegs[UnitRegister(unit, i)] = idle[i];
    return EMU_OK;
}

EmuResult emuEnableHwBp(int enable, int unit)
{
    Record("emuEnableHwBp(" + std::to_string(enable) + ",u" + std::to_string(unit) + ")");
    if (const int r = Fake().TakeFailure("emuEnableHwBp"))
        return r;
    int& control = Fake().unitRegs[UnitRegister(unit, 4)];
    control = enable ? (control | 0x100) : (control & ~0x100);
    return EMU_OK;
}

// --- talvis ------------------------------------------------------------------

int MemReadBlock(void* buffer, ADDR addr, uint32_t count)
{
    Record("MemRead(" + Hex(addr.off) + "," + std::to_string(count) + ")");
    if (const int r = Fake().TakeFailure("MemRead"))
        return r;
    if (Touches(Fake().unreadable, addr.off, count))
        return EMU_TARGET_LOST;
    const std::vector<uint8_t> bytes = Fake().Peek(addr.off, count);
    std::memcpy(buffer, bytes.data(), count);
    return 0;
}

int MemWriteBlock(ADDR addr, const void* data, uint32_t count, int width)
{
    Record("MemWrite(" + Hex(addr.off) + "," + std::to_string(count) + ")");
    if (width != static_cast<int>(count))
        Record("width mismatch");
    if (const int r = Fake().TakeFailure("MemWrite"))
        return r;
    if (Touches(Fake().unwritable, addr.off, count))
        return EMU_TARGET_LOST;
    const auto* bytes = static_cast<const uint8_t*>(data);
    Fake().Poke(addr.off, std::vector<uint8_t>(bytes, bytes + count));
    return 0;
}

// --- vexlor ------------------------------------------------------------------

int CpuGetPC(DWORD* pc)
{
    if (!Fake().pcReadable)
        return EMU_REFUSED;
    *pc = Fake().pc;
    return 0;
}

int ProcReturnByteOrder(int* order)
{
    *order = Fake().bigEndian ? 1 : 0;
    return 0;
}

// --- Quentor -----------------------------------------------------------------

int LdrFileFormat(void)
{
    return Fake().fileFormat;
}

// --- tarnel ------------------------------------------------------------------

int LdrIsInCode(unsigned)
{
    return Fake().inCode;
}

int LdrIsInThumbRange(unsigned address)
{
    for (const auto& [first, last] : Fake().thumbRanges) {
        if (address >= first && address <= last)
            return 1;
    }
    return 0;
}

// --- CPU model run state --------------------------------------------------

DWORD CpuGetCpuStatus(int, int)
{
    return FakeRun().running ? 1 : 0;
}

DWORD CpuGetCpuStatus1(void)
{
    return FakeRun().running ? 1 : 0;
}

DWORD CpuGetStopCount(void)
{
    return FakeRun().stops;
}

DWORD CpuGetRunCount(void)
{
    return FakeRun().runs;
}

EmuResult emuAbort(int)
{
    if (FakeRun().onAbort)
        FakeRun().onAbort();
    return 0;
}

// --- quinar ------------------------------------------------------------------

SymResult SymSrcLinenum2NextRange(uint32_t key, uint32_t line, uint32_t* start, uint32_t* end, uint32_t* iterator)
{
    auto it = Fake().lineRanges.find({key, line});
    if (it == Fake().lineRanges.end() || *iterator >= it->second.size())
        return SYM_E_NOT_FOUND;
    *start = it->second[*iterator].first;
    *end = it->second[*iterator].second;
    ++*iterator;
    return SYM_OK;
}

SymResult SymSrcLinenum2FirstRange(uint32_t key, uint32_t line, uint32_t* start, uint32_t* end, uint32_t* iterator)
{
    *iterator = 0;
    return SymSrcLinenum2NextRange(key, line, start, end, iterator);
}

}  // extern "C"

// The symbol store's typed query of a line's code ranges.
quinar::Result<quinar::CodeRange> quinar::SymbolStore::LineRange(uint32_t key, uint32_t line, uint32_t n)
{
    uint32_t iterator = n;
    quinar::Result<quinar::CodeRange> r;
    r.status = SymSrcLinenum2NextRange(key, line, &r.value.start, &r.value.end, &iterator);
    return r;
}
