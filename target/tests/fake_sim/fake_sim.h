// A recording stand-in for the simulator library: built as libDorvel.so into
// a test module folder and loaded by Falcrest as "Dorvel.dll". It records
// every Sim_Command call (code, arguments and the bytes written) and serves
// registers and memory from a small model that behaves as the simulator's
// commands do: units of 1, 2 or 4 bytes, little-endian target memory, an
// unaligned unit address rounded down.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "emu_types.h"
#include "sim_command.h"

struct FakeSimCall {
    int code;
    intptr_t a1, a2, a3, a4;
    std::vector<uint8_t> bytes;  // code 7: the bytes passed
};

class FakeSim {
public:
    // --- Recording --------------------------------------------------------
    std::vector<FakeSimCall> calls;
    // Unit transfers (unit 2 or 4) at an unaligned address or with a length
    // that is not a multiple of the unit: they move bytes outside the range.
    int unitViolations = 0;
    // Forgets the calls, violations and planned failures.
    void Clear();
    // The calls as text: "6(4,0x100,1024)" for memory codes (unit, address,
    // length), "2(16)" and "3(0,0xd3)" for registers, "41(0x8000)", "1".
    std::vector<std::string> Trace() const;
    std::vector<int> Codes() const;

    // The occurrence-th call (from 0, counted after Clear) with `code`
    // returns `result` and does nothing.
    void FailCall(int code, int occurrence, int result);

    // --- Model ------------------------------------------------------------
    uint32_t regs[38] = {};
    std::atomic<bool> running{false};
    std::set<uint32_t> stuckBytes;  // bytes that ignore writes
    uint8_t Peek(uint32_t address) const;
    void Poke(uint32_t address, uint8_t value);
    std::vector<uint8_t> PeekBytes(uint32_t address, uint32_t count) const;
    void PokeBytes(uint32_t address, const std::vector<uint8_t>& bytes);

    // --- Stop hook --------------------------------------------------------
    SimStopHook hook = nullptr;
    void* hookContext = nullptr;
    int hookSets = 0;
    // Ends the free run as the run thread does: stopped, then the hook.
    void FireStop(int reason, int lastResult, uint32_t pc);

    int Command(int code, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4);

private:
    std::unordered_map<uint32_t, uint8_t> memory_;
    std::map<std::pair<int, int>, int> failures_;
    std::map<int, int> seen_;
};

// The test and the library share these: the test reaches the library's one
// instance through FakeSim_Instance.
inline std::string FakeSimHex(uint64_t v)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(v));
    return text;
}

inline void FakeSim::Clear()
{
    calls.clear();
    unitViolations = 0;
    failures_.clear();
    seen_.clear();
}

inline std::vector<std::string> FakeSim::Trace() const
{
    std::vector<std::string> out;
    for (const FakeSimCall& c : calls) {
        std::string t = std::to_string(c.code);
        switch (c.code) {
        case SIM_CMD_READ_REG: t += "(" + std::to_string(c.a1) + ")"; break;
        case SIM_CMD_WRITE_REG:
            t += "(" + std::to_string(c.a1) + "," + FakeSimHex(static_cast<uint32_t>(c.a2)) + ")";
            break;
        case SIM_CMD_READ_MEM:
        case SIM_CMD_WRITE_MEM:
            t += "(" + std::to_string(c.a1) + "," + FakeSimHex(static_cast<uint32_t>(c.a2)) + "," +
                std::to_string(c.a4) + ")";
            break;
        case SIM_CMD_SET_BREAK: t += "(" + FakeSimHex(static_cast<uint32_t>(c.a1)) + ")"; break;
        default: break;
        }
        out.push_back(t);
    }
    return out;
}

inline std::vector<int> FakeSim::Codes() const
{
    std::vector<int> out;
    for (const FakeSimCall& c : calls)
        out.push_back(c.code);
    return out;
}

inline void FakeSim::FailCall(int code, int occurrence, int result)
{
    failures_[{code, occurrence}] = result;
}

inline uint8_t FakeSim::Peek(uint32_t address) const
{
    auto it = memory_.find(address);
    return it == memory_.end() ? 0 : it->second;
}

inline void FakeSim::Poke(uint32_t address, uint8_t value)
{
    if (!stuckBytes.count(address))
        memory_[address] = value;
}

inline std::vector<uint8_t> FakeSim::PeekBytes(uint32_t address, uint32_t count) const
{
    std::vector<uint8_t> out(count);
    for (uint32_t i = 0; i < count; ++i)
        out[i] = Peek(address + i);
    return out;
}

inline void FakeSim::PokeBytes(uint32_t address, const std::vector<uint8_t>& bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        memory_[address + static_cast<uint32_t>(i)] = bytes[i];
}

inline void FakeSim::FireStop(int reason, int lastResult, uint32_t pc)
{
    running = false;
    if (hook)
        hook(hookContext, reason, lastResult, pc);
}

extern "C" FakeSim* FakeSim_Instance();
inline constexpr const char* FAKE_SIM_INSTANCE_ENTRY = "FakeSim_Instance";
