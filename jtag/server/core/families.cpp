#include "families.h"

#include "command_log.h"
#include "pellitons.h"

namespace pellitons {

namespace {

// Byte operations for sizes 0 and 1, half words for 2, words for 4.
bool UnitOf(unsigned size, ppc::Unit& unit)
{
    switch (size) {
    case 0:
    case 1: unit = ppc::Unit::Byte; return true;
    case 2: unit = ppc::Unit::Half; return true;
    case 4: unit = ppc::Unit::Word; return true;
    default: return false;
    }
}

// Registers both PowerPC families number alike; false for other numbers.
bool ReadCommon(ppc::StuffedCore& core, uint16_t number, uint32_t& value)
{
    if (number < 32)
        value = core.ReadGpr(number);
    else if (number == kPelRegCr)
        value = core.ReadCr();
    else if (number >= kPelRegSprBase && number < kPelRegSprBase + 1024)
        value = core.ReadSpr(number - kPelRegSprBase);
    else
        return false;
    return true;
}

bool WriteCommon(ppc::StuffedCore& core, uint16_t number, uint32_t value)
{
    if (number < 32)
        core.WriteGpr(number, value);
    else if (number == kPelRegCr)
        core.WriteCr(value);
    else if (number >= kPelRegSprBase && number < kPelRegSprBase + 1024)
        core.WriteSpr(number - kPelRegSprBase, value);
    else
        return false;
    return true;
}

}  // namespace

uint32_t Family403::ReadRegister(uint16_t number)
{
    uint32_t value = 0;
    if (ReadCommon(core_, number, value))
        return value;
    if (number == kPelRegPc)
        return core_.ReadPc();
    if (number == kPelRegMsr)
        return core_.ReadMsr();
    if (number >= kPelRegDcrBase && number < kPelRegDcrBase + 1024)
        return core_.ReadDcr(number);
    return 0;
}

void Family403::WriteRegister(uint16_t number, uint32_t value)
{
    if (WriteCommon(core_, number, value))
        return;
    if (number == kPelRegPc)
        core_.WritePc(value);
    else if (number == kPelRegMsr)
        core_.WriteMsr(value);
    else if (number >= kPelRegDcrBase && number < kPelRegDcrBase + 1024)
        core_.WriteDcr(number, value);
}

void Family403::ReadMemory(uint32_t address, unsigned size, uint8_t* buffer, size_t length)
{
    ppc::Unit unit;
    if (UnitOf(size, unit))
        core_.ReadMemory(address, unit, buffer, length);
}

void Family403::WriteMemory(uint32_t address, unsigned size, const uint8_t* data, size_t length)
{
    ppc::Unit unit;
    if (UnitOf(size, unit))
        core_.WriteMemory(address, unit, data, length);
}

void Family403::Fill(uint32_t address, uint32_t value, size_t length, unsigned size)
{
    core_.FillMemory(address, ppc::UnitOfAccessType(size), value, length);
}

std::vector<uint32_t> Family403::StateValues()
{
    return {core_.ReadPc(), core_.ReadMsr(), core_.ReadCr(), core_.ReadSpr(8), core_.ReadSpr(1008)};
}

Family8xx::Family8xx(ppc::DevPortCable& cable, CommandLog& log) : log_(log), core_(cable)
{
    core_.SetLog([this](const std::string& line) { log_.Line(line); });
}

uint32_t Family8xx::ReadRegister(uint16_t number)
{
    uint32_t value = 0;
    if (ReadCommon(core_, number, value))
        return value;
    if (number == kPelRegPc)
        return core_.ReadPc();
    if (number == kPelRegMsr)
        return core_.ReadMsr8xx();
    if (number >= kPelRegFprBase && number < kPelRegFprBase + 64) {
        const uint64_t fpr = core_.ReadFpr((number - kPelRegFprBase) / 2);
        return (number - kPelRegFprBase) % 2 == 0 ? uint32_t(fpr >> 32) : uint32_t(fpr);
    }
    if (number == kPelRegFpscr)
        return core_.ReadFpscr();
    return 0;
}

void Family8xx::WriteRegister(uint16_t number, uint32_t value)
{
    if (WriteCommon(core_, number, value))
        return;
    if (number == kPelRegPc) {
        core_.WritePc(value);
    } else if (number == kPelRegMsr) {
        core_.WriteMsr8xx(value);
    } else if (number >= kPelRegFprBase && number < kPelRegFprBase + 64) {
        const unsigned n = (number - kPelRegFprBase) / 2;
        uint64_t fpr = core_.ReadFpr(n);
        if ((number - kPelRegFprBase) % 2 == 0)
            fpr = (fpr & 0xFFFFFFFFull) | uint64_t(value) << 32;
        else
            fpr = (fpr & ~0xFFFFFFFFull) | value;
        core_.WriteFpr(n, fpr);
    } else if (number == kPelRegFpscr) {
        core_.WriteFpscr(value);
    }
}

void Family8xx::ReadMemory(uint32_t address, unsigned size, uint8_t* buffer, size_t length)
{
    ppc::Unit unit;
    if (UnitOf(size, unit))
        core_.ReadBlock(address, unit, buffer, length);
}

void Family8xx::WriteMemory(uint32_t address, unsigned size, const uint8_t* data, size_t length)
{
    ppc::Unit unit;
    if (!UnitOf(size, unit))
        return;
    if (unit == ppc::Unit::Word) {
        if (fastDownload && length > 12) {
            log_.Line("FAST DOWNLOADING");
            core_.FastDownload(address, data, length);
            return;
        }
        log_.Line("SLOW DOWNLOADING");
    }
    core_.WriteBlock(address, unit, data, length);
}

void Family8xx::Fill(uint32_t address, uint32_t value, size_t length, unsigned size)
{
    core_.Fill(address, ppc::UnitOfAccessType(size), value, length);
}

std::vector<uint32_t> Family8xx::StateValues()
{
    return {core_.ReadPc(), core_.ReadMsr8xx(), core_.ReadCr(), core_.ReadSpr(8), core_.ReadSpr(148)};
}

bool FamilySerialIce::HaltTest()
{
    uint8_t scratch[16] = {};
    return ice_.checkTarget(0, 0, scratch) != 0;
}

bool FamilySerialIce::Running()
{
    return !HaltTest();
}

bool FamilySerialIce::Go()
{
    ice_.runTarget(2, 0, 1);
    lastRunPolls = 0;
    while (HaltTest() && lastRunPolls < kRunPolls)
        ++lastRunPolls;
    ice_.runTarget(1, 0, 0);
    return true;
}

bool FamilySerialIce::Stop()
{
    uint8_t data[16] = {};
    uint8_t scratch[16] = {};
    const int32_t result = ice_.stopTarget(0, data, scratch);
    return ice_.checkTarget(result, 0, scratch) == 0;
}

bool FamilySerialIce::ResetAndRun()
{
    ice_.control(20, 0, 0);
    ice_.runTarget(1, 0, 0);
    return true;
}

bool FamilySerialIce::ResetAndHalt()
{
    ice_.control(20, 0, 0);
    return true;
}

bool FamilySerialIce::Step()
{
    ice_.runTarget(2, 0, 1);
    return true;
}

namespace {

// Register space and index: negative numbers are an 8-bit index in space 0,
// others banks of 32 from space 2.
void SpaceOf(int32_t number, int32_t& space, uint32_t& index)
{
    if (number < 0) {
        space = 0;
        index = uint32_t(number) & 0xFF;
    } else {
        space = number / 32 + 2;
        index = uint32_t(number) & 31;
    }
}

}  // namespace

uint32_t FamilySerialIce::ReadRegister(uint16_t number)
{
    int32_t space;
    uint32_t index;
    SpaceOf(int16_t(number), space, index);
    return ice_.readTarget(space, index, 4);
}

void FamilySerialIce::WriteRegister(uint16_t number, uint32_t value)
{
    int32_t space;
    uint32_t index;
    SpaceOf(int16_t(number), space, index);
    ice_.writeTarget(space, index, value, 4);
}

void FamilySerialIce::ReadMemory(uint32_t address, unsigned size, uint8_t* buffer, size_t length)
{
    const unsigned unit = unsigned(ppc::UnitOfAccessType(size));
    size_t i = 0;
    for (; i + unit <= length; i += unit) {
        const uint32_t value = ice_.readTarget(1, address + uint32_t(i), int32_t(unit));
        for (unsigned b = 0; b < unit; ++b)
            buffer[i + b] = uint8_t(value >> (8 * (unit - 1 - b)));
    }
    for (; i < length; ++i)
        buffer[i] = uint8_t(ice_.readTarget(1, address + uint32_t(i), 1));
}

void FamilySerialIce::WriteMemory(uint32_t address, unsigned size, const uint8_t* data, size_t length)
{
    const unsigned unit = unsigned(ppc::UnitOfAccessType(size));
    size_t i = 0;
    for (; i + unit <= length; i += unit) {
        uint32_t value = 0;
        for (unsigned b = 0; b < unit; ++b)
            value = value << 8 | data[i + b];
        ice_.writeTarget(1, address + uint32_t(i), value, int32_t(unit));
    }
    for (; i < length; ++i)
        ice_.writeTarget(1, address + uint32_t(i), data[i], 1);
}

void FamilySerialIce::Fill(uint32_t address, uint32_t value, size_t length, unsigned size)
{
    const unsigned unit = unsigned(ppc::UnitOfAccessType(size));
    for (size_t i = 0; i < length; ++i)
        ice_.writeTarget(1, address + uint32_t(i), uint8_t(value >> (8 * (unit - 1 - i % unit))), 1);
}

}  // namespace pellitons
