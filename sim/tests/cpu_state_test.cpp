// Processor state: reset values, the mode map, PSR lane rules, exception
// entry and dirty flags.
#include <gtest/gtest.h>

#include "simcore/simulator.h"

namespace zk::sim {
namespace {

uint32_t ReadReg(const Simulator& sim, int number)
{
    uint32_t v = 0xDEADBEEF;
    EXPECT_TRUE(sim.ReadRegister(number, v)) << number;
    return v;
}

TEST(CpuState, ResetGivesSvcModeAndZeroBanks)
{
    Simulator sim;
    EXPECT_EQ(ReadReg(sim, 0), 0xD3u);
    EXPECT_EQ(ReadReg(sim, 17), 0x10u);  // SPSR_svc
    for (int n : {14, 15, 24, 26, 27, 29, 30, 32, 33, 35, 36})
        EXPECT_EQ(ReadReg(sim, n), 0u) << n;
    for (int n : {25, 28, 31, 34, 37})
        EXPECT_EQ(ReadReg(sim, n), 0x10u) << n;
    EXPECT_EQ(sim.Cpu().mode, Mode::Svc);
    uint32_t v = 5;
    EXPECT_FALSE(sim.ReadRegister(38, v));
    EXPECT_EQ(v, 5u);
}

TEST(CpuState, ModeComesFromCpsrBits0To3)
{
    EXPECT_EQ(ModeFromCpsr(0x12), Mode::Irq);
    EXPECT_EQ(ModeFromCpsr(0x1B), Mode::Undef);
    EXPECT_EQ(ModeFromCpsr(0x17), Mode::Abort);
    EXPECT_EQ(ModeFromCpsr(0x05), Mode::Invalid);
    EXPECT_EQ(ModeFromCpsr(0x0F), Mode::System);
}

TEST(CpuState, WritingCpsrWithIrqBitsSwitchesTheView)
{
    Simulator sim;
    sim.WriteRegister(14, 0x1111);  // r13 of SVC
    sim.WriteRegister(32, 0x2222);  // r13 of IRQ
    sim.WriteRegister(34, 0x3333);  // SPSR of IRQ
    sim.WriteRegister(0, 0x12);
    EXPECT_EQ(sim.Cpu().mode, Mode::Irq);
    EXPECT_EQ(ReadReg(sim, 14), 0x2222u);
    EXPECT_EQ(ReadReg(sim, 17), 0x3333u);
    EXPECT_EQ(ReadReg(sim, 26), 0x1111u);  // SVC's r13 seen by number
    sim.WriteRegister(14, 0x4444);
    EXPECT_EQ(ReadReg(sim, 32), 0x4444u);
}

TEST(CpuState, InvalidModeShowsTheUserRegisters)
{
    Simulator sim;
    sim.WriteRegister(0, 0x10);  // USER
    sim.WriteRegister(14, 0xAAAA);
    sim.WriteRegister(0, 0xD3);
    sim.WriteRegister(0, 0x05);
    EXPECT_EQ(sim.Cpu().mode, Mode::Invalid);
    EXPECT_EQ(ReadReg(sim, 14), 0xAAAAu);
}

TEST(CpuState, FiqBanksR8ToR14)
{
    Simulator sim;
    for (int n = 9; n <= 15; ++n)
        sim.WriteRegister(n, 0x100u + n);  // r8-r14 (SVC view: r8-r12 shared)
    sim.WriteRegister(0, 0xD1);
    for (int n = 9; n <= 15; ++n)
        EXPECT_EQ(ReadReg(sim, n), 0u) << n;
    sim.WriteRegister(9, 0x88);
    EXPECT_EQ(ReadReg(sim, 18), 0x88u);
    sim.WriteRegister(0, 0xD3);
    EXPECT_EQ(ReadReg(sim, 9), 0x109u);
}

TEST(CpuState, ReadingPcClearsTheStateBits)
{
    Simulator sim;
    sim.WriteRegister(16, 0x8003);
    EXPECT_EQ(ReadReg(sim, 16), 0x8000u);
    sim.WriteRegister(0, 0xD3 | kCpsrThumb);
    EXPECT_TRUE(sim.Cpu().thumb);
    sim.WriteRegister(16, 0x8001);
    EXPECT_EQ(ReadReg(sim, 16), 0x8000u);
    EXPECT_EQ(sim.Cpu().pc, 0x8001u);  // continues unmasked
}

TEST(CpuState, MsrLaneRules)
{
    CpuState cpu;
    cpu.WriteCpsr(0x10);  // USER
    cpu.MsrCpsr(0xF000001F, kLaneControl | kLaneFlags);
    EXPECT_EQ(cpu.cpsr, 0xF0000010u) << "USER mode writes the flags only";
    cpu.WriteCpsr(0xD3);
    cpu.MsrCpsr(0x000000D2, kLaneControl);
    EXPECT_EQ(cpu.mode, Mode::Irq);
    cpu.WriteCpsr(0xDF);  // SYSTEM
    cpu.MsrSpsr(0xF00000FF, 0xF);
    EXPECT_EQ(cpu.ReadPhysical(kPhysSpsrUser), 0xF0000000u);
}

TEST(CpuState, MsrThatSetsTheThumbStateSkipsTwo)
{
    CpuState cpu;
    cpu.pc = 0x100;
    cpu.nextPc = 0x104;
    cpu.MsrCpsr(0xF3, kLaneControl);
    EXPECT_TRUE(cpu.thumb);
    EXPECT_EQ(cpu.nextPc, 0x102u);
}

struct EntryCase {
    Exception exception;
    bool thumb;
    uint32_t pc;
    uint32_t nextPc;
    uint32_t link;
    uint32_t vector;
    uint32_t cpsrLow;
};

TEST(CpuState, ExceptionEntry)
{
    const EntryCase cases[] = {
        {Exception::Undefined, true, 0x100, 0x102, 0x102, 0x04, 0x9B},
        {Exception::Undefined, false, 0x100, 0x104, 0x104, 0x04, 0x9B},
        {Exception::Swi, false, 0x100, 0x104, 0x104, 0x08, 0x93},
        {Exception::PrefetchAbort, false, 0x200, 0x200, 0x204, 0x0C, 0x97},
        {Exception::DataAbort, false, 0x200, 0x204, 0x208, 0x10, 0x97},
        {Exception::DataAbort, true, 0x200, 0x202, 0x208, 0x10, 0x97},
    };
    for (const EntryCase& c : cases) {
        CpuState cpu;
        const uint32_t old = 0xF0000050u | (c.thumb ? kCpsrThumb : 0u);  // USER, F set
        cpu.WriteCpsr(old);
        cpu.pc = c.pc;
        cpu.nextPc = c.nextPc;
        cpu.vectorBase = 0x10000;
        cpu.EnterException(c.exception);
        EXPECT_EQ(cpu.cpsr, 0xF0000000u | c.cpsrLow | 0x40) << static_cast<int>(c.exception);
        EXPECT_FALSE(cpu.thumb);
        EXPECT_EQ(cpu.r[kRegLr], c.link);
        EXPECT_EQ(cpu.Spsr(), old);
        EXPECT_EQ(cpu.nextPc, 0x10000u + c.vector);
    }
}

TEST(CpuState, DirtyFlagsFollowWritesThroughTheBanks)
{
    Simulator sim;
    EXPECT_FALSE(sim.Cpu().IsDirty(26));
    sim.Cpu().SetReg(13, 1);  // SVC r13
    sim.Cpu().WriteCpsr(0xD2);
    sim.Cpu().SetReg(13, 2);  // IRQ r13
    EXPECT_TRUE(sim.Cpu().IsDirty(26));
    EXPECT_TRUE(sim.Cpu().IsDirty(32));
    EXPECT_FALSE(sim.Cpu().IsDirty(13));
    sim.Cpu().ClearDirty();
    EXPECT_FALSE(sim.Cpu().IsDirty(32));
}

}  // namespace
}  // namespace zk::sim
