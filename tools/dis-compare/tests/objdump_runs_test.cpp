// dis-compare against objdump on real code: newlib's ARM and Thumb C
// libraries, linked ARM and Thumb programs, a few words of every ARM dispatch
// key and every Thumb halfword. Each run must end with 0 disagreements.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "host_tools.h"

namespace zk::tools {
namespace {

namespace fs = std::filesystem;
using zk::test::RunProcess;

const std::string kDisCompare = std::string(ZK_BIN_DIR) + "/dis-compare";
constexpr auto kTimeout = std::chrono::minutes(4);

struct Counts {
    long agree = -1, known = -1, disagree = -1;
};

// The last line: "N agree, K known differences, D disagree".
Counts Summary(const std::string& out)
{
    static const std::regex last(R"((\d+) agree, (\d+) known differences, (\d+) disagree\n$)");
    std::smatch m;
    Counts c;
    if (std::regex_search(out, m, last)) {
        c.agree = std::stol(m[1]);
        c.known = std::stol(m[2]);
        c.disagree = std::stol(m[3]);
    }
    return c;
}

std::string NewlibLibc(bool thumb)
{
    std::vector<std::string> argv = {"arm-none-eabi-gcc", "-mcpu=arm7tdmi"};
    if (thumb)
        argv.push_back("-mthumb");
    argv.push_back("-print-file-name=libc.a");
    const auto r = RunProcess(argv);
    std::string path = r.out.substr(0, r.out.find('\n'));
    EXPECT_EQ(r.exitStatus, 0) << "arm-none-eabi-gcc is needed: " << r.err;
    EXPECT_TRUE(fs::exists(path)) << "newlib's libc.a not found: " << path;
    return path;
}

void ExpectNoDisagreement(const zk::test::ProcessResult& r, long minimumAgree)
{
    ASSERT_FALSE(r.timedOut);
    const Counts c = Summary(r.out);
    EXPECT_EQ(c.disagree, 0) << r.out.substr(0, 4000) << r.err;
    EXPECT_GE(c.agree, minimumAgree) << r.out.substr(r.out.size() > 2000 ? r.out.size() - 2000 : 0);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
}

TEST(DisCompareRuns, NewlibArmLibc)
{
    ExpectNoDisagreement(RunProcess({kDisCompare, NewlibLibc(false)}, {}, kTimeout), 50000);
}

TEST(DisCompareRuns, NewlibThumbLibc)
{
    ExpectNoDisagreement(RunProcess({kDisCompare, NewlibLibc(true)}, {}, kTimeout), 50000);
}

TEST(DisCompareRuns, LinkedArmAndThumbPrograms)
{
    // Executables: absolute branch targets, interworking, ARM and Thumb code
    // mixed by mapping symbols, no relocations.
    for (const char* name : {"discompare_program_arm", "discompare_program_thumb"}) {
        const std::string image = zk::test::FixturePath(name);
        ASSERT_TRUE(fs::exists(image)) << image;
        ExpectNoDisagreement(RunProcess({kDisCompare, image}, {}, kTimeout), 5000);
    }
}

class RawWords : public ::testing::Test {
protected:
    void TearDown() override { fs::remove(path_); }

    // objdump's listing of the raw little-endian bytes, as ARMv4T code.
    std::string Listing(const std::string& bytes, bool thumb)
    {
        path_ = fs::temp_directory_path() / ("discompare_" + std::to_string(::getpid()) + ".bin");
        std::ofstream(path_, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const auto r = RunProcess({"arm-none-eabi-objdump", "-D", "-b", "binary", "-m", "armv4t", "-M",
                                   thumb ? "reg-names-raw,force-thumb" : "reg-names-raw", path_.string()},
                                  {}, kTimeout);
        EXPECT_EQ(r.exitStatus, 0) << "arm-none-eabi-objdump is needed: " << r.err;
        return r.out;
    }

    static void Put(std::string& bytes, uint32_t value, unsigned size)
    {
        for (unsigned i = 0; i < size; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }

    fs::path path_;
};

TEST_F(RawWords, EveryArmDispatchKey)
{
    // Sixteen words for each value of bits 20-27 and 4-7, the other bits
    // random: every row of the decoder and the corners of its masks.
    std::mt19937 rng(20240722);
    std::string bytes;
    for (uint32_t key = 0; key < 4096; ++key) {
        for (int i = 0; i < 16; ++i) {
            const uint32_t word = (rng() & ~0x0FF000F0u) | ((key & 0xFF0u) << 16) | ((key & 0xFu) << 4);
            Put(bytes, word, 4);
        }
    }
    ExpectNoDisagreement(RunProcess({kDisCompare}, Listing(bytes, false), kTimeout), 30000);
}

TEST_F(RawWords, EveryThumbHalfword)
{
    // Each halfword followed by a filler (mov r8, r8), so that objdump's
    // 32-bit reading of a BL or Thumb-2 prefix takes the filler along. The
    // IT instructions of later architectures (0xbfxx) are left out: objdump
    // would read the next halfwords as conditional.
    std::string bytes;
    for (uint32_t h = 0; h < 0x10000; ++h) {
        if ((h >> 8) == 0xBF)
            continue;
        Put(bytes, h, 2);
        Put(bytes, 0x46C0, 2);
    }
    ExpectNoDisagreement(RunProcess({kDisCompare}, Listing(bytes, true), kTimeout), 60000);
}

TEST(DisCompareRuns, ExitStatusReportsDisagreement)
{
    const std::string listing = "   0:\te1a00001 \tmov\tr0, r2\n   4:\te1a00001 \tmov\tr0, r1\n";
    const auto r = RunProcess({kDisCompare}, listing, kTimeout);
    EXPECT_EQ(Summary(r.out).disagree, 1) << r.out;
    EXPECT_EQ(Summary(r.out).agree, 1) << r.out;
    EXPECT_EQ(r.exitStatus, 1);
}

}  // namespace
}  // namespace zk::tools
