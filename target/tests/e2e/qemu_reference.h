// The reference state for an end-to-end run: qemu-system-arm runs the image
// under gdb-multiarch (qemu's gdb stub on a pipe) to a breakpoint on the
// normal-end word, which qemu itself would execute as an ordinary SWI.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace falcrest_e2e {

struct ArmState {
    uint32_t r[16] = {};  // r0-r15
    uint32_t cpsr = 0;
};

struct QemuReference {
    bool ok = false;
    std::string error;       // why not ok, with gdb's output
    ArmState atEntry;        // before the first instruction
    ArmState atNormalEnd;    // stopped on __normal_end
    uint32_t normalEnd = 0;  // address of __normal_end
    uint32_t bufferAddress = 0;
    std::vector<uint32_t> buffer;  // the words of the result buffer at the stop
};

// bufferSymbol names a global array of at least `words` 32-bit words.
QemuReference QemuStateAtNormalEnd(const std::string& image, const std::string& bufferSymbol,
                                   unsigned words);

}  // namespace falcrest_e2e
