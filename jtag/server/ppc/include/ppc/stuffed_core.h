// A PowerPC core driven by instruction stuffing: the probe hands the halted
// core one instruction word at a time and moves values between a general
// register and a debug data register. Special, time-base, device control,
// machine state and condition registers and memory are reached through r0
// and r1, which every operation saves and restores.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ppc {

// Memory access units. A fill's access type maps to one: below 2 a byte, 2 a
// half word, anything else a word.
enum class Unit : uint8_t { Byte = 1, Half = 2, Word = 4 };
Unit UnitOfAccessType(unsigned type);

class StuffedCore {
public:
    virtual ~StuffedCore() = default;

    uint32_t ReadGpr(unsigned n);
    void WriteGpr(unsigned n, uint32_t value);
    uint32_t ReadSpr(uint32_t spr);
    void WriteSpr(uint32_t spr, uint32_t value);
    uint32_t ReadTimeBase(uint32_t tbr);  // 268 lower, 269 upper
    // Device control registers are numbered from 1024 on.
    uint32_t ReadDcr(uint32_t number);
    void WriteDcr(uint32_t number, uint32_t value);
    uint32_t ReadMsr();
    void WriteMsr(uint32_t value);
    uint32_t ReadCr();
    void WriteCr(uint32_t value);

    // Block transfers through r1 with the update forms: whole units, then a
    // tail shorter than a unit by bytes; never a byte outside the buffer.
    // Word reads and writes start at the address aligned down to 4, half
    // words at the address aligned down to 2.
    void ReadMemory(uint32_t address, Unit unit, uint8_t* buffer, size_t length);
    void WriteMemory(uint32_t address, Unit unit, const uint8_t* buffer, size_t length);
    // `length` bytes of `value` repeated (big-endian within a unit).
    void FillMemory(uint32_t address, Unit unit, uint32_t value, size_t length);

    void InstructionSync();

protected:
    // The three primitives of the debug port, without logging.
    virtual void Execute(uint32_t word) = 0;
    virtual uint32_t GetGpr(unsigned n) = 0;
    virtual void SetGpr(unsigned n, uint32_t value) = 0;

    // Operation texts for a port that logs (before and after each operation).
    virtual void Begin(const std::string&) {}
    virtual void End() {}

    // Called before a block write and after each store (with the address the
    // store wrote and the bytes written so far), and once at its end.
    virtual void BeforeWrite() {}
    virtual void AfterStore(uint32_t, size_t) {}
    virtual void AfterWrite(uint32_t) {}

    // Unlogged forms for operations built on other operations.
    uint32_t GetThroughR1(uint32_t moveWord);
    void SetThroughR1(uint32_t moveWord, uint32_t value);
    uint32_t GetSpr(uint32_t spr);
    void SetSpr(uint32_t spr, uint32_t value);
    // r0 = value in the fewest words (load immediate, or shifted and OR).
    void LoadR0(uint32_t value, Unit unit);

private:
    template <typename StoreOne>
    void StoreBlock(uint32_t address, Unit unit, size_t length, StoreOne storeOne);
};

}  // namespace ppc
