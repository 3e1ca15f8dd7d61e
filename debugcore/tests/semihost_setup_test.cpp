// When semihosting is served, and its vector breakpoint before each run.
#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

class SemihostSetup : public SarvikTest {
protected:
    void Configure(uint32_t options, uint32_t vector, uint32_t protocol)
    {
        const EMU_TARGET_CONFIG config{options, vector, 0x80000, protocol, 0};
        EmuSetTargetConfig(&config);
        Fake().calls.clear();
    }
};

TEST_F(SemihostSetup, TheVectorBreakpointIsPlantedOnlyWhenServed)
{
    struct Row {
        uint32_t options;
        uint32_t protocol;
        bool served;
    } rows[] = {
        {0x101, EMU_PROTOCOL_PELLITON, true},   {0x101, EMU_PROTOCOL_TAMBER, true},
        {0x101, EMU_PROTOCOL_SIMULATOR, true},  {0x101, EMU_PROTOCOL_ANGEL, false},
        {0x101, EMU_PROTOCOL_NONE, false},      {0x001, EMU_PROTOCOL_SIMULATOR, false},
        {0x201, EMU_PROTOCOL_SIMULATOR, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "options 0x" << std::hex << r.options << " protocol " << r.protocol);
        BptDeleteAllObjects();
        Configure(r.options, 0x28, r.protocol);
        ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
        EXPECT_EQ(ListOffsets(), r.served ? std::vector<uint32_t>{0x28} : std::vector<uint32_t>{});
        EXPECT_EQ(Fake().PeekWord(0x28), r.served ? EMU_BREAK_WORD : 0u);
        ASSERT_EQ(EmuTargetStopped(), EMU_STOP_HALTED);
        EXPECT_EQ(Fake().PeekWord(0x28), 0u);
        int state = -1;
        EXPECT_EQ(HandleSemiHosting(&state), 0);
        EXPECT_EQ(state, SEMIHOST_NOT_SERVED) << "the PC is not on the vector";
    }
}

TEST_F(SemihostSetup, AnExistingBreakpointOnTheVectorCountsAgain)
{
    Configure(0x101, 8, EMU_PROTOCOL_SIMULATOR);
    Set(8, 3);
    CBpDataEx* record = (*BptGetList())[0];
    const ADDR at{8, 1};
    EXPECT_EQ(BptCheckHit(&at), 0);
    ASSERT_EQ(record->GetHitCount(), 1u);
    Fake().calls.clear();
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    EXPECT_EQ(record->GetHitCount(), 0u);
    EXPECT_THAT(Fake().calls, Contains("emuSetBp(0x8)"));
    EXPECT_THAT(ListOffsets(), ElementsAre(8u)) << "no second record";
    EmuTargetStopped();
}

TEST_F(SemihostSetup, WithoutATargetNothingIsServed)
{
    Configure(0x101, 8, EMU_PROTOCOL_SIMULATOR);
    Fake().pc = 8;
    int state = -1;
    HandleSemiHosting(&state);
    EXPECT_EQ(state, SEMIHOST_NOT_SERVED) << "the caller's registers cannot be read";
    EXPECT_EQ(SemihostGetExit(nullptr, nullptr), 0);
}

// The console line of each reason a program reports its stop with.
TEST(SemihostExit, EveryReasonHasItsLine)
{
    const std::pair<DWORD, const char*> lines[] = {
        {0x20000, "Branch Through Zero!"},
        {0x20001, "Undefined Instruction!"},
        {0x20003, "Prefetch Abort!"},
        {0x20004, "Data Abort!"},
        {0x20005, "Address Exception!"},
        {0x20006, "IRQ!"},
        {0x20007, "FIQ!"},
        {0x20020, "Breakpoint Reached!"},
        {0x20021, "Watchpoint Accessed!"},
        {0x20022, "Finished In Step!"},
        {0x20025, "User Interrupt!"},
        {0x20026, "Application Exit!"},
        {0x20027, "Stack Overflow!"},
        {0x20028, "Division By Zero!"},
        {0x20002, "Unhandled exception"},
        {0x20023, "Unhandled exception"},
        {0, "Unhandled exception"},
    };
    for (const auto& [reason, line] : lines)
        EXPECT_EQ(SemihostExitText(reason), "Stop Emulation for " + std::string(line) + "\n") << std::hex << reason;
}

}  // namespace
}  // namespace sarvik::test
