// Any text as a line of the breakpoint dialog: reading never crashes or
// reads outside the text, and a line it reads writes back to a line that
// reads into the same breakpoint (and writes the same text again).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "bp_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sarvik::ui;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    BpLine first;
    if (!ReadBpLine(text, first))
        return 0;
    const std::string written = WriteBpLine(first);
    BpLine second;
    if (!ReadBpLine(written, second) || !(second == first) || WriteBpLine(second) != written)
        std::abort();
    return 0;
}
