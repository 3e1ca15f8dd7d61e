#include "target_code.h"

#include "pirell/pirell.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace pirell {

bool BigEndianTarget()
{
    int order = 0;
    return ProcReturnByteOrder(&order) == 0 && order != 0;
}

bool IsThumbCode(uint32_t address)
{
    return LdrIsInThumbRange(address) != 0;
}

namespace {

int disassemblyMode = DAD_MODE_MIXED;

}  // namespace

int DisassemblyMode()
{
    return disassemblyMode;
}

void SetDisassemblyMode(int mode)
{
    disassemblyMode = mode;
}

bool IsThumbInMode(uint32_t address)
{
    switch (disassemblyMode) {
    case DAD_MODE_ARM: return false;
    case DAD_MODE_THUMB: return true;
    default: return IsThumbCode(address);
    }
}

uint32_t CodeValue(const uint8_t* bytes, size_t width, bool bigEndian)
{
    uint32_t v = 0;
    for (size_t i = 0; i < width; ++i)
        v = v << 8 | bytes[bigEndian ? i : width - 1 - i];
    return v;
}

int ReadInstruction(uint32_t address, size_t width, uint32_t* value)
{
    uint8_t bytes[4] = {};
    const int r = MemReadBlock(bytes, {address, ADDR_SPACE_TARGET}, static_cast<uint32_t>(width));
    if (r == 0)
        *value = CodeValue(bytes, width, BigEndianTarget());
    return r;
}

std::optional<uint32_t> InstructionAt(int64_t address, size_t width)
{
    uint32_t value = 0;
    if (address < 0 || address > 0xFFFFFFFFll || ReadInstruction(static_cast<uint32_t>(address), width, &value) != 0)
        return std::nullopt;
    return value;
}

}  // namespace pirell
