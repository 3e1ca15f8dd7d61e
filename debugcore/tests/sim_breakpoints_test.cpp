// Breakpoints on the real simulator library: images compiled by
// arm-none-eabi-gcc (ARM code and Thumb code) are downloaded through the
// loader, breakpoints are planted and run into, and after every stop target
// memory must hold the image's own bytes (arm-none-eabi-objcopy -O binary),
// while planted it must hold the break instruction at every breakpoint.
//
// The Thumb answers come from the loader (LdrIsInThumbRange) and are
// checked against the image's mapping symbols ($a, $t, $d as
// arm-none-eabi-readelf lists them).
#include <gmock/gmock.h>
#include <platform/messages.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

#include "emu_messages.h"
#include "falcrest.h"
#include "host_tools.h"
#include "sarvik.h"
#include "talvis/talvis.h"
#include "tarnel.h"
#include "vexlor/vexlor.h"

namespace {

constexpr int STOP_WAIT_MS = 10000;
constexpr const char* PROCESSOR = "ARM7TDMI";

// Mapping symbols of the image under test: address -> Thumb code follows.
std::map<uint32_t, bool>& MappingSymbols()
{
    static std::map<uint32_t, bool> symbols;
    return symbols;
}

struct ImageFacts {
    std::vector<uint8_t> bytes;  // from address 0
    std::map<std::string, uint32_t> functions;
};

ImageFacts ReadImage(const std::string& name)
{
    ImageFacts facts;
    const std::string elf = zk::test::FixturePath(name);
    const std::string bin = testing::TempDir() + "/sarvik_" + name + "_" + std::to_string(getpid()) + ".bin";
    const auto copy = zk::test::RunProcess({"arm-none-eabi-objcopy", "-O", "binary", elf, bin});
    EXPECT_EQ(copy.exitStatus, 0) << copy.err;
    const std::string raw = zk::test::ReadFileBytes(bin);
    std::remove(bin.c_str());
    facts.bytes.assign(raw.begin(), raw.end());

    const auto symbols = zk::test::RunProcess({"arm-none-eabi-readelf", "-sW", elf});
    EXPECT_EQ(symbols.exitStatus, 0) << symbols.err;
    MappingSymbols().clear();
    std::istringstream lines(symbols.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string num, value, size, type, bind, vis, ndx, name;
        if (!(fields >> num >> value >> size >> type >> bind >> vis >> ndx >> name) || num == "Num:")
            continue;
        const uint32_t v = static_cast<uint32_t>(std::stoul(value, nullptr, 16));
        if (name == "$t" || name == "$a" || name == "$d")
            MappingSymbols()[v] = name == "$t";
        else if (type == "FUNC" || name == "__normal_end")
            facts.functions[name] = v & ~1u;
    }
    return facts;
}

class SimBreakpointTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        frame_ = platform::CreateSink([this](UINT msg, WPARAM, LPARAM l) -> LRESULT {
            if (msg == WM_EMU_ERROR)
                stops_.push_back(l);
            return 1;
        });
        // The connect order of the program.
        InitDLL_CpuServer(0, frame_, PROCESSOR, 0);
        int port = 0;
        ASSERT_EQ(NewABIDLL(1, PROCESSOR, &port, "Simulator", 1), 1) << "libDorvel.so in the program's folder";
        MemInitServer(frame_);
        EmuInit(frame_);
        const EMU_TARGET_CONFIG config{0x101, 8, 0x100000, EMU_PROTOCOL_SIMULATOR, EMU_CATCH_DEFAULT};
        EmuSetTargetConfig(&config);
    }
    void TearDown() override
    {
        EmuTargetStopped();
        BptDeleteAllObjects();
        MemExitServer();
        ExitABIDLL();
        platform::DestroySink(frame_);
    }

    std::vector<uint8_t> Read(uint32_t address, uint32_t count)
    {
        std::vector<uint8_t> bytes(count);
        EXPECT_EQ(MemReadBlock(bytes.data(), {address, 1}, count), 0);
        return bytes;
    }

    // Runs until the next stop that vexlor announces; false on a time-out.
    bool GoAndWait()
    {
        platform::PumpPending();
        stops_.clear();
        if (emuGo(0) != EMU_OK)
            return false;
        return platform::ModalWait([this] { return !stops_.empty(); }, STOP_WAIT_MS) &&
            platform::ModalWait([] { return (CpuGetCpuStatus(0, 1) & 1) == 0; }, STOP_WAIT_MS);
    }

    HWND frame_ = nullptr;
    std::vector<LPARAM> stops_;
};

TEST_P(SimBreakpointTest, MemoryHoldsBreaksOnlyWhilePlantedAndTheImageAfterEveryStop)
{
    const bool thumb = std::string(GetParam()).find("thumb") != std::string::npos;
    const std::string elf = zk::test::FixturePath(GetParam());
    const ImageFacts image = ReadImage(GetParam());
    ASSERT_FALSE(image.bytes.empty());
    const uint32_t stepA = image.functions.at("step_a");
    const uint32_t stepB = image.functions.at("step_b");
    const uint32_t normalEnd = image.functions.at("__normal_end");
    const uint32_t size = static_cast<uint32_t>(image.bytes.size());

    ASSERT_EQ(LdrLoadWinElf(elf.c_str(), 1, LDR_FLAG_SYMBOLS | LDR_FLAG_DOWNLOAD | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
    ASSERT_EQ(Read(0, size), image.bytes) << "the download";
    const auto& mapping = MappingSymbols();
    for (uint32_t a : {stepA, stepB, 0u})
        EXPECT_EQ(LdrIsInThumbRange(a), a ? (thumb ? 1 : 0) : 0) << "Thumb answer at 0x" << std::hex << a;
    ASSERT_FALSE(mapping.empty());

    // Two breakpoints on neighbouring instructions (halfwords in Thumb
    // code), one more in the other function.
    const uint32_t step = thumb ? 2 : 4;
    const std::vector<uint32_t> breakpoints{stepA, stepA + step, stepB};
    for (uint32_t a : breakpoints) {
        const ADDR at{a, 1};
        ASSERT_EQ(BptSetBp(&at, "", 1, 0, 1, 0xFFFFFFFFu), EMU_OK);
    }
    // The catch breakpoints of the default mask: Reset, Undefined,
    // Prefetch Abort and Data Abort vectors.
    const std::vector<uint32_t> vectors{0x00, 0x04, 0x0C, 0x10};
    const std::vector<uint8_t> breakWord{0xDE, 0xFE, 0xDE, 0xFE};
    const std::vector<uint8_t> breakHalf{0xDE, 0xFE};

    ASSERT_EQ(CpuSetPC(0), 0);
    std::vector<uint32_t> stopsAt;
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE(testing::Message() << "run " << run);
        // Off the instruction at the PC, as every go begins.
        ASSERT_EQ(emuStepOne(0), EMU_OK);
        ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
        for (uint32_t a : breakpoints)
            EXPECT_EQ(Read(a, step), thumb ? breakHalf : breakWord) << "planted at 0x" << std::hex << a;
        for (uint32_t v : vectors)
            EXPECT_EQ(Read(v, 4), breakWord) << "catch breakpoint at vector 0x" << std::hex << v;

        ASSERT_TRUE(GoAndWait()) << "no stop within " << STOP_WAIT_MS << " ms";
        ASSERT_EQ(EmuTargetStopped(), EMU_OK);
        ASSERT_EQ(Read(0, size), image.bytes) << "the image's bytes after the stop";

        DWORD pc = 0;
        ASSERT_EQ(CpuGetPC(&pc), 0);
        stopsAt.push_back(pc);
        if (pc == normalEnd)
            break;
        const ADDR at{pc, 1};
        EXPECT_EQ(BptCheckHit(&at), BPT_HIT_PERMANENT) << "stop at 0x" << std::hex << pc;
    }

    std::vector<uint32_t> expected;
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(), breakpoints.begin(), breakpoints.end());
    expected.push_back(normalEnd);
    EXPECT_EQ(stopsAt, expected);
    DWORD r0 = 1;
    ASSERT_EQ(CpuGetRegister(0, &r0), 0);
    EXPECT_EQ(r0, 0u) << "the program computed its result with every instruction intact";
}

// The simulator has no watchpoint units: in hardware-breakpoint mode the
// go-till's temporary breakpoint must still be a software one, or the run
// would never stop.
TEST_P(SimBreakpointTest, AGoTillInHardwareModeStops)
{
    const ImageFacts image = ReadImage(GetParam());
    ASSERT_FALSE(image.bytes.empty());
    const std::string elf = zk::test::FixturePath(GetParam());
    ASSERT_EQ(LdrLoadWinElf(elf.c_str(), 1, LDR_FLAG_SYMBOLS | LDR_FLAG_DOWNLOAD | LDR_FLAG_SEGMENTS, nullptr), LDR_OK);
    const EMU_TARGET_CONFIG hardwareMode{0x005, 8, 0x100000, EMU_PROTOCOL_SIMULATOR, 0};
    EmuSetTargetConfig(&hardwareMode);
    const uint32_t stepB = image.functions.at("step_b");

    ASSERT_EQ(CpuSetPC(0), 0);
    ASSERT_EQ(emuStepOne(0), EMU_OK);
    ASSERT_EQ(AddTempBp(stepB, 1), EMU_OK);
    ASSERT_EQ(BptGetList()->size(), 1u);
    ASSERT_EQ(BptLoadBreakpoints(1), EMU_OK);
    ASSERT_TRUE(GoAndWait()) << "the go-till did not stop within " << STOP_WAIT_MS << " ms";
    ASSERT_EQ(EmuTargetStopped(), EMU_OK);
    DWORD pc = 0;
    ASSERT_EQ(CpuGetPC(&pc), 0);
    EXPECT_EQ(pc, stepB);
    const ADDR at{pc, 1};
    EXPECT_EQ(BptCheckHit(&at), BPT_HIT_TEMPORARY);
    ASSERT_EQ(RemoveTempBp({}), EMU_OK);
    EXPECT_TRUE(BptGetList()->empty()) << "the temporary breakpoint went with the shown stop";
    EXPECT_EQ(Read(0, static_cast<uint32_t>(image.bytes.size())), image.bytes);
}

INSTANTIATE_TEST_SUITE_P(Images, SimBreakpointTest, ::testing::Values("bpt_arm", "bpt_thumb"));

}  // namespace
