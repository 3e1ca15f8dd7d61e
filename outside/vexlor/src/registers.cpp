// The program counter and the registers of the current mode, by id and by
// name, read and written through Falcrest.
#include <strings.h>

#include "cpu_model.h"
#include "falcrest.h"
#include "vexlor/vexlor.h"

namespace {

// vexlor id -> simulator register number: r0-r15 are 0-15, then CPSR, SPSR,
// then the banked registers.
bool SimNumber(DWORD id, int* number)
{
    if (id <= 15)
        *number = SIM_REG_R0 + static_cast<int>(id);
    else if (id == VEXLOR_REG_CPSR)
        *number = SIM_REG_CPSR;
    else if (id == VEXLOR_REG_SPSR)
        *number = SIM_REG_SPSR;
    else if (id < VEXLOR_REG_COUNT)
        *number = static_cast<int>(id);  // banked: the simulator's numbers 18-37
    else
        return false;
    return true;
}

int ReadSim(int number, DWORD* value)
{
    if (!value)
        return EMU_REFUSED;
    int v = 0;
    int r = emuGetReg(0, number, &v);
    if (r == EMU_OK)
        *value = static_cast<DWORD>(v);
    return r;
}

int WriteSim(int number, DWORD value)
{
    return emuSetReg(0, number, static_cast<int>(value));
}

}  // namespace

extern "C" {

int CpuGetPC(DWORD* pc)
{
    return ReadSim(SIM_REG_PC, pc);
}

int CpuSetPC(DWORD pc)
{
    return WriteSim(SIM_REG_PC, pc);
}

int CpuGetLR(DWORD* lr)
{
    return ReadSim(SIM_REG_LR, lr);
}

int CpuGetRegister(DWORD id, DWORD* value)
{
    int number = 0;
    return SimNumber(id, &number) ? ReadSim(number, value) : EMU_REFUSED;
}

int CpuSetRegister(DWORD id, DWORD value)
{
    int number = 0;
    return SimNumber(id, &number) ? WriteSim(number, value) : EMU_REFUSED;
}

int CpuFindRegisterId(const char* name, DWORD* id)
{
    static const struct {
        const char* name;
        DWORD id;
    } names[] = {
        {"r0", 0},
        {"r1", 1},
        {"r2", 2},
        {"r3", 3},
        {"r4", 4},
        {"r5", 5},
        {"r6", 6},
        {"r7", 7},
        {"r8", 8},
        {"r9", 9},
        {"r10", 10},
        {"r11", 11},
        {"r12", 12},
        {"r13", 13},
        {"r14", 14},
        {"r15", 15},
        {"sp", 13},
        {"lr", 14},
        {"pc", 15},
        {"cpsr", VEXLOR_REG_CPSR},
        {"spsr", VEXLOR_REG_SPSR},
    };
    if (!name || !id)
        return EMU_REFUSED;
    for (const auto& n : names) {
        if (strcasecmp(n.name, name) == 0) {
            *id = n.id;
            return 0;
        }
    }
    return EMU_REFUSED;
}

}  // extern "C"
