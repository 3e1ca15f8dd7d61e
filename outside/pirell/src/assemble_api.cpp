// DadAssembleLine and the disassembly mode: the line assembler on target
// memory. Symbols come through the address library's "#name" texts.
#include <platform/global_memory.h>

#include <cstring>
#include <string>

#include "dolmer/dolmer.h"
#include "pirell/assembler.h"
#include "pirell/pirell.h"
#include "talvis/talvis.h"
#include "target_code.h"

namespace pirell {

AssembledCode AssembleLine(std::string_view text, uint32_t address, bool thumb, const SymbolResolver& symbols)
{
    if (address % (thumb ? 2 : 4) != 0) {
        AssembledCode refused;
        refused.thumb = thumb;
        refused.error = AsmError::Alignment;
        return refused;
    }
    return thumb ? AssembleThumb(text, address, symbols) : AssembleArm(text, address, symbols);
}

std::string_view AsmErrorName(AsmError e)
{
    switch (e) {
    case AsmError::None: return "none";
    case AsmError::TooLong: return "too long";
    case AsmError::Mnemonic: return "mnemonic";
    case AsmError::Syntax: return "syntax";
    case AsmError::Register: return "register";
    case AsmError::Immediate: return "immediate";
    case AsmError::Range: return "range";
    case AsmError::Alignment: return "alignment";
    case AsmError::Address: return "address";
    }
    return "?";
}

namespace {

int ResultCode(AsmError e)
{
    switch (e) {
    case AsmError::None: return 0;
    case AsmError::TooLong: return DAD_ASM_E_TOO_LONG;
    case AsmError::Mnemonic: return DAD_ASM_E_MNEMONIC;
    case AsmError::Syntax: return DAD_ASM_E_SYNTAX;
    case AsmError::Register: return DAD_ASM_E_REGISTER;
    case AsmError::Immediate: return DAD_ASM_E_IMMEDIATE;
    case AsmError::Range: return DAD_ASM_E_RANGE;
    case AsmError::Alignment: return DAD_ASM_E_ALIGNMENT;
    case AsmError::Address: return DAD_ASM_E_ADDRESS;
    }
    return DAD_ASM_E_SYNTAX;
}

std::optional<uint32_t> SymbolAddress(const std::string& name)
{
    ADDR addr;
    const std::string text = "#" + name;
    if (AdrTextToAddr(text.c_str(), &addr, 1) != 1)
        return std::nullopt;
    return addr.off;
}

}  // namespace

}  // namespace pirell

using namespace pirell;

extern "C" int DadSetDisMod(int mode)
{
    if (mode != DAD_MODE_MIXED && mode != DAD_MODE_ARM && mode != DAD_MODE_THUMB)
        return -1;
    SetDisassemblyMode(mode);
    return 0;
}

extern "C" int DadGetDisMod()
{
    return DisassemblyMode();
}

extern "C" int DadAssembleLine(ADDR address, const char* text, DWORD* length, int write, BYTE** code)
{
    if (code)
        *code = nullptr;
    if (!text || !length)
        return -1;
    *length = 0;
    // Bounded look at the text: an unterminated or huge buffer is refused as too long.
    const size_t size = strnlen(text, kMaxAssemblerLine + 1);
    const AssembledCode assembled =
        AssembleLine(std::string_view(text, size), address.off, IsThumbInMode(address.off), SymbolAddress);
    if (assembled.error != AsmError::None)
        return ResultCode(assembled.error);
    const std::array<uint8_t, 4> bytes = assembled.Bytes(BigEndianTarget());
    if (write) {
        if (const int r = MemWriteBlock({address.off, address.seg}, bytes.data(), assembled.length, -1); r != 0)
            return r;
    }
    if (code) {
        auto* block = static_cast<BYTE*>(platform::AllocHandleBlock(assembled.length));
        if (!block)
            return -1;
        std::memcpy(block, bytes.data(), assembled.length);
        *code = block;
    }
    *length = assembled.length;
    return 0;
}
