#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "fake_flash_target.h"
#include "mirobel/flash_engine.h"
#include "mirobel/flash_files.h"
#include "mirobel/flash_protocol.h"
#include "scratch_folder.h"
#include "test_clock.h"

namespace mirobel {
namespace {

using test::FakeFlashTarget;
using test::ScratchFolder;
using test::TestClock;

constexpr uint32_t kFlash = 0x00100000;
constexpr uint32_t kRam = 0x00200000;
const std::string kRoutine = "ROUTINE-BYTES";

std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
}

// An image the test holds at its opening, and that may fail a read.
class HeldImage : public ImageSource {
public:
    struct Gate {
        std::mutex mutex;
        std::condition_variable opened;
        bool open = false;
        bool release = true;
    };
    HeldImage(std::vector<uint8_t> bytes, Gate& gate, int failRead)
        : bytes_(std::move(bytes)), gate_(gate), failRead_(failRead)
    {}
    bool Open(uint64_t& length) override
    {
        std::unique_lock<std::mutex> lock(gate_.mutex);
        gate_.open = true;
        gate_.opened.notify_all();
        gate_.opened.wait(lock, [&] { return gate_.release; });
        length = bytes_.size();
        return true;
    }
    int64_t Read(uint8_t* buffer, uint32_t size) override
    {
        if (reads_++ == failRead_)
            return -1;
        const size_t n = std::min<size_t>(size, bytes_.size() - at_);
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), n, buffer);
        at_ += n;
        return static_cast<int64_t>(n);
    }

private:
    std::vector<uint8_t> bytes_;
    Gate& gate_;
    int failRead_;
    int reads_ = 0;
    size_t at_ = 0;
};

class FlashEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_.Write("flash/TESTDEV.o", kRoutine);
        SetLibraryFolder(library_.path());
        request_.info.flashStart = kFlash;
        request_.info.flashSize = 0x40000;
        request_.info.flashOffset = kFlash;
        request_.info.ramStart = kRam;
        request_.info.ramEnd = kRam + 0xFFFF;
        request_.device = "TESTDEV";
        request_.imagePath = "held";
    }
    void TearDown() override { SetLibraryFolder(""); }

    ImageSourceFactory Images(std::vector<uint8_t> bytes, int failRead = -1)
    {
        return
            [this, bytes, failRead](const std::string&) { return std::make_unique<HeldImage>(bytes, gate_, failRead); };
    }
    uint32_t Flash(FlashEngine& engine)
    {
        EXPECT_TRUE(engine.StartFlash(request_));
        EXPECT_TRUE(engine.WaitUntilDone());
        EXPECT_TRUE(engine.Done());
        EXPECT_FALSE(engine.Busy());
        return engine.Result();
    }
    void Hold() { gate_.release = false; }
    void WaitOpenedThenRelease(const std::function<void()>& meanwhile)
    {
        std::unique_lock<std::mutex> lock(gate_.mutex);
        gate_.opened.wait(lock, [&] { return gate_.open; });
        meanwhile();
        gate_.release = true;
        gate_.opened.notify_all();
    }

    ScratchFolder library_;
    FakeFlashTarget target_;
    FlashRequest request_;
    HeldImage::Gate gate_;
};

struct ChunkCase {
    size_t size;
    uint32_t offset;  // flash offset - flash start
    std::vector<uint32_t> lengths;
};

// Chunk edges: 20480 bytes in one chunk, 20481 in two (the second
// of one byte at offset + 20480 - start), destination 0 when start = offset.
TEST_F(FlashEngineTest, ChunksTheirDestinationsAndTheFlashBytes)
{
    const ChunkCase cases[] = {
        {1, 0, {1}},
        {20480, 0, {20480}},
        {20481, 0, {20480, 1}},
        {100000, 0x100, {20480, 20480, 20480, 20480, 18080}},
    };
    for (const ChunkCase& c : cases) {
        FakeFlashTarget target;
        request_.info.flashOffset = kFlash + c.offset;
        const std::vector<uint8_t> image = Pattern(c.size);
        FlashEngine engine(target, Images(image));
        ASSERT_EQ(Flash(engine), FLASH_OK) << c.size;
        EXPECT_EQ(engine.Percent(), 100);
        ASSERT_EQ(target.runs.size(), c.lengths.size()) << c.size;
        for (size_t i = 0; i < c.lengths.size(); ++i) {
            EXPECT_EQ(target.runs[i].operation, FLASH_OP_PROGRAM);
            EXPECT_EQ(target.runs[i].destination, c.offset + 20480 * i) << c.size << " chunk " << i;
            EXPECT_EQ(target.runs[i].length, c.lengths[i]);
        }
        EXPECT_EQ(target.PeekRange(kFlash + c.offset, static_cast<uint32_t>(c.size)), image) << c.size;
        // The block once, the routine raw at R + 0x9000.
        EXPECT_EQ(target.writes.at(0), kRam);
        EXPECT_EQ(target.writes.at(1), kRam + kRoutineOffset);
        EXPECT_EQ(target.PeekRange(kRam + kRoutineOffset, static_cast<uint32_t>(kRoutine.size())),
                  std::vector<uint8_t>(kRoutine.begin(), kRoutine.end()));
        EXPECT_EQ(target.BigEndianWord(kRam + 36), kRam);
    }
}

TEST_F(FlashEngineTest, EraseRunsOnceAndReportsItsResult)
{
    FlashEngine engine(target_);
    std::string message;
    EXPECT_EQ(engine.Erase(request_, &message), FLASH_OK);
    ASSERT_EQ(target_.runs.size(), 1u);
    EXPECT_EQ(target_.runs[0].operation, FLASH_OP_ERASE);
    EXPECT_EQ(target_.PeekRange(kFlash, 0x40000), std::vector<uint8_t>(0x40000, 0xFF));

    target_.answerAt = 1;
    target_.answer = 0x55;
    EXPECT_EQ(engine.Erase(request_), 0x55u);
}

TEST_F(FlashEngineTest, FailuresOfTheRunAndOfTheResultRead)
{
    const struct {
        const char* name;
        std::function<void(FakeFlashTarget&)> arrange;
        uint32_t result;
        size_t runs;
        int reads;
    } cases[] = {
        {"non-zero answer stops at that chunk", [](FakeFlashTarget& t) { t.answerAt = 1, t.answer = 7; }, 7, 2, 2},
        {"stopped away from the entry", [](FakeFlashTarget& t) { t.strayAt = true; }, FLASH_NOT_BACK, 1, 0},
        {"two failed reads then the word", [](FakeFlashTarget& t) { t.failReads = 2; }, FLASH_OK, 3, 5},
        {"three failed reads give the read's error", [](FakeFlashTarget& t) { t.failReads = 3; },
         static_cast<uint32_t>(-27), 1, 3},
        {"a failed chunk write", [](FakeFlashTarget& t) { t.failWriteAt = 7; }, static_cast<uint32_t>(-27), 1, 1},
    };
    for (const auto& c : cases) {
        FakeFlashTarget target;
        c.arrange(target);
        FlashEngine engine(target, Images(Pattern(50000)));
        EXPECT_EQ(Flash(engine), c.result) << c.name;
        EXPECT_EQ(target.runs.size(), c.runs) << c.name;
        EXPECT_EQ(target.reads, c.reads) << c.name;
    }
}

// A routine that never comes back: halted, result 3, on the test clock.
TEST_F(FlashEngineTest, ARoutineThatNeverComesBackIsHaltedWithThree)
{
    TestClock clock;
    target_.hangFrom = true;
    target_.hangAt = 1;
    FlashEngine engine(target_, Images(Pattern(50000)));
    uint64_t before = clock.now();
    EXPECT_EQ(Flash(engine), FLASH_TIMED_OUT);
    EXPECT_EQ(target_.runs.size(), 2u);
    EXPECT_EQ(target_.halts, 1);
    EXPECT_GE(clock.now() - before, kChunkLimitMs);

    target_.hangAt = 0;
    before = clock.now();
    EXPECT_EQ(engine.Erase(request_), FLASH_TIMED_OUT);
    EXPECT_EQ(target_.halts, 2);
    EXPECT_GE(clock.now() - before, kEraseLimitMs);
}

TEST_F(FlashEngineTest, ImageFailures)
{
    const struct {
        const char* name;
        std::vector<uint8_t> image;
        int failRead;
        size_t runs;
    } cases[] = {
        {"empty image", {}, -1, 0},
        {"read fails at the first chunk", Pattern(100), 0, 0},
        {"read fails midway", Pattern(50000), 1, 1},
    };
    for (const auto& c : cases) {
        FakeFlashTarget target;
        FlashEngine engine(target, Images(c.image, c.failRead));
        EXPECT_EQ(Flash(engine), FLASH_FILE_ERROR) << c.name;
        EXPECT_EQ(target.runs.size(), c.runs) << c.name;
        EXPECT_FALSE(engine.Message().empty()) << c.name;
    }
    FlashEngine engine(target_);
    request_.imagePath = library_ / "no-such.bin";
    EXPECT_EQ(Flash(engine), FLASH_FILE_ERROR);
    EXPECT_NE(engine.Message().find("no-such.bin"), std::string::npos);
}

// Nothing is written or run when the routine is missing or does not fit
// below the RAM end; the message says why.
TEST_F(FlashEngineTest, RefusedBeforeTouchingTheTarget)
{
    FlashEngine engine(target_, Images(Pattern(10)));
    std::string message;
    request_.info.ramEnd = kRam + kRoutineOffset + static_cast<uint32_t>(kRoutine.size()) - 2;
    EXPECT_EQ(engine.Erase(request_, &message), FLASH_REFUSED);
    EXPECT_NE(message.find("0x20900C"), std::string::npos) << message;
    EXPECT_EQ(Flash(engine), FLASH_REFUSED);
    EXPECT_EQ(engine.Message(), message);

    request_.info.ramEnd += 1;  // exactly enough
    request_.device = "MISSING";
    EXPECT_EQ(engine.Erase(request_, &message), FLASH_FILE_ERROR);
    EXPECT_NE(message.find("flash\\MISSING.o"), std::string::npos) << message;
    EXPECT_EQ(Flash(engine), FLASH_FILE_ERROR);
    EXPECT_TRUE(target_.writes.empty());
    EXPECT_TRUE(target_.runs.empty());

    request_.device = "TESTDEV";
    EXPECT_EQ(Flash(engine), FLASH_OK);
}

TEST_F(FlashEngineTest, OneOperationAtATimeAndCancelBeforeTheFirstChunk)
{
    FlashEngine engine(target_, Images(Pattern(30000)));
    Hold();
    ASSERT_TRUE(engine.StartFlash(request_));
    WaitOpenedThenRelease([&] {
        EXPECT_TRUE(engine.Busy());
        EXPECT_FALSE(engine.StartFlash(request_));
        std::string message;
        EXPECT_EQ(engine.Erase(request_, &message), FLASH_REFUSED);
        EXPECT_FALSE(message.empty());
        engine.Cancel();
    });
    ASSERT_TRUE(engine.WaitUntilDone());
    EXPECT_EQ(engine.Result(), FLASH_CANCELLED);
    EXPECT_TRUE(target_.runs.empty());
    // Free again, and the cancel does not stay.
    EXPECT_EQ(Flash(engine), FLASH_OK);
    EXPECT_EQ(target_.runs.size(), 2u);
}

}  // namespace
}  // namespace mirobel
