// The console displays: PSR text, register displays, CP15 and configuration
// blocks, the next-instruction line and the disassembly listing.
#include <gtest/gtest.h>

#include <map>

#include "simdisasm/console_text.h"

namespace zk::sim {
namespace {

TEST(PsrText, FlagsAndModeNames)
{
    struct Case {
        uint32_t psr;
        const char* text;
    };
    const Case cases[] = {
        {0x000000D3, "nzcvIFt_SVC32"},  // after reset
        {0x00000010, "nzcvift_User32"},  {0xF00000FF, "NZCVIFT_System32"}, {0x600000B1, "nZCvIfT_FIQ32"},
        {0x80000012, "Nzcvift_IRQ32"},   {0x10000017, "nzcVift_Abort32"},  {0x0000001B, "nzcvift_Undef32"},
        {0x00000005, "nzcvift_UNKNOWN"}, {0x00000000, "nzcvift_UNKNOWN"},  // bit 4 clear: no ARMv4 mode
        {0x0FFFFF13, "nzcvift_SVC32"},                                     // bits 8-27 do not show
    };
    for (const Case& c : cases)
        EXPECT_EQ(PsrText(c.psr), c.text) << std::hex << c.psr;
}

// SVC mode with r0-r14 = 0x10 + i, the USER r13/r14 0xAAAA0013/0xAAAA0014,
// PC 0x8000.
CpuState SampleState()
{
    CpuState cpu;
    for (unsigned i = 0; i < 15; ++i)
        cpu.Write(i, Mode::Svc, 0x10 + i);
    cpu.Write(13, Mode::User, 0xAAAA0013);
    cpu.Write(14, Mode::User, 0xAAAA0014);
    cpu.SetPc(0x8000);
    return cpu;
}

TEST(RegisterDisplay, SvcModeAfterResetShowsPsrAndSpsr)
{
    const CpuState cpu;
    EXPECT_EQ(RegisterDisplay(cpu, Mode::Svc),
              "|    r0  = 0x00000000  r1  = 0x00000000  r2  = 0x00000000  r3  = 0x00000000\n"
              "|    r4  = 0x00000000  r5  = 0x00000000  r6  = 0x00000000  r7  = 0x00000000\n"
              "|    r8  = 0x00000000  r9  = 0x00000000  r10 = 0x00000000  r11 = 0x00000000\n"
              "|    r12 = 0x00000000  r13 = 0x00000000  r14 = 0x00000000\n"
              "|    pc  = 0x00000000  psr = %nzcvIFt_SVC32  spsr = %nzcvift_User32\n");
}

TEST(RegisterDisplay, ShowsTheBankOfTheNamedMode)
{
    const CpuState cpu = SampleState();
    EXPECT_EQ(RegisterDisplay(cpu, Mode::Svc),
              "|    r0  = 0x00000010  r1  = 0x00000011  r2  = 0x00000012  r3  = 0x00000013\n"
              "|    r4  = 0x00000014  r5  = 0x00000015  r6  = 0x00000016  r7  = 0x00000017\n"
              "|    r8  = 0x00000018  r9  = 0x00000019  r10 = 0x0000001a  r11 = 0x0000001b\n"
              "|    r12 = 0x0000001c  r13 = 0x0000001d  r14 = 0x0000001e\n"
              "|    pc  = 0x00008000  psr = %nzcvIFt_SVC32  spsr = %nzcvift_User32\n");
    // USER and SYSTEM have no SPSR: the line ends after the psr part.
    const std::string user = "|    r0  = 0x00000010  r1  = 0x00000011  r2  = 0x00000012  r3  = 0x00000013\n"
                             "|    r4  = 0x00000014  r5  = 0x00000015  r6  = 0x00000016  r7  = 0x00000017\n"
                             "|    r8  = 0x00000018  r9  = 0x00000019  r10 = 0x0000001a  r11 = 0x0000001b\n"
                             "|    r12 = 0x0000001c  r13 = 0xaaaa0013  r14 = 0xaaaa0014\n"
                             "|    pc  = 0x00008000  psr = %nzcvIFt_SVC32\n";
    EXPECT_EQ(RegisterDisplay(cpu, Mode::User), user);
    EXPECT_EQ(RegisterDisplay(cpu, Mode::System), user);
    // FIQ has its own r8-r14 (0 after reset).
    EXPECT_EQ(RegisterDisplay(cpu, Mode::Fiq),
              "|    r0  = 0x00000010  r1  = 0x00000011  r2  = 0x00000012  r3  = 0x00000013\n"
              "|    r4  = 0x00000014  r5  = 0x00000015  r6  = 0x00000016  r7  = 0x00000017\n"
              "|    r8  = 0x00000000  r9  = 0x00000000  r10 = 0x00000000  r11 = 0x00000000\n"
              "|    r12 = 0x00000000  r13 = 0x00000000  r14 = 0x00000000\n"
              "|    pc  = 0x00008000  psr = %nzcvIFt_SVC32  spsr = %nzcvift_User32\n");
}

TEST(RegisterDisplay, InvalidModeShowsTheUserViewWithoutSpsr)
{
    CpuState cpu;
    cpu.WriteCpsr(0x05);
    const std::string text = RegisterDisplay(cpu, cpu.mode);
    EXPECT_NE(text.find("psr = %nzcvift_UNKNOWN\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("spsr"), std::string::npos) << text;
}

TEST(RegisterDisplay, ThumbPcShowsWithBitZeroCleared)
{
    CpuState cpu;
    cpu.WriteCpsr(0x30);
    cpu.SetPc(0x8003);
    EXPECT_NE(RegisterDisplay(cpu, Mode::User).find("pc  = 0x00008002  psr = %nzcvifT_User32\n"), std::string::npos);
}

TEST(DirtyRegisterDisplay, ShowsOnlyDirtyBankedRegistersBankByBank)
{
    CpuState cpu;
    EXPECT_EQ(DirtyRegisterDisplay(cpu), " \n");
    cpu.SetReg(0, 5);
    cpu.SetReg(13, 0x1000);              // SVC r13
    cpu.Write(8, Mode::Fiq, 0xF8);       // FIQ r8
    cpu.Write(14, Mode::Undef, 0xE14);   // UNDEF r14
    cpu.Write(13, Mode::Abort, 0xAB13);  // ABORT r13
    cpu.Write(14, Mode::Irq, 0x1214);    // IRQ r14
    cpu.Write(12, Mode::User, 0x12);     // USER r12
    cpu.SetPc(0x40);                     // r15 and the PSRs are not shown
    cpu.Write(kLogicalSpsr, Mode::Svc, 0x1F);
    EXPECT_EQ(DirtyRegisterDisplay(cpu),
              " R0u=0x00000005 R12u=0x00000012 R8f=0x000000f8 R13s=0x00001000 R13a=0x0000ab13 R14i=0x00001214 "
              "R14n=0x00000e14 \n");
    cpu.ClearDirty();
    EXPECT_EQ(DirtyRegisterDisplay(cpu), " \n");
}

TEST(DirtyRegisterDisplay, FiqBankWhileInFiqMode)
{
    CpuState cpu;
    cpu.WriteCpsr(0xD1);
    cpu.ClearDirty();
    cpu.SetReg(9, 0x99);  // FIQ r9: physical 19
    cpu.SetReg(1, 0x11);  // shared r1
    cpu.WriteCpsr(0xD3);  // back to SVC: the flags stay
    EXPECT_EQ(DirtyRegisterDisplay(cpu), " R1u=0x00000011 R9f=0x00000099 \n");
}

TEST(CoprocessorDisplay, ResetValues)
{
    Cp15Registers regs;
    regs.id = 0x11;
    regs.control = 0x300;
    regs.region.fill(0x16);
    regs.localMemory.fill(0x80);
    EXPECT_EQ(CoprocessorDisplay(regs),
              "| CR0[0] =0x00000011 CR1[0] =0x00000300 CR2[0] =0x00000000 CR3[0] =0x00000000\n"
              "| CR4[0] =Reserved   CR5[0] =0x00000000 CR5[1] =0x00000000\n"
              "| CR6[0] =0x00000016 CR6[1] =0x00000016 CR6[2] =0x00000016 CR6[3] =0x00000016\n"
              "| CR6[4] =0x00000016 CR6[5] =0x00000016 CR6[6] =0x00000016 CR6[7] =0x00000016\n"
              "| CR7[0] =0x00000000 CR8[0] =0x00000080 CR8[1] =0x00000080 CR9[0] =0x00000000\n"
              "| CR10[0]=0x00000000 CR11[0]=Reserved   CR12[0]=Reserved   CR13[0]=Reserved\n"
              "| CR14[0]=Reserved   CR15[0]= Reserved\n");
}

TEST(CoprocessorDisplay, EveryRegisterInItsPlace)
{
    Cp15Registers r;
    r.id = 0x1;
    r.control = 0x2;
    r.cacheability = 0x3;
    r.writeBuffer = 0x4;
    r.permission = {0x50, 0x51};
    r.region = {0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67};
    r.localMemory = {0x80, 0x81};
    r.cr9 = 0x9;
    r.cr10 = 0xA;
    EXPECT_EQ(CoprocessorDisplay(r),
              "| CR0[0] =0x00000001 CR1[0] =0x00000002 CR2[0] =0x00000003 CR3[0] =0x00000004\n"
              "| CR4[0] =Reserved   CR5[0] =0x00000050 CR5[1] =0x00000051\n"
              "| CR6[0] =0x00000060 CR6[1] =0x00000061 CR6[2] =0x00000062 CR6[3] =0x00000063\n"
              "| CR6[4] =0x00000064 CR6[5] =0x00000065 CR6[6] =0x00000066 CR6[7] =0x00000067\n"
              "| CR7[0] =0x00000000 CR8[0] =0x00000080 CR8[1] =0x00000081 CR9[0] =0x00000009\n"
              "| CR10[0]=0x0000000a CR11[0]=Reserved   CR12[0]=Reserved   CR13[0]=Reserved\n"
              "| CR14[0]=Reserved   CR15[0]= Reserved\n");
}

TEST(ConfigurationBlock, DefaultsAndFiles)
{
    ConfigDisplay c;
    EXPECT_EQ(ConfigurationBlock(c),
              "| Processor                     : DI600\n"
              "| Endian                        : Little\n"
              "| Instruction cache             : 8192 bytes, 2 way\n"
              "| Data cache                    : 8192 bytes, 2 way\n"
              "| \n"
              "| Print                         : OFF\n"
              "| Log                           : OFF, NONE\n"
              "| Self modify check             : OFF\n"
              "| Write data log file           : NONE\n"
              "| Complement data when writting : OFF\n");
    c.print = c.log = c.selfModifyCheck = c.complement = true;
    c.logFile = "sim.log";
    c.writeDataFile = "wd.log";
    c.icacheBytes = 0x1000;
    c.dcacheWays = 4;
    EXPECT_EQ(ConfigurationBlock(c),
              "| Processor                     : DI600\n"
              "| Endian                        : Little\n"
              "| Instruction cache             : 4096 bytes, 2 way\n"
              "| Data cache                    : 8192 bytes, 4 way\n"
              "| \n"
              "| Print                         : ON\n"
              "| Log                           : ON, sim.log\n"
              "| Self modify check             : ON\n"
              "| Write data log file           : wd.log\n"
              "| Complement data when writting : ON\n");
}

TEST(NextInstructionLine, ArmAndThumb)
{
    EXPECT_EQ(NextInstructionLine(0x8000, 0xE1A00001, false),
              "| Next>>> 0x00008000: 0xe1a00001  .... :    mov      r0,r1\n");
    EXPECT_EQ(NextInstructionLine(0x8002, 0xB500, true), "| Next>>> 0x00008002: 0xb500  .... :    push       {r14}\n");
    EXPECT_EQ(NextInstructionLine(0x10, 0xEAFFFFFE, false),
              "| Next>>> 0x00000010: 0xeafffffe  .... :    b        0x10\n");
}

// Memory for the listing: words at 4-byte addresses, halfwords inside them
// little-endian; addresses at or above `limit` are refused.
struct FakeMemory {
    std::map<uint32_t, uint32_t> words;
    uint32_t limit = 0xFFFFFFFF;
    bool Read(uint32_t address, unsigned width, uint32_t& value) const
    {
        if (address >= limit)
            return false;
        const auto it = words.find(address & ~3u);
        const uint32_t word = it == words.end() ? 0 : it->second;
        value = width == 4 ? word : (word >> (8 * (address & 2))) & 0xFFFF;
        return true;
    }
    InstructionReader Reader() const
    {
        return [this](uint32_t a, unsigned w, uint32_t& v) { return Read(a, w, v); };
    }
};

TEST(DisassemblyListing, DefaultRangeAroundThePc)
{
    EXPECT_EQ(DefaultListingStart(0x8010, false), 0x8000u);
    EXPECT_EQ(DefaultListingStart(0x8010, true), 0x8008u);
    EXPECT_EQ(DefaultListingStart(0xC, false), 0u);
    EXPECT_EQ(DefaultListingStart(0x6, true), 0u);
    EXPECT_EQ(DefaultListingLength(false), 64u);
    EXPECT_EQ(DefaultListingLength(true), 32u);
}

TEST(DisassemblyListing, ArmLinesWithThePcMarked)
{
    FakeMemory mem;
    mem.words = {{0x100, 0xE3A00005}, {0x104, 0xE1A00000}, {0x108, 0xEAFFFFFE}};
    EXPECT_EQ(DisassemblyListing(0x102, 12, false, 0x104, mem.Reader()),
              "|        0x00000100:  0xe3a00005    ....  mov      r0,#5\n"
              "| >>>>>> 0x00000104:  0xe1a00000    ....  nop      \n"
              "|        0x00000108:  0xeafffffe    ....  b        0x108\n");
}

TEST(DisassemblyListing, ThumbLinesAndARefusedRead)
{
    FakeMemory mem;
    mem.words = {{0x200, 0xB5002005}, {0x204, 0xE7FE46C0}};
    mem.limit = 0x206;
    EXPECT_EQ(DisassemblyListing(0x200, 8, true, 0x202, mem.Reader()),
              "|        0x00000200:  0x2005    ....  mov        r0,#5\n"
              "| >>>>>> 0x00000202:  0xb500    ....  push       {r14}\n"
              "|        0x00000204:  0x46c0    ....  mov        r8,r8\n"
              "Can not access this memory address!!!\n");
}

TEST(DisassemblyListing, EndsAtTheTopOfTheAddressSpace)
{
    FakeMemory mem;
    const std::string text = DisassemblyListing(0xFFFFFFF8, 16, false, 0, mem.Reader());
    EXPECT_EQ(text,
              "|        0xfffffff8:  0x00000000    ....  andeq    r0,r0,r0\n"
              "|        0xfffffffc:  0x00000000    ....  andeq    r0,r0,r0\n"
              "| >>>>>> 0x00000000:  0x00000000    ....  andeq    r0,r0,r0\n"
              "|        0x00000004:  0x00000000    ....  andeq    r0,r0,r0\n");
}

}  // namespace
}  // namespace zk::sim
