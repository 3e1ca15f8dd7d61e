// Sim_Command of libDorvel.so, bound by name: the code table, registers,
// block transfers with their mends, go/halt/status/close with the run
// thread, and the stop hook.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <sstream>
#include <vector>

#include "dorvel_binding.h"
#include "host_tools.h"
#include "thread_events.h"

namespace {

struct Stop {
    int reason;
    int lastResult;
    uint32_t pc;
};

class SimCommandTest : public testing::Test {
protected:
    zk::test::DorvelBinding dorvel;
    zk::test::EventLog<Stop> stopLog;  // added by the hook on the run thread

    void SetUp() override
    {
        ASSERT_TRUE(dorvel.Bind());
        ASSERT_EQ(Cmd(SIM_CMD_INIT), 0);
        dorvel.setStopHook(
            [](void* context, int reason, int lastResult, uint32_t pc) {
                static_cast<SimCommandTest*>(context)->stopLog.Add({reason, lastResult, pc});
            },
            this);
    }
    std::vector<Stop> Stops() const { return stopLog.Events(); }
    void TearDown() override
    {
        Cmd(SIM_CMD_HALT);
        dorvel.setStopHook(nullptr, nullptr);
    }

    int Cmd(int code, intptr_t a1 = 0, intptr_t a2 = 0, intptr_t a3 = 0, intptr_t a4 = 0)
    {
        return dorvel.command(code, a1, a2, a3, a4);
    }
    uint32_t Reg(int number)
    {
        uint32_t value = 0xCCCCCCCC;
        EXPECT_EQ(Cmd(SIM_CMD_READ_REG, number, reinterpret_cast<intptr_t>(&value)), 0);
        return value;
    }
    char Status()
    {
        char status = 0x55;
        EXPECT_EQ(Cmd(SIM_CMD_STATUS, reinterpret_cast<intptr_t>(&status)), 0);
        return status;
    }
    void Write(uint32_t addr, std::initializer_list<uint32_t> words)
    {
        std::vector<uint32_t> v(words);
        ASSERT_EQ(Cmd(SIM_CMD_WRITE_MEM, 4, addr, reinterpret_cast<intptr_t>(v.data()), v.size() * 4), 0);
    }
    std::vector<uint8_t> Read(uint32_t addr, size_t length, unsigned unit = 1)
    {
        std::vector<uint8_t> bytes(length);
        EXPECT_EQ(Cmd(SIM_CMD_READ_MEM, unit, addr, reinterpret_cast<intptr_t>(bytes.data()), length), 0);
        return bytes;
    }
    // Waits for the stop hook to report a run that ends by itself (the
    // `count`th stop since the log was cleared), then joins its thread.
    void WaitStopped(size_t count = 1)
    {
        ASSERT_TRUE(stopLog.WaitFor(count)) << "the stop hook was not called";
        EXPECT_EQ(Status(), 1) << "the hook runs after the stopped state is set";
        Cmd(SIM_CMD_HALT);
    }
    std::array<uint32_t, 38> AllRegisters()
    {
        std::array<uint32_t, 38> r{};
        for (int i = 0; i < 38; ++i)
            r[i] = Reg(i);
        return r;
    }
};

TEST(DorvelLibrary, ExportsOnlyTheEntryAndTheHookRegistration)
{
    const zk::test::ProcessResult r =
        zk::test::RunProcess({"nm", "-D", "--defined-only", std::string(ZK_BIN_DIR) + "/libDorvel.so"});
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    std::set<std::string> names;
    std::istringstream lines(r.out);
    std::string address, type, name;
    while (lines >> address >> type >> name)
        names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{"Sim_Command", "Sim_SetStopHook"}));
}

TEST_F(SimCommandTest, CodesThatAreNotListedDoNothing)
{
    Write(0x100, {0x12345678});
    Cmd(SIM_CMD_WRITE_REG, 1, 0x55);
    const auto before = AllRegisters();
    for (int code : {4, 5, 8, 9, 20, 40, 49, 99, 1000, -1, -47}) {
        EXPECT_EQ(Cmd(code, 1, 2, 3, 4), 0) << code;
    }
    EXPECT_EQ(AllRegisters(), before);
    EXPECT_EQ(Read(0x100, 4, 4), (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
}

TEST_F(SimCommandTest, RegisterCodes)
{
    EXPECT_EQ(Reg(0), 0xD3u);
    EXPECT_EQ(Reg(28), 0x10u);  // SPSR of SVC
    // r15 reads masked by state: bits 0-1 in ARM, bit 0 in Thumb.
    Cmd(SIM_CMD_WRITE_REG, 16, 0x8003);
    EXPECT_EQ(Reg(16), 0x8000u);
    Cmd(SIM_CMD_WRITE_REG, 0, 0xF3);
    Cmd(SIM_CMD_WRITE_REG, 16, 0x8001);
    EXPECT_EQ(Reg(16), 0x8000u);
    // Writing the CPSR with IRQ mode bits switches the current-mode registers.
    Cmd(SIM_CMD_WRITE_REG, 0, 0xD3);
    Cmd(SIM_CMD_WRITE_REG, 14, 0x5000);  // r13_svc
    Cmd(SIM_CMD_WRITE_REG, 0, 0xD2);
    EXPECT_EQ(Reg(14), 0u);
    Cmd(SIM_CMD_WRITE_REG, 14, 0x6000);
    EXPECT_EQ(Reg(32), 0x6000u);  // r13_irq
    EXPECT_EQ(Reg(26), 0x5000u);  // r13_svc
    // The register number of code 3 is the low 16 bits, signed.
    Cmd(SIM_CMD_WRITE_REG, 0x10001, 0x77);
    EXPECT_EQ(Reg(1), 0x77u);
    const auto before = AllRegisters();
    Cmd(SIM_CMD_WRITE_REG, 0xFFFF, 1);
    Cmd(SIM_CMD_WRITE_REG, 38, 1);
    EXPECT_EQ(AllRegisters(), before);
    // Numbers outside 0-37 leave the result alone.
    EXPECT_EQ(Reg(38), 0xCCCCCCCCu);
    EXPECT_EQ(Reg(-1), 0xCCCCCCCCu);
    EXPECT_EQ(Cmd(SIM_CMD_READ_REG, 1, 0), -1);
}

TEST_F(SimCommandTest, BlockTransfersMoveExactlyTheRequestedBytes)
{
    Write(0x200, {0x44332211, 0x88776655, 0xCCBBAA99});
    // Unit 4, length 6: six bytes, not two words.
    std::array<uint8_t, 10> buffer;
    buffer.fill(0xEE);
    ASSERT_EQ(Cmd(SIM_CMD_READ_MEM, 4, 0x200, reinterpret_cast<intptr_t>(buffer.data()), 6), 0);
    EXPECT_EQ(buffer, (std::array<uint8_t, 10>{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0xEE, 0xEE, 0xEE, 0xEE}));
    // Unit 4 at an unaligned address: the bytes of that address, not of the word below.
    EXPECT_EQ(Read(0x202, 4, 4), (std::vector<uint8_t>{0x33, 0x44, 0x55, 0x66}));
    // Unit 2, length 3: three bytes written, the fourth untouched.
    const uint8_t source[4] = {0xA1, 0xA2, 0xA3, 0xA4};
    ASSERT_EQ(Cmd(SIM_CMD_WRITE_MEM, 2, 0x200, reinterpret_cast<intptr_t>(source), 3), 0);
    EXPECT_EQ(Read(0x200, 4, 4), (std::vector<uint8_t>{0xA1, 0xA2, 0xA3, 0x44}));
    // Unit and length are the low 16 bits.
    ASSERT_EQ(Cmd(SIM_CMD_WRITE_MEM, 0x10001, 0x208, reinterpret_cast<intptr_t>(source), 0x10001), 0);
    EXPECT_EQ(Read(0x208, 2), (std::vector<uint8_t>{0xA1, 0xAA}));
    // Length 0 touches nothing; a unit other than 1, 2, 4 or a missing buffer is refused.
    buffer.fill(0xEE);
    EXPECT_EQ(Cmd(SIM_CMD_READ_MEM, 4, 0x200, reinterpret_cast<intptr_t>(buffer.data()), 0), 0);
    EXPECT_EQ(buffer[0], 0xEE);
    EXPECT_EQ(Cmd(SIM_CMD_READ_MEM, 3, 0x200, reinterpret_cast<intptr_t>(buffer.data()), 4), -1);
    EXPECT_EQ(Cmd(SIM_CMD_WRITE_MEM, 0, 0x200, reinterpret_cast<intptr_t>(source), 4), -1);
    EXPECT_EQ(Cmd(SIM_CMD_READ_MEM, 4, 0x200, 0, 4), -1);
    EXPECT_EQ(Cmd(SIM_CMD_WRITE_MEM, 4, 0x200, 0, 4), -1);
    // A 4 KB read in one request (beyond what one text area held).
    std::vector<uint8_t> big(4096, 0x5A);
    ASSERT_EQ(Cmd(SIM_CMD_WRITE_MEM, 4, 0x10000, reinterpret_cast<intptr_t>(big.data()), big.size()), 0);
    EXPECT_EQ(Read(0x10000, big.size(), 2), big);
}

TEST_F(SimCommandTest, RefusedTransfersReturnMinusOneAndMoveTheRest)
{
    // Protection on with only 0 to 0xFFF accessible, set up by stepping a program.
    Write(0, {0xE3A00017, 0xEE060F10, 0xE3A00003, 0xEE050F10, 0xEE050F11, 0xE3A00001, 0xEE010F10});
    Write(0xFFC, {0x04030201});
    for (int i = 0; i < 7; ++i)
        ASSERT_EQ(Cmd(SIM_CMD_STEP), 0);
    std::array<uint8_t, 8> buffer;
    buffer.fill(0xEE);
    EXPECT_EQ(Cmd(SIM_CMD_READ_MEM, 4, 0xFFC, reinterpret_cast<intptr_t>(buffer.data()), 8), -1);
    EXPECT_EQ(buffer, (std::array<uint8_t, 8>{1, 2, 3, 4, 0, 0, 0, 0}));
    const uint8_t source[8] = {9, 9, 9, 9, 8, 8, 8, 8};
    EXPECT_EQ(Cmd(SIM_CMD_WRITE_MEM, 1, 0xFFC, reinterpret_cast<intptr_t>(source), 8), -1);
    EXPECT_EQ(Read(0xFFC, 4), (std::vector<uint8_t>{9, 9, 9, 9}));
}

TEST_F(SimCommandTest, GoHaltStatusAndTheStopHook)
{
    Write(0x300, {0xE2800001, 0xEAFFFFFD});  // add r0,r0,#1; b 0x300
    Cmd(SIM_CMD_WRITE_REG, 16, 0x300);
    EXPECT_EQ(Status(), 1);
    ASSERT_EQ(Cmd(SIM_CMD_GO), 0);
    EXPECT_EQ(Status(), 0);
    // While the run goes: a second go is ignored, every other code is refused
    // and touches nothing.
    EXPECT_EQ(Cmd(SIM_CMD_GO), -1);
    uint32_t value = 0xCCCCCCCC;
    EXPECT_EQ(Cmd(SIM_CMD_READ_REG, 1, reinterpret_cast<intptr_t>(&value)), -1);
    EXPECT_EQ(value, 0xCCCCCCCCu);
    const uint32_t word = 0;
    EXPECT_EQ(Cmd(SIM_CMD_WRITE_MEM, 4, 0x300, reinterpret_cast<intptr_t>(&word), 4), -1);
    for (int code :
         {SIM_CMD_INIT, SIM_CMD_WRITE_REG, SIM_CMD_SET_BREAK, SIM_CMD_HELP, SIM_CMD_DISABLE_BREAKS, SIM_CMD_STEP}) {
        EXPECT_EQ(Cmd(code, 16, 0), -1) << code;
    }
    EXPECT_EQ(Status(), 0);
    ASSERT_EQ(Cmd(SIM_CMD_HALT), 0);
    EXPECT_EQ(Status(), 1);
    const std::vector<Stop> stops = Stops();
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0].reason, SIM_STOP_HALT_REQUEST);
    EXPECT_TRUE(stops[0].pc == 0x300 || stops[0].pc == 0x304);
    EXPECT_EQ(Reg(16), stops[0].pc);
    EXPECT_EQ(Read(0x300, 4, 4), (std::vector<uint8_t>{0x01, 0x00, 0x80, 0xE2}));
    EXPECT_GT(Reg(1), 0u);
    // Halt again, or without a run: nothing happens, no hook.
    EXPECT_EQ(Cmd(SIM_CMD_HALT), 0);
    EXPECT_EQ(stopLog.Size(), 1u);
}

TEST_F(SimCommandTest, ARunThatEndsByItselfTellsWhy)
{
    struct Case {
        uint32_t cpsr;
        uint32_t word;
        int reason;
    } cases[] = {
        {0xD3, 0xEF000011, SIM_STOP_NORMAL_END},
        {0xD3, 0xFEDEFEDE, SIM_STOP_BREAK_WORD},
        {0xF3, 0xFEDE2001, SIM_STOP_BREAK_WORD},  // Thumb: movs r0,#1; break halfword
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        stopLog.Clear();
        Cmd(SIM_CMD_INIT);
        Write(0x400, {0xE3A00001, c.word});  // mov r0,#1 (ARM)
        Cmd(SIM_CMD_WRITE_REG, 0, c.cpsr);
        Cmd(SIM_CMD_WRITE_REG, 16, c.cpsr == 0xF3 ? 0x404 : 0x400);
        ASSERT_EQ(Cmd(SIM_CMD_GO), 0);
        WaitStopped();
        const std::vector<Stop> stops = Stops();
        ASSERT_EQ(stops.size(), 1u);
        EXPECT_EQ(stops[0].reason, c.reason);
        EXPECT_EQ(stops[0].lastResult, 1008);
        EXPECT_EQ(stops[0].pc, c.cpsr == 0xF3 ? 0x406u : 0x404u);
        EXPECT_EQ(Reg(1), 1u);
        // The mov ran; the word that ended the run is not counted.
        uint32_t count = 0;
        EXPECT_EQ(Cmd(SIM_CMD_INSTRUCTION_COUNT, reinterpret_cast<intptr_t>(&count)), 0);
        EXPECT_EQ(count, 1u);
        EXPECT_EQ(Cmd(SIM_CMD_INSTRUCTION_COUNT, 0), -1);
    }
}

TEST_F(SimCommandTest, CloseDuringARunEndsItCleanly)
{
    Write(0, {0xEAFFFFFE});  // b .
    ASSERT_EQ(Cmd(SIM_CMD_GO), 0);
    EXPECT_EQ(Cmd(SIM_CMD_CLOSE), 0);
    EXPECT_EQ(Status(), 1);
    ASSERT_EQ(stopLog.Size(), 1u);
    EXPECT_EQ(Stops()[0].reason, SIM_STOP_HALT_REQUEST);
    // After close the simulator can be initialised and run again.
    ASSERT_EQ(Cmd(SIM_CMD_INIT), 0);
    EXPECT_EQ(Read(0, 4, 4), (std::vector<uint8_t>{0, 0, 0, 0}));
    Write(0, {0xEF000011});
    ASSERT_EQ(Cmd(SIM_CMD_GO), 0);
    WaitStopped(2);
    ASSERT_EQ(stopLog.Size(), 2u);
    EXPECT_EQ(Stops()[1].reason, SIM_STOP_NORMAL_END);
}

TEST_F(SimCommandTest, OnTheRunThreadTheHookGetsOnlyStatusAndHalt)
{
    struct Seen {
        zk::test::DorvelBinding::Command command;
        zk::test::EventLog<Stop>& log;
        int go = 0, step = 0, status = 0;
        char state = 0;
    } seen{dorvel.command, stopLog};
    dorvel.setStopHook(
        [](void* context, int reason, int lastResult, uint32_t pc) {
            Seen& s = *static_cast<Seen*>(context);
            s.go = s.command(SIM_CMD_GO, 0, 0, 0, 0);
            s.step = s.command(SIM_CMD_STEP, 0, 0, 0, 0);
            s.status = s.command(SIM_CMD_STATUS, reinterpret_cast<intptr_t>(&s.state), 0, 0, 0);
            s.log.Add({reason, lastResult, pc});
        },
        &seen);
    Write(0, {0xEF000011});
    ASSERT_EQ(Cmd(SIM_CMD_GO), 0);
    WaitStopped();
    EXPECT_EQ(seen.go, -1);
    EXPECT_EQ(seen.step, -1);
    EXPECT_EQ(seen.status, 0);
    EXPECT_EQ(seen.state, 1);
    EXPECT_EQ(Reg(16), 0u);
    EXPECT_EQ(Status(), 1);
}

TEST_F(SimCommandTest, StepBreakAndHelpCodesPrintNothing)
{
    Write(0, {0xE3A00005, 0xE2800001});
    testing::internal::CaptureStdout();
    EXPECT_EQ(Cmd(SIM_CMD_STEP), 0);
    EXPECT_EQ(Reg(16), 4u);
    EXPECT_EQ(Reg(1), 5u);
    const auto before = AllRegisters();
    EXPECT_EQ(Cmd(SIM_CMD_SET_BREAK, 0x100), 0);
    EXPECT_EQ(Cmd(SIM_CMD_HELP), 0);
    EXPECT_EQ(Cmd(SIM_CMD_DISABLE_BREAKS), 0);
    EXPECT_EQ(AllRegisters(), before);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(SimCommandTest, InitClearsMemoryAndResetsTheProcessor)
{
    Write(0x100, {0xAABBCCDD});
    Cmd(SIM_CMD_WRITE_REG, 0, 0x10);
    Cmd(SIM_CMD_WRITE_REG, 5, 0x1234);
    Cmd(SIM_CMD_WRITE_REG, 16, 0x40);
    ASSERT_EQ(Cmd(SIM_CMD_INIT), 0);
    EXPECT_EQ(Read(0x100, 4, 4), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(Reg(0), 0xD3u);
    EXPECT_EQ(Reg(5), 0u);
    EXPECT_EQ(Reg(16), 0u);
    EXPECT_EQ(Cmd(SIM_CMD_CLOSE), 0);
    EXPECT_EQ(Cmd(SIM_CMD_STATUS, 0), -1);
}

}  // namespace
