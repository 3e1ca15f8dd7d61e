// A stand-in serial ICE library: registers and a byte memory, every call
// recorded as text for the tests to read (`fake_ice_log`).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {
std::string g_log;
std::map<uint32_t, uint8_t> g_memory;
std::map<uint64_t, uint32_t> g_registers;
bool g_halted = true;

void Record(const char* format, long a, long b, long c, long d = 0)
{
    char line[96];
    std::snprintf(line, sizeof line, format, a, b, c, d);
    g_log += line;
    g_log += '\n';
}
}  // namespace

#define ICE_EXPORT extern "C" __attribute__((visibility("default")))

ICE_EXPORT const char* fake_ice_log()
{
    return g_log.c_str();
}

ICE_EXPORT void fake_ice_clear()
{
    g_log.clear();
}

ICE_EXPORT int32_t WriteTarget(int32_t space, uint32_t index, uint32_t value, int32_t size)
{
    Record("WriteTarget(%ld, 0x%lx, 0x%lx, %ld)", space, long(index), long(value), size);
    if (space == 1) {
        for (int32_t i = 0; i < size; ++i)
            g_memory[index + uint32_t(i)] = uint8_t(value >> (8 * (size - 1 - i)));
    } else {
        g_registers[uint64_t(space) << 32 | index] = value;
    }
    return 0;
}

ICE_EXPORT uint32_t ReadTarget(int32_t space, uint32_t index, int32_t size)
{
    Record("ReadTarget(%ld, 0x%lx, %ld)", space, long(index), size);
    if (space != 1)
        return g_registers[uint64_t(space) << 32 | index];
    uint32_t value = 0;
    for (int32_t i = 0; i < size; ++i)
        value = value << 8 | g_memory[index + uint32_t(i)];
    return value;
}

ICE_EXPORT int32_t CheckTarget(int32_t a, int32_t b, void*)
{
    Record("CheckTarget(%ld, %ld, p)", a, b, 0);
    return g_halted ? 1 : 0;
}

ICE_EXPORT int32_t SerialIceCtrl(int32_t request, int32_t a, int32_t b)
{
    Record("SerialIceCtrl(%ld, %ld, %ld)", request, a, b);
    return 0;
}

ICE_EXPORT int32_t RunTarget(int32_t a, int32_t b, int32_t c)
{
    Record("RunTarget(%ld, %ld, %ld)", a, b, c);
    g_halted = a == 2 && c == 1 ? true : false;  // a single step ends halted
    return 0;
}

ICE_EXPORT int32_t StopTarget(int32_t a, void*, void*)
{
    Record("StopTarget(%ld, data, p)", a, 0, 0);
    g_halted = true;
    return 0;
}

ICE_EXPORT int32_t E0Handler(uint8_t* p, int32_t state)
{
    Record("E0Handler(p, %ld)", state, 0, 0);
    if (p[0] == 0)
        return 1;  // an empty request fails
    static const char answer[] = "ICE OK";
    p[0] = sizeof answer - 1;
    std::memcpy(p + 1, answer, sizeof answer - 1);
    return 0;
}
