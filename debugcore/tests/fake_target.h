// Recording fakes of everything sarvik reaches outside itself: the target
// library's breakpoint and unit calls, the memory library, the CPU model's
// byte order, the loader's code and Thumb answers and the symbol library's
// line ranges. The test executable defines these entry points, so they
// stand in for the real libraries that libsarvik.so links.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "emu_types.h"

struct FakeTarget {
    // --- Recording -------------------------------------------------------
    // "emuSetBp(0x8000)", "emuClrBp(0x8000)", "MemRead(0x8000,4)",
    // "MemWrite(0x8000,2)", "emuSetHwBp(u0,0x8000,mask 0x0,ctl 0xfff70100)",
    // "emuClrHwBp(u1)", "emuEnableHwBp(0,u0)", "emuEnableSwBkpt",
    // "emuDisableSwBkpt".
    std::vector<std::string> calls;
    // The calls that begin with `prefix`.
    std::vector<std::string> Calls(const std::string& prefix) const;
    // The next call of that name ("emuSetBp", "MemRead", ...) returns `result`
    // and does nothing.
    std::map<std::string, int> failNext;

    // --- Memory (little- or big-endian target, every byte 0 until written)
    std::map<uint32_t, uint8_t> memory;
    std::set<uint32_t> unreadable;  // a read touching these fails
    std::set<uint32_t> unwritable;  // a write touching these fails
    bool bigEndian = false;
    void Poke(uint32_t address, std::vector<uint8_t> bytes);
    std::vector<uint8_t> Peek(uint32_t address, uint32_t count) const;
    void PokeWord(uint32_t address, uint32_t value);  // in the target's order
    uint32_t PeekWord(uint32_t address) const;
    uint16_t PeekHalf(uint32_t address) const;

    // --- Watchpoint units: registers 52 + 7u ... 57 + 7u -------------------
    bool unitsPresent = true;  // false: every unit register reads -1 (the simulator)
    std::map<int, int> unitRegs;
    // The arguments of the last emuSetHwBp: address, address mask, data,
    // data mask, the two words after them, control, unit.
    struct HwBpCall {
        uint32_t address, addressMask, data, dataMask;
        int kind, reserved;
        uint32_t control;
        int unit;
    } lastHwBp{};

    // --- Processor registers by simulator number (SIM_REG_R0 + n, SIM_REG_PC)
    std::map<int, uint32_t> regs;

    // --- CPU model: the PC (CpuGetPC fails while `pcReadable` is false) ----
    uint32_t pc = 0;
    bool pcReadable = true;

    // --- Loader and symbol answers -----------------------------------------
    int inCode = 1;
    std::vector<std::pair<uint32_t, uint32_t>> thumbRanges;  // inclusive
    // (module key, line) -> code ranges (inclusive).
    std::map<std::pair<uint32_t, uint32_t>, std::vector<std::pair<uint32_t, uint32_t>>> lineRanges;
    int fileFormat = 3;  // LdrFileFormat: the image loaded last (3 ELF)

    void Reset() { *this = FakeTarget{}; }
    // The name's planned failure, taken; 0 when none.
    int TakeFailure(const std::string& name);
};

FakeTarget& Fake();

// The CPU model's run state and run counts and the target's abort, for the
// halt's wait; read from any thread. A fresh state: stopped, no runs.
struct FakeRunState {
    std::atomic<bool> running{false};
    std::atomic<uint32_t> runs{0};   // CpuGetRunCount
    std::atomic<uint32_t> stops{0};  // CpuGetStopCount
    // What emuAbort does (on the calling thread); its result is 0.
    std::function<void()> onAbort;
    void Reset();
};

FakeRunState& FakeRun();
