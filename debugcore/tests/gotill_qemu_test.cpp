// A go-till to a function other than main on the simulator, against qemu
// stopped at the same address under gdb: a newlib program (ARM and Thumb
// code) whose start-up and stdio went through semihosting on the way, with
// the top of memory of the reference machine so that the heap information
// gives the stack that qemu gives.
#include <iomanip>
#include <sstream>

#include "qemu_reference.h"
#include "sim_session.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace sarvik::test {
namespace {

using zk::test::ArmState;
using zk::test::CPSR_COMPARED_BITS;

// Register 10 is newlib's stack limit: its start-up code sets it to the
// stack limit of the heap information plus 256, and the two debuggers
// choose their own limit (qemu the image's end, sarvik 8 KiB below the top).
constexpr int kStackLimitRegister = 10;
constexpr uint32_t kStackLimitMargin = 0x100;

class GoTillAgainstQemu : public SimSession, public ::testing::WithParamInterface<const char*> {};

TEST_P(GoTillAgainstQemu, TheRegistersAtTheStopAreQemus)
{
    Load(GetParam());
    const uint32_t heapBlock = image_.symbols.at("HeapBase");  // crt0's heap information block
    const zk::test::QemuStop ref = zk::test::QemuStopAt(imagePath_, "*checkpoint", std::to_string(heapBlock), 4);
    ASSERT_TRUE(ref.ok) << ref.error;

    const uint32_t checkpoint = Symbol("checkpoint");
    ASSERT_EQ(EmuRun(EMU_RUN_GO_TILL, {checkpoint, ADDR_SPACE_TARGET}), EMU_OK);
    ASSERT_TRUE(WaitForStop());
    ExpectImageIntact();

    ArmState sim;
    for (DWORD id = 0; id < 16; ++id)
        ASSERT_EQ(CpuGetRegister(id, &sim.r[id]), 0);
    ASSERT_EQ(CpuGetRegister(VEXLOR_REG_CPSR, &sim.cpsr), 0);
    uint8_t bytes[16];
    ASSERT_EQ(MemReadBlock(bytes, {heapBlock, 1}, sizeof bytes), 0);
    uint32_t block[4];
    for (int i = 0; i < 4; ++i)
        block[i] = uint32_t{bytes[4 * i]} | uint32_t{bytes[4 * i + 1]} << 8 | uint32_t{bytes[4 * i + 2]} << 16 |
            uint32_t{bytes[4 * i + 3]} << 24;

    EXPECT_EQ(sim.r[15], checkpoint);
    EXPECT_EQ(ref.atStop.r[15], checkpoint);
    EXPECT_EQ(block[2], ref.words[2]) << "the same stack base";
    EXPECT_EQ(sim.r[kStackLimitRegister], block[3] + kStackLimitMargin);
    EXPECT_EQ(ref.atStop.r[kStackLimitRegister], ref.words[3] + kStackLimitMargin);
    ArmState expected = ref.atStop;
    expected.r[kStackLimitRegister] = sim.r[kStackLimitRegister];
    expected.cpsr &= CPSR_COMPARED_BITS;
    sim.cpsr &= CPSR_COMPARED_BITS;
    EXPECT_TRUE(std::equal(sim.r, sim.r + 16, expected.r) && sim.cpsr == expected.cpsr)
        << zk::test::SideBySide(expected, sim);
    EXPECT_EQ(console_, "before: 42 items, named\n");
}

INSTANTIATE_TEST_SUITE_P(Code, GoTillAgainstQemu, ::testing::Values("gotill_arm", "gotill_thumb"));

}  // namespace
}  // namespace sarvik::test
