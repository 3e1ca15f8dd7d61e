#include "target_access.h"

#include "falcrest.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace sarvik {

bool BigEndianTarget()
{
    int order = 0;
    return ProcReturnByteOrder(&order) == 0 && order != 0;
}

int ReadTargetWords(uint32_t address, uint32_t* words, size_t count)
{
    const bool big = BigEndianTarget();
    for (size_t i = 0; i < count; ++i) {
        uint8_t b[4];
        const int r = ReadTargetBytes(address + static_cast<uint32_t>(4 * i), b, 4);
        if (r != 0)
            return r;
        words[i] = big ? (uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3])
                       : (uint32_t{b[3]} << 24 | uint32_t{b[2]} << 16 | uint32_t{b[1]} << 8 | b[0]);
    }
    return 0;
}

int WriteTargetWords(uint32_t address, const uint32_t* words, size_t count)
{
    const bool big = BigEndianTarget();
    for (size_t i = 0; i < count; ++i) {
        uint8_t b[4];
        for (int k = 0; k < 4; ++k)
            b[k] = static_cast<uint8_t>(words[i] >> (8 * (big ? 3 - k : k)));
        const int r = MemWriteBlock({address + static_cast<uint32_t>(4 * i), ADDR_SPACE_TARGET}, b, 4, 4);
        if (r != 0)
            return r;
    }
    return 0;
}

int ReadTargetHalf(uint32_t address, uint16_t& value)
{
    uint8_t b[2];
    const int r = ReadTargetBytes(address, b, 2);
    if (r == 0)
        value = static_cast<uint16_t>(BigEndianTarget() ? (b[0] << 8 | b[1]) : (b[1] << 8 | b[0]));
    return r;
}

int ReadTargetBytes(uint32_t address, void* buffer, uint32_t count)
{
    return count ? MemReadBlock(buffer, {address, ADDR_SPACE_TARGET}, count) : 0;
}

int WriteTargetBytes(uint32_t address, const void* buffer, uint32_t count)
{
    return count ? MemWriteBlock({address, ADDR_SPACE_TARGET}, buffer, count, 1) : 0;
}

bool ReadTargetText(uint32_t address, uint32_t length, std::string& text)
{
    std::string bytes(length, '\0');
    if (ReadTargetBytes(address, bytes.data(), length) != 0)
        return false;
    text.assign(bytes.c_str());
    return true;
}

int GetTargetReg(int number, uint32_t& value)
{
    int v = 0;
    const int r = emuGetReg(0, number, &v);
    if (r == EMU_OK)
        value = static_cast<uint32_t>(v);
    return r;
}

int SetTargetReg(int number, uint32_t value)
{
    return emuSetReg(0, number, static_cast<int>(value));
}

uint32_t AlignToCode(uint32_t offset)
{
    return LdrIsInThumbRange(offset) ? offset & ~1u : offset & ~3u;
}

}  // namespace sarvik
