// Erase and Flash through the engine on the real simulator: the test
// device's ARM routine in target RAM, the debugger core's go till, and the
// main frame's stop handling (the shared set-up of the debugger core's
// simulator tests), with the chunk worker on its own thread.
#include <gtest/gtest.h>

#include "falcrest.h"
#include "mirobel/flash_engine.h"
#include "mirobel/flash_files.h"
#include "mirobel/flash_protocol.h"
#include "mirobel/flash_record.h"
#include "platform/messages.h"
#include "scratch_folder.h"
#include "sim_session.h"
#include "talvis/talvis.h"
#include "test_clock.h"
#include "vexlor/vexlor.h"

namespace mirobel {
namespace {

constexpr uint32_t kFlash = 0x00100000;
constexpr uint32_t kFlashSize = 0x20000;
constexpr uint32_t kRam = 0x00200000;
constexpr uint32_t kGuard = 0x100;

std::vector<uint8_t> Pattern(size_t size, unsigned seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 13 + seed + i / 509);
    return bytes;
}

class SimFlash : public sarvik::test::SimSession {
protected:
    void SetUp() override
    {
        SimSession::SetUp();
        SetLibraryFolder(ZK_FLASH_TESTLIB);
        DeviceTable table;
        ASSERT_TRUE(LoadDeviceTable(table));
        request_.device = table.DeviceAt(0, 0);
        ASSERT_EQ(request_.device, "TESTDEV");
        request_.info.flashStart = kFlash;
        request_.info.flashSize = kFlashSize;
        request_.info.flashOffset = kFlash;
        request_.info.ramStart = kRam;
        request_.info.ramEnd = kRam + 0xFFFF;
        // Guards on both sides of the flash and of the RAM area.
        for (uint32_t at : {kFlash - kGuard, kFlash + kFlashSize, kRam - kGuard, kRam + 0x10000})
            Write(at, Pattern(kGuard, at));
    }
    void TearDown() override
    {
        SetLibraryFolder("");
        SimSession::TearDown();
    }

    void Write(uint32_t at, const std::vector<uint8_t>& bytes)
    {
        ASSERT_EQ(MemWriteBlock({at, ADDR_SPACE_TARGET}, bytes.data(), static_cast<uint32_t>(bytes.size()), 4), 0);
    }
    std::vector<uint8_t> Read(uint32_t at, uint32_t size)
    {
        std::vector<uint8_t> bytes(size);
        EXPECT_EQ(MemReadBlock(bytes.data(), {at, ADDR_SPACE_TARGET}, size), 0);
        return bytes;
    }
    uint32_t Flash(const std::vector<uint8_t>& image)
    {
        request_.imagePath = scratch_.Write("image.bin", std::string(image.begin(), image.end()));
        EXPECT_TRUE(engine_.StartFlash(request_));
        EXPECT_TRUE(engine_.WaitUntilDone(60000));
        return engine_.Result();
    }
    // Stopped, the go-till's break word out of the routine's entry, the
    // guards as they were.
    void ExpectTargetClean()
    {
        EXPECT_EQ(CpuGetCpuStatus(0, 0) & 1, 0u);
        const std::vector<uint8_t> entry = Read(kRam + kRoutineOffset, 4);
        EXPECT_EQ(entry, (std::vector<uint8_t>{0x00, 0x00, 0xA0, 0xE1})) << "mov r0, r0 at the entry";
        for (uint32_t at : {kFlash - kGuard, kFlash + kFlashSize, kRam - kGuard, kRam + 0x10000})
            EXPECT_EQ(Read(at, kGuard), Pattern(kGuard, at)) << std::hex << at;
    }

    FlashEngine engine_{LibraryTarget()};
    FlashRequest request_;
    test::ScratchFolder scratch_;
};

TEST_F(SimFlash, EraseFillsTheFlashWithFF)
{
    Write(kFlash, Pattern(kFlashSize, 1));
    std::string message;
    ASSERT_EQ(engine_.Erase(request_, &message), FLASH_OK) << message;
    EXPECT_EQ(Read(kFlash, kFlashSize), std::vector<uint8_t>(kFlashSize, 0xFF));
    ExpectTargetClean();
    EXPECT_GE(Count(WM_EMU_ERROR), 1);

    // In target RAM, in the order written: the block with its words
    // byte-reversed (operation 0, the result word 0 as the routine wrote
    // it), and the routine file byte for byte.
    FlashInfo erase = request_.info;
    erase.operation = FLASH_OP_ERASE;
    const FlashBytes block = ToTargetBlock(erase);
    EXPECT_EQ(Read(kRam, 60), std::vector<uint8_t>(block.begin(), block.end()));
    std::vector<uint8_t> routine;
    ASSERT_TRUE(ReadRoutine("TESTDEV", routine, message)) << message;
    EXPECT_EQ(Read(kRam + kRoutineOffset, static_cast<uint32_t>(routine.size())), routine);
}

// Sizes around the chunk: one byte, one whole chunk, a chunk and one byte, and an
// image of five chunks placed at an offset into the flash.
TEST_F(SimFlash, FlashedImagesEqualTheFileByteForByte)
{
    const struct {
        size_t size;
        uint32_t offset;
    } cases[] = {{1, 0}, {20480, 0}, {20481, 0}, {100000, 0x1230}};
    for (const auto& c : cases) {
        ASSERT_EQ(engine_.Erase(request_), FLASH_OK);
        request_.info.flashOffset = kFlash + c.offset;
        const std::vector<uint8_t> image = Pattern(c.size, static_cast<unsigned>(c.size));
        ASSERT_EQ(Flash(image), FLASH_OK) << c.size << " " << engine_.Message();
        EXPECT_EQ(engine_.Percent(), 100);
        EXPECT_EQ(Read(kFlash + c.offset, static_cast<uint32_t>(c.size)), image) << c.size;
        // Nothing programmed past the image.
        const uint32_t after = kFlash + c.offset + static_cast<uint32_t>(c.size);
        EXPECT_EQ(Read(after, 64), std::vector<uint8_t>(64, 0xFF)) << c.size;
        if (c.offset > 0)
            EXPECT_EQ(Read(kFlash, c.offset), std::vector<uint8_t>(c.offset, 0xFF));
        ExpectTargetClean();
    }
}

// While the worker programs, the GUI thread reads the target as the views
// do: every call reaches the simulator under the target library's lock (a
// read while a chunk runs is refused by the simulator, never torn).
TEST_F(SimFlash, TheGuiThreadReadsTheTargetWhileTheWorkerPrograms)
{
    ASSERT_EQ(engine_.Erase(request_), FLASH_OK);
    int reads = 0;
    const platform::PumpHook saved = platform::SetPumpHook([&] {
        if (!platform::IsGuiThread())
            return;
        std::vector<uint8_t> bytes(256);
        if (MemReadBlock(bytes.data(), {kFlash, ADDR_SPACE_TARGET}, 256) == 0)
            ++reads;
        DWORD pc = 0;
        CpuGetPC(&pc);
    });
    const std::vector<uint8_t> image = Pattern(100000, 9);
    const uint32_t result = Flash(image);
    platform::SetPumpHook(saved);
    EXPECT_EQ(result, FLASH_OK);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(Read(kFlash, static_cast<uint32_t>(image.size())), image);
    ExpectTargetClean();
}

// The routine answers 1 for a chunk that passes the flash's end: programming
// stops at that chunk.
TEST_F(SimFlash, ANonZeroAnswerStopsAtThatChunk)
{
    request_.info.flashSize = 30000;
    ASSERT_EQ(engine_.Erase(request_), FLASH_OK);
    const std::vector<uint8_t> image = Pattern(50000, 3);
    EXPECT_EQ(Flash(image), 1u);
    EXPECT_EQ(Read(kFlash, 20480), std::vector<uint8_t>(image.begin(), image.begin() + 20480));
    EXPECT_EQ(Read(kFlash + 20480, 30000 - 20480), std::vector<uint8_t>(30000 - 20480, 0xFF));
    ExpectTargetClean();
}

// A routine that never comes back ("mov r0, r0" then "b ."): 3, the target
// halted, on the test clock (the time-outs pass at once).
TEST_F(SimFlash, ARoutineThatNeverComesBackGivesThreeAndIsHalted)
{
    scratch_.Write("flash/HANGDEV.o", std::string("\x00\x00\xA0\xE1\xFE\xFF\xFF\xEA", 8));
    SetLibraryFolder(scratch_.path());
    request_.device = "HANGDEV";
    test::TestClock clock;
    std::string message;
    EXPECT_EQ(engine_.Erase(request_, &message), FLASH_TIMED_OUT) << message;
    EXPECT_EQ(CpuGetCpuStatus(0, 0) & 1, 0u);
    EXPECT_EQ(Flash(Pattern(100, 0)), FLASH_TIMED_OUT);
    EXPECT_EQ(CpuGetCpuStatus(0, 0) & 1, 0u);
    DWORD pc = 0;
    ASSERT_EQ(CpuGetPC(&pc), 0);
    EXPECT_EQ(pc, kRam + kRoutineOffset + 4);
    ExpectTargetClean();
}

// The user's breakpoints in the flash and in the RAM area are kept out of
// target memory while the routine runs (a break word restored at the stop
// would overwrite what was programmed, or be programmed itself with a
// chunk), and are back, enabled, afterwards; one elsewhere stays planted.
TEST_F(SimFlash, BreakpointsInTheFlashAndTheRamAreaAreKeptOut)
{
    const ADDR inFlash{kFlash + 0x100, ADDR_SPACE_TARGET};
    const ADDR inChunk{kRam + kChunkOffset + 0x20, ADDR_SPACE_TARGET};
    const ADDR outside{kFlash - 0x1000, ADDR_SPACE_TARGET};
    for (const ADDR& at : {inFlash, inChunk, outside})
        ASSERT_EQ(BptSetBp(&at, "", 1, 0, 1, static_cast<DWORD>(-1)), 0);
    ASSERT_EQ(engine_.Erase(request_), FLASH_OK);
    EXPECT_EQ(Read(kFlash + 0xF8, 16), std::vector<uint8_t>(16, 0xFF));
    const std::vector<uint8_t> image = Pattern(1000, 5);
    ASSERT_EQ(Flash(image), FLASH_OK);
    EXPECT_EQ(Read(kFlash, 1000), image);
    for (const ADDR& at : {inFlash, inChunk, outside})
        EXPECT_EQ(BptFindBp(&at, {}, nullptr), BPT_MARK_SW_ENABLED) << std::hex << at.off;
    BptDeleteAllObjects();
}

// A flash at address 0 holds the vectors, where the debugger core plants
// its semihosting trap and exception catches for a go: they are kept out too.
TEST_F(SimFlash, AFlashAtAddressZeroKeepsNoBreakWordOnTheVectors)
{
    request_.info.flashStart = request_.info.flashOffset = 0;
    request_.info.flashSize = 0x1000;
    ASSERT_EQ(engine_.Erase(request_), FLASH_OK);
    EXPECT_EQ(Read(0, 0x1000), std::vector<uint8_t>(0x1000, 0xFF));
    const std::vector<uint8_t> image = Pattern(0x800, 5);
    ASSERT_EQ(Flash(image), FLASH_OK);
    EXPECT_EQ(Read(0, 0x800), image);
}

// The routine's end would pass the RAM end: refused with the end it needs,
// nothing written.
TEST_F(SimFlash, ARoutinePastTheRamEndIsRefused)
{
    request_.info.ramEnd = kRam + kRoutineOffset + 8;
    std::string message;
    EXPECT_EQ(engine_.Erase(request_, &message), FLASH_REFUSED);
    EXPECT_NE(message.find("up to 0x"), std::string::npos) << message;
    EXPECT_EQ(Read(kRam, 16), std::vector<uint8_t>(16, 0));
}

}  // namespace
}  // namespace mirobel
