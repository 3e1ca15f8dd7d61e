// The coprocessor display, the configuration block, the next-instruction
// line and the disassembly listing.
#include "simdisasm/console_text.h"
#include "simdisasm/disassembler.h"
#include "simdisasm/text_format.h"

namespace zk::sim {

namespace {

const char* OnOff(bool on)
{
    return on ? "ON" : "OFF";
}

const char* NameOrNone(const std::string& name)
{
    return name.empty() ? "NONE" : name.c_str();
}

std::string Disassemble(uint32_t address, uint32_t instruction, bool thumb)
{
    return thumb ? DisassembleThumb(static_cast<uint16_t>(instruction), address) : DisassembleArm(instruction, address);
}

}  // namespace

std::string CoprocessorDisplay(const Cp15Registers& c)
{
    constexpr uint32_t kCr7 = 0;  // CR7 has no readable value
    return Format("| CR0[0] =0x%08x CR1[0] =0x%08x CR2[0] =0x%08x CR3[0] =0x%08x\n"
                  "| CR4[0] =Reserved   CR5[0] =0x%08x CR5[1] =0x%08x\n"
                  "| CR6[0] =0x%08x CR6[1] =0x%08x CR6[2] =0x%08x CR6[3] =0x%08x\n"
                  "| CR6[4] =0x%08x CR6[5] =0x%08x CR6[6] =0x%08x CR6[7] =0x%08x\n"
                  "| CR7[0] =0x%08x CR8[0] =0x%08x CR8[1] =0x%08x CR9[0] =0x%08x\n"
                  "| CR10[0]=0x%08x CR11[0]=Reserved   CR12[0]=Reserved   CR13[0]=Reserved\n"
                  "| CR14[0]=Reserved   CR15[0]= Reserved\n",
                  c.id, c.control, c.cacheability, c.writeBuffer, c.permission[0], c.permission[1], c.region[0],
                  c.region[1], c.region[2], c.region[3], c.region[4], c.region[5], c.region[6], c.region[7], kCr7,
                  c.localMemory[0], c.localMemory[1], c.cr9, c.cr10);
}

std::string ConfigurationBlock(const ConfigDisplay& c)
{
    return Format("| Processor                     : %s\n"
                  "| Endian                        : %s\n"
                  "| Instruction cache             : %u bytes, %u way\n"
                  "| Data cache                    : %u bytes, %u way\n"
                  "| \n"
                  "| Print                         : %s\n"
                  "| Log                           : %s, %s\n"
                  "| Self modify check             : %s\n"
                  "| Write data log file           : %s\n"
                  "| Complement data when writting : %s\n",
                  c.processor.c_str(), c.endian.c_str(), c.icacheBytes, c.icacheWays, c.dcacheBytes, c.dcacheWays,
                  OnOff(c.print), OnOff(c.log), NameOrNone(c.logFile), OnOff(c.selfModifyCheck),
                  NameOrNone(c.writeDataFile), OnOff(c.complement));
}

std::string NextInstructionLine(uint32_t pc, uint32_t instruction, bool thumb)
{
    const std::string text = Disassemble(pc, instruction, thumb);
    if (thumb)
        return Format("| Next>>> 0x%08x: 0x%04x  .... :    %s\n", pc, instruction & 0xFFFFu, text.c_str());
    return Format("| Next>>> 0x%08x: 0x%08x  .... :    %s\n", pc, instruction, text.c_str());
}

std::string DisassemblyLine(uint32_t address, uint32_t instruction, bool thumb, bool atPc)
{
    const char* mark = atPc ? "| >>>>>> " : "|        ";
    const std::string text = Disassemble(address, instruction, thumb);
    if (thumb)
        return Format("%s0x%08x:  0x%04x    ....  %s\n", mark, address, instruction & 0xFFFFu, text.c_str());
    return Format("%s0x%08x:  0x%08x    ....  %s\n", mark, address, instruction, text.c_str());
}

uint32_t DefaultListingStart(uint32_t pc, bool thumb)
{
    const uint32_t back = thumb ? 8 : 16;
    return pc < back ? 0 : pc - back;
}

uint32_t DefaultListingLength(bool thumb)
{
    return thumb ? 32 : 64;
}

std::string DisassemblyListing(uint32_t start, uint32_t length, bool thumb, uint32_t pc, const InstructionReader& read)
{
    const unsigned width = thumb ? 2 : 4;
    start &= ~3u;
    std::string text;
    // 64-bit offsets: a listing that runs past the top of the address space
    // wraps to 0 and still ends.
    for (uint64_t offset = 0; offset < length; offset += width) {
        const auto address = static_cast<uint32_t>(start + offset);
        uint32_t instruction = 0;
        if (!read(address, width, instruction))
            return text + kMemoryRefusedText;
        text += DisassemblyLine(address, instruction, thumb, address == pc);
    }
    return text;
}

}  // namespace zk::sim
