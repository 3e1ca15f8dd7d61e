// The memory tools' operations on target memory through talvis: search,
// compare, checksum, copy, fill and the memory test, each giving the lines
// or the text its page shows. Address arithmetic is 64-bit: a range may
// end on the last byte of the space.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "emu_types.h"

namespace regmem {

// At most this many matches or differences are listed.
inline constexpr int kToolListLimit = 255;

// Output lines of a search; `caseSensitive` off: letters match either case.
std::vector<std::string> RunSearch(ADDR start, ADDR end, const std::vector<uint8_t>& pattern, bool caseSensitive);
// Output lines of a compare in units of `unit` bytes.
std::vector<std::string> RunCompare(ADDR start, ADDR end, ADDR destination, bool stopAtFirst, int unit);
std::string RunChecksum(ADDR start, ADDR end);
// The copy's text. The destination's last byte is checked after rounding the
// range to whole units, so no byte past the checked range is written.
std::string RunCopy(ADDR start, ADDR end, ADDR destination, int unit);
std::string RunFill(ADDR start, ADDR end, const std::vector<uint8_t>& pattern);

// Runs the test: "Can not support in simulator!" for the simulator; action
// 0 memory (talvis's walk over the range's 256-byte blocks: `progress` gets
// 0-100 after each block and `stop` is asked before each), 1 data bus, 2
// address bus; width 0 byte, 1 half word, 2 word.
struct TestHooks {
    std::function<void(int percent)> progress;
    std::function<bool()> stop;
};
std::string RunTest(ADDR start, ADDR end, int action, int width, const TestHooks& hooks = {});

// The rounding of compare and copy: start down, end up to its unit's last
// byte (64-bit: may pass the space), destination down.
struct UnitRange {
    uint64_t start, end, destination;
};
UnitRange RoundToUnit(uint32_t start, uint32_t end, uint32_t destination, int unit);

}  // namespace regmem
