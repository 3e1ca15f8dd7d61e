// End to end over the real simulator library: connect with the simulator
// flag, download a gcc image through talvis, set the PC through vexlor, go,
// wait for the stop message that vexlor posts from the simulator's stop
// hook, and compare r0-r15 and the result buffer with qemu's state at the
// same normal-end word.
#include <gmock/gmock.h>
#include <platform/messages.h>

#include <iomanip>
#include <sstream>

#include "elf_image.h"
#include "emu_messages.h"
#include "expected_results.h"
#include "falcrest.h"
#include "host_tools.h"
#include "qemu_reference.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

using namespace falcrest_e2e;
using namespace zk::test;

namespace {

constexpr int STOP_WAIT_MS = 10000;
constexpr const char* PROCESSOR = "ARM7TDMI-KS32C50100";

std::string SideBySide(const ArmState& qemu, const uint32_t (&sim)[16])
{
    std::ostringstream out;
    out << std::hex << std::setfill('0');
    for (int i = 0; i < 16; ++i) {
        out << "r" << std::dec << i << std::hex << "\tqemu " << std::setw(8) << qemu.r[i] << "\tsim "
            << std::setw(8) << sim[i] << (qemu.r[i] != sim[i] ? "   <--" : "") << "\n";
    }
    return out.str();
}

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            if (msg == WM_EMU_ERROR)
                stops_.push_back({w, l});
            return 1;
        });
        // The connect order of the program: CPU model, target, memory library.
        InitDLL_CpuServer(0, frame_, PROCESSOR, 0);
        int port = 0;
        ASSERT_EQ(NewABIDLL(1, PROCESSOR, &port, "Simulator", 1), 1) << "libDorvel.so in the program's folder";
        MemInitServer(frame_);
    }
    void TearDown() override
    {
        MemExitServer();
        ExitABIDLL();
        platform::DestroySink(frame_);
    }

    HWND frame_ = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> stops_;
};

TEST_F(EndToEndTest, AFreeRunStopsOnTheNormalEndWithQemusState)
{
    const std::string image = zk::test::FixturePath(E2E_FIXTURE);
    const QemuStop ref = QemuStateAtNormalEnd(image, "result", RESULT_WORDS);
    ASSERT_TRUE(ref.ok) << ref.error;
    zk::tools::ElfImage elf;
    std::string error;
    ASSERT_TRUE(zk::tools::ReadElfImage(image, elf, error)) << error;
    ASSERT_FALSE(elf.segments.empty());

    for (const zk::tools::ElfSegment& s : elf.segments) {
        const uint32_t n = static_cast<uint32_t>(s.bytes.size());
        ASSERT_EQ(MemWriteBlock({s.address, 1}, s.bytes.data(), n, -1), 0);
        std::vector<uint8_t> back(n);
        ASSERT_EQ(MemReadBlock(back.data(), {s.address, 1}, n), 0);
        ASSERT_EQ(back, s.bytes) << "download at 0x" << std::hex << s.address;
    }
    // The registers as qemu starts the image, the PC on its entry.
    for (DWORD id = 0; id < 15; ++id)
        ASSERT_EQ(CpuSetRegister(id, ref.atEntry.r[id]), 0) << id;
    ASSERT_EQ(CpuSetPC(elf.entry), 0);

    ASSERT_EQ(emuGo(0), EMU_OK);
    ASSERT_TRUE(platform::ModalWait([this] { return !stops_.empty(); }, STOP_WAIT_MS))
        << "no WM_EMU_ERROR within " << STOP_WAIT_MS << " ms";
    ASSERT_EQ(stops_.size(), 1u);
    EXPECT_EQ(stops_[0].first, EMU_ERROR_REFRESH_AFTER);
    EXPECT_EQ(stops_[0].second, HALT_TRAP_VECTOR);  // the normal-end SWI
    ASSERT_TRUE(platform::ModalWait([] { return (CpuGetCpuStatus(0, 1) & 1) == 0; }, STOP_WAIT_MS));

    uint32_t regs[16] = {};
    for (DWORD id = 0; id < 16; ++id)
        ASSERT_EQ(CpuGetRegister(id, &regs[id]), 0) << id;
    EXPECT_TRUE(std::equal(regs, regs + 16, ref.atStop.r)) << SideBySide(ref.atStop, regs);
    EXPECT_EQ(regs[15], ref.atStop.r[15]);

    std::vector<uint8_t> bytes(RESULT_WORDS * 4);
    ASSERT_EQ(MemReadBlock(bytes.data(), {ref.wordsAddress, 1}, RESULT_WORDS * 4), 0);
    std::vector<uint32_t> words(RESULT_WORDS);
    for (unsigned i = 0; i < RESULT_WORDS; ++i)
        words[i] = uint32_t{bytes[4 * i]} | uint32_t{bytes[4 * i + 1]} << 8 | uint32_t{bytes[4 * i + 2]} << 16 |
                   uint32_t{bytes[4 * i + 3]} << 24;
    EXPECT_EQ(words, ref.words);
    EXPECT_EQ(words, ExpectedResults());
}

}  // namespace
