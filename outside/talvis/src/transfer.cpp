// Set-up, block reads and writes (split into pieces that Falcrest's 16-bit
// lengths carry), and the byte swaps.
#include <algorithm>

#include "falcrest.h"
#include "ranges.h"
#include "talvis/talvis.h"

using namespace talvis;

namespace {

// The main frame, kept for the library's messages.
HWND mainFrame = nullptr;

bool KnownWidth(int width)
{
    return width == -1 || width == 1 || width == 2 || width == 4;
}

// Runs transfer(address, offset, count) over the pieces of [addr, addr + count).
template <typename Transfer>
int InPieces(ADDR addr, uint32_t count, Transfer transfer)
{
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(TRANSFER_PIECE, count - done);
        int r = transfer(ADDR{addr.off + done, addr.seg}, done, n);
        if (r != EMU_OK)
            return r;
        done += n;
    }
    return 0;
}

}  // namespace

extern "C" {

int MemInitServer(HWND frame)
{
    mainFrame = frame;
    return 0;
}

int MemExitServer(void)
{
    mainFrame = nullptr;
    return 0;
}

int MemReadBlock(void* buffer, ADDR addr, uint32_t count)
{
    if ((!buffer && count > 0) || !FitsAddressSpace(addr.off, count))
        return MEM_LIBRARY_ERROR;
    return InPieces(addr, count, [buffer](ADDR at, uint32_t done, uint32_t n) {
        return emuGetMemN(at, static_cast<uint8_t*>(buffer) + done, static_cast<int>(n));
    });
}

// The simulator's memory takes byte-exact block writes whatever the width;
// the width is checked and the bytes land as given.
int MemWriteBlock(ADDR addr, const void* data, uint32_t count, int width)
{
    if ((!data && count > 0) || !KnownWidth(width) || !FitsAddressSpace(addr.off, count))
        return MEM_LIBRARY_ERROR;
    return InPieces(addr, count, [data](ADDR at, uint32_t done, uint32_t n) {
        return emuSetMemN(at, static_cast<const uint8_t*>(data) + done, static_cast<int>(n));
    });
}

uint32_t MemSwapBytesInLong(uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

uint16_t MemSwapBytesInWord(uint16_t value)
{
    return static_cast<uint16_t>((value >> 8) | (value << 8));
}

}  // extern "C"
