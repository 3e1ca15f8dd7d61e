// The register window's view of the CPU model: the registers in groups (the
// current mode's r0-r15, CPSR and SPSR, then the banked registers of each
// exception mode), their names, widths, values and the decoded PSR text.
//
// Overall register index: 0-15 r0-r15 of the current mode, 16 CPSR, 17 SPSR
// of the current mode, 18-37 the banked registers in the simulator's order
// (r8-r14 and SPSR of FIQ, then r13, r14 and SPSR of SVC, Abort, IRQ, Undef).
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <strings.h>

#include "simdisasm/console_text.h"
#include "vexlor/vexlor.h"

namespace {

struct Group {
    const char* name;
    DWORD first;  // overall index of the first register
    DWORD count;
};
constexpr Group kGroups[] = {
    {"Current", 0, 18}, {"FIQ", 18, 8}, {"SVC", 26, 3}, {"Abort", 29, 3}, {"IRQ", 32, 3}, {"Undef", 35, 3},
};
constexpr DWORD kRegisterCount = 38;

// The banked registers' names, index 18 on.
constexpr const char* kBankedNames[] = {
    "r8_fiq",   "r9_fiq",  "r10_fiq", "r11_fiq",  "r12_fiq", "r13_fiq", "r14_fiq",  "SPSR_fiq", "r13_svc", "r14_svc",
    "SPSR_svc", "r13_abt", "r14_abt", "SPSR_abt", "r13_irq", "r14_irq", "SPSR_irq", "r13_und",  "r14_und", "SPSR_und",
};

bool IsPsr(DWORD index)
{
    return index == VEXLOR_REG_CPSR || index == VEXLOR_REG_SPSR || index == 25 || index == 28 || index == 31 ||
        index == 34 || index == 37;
}

std::string RegisterName(DWORD index)
{
    if (index < 16)
        return "r" + std::to_string(index);
    if (index == VEXLOR_REG_CPSR)
        return "CPSR";
    if (index == VEXLOR_REG_SPSR)
        return "SPSR";
    return kBankedNames[index - 18];
}

// Copies text into a caller's buffer of `size` bytes; refused when it does
// not fit with its terminator.
int CopyOut(const std::string& text, char* buffer, size_t size)
{
    if (!buffer || text.size() >= size)
        return VEXLOR_NOT_CONFIGURED;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
}

struct ModeName {
    const char* name;
    uint32_t bits;
};
constexpr ModeName kModes[] = {{"User32", 0x10},  {"FIQ32", 0x11},   {"IRQ32", 0x12},   {"SVC32", 0x13},
                               {"Abort32", 0x17}, {"Undef32", 0x1B}, {"System32", 0x1F}};

// Reads the PSR text "NZCVIFT_Mode" (an upper-case letter: the bit set, a
// lower-case one: clear) into the flag, control and mode bits of `psr`.
bool ParsePsrText(const std::string& raw, uint32_t& psr)
{
    size_t b = raw.find_first_not_of(" \t"), e = raw.find_last_not_of(" \t");
    if (b == std::string::npos)
        return false;
    const std::string text = raw.substr(b, e - b + 1);
    static constexpr char kLetters[] = "NZCVIFT";
    static constexpr unsigned kBits[] = {31, 30, 29, 28, 7, 6, 5};
    if (text.size() < 9 || text[7] != '_')
        return false;
    uint32_t value = psr;
    for (int i = 0; i < 7; ++i) {
        const char c = text[i];
        if (c == kLetters[i])
            value |= 1u << kBits[i];
        else if (c == std::tolower(static_cast<unsigned char>(kLetters[i])))
            value &= ~(1u << kBits[i]);
        else
            return false;
    }
    const std::string mode = text.substr(8);
    for (const ModeName& m : kModes) {
        if (strcasecmp(m.name, mode.c_str()) == 0) {
            psr = (value & ~0x1Fu) | m.bits;
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" {

int CpuGetRegGroupNumName(int* groupCount, std::vector<ZkString>* names)
{
    if (!groupCount)
        return VEXLOR_NOT_CONFIGURED;
    *groupCount = static_cast<int>(std::size(kGroups));
    if (names) {
        names->clear();
        for (const Group& g : kGroups)
            names->push_back(g.name);
    }
    return 0;
}

int CpuGetNumRegs(DWORD* count, BYTE group)
{
    if (!count || group >= std::size(kGroups))
        return VEXLOR_NOT_CONFIGURED;
    *count = kGroups[group].count;
    return 0;
}

int CpuGetRegisterInfo(DWORD index, char* name, size_t nameSize, WORD* auxiliary, WORD* decodeKind, WORD* displayWidth)
{
    if (index >= kRegisterCount || !auxiliary || !decodeKind || !displayWidth)
        return VEXLOR_NOT_CONFIGURED;
    if (int r = CopyOut(RegisterName(index), name, nameSize); r != 0)
        return r;
    *auxiliary = 0;
    *decodeKind = IsPsr(index) ? VEXLOR_PSR_TEXT_WIDTH : 0;
    *displayWidth = 8;
    return 0;
}

int CpuGetRegNameFromIdx(DWORD index, char* name, size_t nameSize)
{
    if (index >= kRegisterCount)
        return VEXLOR_NOT_CONFIGURED;
    return CopyOut(RegisterName(index), name, nameSize);
}

int CpuGetAllRegs(BYTE group, DWORD count, DWORD* values)
{
    if (!values || group >= std::size(kGroups))
        return VEXLOR_NOT_CONFIGURED;
    for (DWORD i = 0; i < count; ++i) {
        DWORD value = 0;
        if (int r = CpuGetRegister(values[i], &value); r != 0)
            return r;
        values[i] = value;
    }
    return 0;
}

int CpuGetRegisterWidth(WORD index, DWORD* width)
{
    if (!width || index >= kRegisterCount)
        return VEXLOR_NOT_CONFIGURED;
    *width = 32;
    return 0;
}

int CpuGetRegisterValueText(WORD index, WORD decodeKind, char* buffer, size_t size)
{
    if (!buffer || size == 0 || index >= kRegisterCount || decodeKind != VEXLOR_PSR_TEXT_WIDTH || !IsPsr(index))
        return VEXLOR_NOT_CONFIGURED;
    char* end = nullptr;
    const unsigned long value = std::strtoul(buffer, &end, 16);
    if (end == buffer || *end != '\0' || value > 0xFFFFFFFFul)
        return VEXLOR_NOT_CONFIGURED;
    return CopyOut(zk::sim::PsrText(static_cast<uint32_t>(value)), buffer, size);
}

int CpuSetRegisterValueText(WORD index, WORD decodeKind, ZkString* text)
{
    if (!text || index >= kRegisterCount || decodeKind != VEXLOR_PSR_TEXT_WIDTH || !IsPsr(index))
        return VEXLOR_NOT_CONFIGURED;
    DWORD psr = 0;
    if (int r = CpuGetRegister(index, &psr); r != 0)
        return r;
    uint32_t value = psr;
    if (!ParsePsrText(*text, value))
        return VEXLOR_NOT_CONFIGURED;
    if (int r = CpuSetRegister(index, value); r != 0)
        return r;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", value);
    *text = hex;
    return 0;
}

}  // extern "C"
