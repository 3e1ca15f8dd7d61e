// "getfile" loads a raw image made by arm-none-eabi-objcopy -O binary; the
// block read of the simulator's entry gives the file's bytes back in every
// unit, at an aligned and at an unaligned load address, and the loaded
// program runs to its result.
#include <gtest/gtest.h>

#include <vector>

#include "host_tools.h"
#include "simcmd/command_language.h"
#include "simcmd/target_memory.h"

extern "C" int image_main(void);

namespace zk::sim {
namespace {

// Each test writes its own file in the build tree: CTest runs them side by
// side.
std::string BinaryImage()
{
    const std::string bin =
        std::string(ZK_BIN_DIR) + "/../tests/" + testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin";
    const test::ProcessResult r =
        test::RunProcess({"arm-none-eabi-objcopy", "-O", "binary", test::FixturePath("simcmd_image"), bin});
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    return bin;
}

TEST(GetFileImage, ReadsBackAsTheFileInEveryUnit)
{
    const std::string bin = BinaryImage();
    const std::string bytes = test::ReadFileBytes(bin);
    ASSERT_GT(bytes.size(), 100u);
    for (uint32_t base : {0x0u, 0x8003u}) {
        Simulator sim;
        CommandLanguage language(sim);
        language.Init();
        language.Dispatch("getfile " + bin + " " + std::to_string(base));
        for (unsigned unit : {1u, 2u, 4u}) {
            SCOPED_TRACE(testing::Message() << "base 0x" << std::hex << base << " unit " << unit);
            std::vector<uint8_t> back(bytes.size());
            ASSERT_EQ(ReadTargetMemory(sim, unit, base, back.data(), back.size()), TransferResult::Done);
            EXPECT_EQ(std::string(back.begin(), back.end()), bytes);
        }
    }
}

TEST(GetFileImage, TheLoadedProgramRunsToItsResult)
{
    const std::string bin = BinaryImage();
    Simulator sim;
    CommandLanguage language(sim);
    language.Init();
    language.Dispatch("getfile " + bin + "; run");
    EXPECT_EQ(language.LastRunResult(), kNormalEnd);
    uint32_t r0 = 0;
    sim.ReadRegister(1, r0);
    EXPECT_EQ(r0, static_cast<uint32_t>(image_main()));
}

}  // namespace
}  // namespace zk::sim
