// The reference half of the end-to-end check, against the real tools: the
// image's segments as readelf lists them, and qemu's state at the normal-end
// word as gdb reads it.
#include <gmock/gmock.h>

#include <sstream>

#include "elf_image.h"
#include "expected_results.h"
#include "host_tools.h"
#include "qemu_reference.h"

using namespace falcrest_e2e;
using namespace zk::test;

namespace {

uint32_t SymbolAddress(const std::string& image, const std::string& name)
{
    const auto p = RunProcess({"arm-none-eabi-nm", image});
    std::istringstream lines(p.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string address, kind, symbol;
        if (in >> address >> kind >> symbol && symbol == name)
            return static_cast<uint32_t>(std::stoul(address, nullptr, 16));
    }
    ADD_FAILURE() << "no symbol " << name << " in\n" << p.out << p.err;
    return 0;
}

TEST(QemuReference, TheImageReaderAgreesWithReadelf)
{
    const std::string image = FixturePath(E2E_FIXTURE);
    zk::tools::ElfImage elf;
    std::string error;
    ASSERT_TRUE(zk::tools::ReadElfImage(image, elf, error)) << error;
    ASSERT_FALSE(elf.segments.empty());

    const auto p = RunProcess({"arm-none-eabi-readelf", "-hlW", image});
    ASSERT_EQ(p.exitStatus, 0) << p.err;
    std::istringstream lines(p.out);
    size_t loads = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string first;
        in >> first;
        if (line.find("Entry point address:") != std::string::npos) {
            EXPECT_EQ(elf.entry, std::stoul(line.substr(line.find("0x")), nullptr, 16));
        } else if (first == "LOAD") {
            std::string offset, virt, phys, fileSize, memSize;
            in >> offset >> virt >> phys >> fileSize >> memSize;
            ASSERT_LT(loads, elf.segments.size());
            EXPECT_EQ(elf.segments[loads].address, std::stoul(phys, nullptr, 16));
            EXPECT_EQ(elf.segments[loads].memSize, std::stoul(memSize, nullptr, 16));
            ++loads;
        }
    }
    EXPECT_EQ(loads, elf.segments.size());
}

TEST(QemuReference, QemuStopsOnTheNormalEndWordWithTheProgramsResults)
{
    const std::string image = FixturePath(E2E_FIXTURE);
    const QemuStop ref = QemuStateAtNormalEnd(image, "result", RESULT_WORDS);
    ASSERT_TRUE(ref.ok) << ref.error;

    zk::tools::ElfImage elf;
    std::string error;
    ASSERT_TRUE(zk::tools::ReadElfImage(image, elf, error)) << error;
    EXPECT_EQ(ref.atEntry.r[15], elf.entry);
    EXPECT_EQ(ref.atStop.r[15], SymbolAddress(image, "__normal_end"));
    EXPECT_EQ(ref.atStop.r[13], 0x100000u);  // the start code's stack top
    EXPECT_EQ(ref.wordsAddress, SymbolAddress(image, "result"));
    EXPECT_EQ(ref.words, ExpectedResults());
    EXPECT_EQ(ref.atStop.r[0], ExpectedResults()[RESULT_WORDS - 1] & 0xFF);  // main's result
}

}  // namespace
