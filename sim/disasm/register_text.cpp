// PSR text and the register displays.
#include "simdisasm/console_text.h"
#include "simdisasm/text_format.h"

namespace zk::sim {

namespace {

const char* PsrModeName(uint32_t psr)
{
    switch (psr & 0x1F) {
    case 0x10: return "User32";
    case 0x11: return "FIQ32";
    case 0x12: return "IRQ32";
    case 0x13: return "SVC32";
    case 0x17: return "Abort32";
    case 0x1B: return "Undef32";
    case 0x1F: return "System32";
    default: return "UNKNOWN";
    }
}

// Banks of the dirty display: physical registers first..last, the letter
// after the register number, and the number of the first register.
struct DirtyBank {
    unsigned first, last;
    char letter;
    unsigned firstNumber;
};
constexpr DirtyBank kDirtyBanks[] = {
    {0, 14, 'u', 0},    // USER r0-r14
    {18, 24, 'f', 8},   // FIQ r8-r14
    {26, 27, 's', 13},  // SVC r13, r14
    {29, 30, 'a', 13},  // ABORT
    {32, 33, 'i', 13},  // IRQ
    {35, 36, 'n', 13},  // UNDEF
};

}  // namespace

std::string PsrText(uint32_t psr)
{
    auto flag = [psr](unsigned bit, char set) { return (psr >> bit) & 1 ? set : static_cast<char>(set + ('a' - 'A')); };
    return Format("%c%c%c%c%c%c%c_%s", flag(31, 'N'), flag(30, 'Z'), flag(29, 'C'), flag(28, 'V'), flag(7, 'I'),
                  flag(6, 'F'), flag(5, 'T'), PsrModeName(psr));
}

std::string RegisterDisplay(const CpuState& cpu, Mode mode)
{
    uint32_t r[16];
    for (unsigned i = 0; i < 16; ++i)
        r[i] = cpu.Read(i, mode);
    std::string text =
        Format("|    r0  = 0x%08x  r1  = 0x%08x  r2  = 0x%08x  r3  = 0x%08x\n"
               "|    r4  = 0x%08x  r5  = 0x%08x  r6  = 0x%08x  r7  = 0x%08x\n"
               "|    r8  = 0x%08x  r9  = 0x%08x  r10 = 0x%08x  r11 = 0x%08x\n"
               "|    r12 = 0x%08x  r13 = 0x%08x  r14 = 0x%08x\n",
               r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8], r[9], r[10], r[11], r[12], r[13], r[14]);
    text += Format("|    pc  = 0x%08x  psr = %%%s", r[15], PsrText(cpu.Read(kLogicalCpsr, mode)).c_str());
    if (HasSpsr(mode))
        text += Format("  spsr = %%%s", PsrText(cpu.Read(kLogicalSpsr, mode)).c_str());
    return text + "\n";
}

std::string DirtyRegisterDisplay(const CpuState& cpu)
{
    std::string text = " ";
    for (const DirtyBank& bank : kDirtyBanks) {
        for (unsigned p = bank.first; p <= bank.last; ++p) {
            if (!cpu.IsDirty(p))
                continue;
            text += Format("R%u%c=0x%08x ", bank.firstNumber + (p - bank.first), bank.letter, cpu.ReadPhysical(p));
        }
    }
    return text + "\n";
}

}  // namespace zk::sim
