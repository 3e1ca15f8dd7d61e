// Library set-up: the target configuration, the kernel view and the
// ordinal table.
#include <platform/win32.h>

#include "sarvik_fixture.h"

namespace sarvik::test {
namespace {

using SetupTest = SarvikTest;

TEST_F(SetupTest, BeforeAnyRecordTheDefaultsHold)
{
    ResetLibrary();
    const TargetConfig& c = Core().config;
    EXPECT_EQ(c.breakInSteps, 1);
    EXPECT_EQ(c.singleStepCalls, 0);
    EXPECT_FALSE(c.hwBreakpoints);
    EXPECT_EQ(c.semihostOption, 1);
    EXPECT_EQ(c.semihostVector, 8u);
    EXPECT_EQ(c.topOfMemory, 0x80000u);
    EXPECT_EQ(c.catchMask, 0x1B9u);
}

TEST_F(SetupTest, TheRecordIsStoredWordByWord)
{
    const EMU_TARGET_CONFIG record{0x105, 0x28, 0x100000, EMU_PROTOCOL_ANGEL, 0};
    EXPECT_EQ(EmuSetTargetConfig(&record), 0x105);
    const TargetConfig& c = Core().config;
    EXPECT_EQ(c.breakInSteps, 1);
    EXPECT_EQ(c.singleStepCalls, 0);
    EXPECT_TRUE(c.hwBreakpoints);
    EXPECT_EQ(c.semihostOption, 1);
    EXPECT_EQ(c.semihostVector, 0x28u);
    EXPECT_EQ(c.topOfMemory, 0x100000u);
    EXPECT_EQ(c.protocol, EMU_PROTOCOL_ANGEL);

    const EMU_TARGET_CONFIG negative{0xFFFFFF02, 8, 0, 0, 0};
    EXPECT_EQ(EmuSetTargetConfig(&negative), static_cast<int>(0xFFFFFF02));
    EXPECT_EQ(Core().config.semihostOption, -1) << "shifted arithmetically";
    EXPECT_EQ(Core().config.breakInSteps, 0);
    EXPECT_EQ(Core().config.singleStepCalls, 1);
}

TEST_F(SetupTest, SourceLevelAndBusyFlag)
{
    EXPECT_EQ(EmuSetSourceLevel(1), 1);
    EXPECT_EQ(Core().run.sourceLevel, 1);
    EXPECT_EQ(EmuIsBusy(), 0);
    Core().run.runCommandActive = 1;
    EXPECT_EQ(EmuIsBusy(), 1);
}

TEST_F(SetupTest, WithoutTheKernelViewTaskQualifiedBreakpointsArePlain)
{
    EXPECT_EQ(EmuInit(window_), 0);
    const ADDR at{0x100, 1};
    ASSERT_EQ(BptSetBp(&at, "", 1, 0, 1, 0x20000000), EMU_OK);
    EXPECT_EQ(BptCheckHit(&at), BPT_HIT_PERMANENT);
}

TEST_F(SetupTest, WithTheKernelViewABreakpointHitsOnlyInItsThread)
{
    platform::SetModuleFolder(ZK_FAKE_CORVANE_DIR);
    const intptr_t entry = EmuInit(window_);
    ASSERT_NE(entry, 0) << platform::LastModuleError();
    HMODULE corvane = LoadLibrary("Corvane.dll");
    ASSERT_NE(corvane, nullptr);
    EXPECT_EQ(reinterpret_cast<intptr_t>(GetProcAddress(corvane, "GetTaskInfo")), entry);
    auto setCurrent = reinterpret_cast<void (*)(uint32_t)>(GetProcAddress(corvane, "FakeCorvane_SetCurrent"));
    auto questions = reinterpret_cast<int (*)()>(GetProcAddress(corvane, "FakeCorvane_Questions"));
    ASSERT_TRUE(setCurrent && questions);

    const ADDR at{0x100, 1};
    ASSERT_EQ(BptSetBp(&at, "", 1, 0, 1, 0x20000040), EMU_OK);
    const ADDR plain{0x104, 1};
    ASSERT_EQ(BptSetBp(&plain, "", 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
    setCurrent(0x20000080);
    EXPECT_EQ(BptCheckHit(&at), 0) << "another thread is current";
    setCurrent(0x20000040);
    EXPECT_EQ(BptCheckHit(&at), BPT_HIT_PERMANENT);
    const int asked = questions();
    EXPECT_EQ(BptCheckHit(&plain), BPT_HIT_PERMANENT);
    EXPECT_EQ(questions(), asked) << "a breakpoint without a task is not asked about";
    FreeLibrary(corvane);
}

TEST_F(SetupTest, TheProgramBindsTheSetUpAndBreakpointCallsByNumber)
{
    HMODULE sarvik = LoadLibrary(ZK_BIN_DIR "/libsarvik.so");
    ASSERT_NE(sarvik, nullptr) << platform::LastModuleError();
    const struct {
        int ordinal;
        void* function;
    } table[] = {
        {12, reinterpret_cast<void*>(&EmuHaltCmd)},
        {13, reinterpret_cast<void*>(&EmuHalt)},
        {14, reinterpret_cast<void*>(&EmuJumpCmd)},
        {15, reinterpret_cast<void*>(&EmuSetPC)},
        {16, reinterpret_cast<void*>(&EmuRun)},
        {17, reinterpret_cast<void*>(&EmuGoCmd)},
        {18, reinterpret_cast<void*>(&EmuRestart)},
        {20, reinterpret_cast<void*>(&EmuStepCmd)},
        {21, reinterpret_cast<void*>(&EmuStep)},
        {22, reinterpret_cast<void*>(&EmuSetTargetConfig)},
        {100, reinterpret_cast<void*>(&BptSetCmd)},
        {101, reinterpret_cast<void*>(&BptClearCmd)},
        {102, reinterpret_cast<void*>(&BptGetList)},
        {103, reinterpret_cast<void*>(&BptClearAll)},
        {104, reinterpret_cast<void*>(&BptDeleteAllObjects)},
        {105, reinterpret_cast<void*>(&BptClearBp)},
        {106, reinterpret_cast<void*>(&BptSetBp)},
        {107, reinterpret_cast<void*>(&BptFindBp)},
        {112, reinterpret_cast<void*>(&EmuInit)},
        {113, reinterpret_cast<void*>(&EmuResetCmd)},
        {114, reinterpret_cast<void*>(&EmuResetTarget)},
        {115, reinterpret_cast<void*>(&EmuSetSourceLevel)},
        {116, reinterpret_cast<void*>(&EmuIsBusy)},
        {117, reinterpret_cast<void*>(&BptResetHitCounts)},
        {118, reinterpret_cast<void*>(&BptCheckHit)},
    };
    for (const auto& row : table) {
        EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(sarvik, platform::OrdinalName(row.ordinal))), row.function)
            << "ordinal " << row.ordinal;
    }
    for (const char* name :
         {"EmuTargetStopped", "EmuIsHaltAction", "SetRestartOption", "HandleSemiHosting", "AddTempBp", "RemoveTempBp",
          "BptEnableBp", "BptLoadBreakpoints", "BptUnloadBreakpoints", "SaveBpFile", "RestoreBpFile", "WatchpointCmd",
          "SemihostSetCommandLine", "SemihostGetExit", "SemihostExitText"})
        EXPECT_NE(GetProcAddress(sarvik, name), nullptr) << name;
    FreeLibrary(sarvik);
}

}  // namespace
}  // namespace sarvik::test
