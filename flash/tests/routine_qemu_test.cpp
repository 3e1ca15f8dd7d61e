// The test device's routine, without Mirobel: a semihosting program on
// qemu builds the parameter block as the protocol says, erases and
// programs, and prints the results and the flash bytes. The routine, not
// only its pairing with Mirobel, is right.
#include <gtest/gtest.h>

#include <cstdio>

#include "qemu_runner.h"

namespace {

TEST(FlashRoutineOnQemu, ErasesProgramsAndRefusesPastTheEnd)
{
    const zk::test::QemuRun run =
        zk::test::RunOnQemu(zk::test::FixturePath("flash_routine_harness"), {}, std::chrono::seconds(30));
    ASSERT_FALSE(run.timedOut) << run.errors;
    ASSERT_EQ(run.exitStatus, 0) << run.errors;

    // Flash of 4096 bytes: 0xFF after the erase, the 3000-byte image at
    // 0x100 in chunks of 1024; the 20 bytes asked at size - 10 are refused.
    std::vector<uint8_t> flash(0x1000, 0xFF);
    for (uint32_t i = 0; i < 3000; ++i)
        flash[0x100 + i] = static_cast<uint8_t>(i * 7 + i / 251);
    std::string expected = "erase 0\nchunk 0\nchunk 0\nchunk 0\npast the end 1\n";
    for (size_t line = 0; line < flash.size(); line += 32) {
        for (size_t i = 0; i < 32; ++i) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", flash[line + i]);
            expected += hex;
        }
        expected += "\n";
    }
    EXPECT_EQ(run.console, expected);
}

}  // namespace
