#include "jtagscan/driver_support.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/win32.h"

namespace jtag {

std::string StateName(uint8_t state)
{
    static const char* const kNames[] = {"test_logic_reset", "run_test_idle", "pause_dr",
                                         "pause_ir",         "shift_dr",      "shift_ir"};
    return state < 6 ? kNames[state] : std::to_string(state);
}

std::string Hex(uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

unsigned SpeedIndex(int32_t speed)
{
    if (speed <= 0)
        return 0;
    return speed > 8 ? 7 : static_cast<unsigned>(speed - 1);
}

uint8_t WithPin(uint8_t image, uint8_t pin, bool set)
{
    if (pin > 7)
        return image;
    const uint8_t bit = static_cast<uint8_t>(1u << pin);
    return static_cast<uint8_t>(set ? image | bit : image & ~bit);
}

int32_t MessageWaiting()
{
    MSG msg{};
    return PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE) ? 1 : 0;
}

void Delay(uint32_t milliseconds)
{
    platform::SleepMs(milliseconds);
}

}  // namespace jtag
