// Small pieces both JTAG drivers use: log texts, the speed index, output pins,
// the message test of release_to_os and the delays on an injectable clock.
#pragma once

#include <cstdint>
#include <string>

namespace jtag {

// "run_test_idle" and the other names a caller can give; the number itself for
// any other state.
std::string StateName(uint8_t state);
// `value` in upper-case hexadecimal, `digits` wide.
std::string Hex(uint32_t value, int digits);

// Speed 1 to 8 is index 0 to 7, 0 (and below) is 0, above 8 is 7.
unsigned SpeedIndex(int32_t speed);

// `image` with bit `pin` set or cleared; pins past 7 change nothing.
uint8_t WithPin(uint8_t image, uint8_t pin, bool set);

// Whether a window message waits for the calling thread (it stays queued).
int32_t MessageWaiting();

// Sleeps on the port service's clock.
void Delay(uint32_t milliseconds);

}  // namespace jtag
