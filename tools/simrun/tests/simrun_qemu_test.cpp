// newlib programs under simrun and under qemu-system-arm (-semihosting) with
// the same input, each in a folder of its own: standard output, the exit
// status and the files the program leaves must be the same.
#include <gmock/gmock.h>

#include "simrun_support.h"

namespace simrun_test {
namespace {

using zk::test::FixturePath;

struct Case {
    const char* name;
    std::string input;
    int status;  // the program's exit status
};

class StdioAgainstQemu : public ::testing::TestWithParam<const char*> {};

TEST_P(StdioAgainstQemu, OutputFilesAndStatusEqualQemus)
{
    const std::string image = FixturePath(GetParam());
    const Case cases[] = {
        {"three lines", "one\ntwo words\nthree\n", 0},
        {"a last line without its line feed", "alpha\n\nlast", 0},
        {"no input", "", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folder qemuFolder, simFolder;
        const auto qemu = RunQemu(qemuFolder, image, c.input);
        const auto sim = RunSimrun(simFolder, image, {}, c.input);
        ASSERT_FALSE(qemu.timedOut);
        ASSERT_FALSE(sim.timedOut);
        EXPECT_EQ(qemu.exitStatus, c.status);
        EXPECT_EQ(sim.exitStatus, qemu.exitStatus) << sim.err;
        EXPECT_EQ(sim.out, qemu.out);
        EXPECT_THAT(sim.out, ::testing::HasSubstr("notes 3: appended line\n"));
        EXPECT_EQ(sim.err, "");
        // rename() of newlib goes through link(), which its semihosting
        // library lacks: the file keeps its name on both machines.
        EXPECT_EQ(simFolder.Files(), qemuFolder.Files());
        EXPECT_THAT(simFolder.Files(),
                    ::testing::ElementsAre(::testing::Key("notes.txt"), ::testing::Key("old-name.txt")));
    }
}

INSTANTIATE_TEST_SUITE_P(Builds, StdioAgainstQemu,
                         ::testing::Values("simrun_stdio_arm_O0", "simrun_stdio_arm_O2", "simrun_stdio_thumb_O0",
                                           "simrun_stdio_thumb_O2"));

// newlib's realloc: its Thumb build loads a chunk's header words with an LDM
// whose base is in the list (the loaded value must win).
class ReallocAgainstQemu : public ::testing::TestWithParam<const char*> {};

TEST_P(ReallocAgainstQemu, OutputAndStatusEqualQemus)
{
    const std::string image = FixturePath(GetParam());
    Folder qemuFolder, simFolder;
    const auto qemu = RunQemu(qemuFolder, image);
    const auto sim = RunSimrun(simFolder, image);
    ASSERT_FALSE(qemu.timedOut);
    ASSERT_FALSE(sim.timedOut);
    EXPECT_EQ(qemu.exitStatus, 0);
    EXPECT_EQ(sim.exitStatus, 0) << sim.err;
    EXPECT_THAT(sim.out, ::testing::StartsWith("realloc checksum "));
    EXPECT_EQ(sim.out, qemu.out);
}

INSTANTIATE_TEST_SUITE_P(Builds, ReallocAgainstQemu, ::testing::Values("simrun_realloc_arm", "simrun_realloc_thumb"));

}  // namespace
}  // namespace simrun_test
