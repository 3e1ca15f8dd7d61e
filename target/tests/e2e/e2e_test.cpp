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
        out << "r" << std::dec << i << std::hex << "\tqemu " << std::setw(8) << qemu.r[i] << "\tsim " << std::setw(8)
            << sim[i] << (qemu.r[i] != sim[i] ? "   <--" : "") << "\n";
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

// The calls that move memory in units of the access size, and the
// peripheral registers, against the simulator's own memory: what the
// recording simulator of the unit tests models must hold for the real one.
TEST_F(EndToEndTest, MemoryAndPeripheralCallsAgreeWithTheSimulatorsMemory)
{
    constexpr uint32_t AREA = 0x40000;
    std::vector<uint8_t> data(3000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    const auto read = [](uint32_t address, uint32_t count) {
        std::vector<uint8_t> bytes(count);
        EXPECT_EQ(MemReadBlock(bytes.data(), {address, 1}, count), 0);
        return bytes;
    };

    // Overlapping copies in words, up by a word and up by one byte.
    ASSERT_EQ(emuSetAccessSize(4), EMU_OK);
    for (uint32_t shift : {0x100u, 1u}) {
        ASSERT_EQ(MemWriteBlock({AREA, 1}, data.data(), 3000, -1), 0);
        EXPECT_EQ(emuCopy(AREA, 1, 3000, AREA + shift, 1), EMU_OK);
        EXPECT_EQ(read(AREA + shift, 3000), data) << shift;
    }

    // A difference in the byte after a whole word, in the remainder of the
    // last piece, and one past the end that is outside the range.
    ASSERT_EQ(MemWriteBlock({AREA, 1}, data.data(), 3000, -1), 0);
    ASSERT_EQ(MemWriteBlock({AREA + 0x2000, 1}, data.data(), 3000, -1), 0);
    EMU_COMPARE_RESULT result{};
    EXPECT_EQ(emuCompare(AREA, 1, 3000, AREA + 0x2000, 1, &result, nullptr), EMU_RANGES_EQUAL);
    const uint8_t changed = static_cast<uint8_t>(data[1001] ^ 0xFF);
    ASSERT_EQ(MemWriteBlock({AREA + 0x2000 + 1001, 1}, &changed, 1, -1), 0);
    EXPECT_EQ(emuCompare(AREA, 1, 3000, AREA + 0x2000, 1, &result, nullptr), EMU_OK);
    EXPECT_EQ(result.address, AREA + 1000);
    EXPECT_EQ(result.space, 1);
    EXPECT_EQ(emuCompare(AREA, 1, 1001, AREA + 0x2000, 1, &result, nullptr), EMU_RANGES_EQUAL);

    ADDR at{AREA, 1};
    EXPECT_EQ(emuFill(&at, 10, "\x01\x02\x03\x04", 4), EMU_OK);
    EXPECT_EQ(read(AREA, 11), (std::vector<uint8_t>{1, 2, 3, 4, 1, 2, 3, 4, 1, 2, data[10]}));

    // A peripheral register holds its value in the target's (little-endian)
    // order; the value read comes back in host order.
    emuSetHalvekBaseAddress(AREA, AREA, 1, 0x3FF0000);
    const std::vector<uint8_t> ones(8, 0x55);
    ASSERT_EQ(MemWriteBlock({AREA + 0x10, 1}, ones.data(), 8, -1), 0);
    EXPECT_EQ(emuSetIntReg(0x10, 2, static_cast<int>(0xAABBCCDD), 0), EMU_OK);
    EXPECT_EQ(emuSetIntReg(0x14, 4, 0x11223344, 0), EMU_OK);
    EXPECT_EQ(read(AREA + 0x10, 8), (std::vector<uint8_t>{0xDD, 0xCC, 0x55, 0x55, 0x44, 0x33, 0x22, 0x11}));
    int value = 0;
    EXPECT_EQ(emuGetIntReg(0x10, 4, &value, 0), EMU_OK);
    EXPECT_EQ(static_cast<uint32_t>(value), 0x5555CCDDu);
    EXPECT_EQ(emuGetIntReg(0x14, 2, &value, 0), EMU_OK);
    EXPECT_EQ(value, 0x3344);
    EXPECT_EQ(emuGetIntReg(0x17, 1, &value, 0), EMU_OK);
    EXPECT_EQ(value, 0x11);

    // Reset keeps the mode with interrupts off and clears SP and LR; the
    // simulator has no register 38.
    ASSERT_EQ(emuSetReg(0, SIM_REG_CPSR, 0x600000D3), EMU_OK);
    ASSERT_EQ(emuSetReg(0, SIM_REG_SP, 0x1000), EMU_OK);
    EXPECT_EQ(emuReset(0, 0, 0), EMU_OK);
    int cpsr = 0, sp = -1;
    EXPECT_EQ(emuGetReg(0, SIM_REG_CPSR, &cpsr), EMU_OK);
    EXPECT_EQ(cpsr, 0xD3);
    EXPECT_EQ(emuGetReg(0, SIM_REG_SP, &sp), EMU_OK);
    EXPECT_EQ(sp, 0);
    EXPECT_NE(emuGetReg(0, 38, &value), EMU_OK);
}

}  // namespace
