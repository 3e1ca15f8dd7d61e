// The S-record load over any bytes: both passes, symbols into quinar and
// the code into a target that checks every write stays inside the address
// space.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "front_state.h"
#include "quinar/symbol_store.h"
#include "srec_load.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quentor;
    FrontEndState& s = FrontState();
    s = FrontEndState{};
    s.flags = size & 1 ? LOAD_CODE : LOAD_SYMBOLS | LOAD_CODE;
    s.record.fileSize = size;
    std::unique_ptr<ByteSource> source = MemorySource(std::vector<uint8_t>(data, data + size));
    const ImageStamp stamp{};
    LoadSRecords(*source, "fuzz.srec", stamp, [](uint32_t address, const uint8_t* bytes, uint32_t count) {
        if (count == 0 || uint64_t{address} + count > 0x100000000ull)
            std::abort();
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < count; ++i)
            sum = static_cast<uint8_t>(sum + bytes[i]);
        return 0;
    });
    quinar::Symbols().Clear();
    return 0;
}
