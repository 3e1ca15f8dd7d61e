#include "fake_sim.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int REG_COUNT = 38;
constexpr uint32_t RESET_CPSR = 0xD3;

uint32_t UnitOf(intptr_t a1)
{
    const uint32_t u = static_cast<uint32_t>(a1) & 0xFFFF;
    return u == 1 || u == 2 ? u : 4;
}

}  // namespace

int FakeSim::Command(int code, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4)
{
    FakeSimCall call{code, a1, a2, a3, a4, {}};
    const uint32_t length = static_cast<uint32_t>(a4) & 0xFFFF;
    if (code == SIM_CMD_WRITE_MEM && a3)
        call.bytes.assign(reinterpret_cast<const uint8_t*>(a3), reinterpret_cast<const uint8_t*>(a3) + length);
    calls.push_back(std::move(call));

    const int occurrence = seen_[code]++;
    auto failure = failures_.find({code, occurrence});
    if (failure != failures_.end())
        return failure->second;

    switch (code) {
    case SIM_CMD_INIT:
        memory_.clear();
        std::memset(regs, 0, sizeof regs);
        regs[SIM_REG_CPSR] = RESET_CPSR;
        running = false;
        break;
    case SIM_CMD_GO: running = true; break;
    case SIM_CMD_READ_REG:
        if (a1 >= 0 && a1 < REG_COUNT)
            std::memcpy(reinterpret_cast<void*>(a2), &regs[a1], 4);
        break;
    case SIM_CMD_WRITE_REG: {
        const int n = static_cast<int16_t>(a1);
        if (n >= 0 && n < REG_COUNT)
            regs[n] = static_cast<uint32_t>(a2);
        break;
    }
    case SIM_CMD_READ_MEM:
    case SIM_CMD_WRITE_MEM: {
        const uint32_t unit = UnitOf(a1);
        uint32_t address = static_cast<uint32_t>(a2);
        if (unit > 1 && (address % unit != 0 || length % unit != 0))
            ++unitViolations;
        address -= address % unit;
        auto* host = reinterpret_cast<uint8_t*>(a3);
        for (uint32_t done = 0; done < length; done += unit) {
            // Target memory is little-endian; a unit is a host value.
            const uint32_t n = std::min(unit, length - done);
            if (code == SIM_CMD_READ_MEM) {
                uint32_t value = 0;
                for (uint32_t i = 0; i < unit; ++i)
                    value |= static_cast<uint32_t>(Peek(address + done + i)) << (8 * i);
                std::memcpy(host + done, &value, n);  // the simulator stores a whole unit
            } else {
                uint32_t value = 0;
                std::memcpy(&value, host + done, n);
                for (uint32_t i = 0; i < unit; ++i)
                    Poke(address + done + i, static_cast<uint8_t>(value >> (8 * i)));
            }
        }
        break;
    }
    case SIM_CMD_STATUS: *reinterpret_cast<char*>(a1) = running ? 0 : 1; break;
    case SIM_CMD_HALT:
        if (running)
            FireStop(SIM_STOP_HALT_REQUEST, 0, regs[SIM_REG_PC]);
        break;
    case SIM_CMD_CLOSE: running = false; break;
    default: break;
    }
    return 0;
}

extern "C" {

FakeSim* FakeSim_Instance()
{
    static FakeSim sim;
    return &sim;
}

int Sim_Command(int cmd, intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4)
{
    return FakeSim_Instance()->Command(cmd, a1, a2, a3, a4);
}

#ifndef FAKE_SIM_WITHOUT_STOP_HOOK
void Sim_SetStopHook(SimStopHook hook, void* context)
{
    FakeSim* sim = FakeSim_Instance();
    sim->hook = hook;
    sim->hookContext = context;
    ++sim->hookSets;
}
#endif

}  // extern "C"
