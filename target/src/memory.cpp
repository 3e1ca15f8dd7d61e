// Target memory: the access size, single and block transfers, copy, compare
// and fill.
#include <algorithm>
#include <cstring>

#include "session.h"

using namespace falcrest;

namespace falcrest {

unsigned PairUnit(uint32_t a, uint32_t b, unsigned unit)
{
    return a % unit == 0 && b % unit == 0 ? unit : 1;
}

namespace {

int TransferUnits(int code, uint32_t address, intptr_t buffer, uint32_t length, unsigned unit)
{
    const uint32_t whole = length - length % unit;
    if (whole > 0) {
        int r = Send(code, unit, address, buffer, whole);
        if (r != EMU_OK)
            return r;
    }
    if (whole < length)
        return Send(code, 1, address + whole, buffer + whole, length - whole);
    return EMU_OK;
}

}  // namespace

int ReadUnits(uint32_t address, void* buffer, uint32_t length, unsigned unit)
{
    return TransferUnits(SIM_CMD_READ_MEM, address, Ptr(buffer), length, unit);
}

int WriteUnits(uint32_t address, const void* buffer, uint32_t length, unsigned unit)
{
    return TransferUnits(SIM_CMD_WRITE_MEM, address, Ptr(buffer), length, unit);
}

}  // namespace falcrest

namespace {

constexpr uint32_t WRITE_PIECE = 240;
constexpr uint32_t COPY_PIECE = 1024;
constexpr uint32_t COMPARE_PIECE = 512;
constexpr uint32_t FILL_BLOCK = 1024;

}  // namespace

extern "C" {

EmuResult emuSetAccessSize(int size)
{
    if (size != 1 && size != 2 && size != 4)
        return EMU_REFUSED;
    State().accessSize = static_cast<uint16_t>(size);
    return EMU_OK;
}

EmuResult emuGetAccessSize(int16_t* size)
{
    if (!size)
        return EMU_REFUSED;
    *size = static_cast<int16_t>(State().accessSize);
    return EMU_OK;
}

EmuResult emuGetMem(uint32_t address, int16_t, char* byte)
{
    if (!Bound())
        return EMU_NO_BACKEND;
    if (!byte)
        return EMU_REFUSED;
    return Send(SIM_CMD_READ_MEM, 1, address, Ptr(byte), 1);
}

EmuResult emuSetMem(uint32_t address, int16_t, char value)
{
    if (!Bound())
        return EMU_NO_BACKEND;
    return Send(SIM_CMD_WRITE_MEM, 1, address, Ptr(&value), 1);
}

EmuResult emuGetMemN(ADDR address, void* buffer, int length)
{
    if (!Bound())
        return EMU_NO_BACKEND;
    const uint32_t n = static_cast<uint32_t>(length) & 0xFFFF;
    if (!buffer && n > 0)
        return EMU_REFUSED;
    return Send(SIM_CMD_READ_MEM, 1, address.off, Ptr(buffer), n);
}

EmuResult emuSetMemN(ADDR address, const void* buffer, int length)
{
    if (!Bound())
        return EMU_NO_BACKEND;
    const uint32_t n = static_cast<uint32_t>(length) & 0xFFFF;
    if (!buffer && n > 0)
        return EMU_REFUSED;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    EmuResult r = EMU_OK;
    for (uint32_t done = 0; done < n; done += WRITE_PIECE) {
        const uint32_t piece = std::min(WRITE_PIECE, n - done);
        r = Send(SIM_CMD_WRITE_MEM, 1, address.off + done, Ptr(bytes + done), piece);
        if (r != EMU_OK)
            return r;
    }
    return r;
}

EmuResult emuCopy(uint32_t source, int16_t, uint32_t length, uint32_t destination, int16_t)
{
    if (!Bound())
        return EMU_NO_BACKEND;
    if (length == 0)
        return EMU_OK;
    const unsigned unit = PairUnit(source, destination, State().accessSize);
    // A destination above the source and inside its range would overwrite
    // source bytes not yet read: then the pieces go from the last to the first.
    const bool backward = destination > source && destination - source < length;
    const uint32_t pieces = length / COPY_PIECE + (length % COPY_PIECE != 0);
    uint8_t buffer[COPY_PIECE];
    EmuResult r = EMU_OK;
    for (uint32_t k = 0; k < pieces; ++k) {
        const uint32_t offset = (backward ? pieces - 1 - k : k) * COPY_PIECE;
        const uint32_t n = std::min(COPY_PIECE, length - offset);
        r = ReadUnits(source + offset, buffer, n, unit);
        if (r != EMU_OK)
            return r;
        r = WriteUnits(destination + offset, buffer, n, unit);
        if (r != EMU_OK)
            return r;
    }
    return r;
}

EmuResult emuCompare(uint32_t address1, int16_t space1, uint32_t length, uint32_t address2, int16_t,
                     EMU_COMPARE_RESULT* result, int*)
{
    if (!Bound())
        return EMU_NO_BACKEND;
    const unsigned size = State().accessSize;
    const unsigned unit = PairUnit(address1, address2, size);
    uint8_t piece1[COMPARE_PIECE];
    uint8_t piece2[COMPARE_PIECE];
    // The offset advances by the piece read, so it never wraps past a
    // length near 4 GiB.
    for (uint32_t offset = 0, n = 0; offset < length; offset += n) {
        n = std::min(COMPARE_PIECE, length - offset);
        EmuResult r = ReadUnits(address1 + offset, piece1, n, unit);
        if (r == EMU_OK)
            r = ReadUnits(address2 + offset, piece2, n, unit);
        if (r != EMU_OK)
            return r;
        // Unit by unit; a last unit cut by the range end compares only the
        // bytes inside the range.
        for (uint32_t at = 0; at < n; at += size) {
            if (std::memcmp(piece1 + at, piece2 + at, std::min<uint32_t>(size, n - at)) != 0) {
                if (result) {
                    result->address = address1 + offset + at;
                    result->space = static_cast<uint16_t>(space1);
                }
                return EMU_OK;
            }
        }
    }
    return EMU_RANGES_EQUAL;
}

EmuResult emuFill(ADDR* address, uint32_t length, const char* pattern, uint32_t patternLength)
{
    if (!Bound())
        return EMU_NO_BACKEND;
    if (length == 0 || patternLength == 0)
        return EMU_OK;
    if (!address || !pattern)
        return EMU_REFUSED;
    const uint32_t span = std::min(length, FILL_BLOCK);
    const uint32_t used = std::min(patternLength, span);
    const uint32_t block = span / used * used;
    uint8_t buffer[FILL_BLOCK];
    for (uint32_t i = 0; i < block; ++i)
        buffer[i] = static_cast<uint8_t>(pattern[i % used]);
    ADDR at = *address;
    uint32_t remaining = length;
    while (remaining > block) {
        EmuResult r = emuSetMemN(at, buffer, static_cast<int>(block));
        if (r != EMU_OK)
            return r;
        at.off += block;
        remaining -= block;
    }
    return emuSetMemN(at, buffer, static_cast<int>(remaining));
}

void emuGetVerifyErrorInfo(EMU_VERIFY_ERROR* block)
{
    if (block)
        *block = State().verifyError;
}

EmuResult emuSearch(ADDR*, uint32_t, const char*, uint32_t)
{
    return EMU_REFUSED;
}

EmuResult emuChecksum(uint32_t, int16_t, uint32_t, WORD*, WORD*)
{
    return EMU_REFUSED;
}

EmuResult emuTest(uint32_t, int16_t, char* text, int kind, int)
{
    if (!text)
        return EMU_REFUSED;
    if (kind < 0 || kind > 2) {
        std::strcpy(text, "Command Not Support!");
        return EMU_OK;
    }
    std::strcpy(text, "not support in simulator!");
    return EMU_NO_BACKEND;
}

}  // extern "C"
