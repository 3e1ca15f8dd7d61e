#include "ppc/stuffed_core.h"

#include "ppc/ppc_words.h"

namespace ppc {

Unit UnitOfAccessType(unsigned type)
{
    if (type < 2)
        return Unit::Byte;
    return type == 2 ? Unit::Half : Unit::Word;
}

namespace {

uint32_t UnitBytes(Unit unit)
{
    return static_cast<uint32_t>(unit);
}

// The first address a block transfer of `unit` touches.
uint32_t StartOf(uint32_t address, Unit unit)
{
    return address & ~(UnitBytes(unit) - 1);
}

uint32_t LoadUpdateWord(Unit unit)
{
    switch (unit) {
    case Unit::Byte: return kLoadByteUpdate;
    case Unit::Half: return kLoadHalfUpdate;
    case Unit::Word: break;
    }
    return kLoadWordUpdate;
}

uint32_t StoreUpdateWord(Unit unit)
{
    switch (unit) {
    case Unit::Byte: return kStoreByteUpdate;
    case Unit::Half: return kStoreHalfUpdate;
    case Unit::Word: break;
    }
    return kStoreWordUpdate;
}

uint32_t BigEndian(const uint8_t* bytes, unsigned count)
{
    uint32_t value = 0;
    for (unsigned i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

}  // namespace

uint32_t StuffedCore::GetThroughR1(uint32_t moveWord)
{
    const uint32_t r1 = GetGpr(1);
    Execute(moveWord);
    const uint32_t value = GetGpr(1);
    SetGpr(1, r1);
    return value;
}

void StuffedCore::SetThroughR1(uint32_t moveWord, uint32_t value)
{
    const uint32_t r1 = GetGpr(1);
    SetGpr(1, value);
    Execute(moveWord);
    SetGpr(1, r1);
}

uint32_t StuffedCore::GetSpr(uint32_t spr)
{
    return GetThroughR1(MoveFromSpr(spr));
}

void StuffedCore::SetSpr(uint32_t spr, uint32_t value)
{
    SetThroughR1(MoveToSpr(spr), value);
}

uint32_t StuffedCore::ReadGpr(unsigned n)
{
    Begin(" READ REGISTER " + std::to_string(n));
    const uint32_t value = GetGpr(n);
    End();
    return value;
}

void StuffedCore::WriteGpr(unsigned n, uint32_t value)
{
    Begin(" WRITE REGISTER " + std::to_string(n));
    SetGpr(n, value);
    End();
}

uint32_t StuffedCore::ReadSpr(uint32_t spr)
{
    Begin(" READ SPR " + std::to_string(spr));
    const uint32_t value = GetSpr(spr);
    End();
    return value;
}

void StuffedCore::WriteSpr(uint32_t spr, uint32_t value)
{
    Begin(" WRITE SPR " + std::to_string(spr));
    SetSpr(spr, value);
    End();
}

uint32_t StuffedCore::ReadTimeBase(uint32_t tbr)
{
    Begin(" READ TIMEBASE ");
    const uint32_t value = GetThroughR1(MoveFromTimeBase(tbr));
    End();
    return value;
}

uint32_t StuffedCore::ReadDcr(uint32_t number)
{
    return GetThroughR1(MoveFromDcr(number - kDcrBase));
}

void StuffedCore::WriteDcr(uint32_t number, uint32_t value)
{
    SetThroughR1(MoveToDcr(number - kDcrBase), value);
}

uint32_t StuffedCore::ReadMsr()
{
    Begin("READ MSR COMMAND");
    const uint32_t value = GetThroughR1(kMoveFromMsr);
    End();
    return value;
}

void StuffedCore::WriteMsr(uint32_t value)
{
    Begin("WRITE MSR COMMAND");
    SetThroughR1(kMoveToMsr, value);
    End();
}

uint32_t StuffedCore::ReadCr()
{
    Begin("READ CR COMMAND");
    const uint32_t value = GetThroughR1(kMoveFromCr);
    End();
    return value;
}

void StuffedCore::WriteCr(uint32_t value)
{
    Begin("WRITE CR COMMAND");
    SetThroughR1(kMoveToCr, value);
    End();
}

void StuffedCore::InstructionSync()
{
    Begin("FORCE ISYNC COMMAND");
    Execute(kInstructionSync);
    End();
}

void StuffedCore::LoadR0(uint32_t value, Unit unit)
{
    if (unit != Unit::Word) {
        Execute(LoadImmediate(uint16_t(value)));
        return;
    }
    Execute(LoadImmediateShifted(uint16_t(value >> 16)));
    Execute(OrImmediate(uint16_t(value)));
}

void StuffedCore::ReadMemory(uint32_t address, Unit unit, uint8_t* buffer, size_t length)
{
    if (length == 0)
        return;
    const uint32_t r0 = GetGpr(0);
    const uint32_t r1 = GetGpr(1);
    const uint32_t bytes = UnitBytes(unit);
    const uint32_t start = StartOf(address, unit);
    const size_t whole = length / bytes;
    SetGpr(1, start - bytes);
    for (size_t i = 0; i < whole; ++i) {
        Execute(LoadUpdateWord(unit));
        const uint32_t value = GetGpr(0);
        for (uint32_t b = 0; b < bytes; ++b)
            buffer[i * bytes + b] = uint8_t(value >> (8 * (bytes - 1 - b)));
    }
    const size_t done = whole * bytes;
    if (done < length) {
        SetGpr(1, start + uint32_t(done) - 1);
        for (size_t i = done; i < length; ++i) {
            Execute(kLoadByteUpdate);
            buffer[i] = uint8_t(GetGpr(0));
        }
    }
    SetGpr(0, r0);
    SetGpr(1, r1);
}

template <typename StoreOne>
void StuffedCore::StoreBlock(uint32_t address, Unit unit, size_t length, StoreOne storeOne)
{
    const uint32_t r0 = GetGpr(0);
    const uint32_t r1 = GetGpr(1);
    BeforeWrite();
    const uint32_t bytes = UnitBytes(unit);
    const uint32_t start = StartOf(address, unit);
    const size_t whole = length / bytes;
    uint32_t at = start - bytes;
    SetGpr(1, at);
    for (size_t i = 0; i < whole; ++i) {
        storeOne(i * bytes, unit);
        Execute(StoreUpdateWord(unit));
        at += bytes;
        AfterStore(at, (i + 1) * bytes);
    }
    size_t done = whole * bytes;
    if (done < length) {
        at = start + uint32_t(done) - 1;
        SetGpr(1, at);
        for (; done < length; ++done) {
            storeOne(done, Unit::Byte);
            Execute(kStoreByteUpdate);
            ++at;
            AfterStore(at, done + 1);
        }
    }
    AfterWrite(at);
    SetGpr(0, r0);
    SetGpr(1, r1);
    Execute(kInstructionSync);
}

void StuffedCore::WriteMemory(uint32_t address, Unit unit, const uint8_t* buffer, size_t length)
{
    if (length == 0)
        return;
    StoreBlock(address, unit, length, [&](size_t offset, Unit u) {
        LoadR0(BigEndian(buffer + offset, UnitBytes(u)), u);
    });
}

void StuffedCore::FillMemory(uint32_t address, Unit unit, uint32_t value, size_t length)
{
    if (length == 0)
        return;
    const uint32_t bytes = UnitBytes(unit);
    // The value's big-endian bytes within one unit, for the tail.
    uint8_t pattern[4];
    for (uint32_t b = 0; b < bytes; ++b)
        pattern[b] = uint8_t(value >> (8 * (bytes - 1 - b)));
    bool loaded = false;
    StoreBlock(address, unit, length, [&](size_t offset, Unit u) {
        if (u == unit) {
            if (!loaded)
                LoadR0(value, unit);  // r0 keeps the value between stores
            loaded = true;
            return;
        }
        LoadR0(pattern[offset % bytes], Unit::Byte);
        loaded = false;
    });
}

}  // namespace ppc
