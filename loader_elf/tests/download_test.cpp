// The download: what reaches target memory (the recording simulator behind
// Falcrest and talvis) against arm-none-eabi-objcopy -O binary, the byte
// order rule, the data-section path, and the staging of target writes.
#include <gtest/gtest.h>

#include <utility>

#include "download.h"
#include "elf_reader.h"
#include "elf_writer.h"
#include "fake_sim_session.h"
#include "host_tools.h"
#include "quinar/quinar.h"
#include "readelf_parse.h"
#include "tarnel_fixture.h"
#include "vexlor/vexlor.h"

namespace tarnel::test {
namespace {

using zk::test::FixturePath;
using zk::test::ReadFileBytes;
using zk::test::RunProcess;

constexpr unsigned SEGMENTS = LDR_FLAG_DOWNLOAD | LDR_FLAG_SEGMENTS;

class DownloadTest : public FakeSimTest, protected LoadSurroundings {
protected:
    void SetUp() override
    {
        FakeSimTest::SetUp();
        BeginLoads();
    }
    void TearDown() override
    {
        EndLoads();
        FakeSimTest::TearDown();
    }

    static void TargetByteOrder(bool big) { InitDLL_CpuServer(0, nullptr, "ARM7TDMI", big ? 1 : 0); }

    size_t Writes() const
    {
        size_t n = 0;
        for (const FakeSimCall& c : const_cast<DownloadTest*>(this)->sim().calls)
            n += c.code == SIM_CMD_WRITE_MEM;
        return n;
    }

    // Target addresses written, as [first, end) ranges merged where they touch.
    std::vector<std::pair<uint32_t, uint32_t>> WrittenRanges()
    {
        std::vector<std::pair<uint32_t, uint32_t>> ranges;
        for (const FakeSimCall& c : sim().calls) {
            if (c.code != SIM_CMD_WRITE_MEM)
                continue;
            const uint32_t first = static_cast<uint32_t>(c.a2), end = first + static_cast<uint32_t>(c.a4);
            if (!ranges.empty() && ranges.back().second == first)
                ranges.back().second = end;
            else
                ranges.push_back({first, end});
        }
        return ranges;
    }

    static std::string Objcopy(const std::string& elf)
    {
        const std::string out = ::testing::TempDir() + "tarnel_objcopy_" + std::to_string(::getpid()) + ".bin";
        auto r = RunProcess({"arm-none-eabi-objcopy", "-O", "binary", elf, out});
        EXPECT_EQ(r.exitStatus, 0) << r.err;
        std::string bytes = ReadFileBytes(out);
        std::remove(out.c_str());
        return bytes;
    }
};

class ObjcopyTest : public DownloadTest, public ::testing::WithParamInterface<std::pair<const char*, bool>> {};

TEST_P(ObjcopyTest, TheDownloadedBytesEqualObjcopysBinary)
{
    const auto [name, big] = GetParam();
    const std::string elf = FixturePath(name);
    const std::string binary = Objcopy(elf);
    ASSERT_GT(binary.size(), 256u);
    TargetByteOrder(big);
    ASSERT_EQ(LdrLoadWinElf(elf.c_str(), 0, SEGMENTS, Window()), LDR_OK);

    EXPECT_EQ(sim().PeekBytes(0, static_cast<uint32_t>(binary.size())),
              std::vector<uint8_t>(binary.begin(), binary.end()))
        << name;
    EXPECT_EQ(WrittenRanges(), (std::vector<std::pair<uint32_t, uint32_t>>{{0, binary.size()}}));
    EXPECT_EQ(sim().unitViolations, 0);
    EXPECT_EQ(State().record.downloadedBytes, binary.size());

    // The download phase shows 30 % and more, never going back, and ends at 100.
    ASSERT_GE(progress.size(), 3u);
    auto download = std::find_if(progress.begin(), progress.end(), [](uint32_t v) { return v >= 30; });
    ASSERT_NE(download, progress.end());
    EXPECT_TRUE(std::is_sorted(download, progress.end()));
    EXPECT_EQ(progress.back(), 100u);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ObjcopyTest,
                         ::testing::Values(std::pair{"ldr_le", false}, std::pair{"ldr_be", true},
                                           std::pair{"ldr_thumb", false}, std::pair{"ldr_sections", false},
                                           std::pair{"ldr_rom_data", false}));

TEST_F(DownloadTest, AnImageOfTheOtherByteOrderIsRefusedBeforeAnythingIsWritten)
{
    uint32_t module = 0;
    ASSERT_EQ(SymOpenModule("kept", nullptr, nullptr, 0, 0, 0, &module, 0), SYM_OK);
    SymCloseModule(0);
    const std::pair<const char*, bool> cases[] = {{"ldr_be", false}, {"ldr_le", true}};
    for (const auto& [name, targetBig] : cases) {
        TargetByteOrder(targetBig);
        sim().Clear();
        EXPECT_EQ(LdrLoadWinElf(FixturePath(name).c_str(), 0, LDR_FLAG_SYMBOLS | SEGMENTS, Window()), LDR_E_BYTE_ORDER)
            << name;
        EXPECT_EQ(Writes(), 0u) << name;
        EXPECT_EQ(ModuleCount(), 1u) << name;
    }
    // Without a download any byte order loads.
    EXPECT_EQ(LdrLoadWinElf(FixturePath("ldr_be").c_str(), 0, 0, Window()), LDR_OK);
    EXPECT_EQ(LdrIsBigEndian_ELF(), 1);
}

TEST_F(DownloadTest, TheDataSectionPathWritesTheSectionsItsFlagsName)
{
    const std::string elf = FixturePath("ldr_le");
    auto r = RunProcess({"arm-none-eabi-readelf", "-W", "-S", elf});
    ASSERT_EQ(r.exitStatus, 0);
    const ReadelfDump dump = ParseReadelf(r.out);
    auto range = [&](const char* name) {
        for (const ReadelfSection& s : dump.sections)
            if (s.name == name)
                return std::pair{s.addr, s.addr + s.size};
        ADD_FAILURE() << name;
        return std::pair{0u, 0u};
    };
    TargetByteOrder(false);

    // Flag 0x2 alone downloads nothing.
    ASSERT_EQ(LdrLoadWinElf(elf.c_str(), 0, LDR_FLAG_DOWNLOAD, Window()), LDR_OK);
    EXPECT_EQ(Writes(), 0u);

    // .data and the other writable or read-only sections with contents
    // (here .stack), never .text, .rodata or .bss. .data and .stack touch.
    sim().Clear();
    ASSERT_EQ(LdrLoadWinElf(elf.c_str(), 0, LDR_FLAG_DOWNLOAD | LDR_FLAG_DATA, Window()), LDR_OK);
    EXPECT_EQ(WrittenRanges(), (std::vector{std::pair{range(".data").first, range(".stack").second}}));
    const auto data = range(".data");
    const std::string file = ReadFileBytes(elf);
    for (const ReadelfSection& s : dump.sections) {
        if (s.name == ".data") {
            EXPECT_EQ(sim().PeekBytes(s.addr, s.size),
                      std::vector<uint8_t>(file.begin() + s.offset, file.begin() + s.offset + s.size));
        }
    }

    sim().Clear();
    ASSERT_EQ(LdrLoadWinElf(elf.c_str(), 0, LDR_FLAG_DOWNLOAD | LDR_FLAG_RODATA, Window()), LDR_OK);
    EXPECT_EQ(WrittenRanges(), (std::vector{range(".rodata"), range(".stack")}));
    EXPECT_NE(data.first, data.second);
}

TEST_F(DownloadTest, AWriteErrorEndsTheLoadWithItsCodeAndEmptiesQuinar)
{
    TargetByteOrder(false);
    Readers().elfSymtab = [](ReaderCall& call) {
        uint32_t module = 0;
        return static_cast<LdrResult>(SymOpenModule("m", nullptr, nullptr, 0, call.kind, 0, &module, 0));
    };
    sim().FailCall(SIM_CMD_WRITE_MEM, 2, 5);
    EXPECT_EQ(LdrLoadWinElf(FixturePath("ldr_le").c_str(), 0, LDR_FLAG_SYMBOLS | SEGMENTS, Window()), 5u);
    ADDR start{1, 1};
    LdrGetStartPC_ELF(&start);
    EXPECT_EQ(start.off, 0u);
    EXPECT_EQ(ModuleCount(), 0u);
    EXPECT_EQ(progress.back(), 100u);
}

TEST_F(DownloadTest, ASegmentBeyondTheFilesEndIsAReadError)
{
    TargetByteOrder(false);
    TestElf elf;
    elf.segments.push_back({1, 0x8000, 0, Words({1, 2, 3, 4})});
    std::vector<uint8_t> bytes = elf.Build();
    bytes[52 + 16] = 0xFF;  // p_filesz: 0x...FF bytes
    bytes[52 + 17] = 0x10;
    const TempFile image("short.elf", bytes);
    EXPECT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, SEGMENTS, Window()), LDR_E_READ);
}

// Section headers are no part of what loads: an image stripped of them
// still downloads its segments.
TEST_F(DownloadTest, AnImageWithoutSectionHeadersDownloadsItsSegments)
{
    TargetByteOrder(false);
    TestElf elf;
    elf.segments.push_back({1, 0x8000, 0, Words({0xE3A00001, 0xEF000011})});
    std::vector<uint8_t> bytes = elf.Build();
    std::fill(bytes.begin() + 32, bytes.begin() + 36, 0);  // e_shoff
    std::fill(bytes.begin() + 46, bytes.begin() + 52, 0);  // e_shentsize, e_shnum, e_shstrndx
    const TempFile image("nosections.elf", bytes);
    ASSERT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, LDR_FLAG_SYMBOLS | SEGMENTS, Window()), LDR_OK);
    EXPECT_TRUE(LoadedElfImage().sections.empty());
    EXPECT_EQ(sim().PeekBytes(0x8000, 8), Words({0xE3A00001, 0xEF000011}));
}

TEST_F(DownloadTest, EscDuringTheDownloadEndsItBeforeTheFirstWrite)
{
    TargetByteOrder(false);
    int polls = 0;
    platform::SetKeyStateQuery([&](int) -> short { return ++polls >= 3 ? short(0x8001) : short(0); });
    EXPECT_EQ(LdrLoadWinElf(FixturePath("ldr_le").c_str(), 0, SEGMENTS, Window()), LDR_E_USER_ABORT);
    EXPECT_EQ(Writes(), 0u);
    EXPECT_EQ(progress.back(), 100u);
}

// Without a stack of its own the image runs on the target's stack pointer.
TEST_F(DownloadTest, AnImageWithoutStackTakesTheTargetsStackPointer)
{
    TestElf elf;
    elf.sections.push_back({".text", 1, 6, 0x8000, Words({0xE3A00001})});
    const TempFile image("nostack.elf", elf.Build());
    sim().regs[SIM_REG_SP] = 0x7F000;
    ASSERT_EQ(LdrLoadWinElf(image.Path().c_str(), 0, 0, nullptr), LDR_OK);
    int top = 0, size = 0;
    LdrGetStack_ELF(&top, &size, nullptr, nullptr);
    EXPECT_EQ(top, 0x7F000 + 0x10000);
    EXPECT_EQ(size, 0x10000);
}

// --- Staging of target writes ---------------------------------------------

std::vector<std::pair<uint32_t, uint32_t>> recorded;  // (address, count)
int failWriteAt = -1;

int RecordWrite(ADDR address, const void*, uint32_t count, int width)
{
    EXPECT_EQ(address.seg, 1);
    EXPECT_EQ(width, 4);
    recorded.push_back({address.off, count});
    return static_cast<int>(recorded.size()) - 1 == failWriteAt ? 0x8008 : 0;
}

class StagingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        recorded.clear();
        failWriteAt = -1;
    }
    static TargetWriter::Reader Bytes(uint8_t value)
    {
        return [value](uint8_t* destination, uint32_t count) {
            std::fill(destination, destination + count, value);
            return 0;
        };
    }
};

// A 9000-byte segment: two direct writes of 4096 bytes, the last 808 bytes
// staged until the next write that does not continue them; two adjacent
// small segments share one write.
TEST_F(StagingTest, SegmentsGoAsDirectChunksAndSharedStagedWrites)
{
    TestElf elf;
    elf.segments.push_back({1, 0x10000, 0, std::vector<uint8_t>(9000, 0xAA)});
    elf.segments.push_back({1, 0x20000, 0, std::vector<uint8_t>(100, 0xBB)});
    elf.segments.push_back({1, 0x20064, 0, std::vector<uint8_t>(60, 0xCC)});
    const TempFile image("staging.elf", elf.Build());
    ImageFile file;
    ASSERT_EQ(file.Open(image.Path()), LDR_OK);
    ASSERT_EQ(ReadElfImage(file.Bytes(), State().image), LDR_OK);
    State().record = LoadProgressRecord{};
    uint64_t loaded = 0;
    ASSERT_EQ(DownloadSegments(file, &loaded, RecordWrite), LDR_OK);
    EXPECT_EQ(
        recorded,
        (std::vector<std::pair<uint32_t, uint32_t>>{{0x10000, 4096}, {0x11000, 4096}, {0x12000, 808}, {0x20000, 160}}));
    EXPECT_EQ(loaded, 9160u);
    EXPECT_EQ(State().record.downloadedBytes, 9160u);
}

TEST_F(StagingTest, RepeatedUnitsFillTheBufferAndErrorsAreReturned)
{
    TargetWriter writer(RecordWrite);
    // 300 copies of a 4-byte unit: a full buffer, then the rest staged.
    ASSERT_EQ(writer.WriteBuffered(Bytes(1), 0x1000, 4, 300), 0);
    EXPECT_EQ(writer.StagedCount(), 1200u - 1024u);
    EXPECT_EQ(writer.StagedStart(), 0x1400u);
    ASSERT_EQ(writer.Flush(), 0);
    EXPECT_EQ(recorded, (std::vector<std::pair<uint32_t, uint32_t>>{{0x1000, 1024}, {0x1400, 176}}));

    // A reader's error comes back and nothing is written or staged.
    recorded.clear();
    auto failing = [](uint8_t*, uint32_t) { return static_cast<int>(LDR_E_READ); };
    EXPECT_EQ(writer.WriteBuffered(failing, 0x2000, 16, 1), static_cast<int>(LDR_E_READ));
    EXPECT_EQ(writer.WriteBuffered(failing, 0x2000, 2000, 1), static_cast<int>(LDR_E_READ));
    EXPECT_EQ(writer.Flush(), 0);
    EXPECT_TRUE(recorded.empty());

    // The flush of staged bytes that a new write does not continue: its
    // error is the new write's result.
    ASSERT_EQ(writer.WriteBuffered(Bytes(2), 0x3000, 16, 1), 0);
    failWriteAt = 0;
    EXPECT_EQ(writer.WriteBuffered(Bytes(3), 0x5000, 16, 1), 0x8008);
}

}  // namespace
}  // namespace tarnel::test
