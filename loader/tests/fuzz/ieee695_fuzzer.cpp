// The IEEE-695 load over any bytes: header, environment, sections, the data
// part into a target that checks every write stays inside the address
// space, the trailer, the debug part and the external part into quinar.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "front_state.h"
#include "ieee695_load.h"
#include "quinar/symbol_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quentor;
    FrontEndState& s = FrontState();
    s = FrontEndState{};
    s.flags = LOAD_SYMBOLS | LOAD_EXTERNAL | (size & 1 ? LOAD_CODE : 0) | (size & 2 ? LOAD_ASM_MODULES : 0);
    s.mode = size & 4 ? 1 : 0;
    s.record.fileSize = size;
    std::unique_ptr<ByteSource> source = MemorySource(std::vector<uint8_t>(data, data + size));
    const ImageStamp stamp{};
    // Repeats may ask for gigabytes: the target refuses writes past 16 MiB
    // in all, which ends the load as a failed write would.
    uint64_t written = 0;
    LoadIeee695(*source, "fuzz.695", stamp, [&written](uint32_t address, const uint8_t* bytes, uint32_t count) {
        if (count == 0 || uint64_t{address} + count > 0x100000000ull)
            std::abort();
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < count; ++i)
            sum = static_cast<uint8_t>(sum + bytes[i]);
        written += count;
        return written > (16u << 20) ? 1 : 0;
    });
    quinar::Symbols().Clear();
    return 0;
}
