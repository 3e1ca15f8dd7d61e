// Go, halt, status and close against the run thread, many times over, for
// ThreadSanitizer: built with the simulator's sources instrumented and
// Sim_Command linked in directly. The hook's records are plain variables on
// purpose: reading them after a halt is only sound because halt joins the
// run thread, which the sanitizer checks.
#include <chrono>
#include <cstdio>
#include <thread>

#include "sim_command.h"

namespace {

int g_failures = 0;
int g_stops = 0;
int g_lastReason = 0;

void Check(bool ok, const char* what, int cycle)
{
    if (ok)
        return;
    if (++g_failures <= 10)
        std::fprintf(stderr, "run_stress: %s (cycle %d)\n", what, cycle);
}

char Status()
{
    char status = 0x55;
    Sim_Command(SIM_CMD_STATUS, reinterpret_cast<intptr_t>(&status), 0, 0, 0);
    return status;
}

void Write(uint32_t addr, uint32_t word)
{
    Sim_Command(SIM_CMD_WRITE_MEM, 4, addr, reinterpret_cast<intptr_t>(&word), 4);
}

void OnStop(void*, int reason, int, uint32_t)
{
    ++g_stops;
    g_lastReason = reason;
}

}  // namespace

int main()
{
    Sim_SetStopHook(OnStop, nullptr);
    Sim_Command(SIM_CMD_INIT, 0, 0, 0, 0);
    Write(0x100, 0xE2800001);  // add r0,r0,#1
    Write(0x104, 0xEAFFFFFD);  // b 0x100
    Write(0x200, 0xE2511001);  // subs r1,r1,#1
    Write(0x204, 0x1AFFFFFD);  // bne 0x200
    Write(0x208, 0xEF000011);  // swi 0x11

    // Endless runs, each halted.
    for (int i = 0; i < 1000; ++i) {
        Sim_Command(SIM_CMD_WRITE_REG, 16, 0x100, 0, 0);
        Check(Sim_Command(SIM_CMD_GO, 0, 0, 0, 0) == 0, "go refused", i);
        Check(Status() == 0, "not running after go", i);
        if (i % 4 == 1)
            Check(Sim_Command(SIM_CMD_GO, 0, 0, 0, 0) == -1, "second go accepted", i);
        if (i % 3 == 2)
            std::this_thread::yield();
        Check(Sim_Command(SIM_CMD_HALT, 0, 0, 0, 0) == 0, "halt failed", i);
        Check(Status() == 1, "not stopped after halt", i);
        Check(g_stops == i + 1, "hook not called once", i);
        Check(g_lastReason == SIM_STOP_HALT_REQUEST, "wrong reason after halt", i);
    }

    // Runs that end by themselves while the halt comes early, late or never.
    for (int i = 0; i < 200; ++i) {
        const int before = g_stops;
        Sim_Command(SIM_CMD_WRITE_REG, 2, 1 + (i * 37) % 500, 0, 0);  // r1: iterations
        Sim_Command(SIM_CMD_WRITE_REG, 16, 0x200, 0, 0);
        Check(Sim_Command(SIM_CMD_GO, 0, 0, 0, 0) == 0, "go refused", i);
        if (i % 2)
            std::this_thread::sleep_for(std::chrono::microseconds(i % 50));
        if (i % 5 == 0) {
            // Seeing "stopped" is enough to read the state the run left,
            // while the run thread may still be in the hook.
            while (Status() == 0)
                std::this_thread::yield();
            uint32_t r1 = 1;
            Check(Sim_Command(SIM_CMD_READ_REG, 2, reinterpret_cast<intptr_t>(&r1), 0, 0) == 0 && r1 == 0,
                  "registers not readable after the end", i);
        }
        Sim_Command(SIM_CMD_HALT, 0, 0, 0, 0);
        Check(Status() == 1, "not stopped", i);
        Check(g_stops == before + 1, "hook not called once", i);
        Check(g_lastReason == SIM_STOP_NORMAL_END || g_lastReason == SIM_STOP_HALT_REQUEST, "wrong reason", i);
        if (i % 5 == 0)
            Check(g_lastReason == SIM_STOP_NORMAL_END, "waited run did not end normally", i);
    }

    // Close while a run goes, then the simulator is usable again.
    Sim_Command(SIM_CMD_WRITE_REG, 16, 0x100, 0, 0);
    Sim_Command(SIM_CMD_GO, 0, 0, 0, 0);
    Check(Sim_Command(SIM_CMD_CLOSE, 0, 0, 0, 0) == 0, "close failed", 0);
    Check(Status() == 1, "not stopped after close", 0);
    Check(g_lastReason == SIM_STOP_HALT_REQUEST, "wrong reason after close", 0);
    Sim_Command(SIM_CMD_INIT, 0, 0, 0, 0);
    Sim_SetStopHook(nullptr, nullptr);
    Sim_Command(SIM_CMD_CLOSE, 0, 0, 0, 0);

    if (g_failures)
        std::fprintf(stderr, "run_stress: %d failures\n", g_failures);
    return g_failures ? 1 : 0;
}
