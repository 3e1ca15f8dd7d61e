// libHalvek.so on the real simulator: libDorvel.so bound through Falcrest's
// NewABIDLL, vexlor started with the processor's name, the description
// files found from the current folder. Values placed in simulator memory
// come back through the model on both access paths, and field edits land
// in memory as independent bit arithmetic says.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "emu_messages.h"
#include "falcrest.h"
#include "field_rules.h"
#include "halvek.h"
#include "halvek_library.h"
#include "platform/messages.h"
#include "row_model.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"
#include "win_messages.h"

namespace halvek {
namespace {

class HalvekOnSimulator : public testing::Test {
protected:
    void Connect(const char* processor)
    {
        frame_ = platform::CreateSink([this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            frameMessages.push_back({msg, w, l});
            return 1;
        });
        InitDLL_CpuServer(0, frame_, processor, 0);
        int port = 0;
        ASSERT_EQ(NewABIDLL(1, processor, &port, "Simulator", 1), 1) << "libDorvel.so in the program's folder";
        MemInitServer(frame_);
        ASSERT_EQ(emuInitialize(), EMU_OK);
        ASSERT_NE(getcwd(savedFolder_, sizeof savedFolder_), nullptr);
        ASSERT_EQ(chdir(HALVEK_FIXTURES), 0);
    }
    void TearDown() override
    {
        if (savedFolder_[0]) {
            EXPECT_EQ(chdir(savedFolder_), 0);
        }
        PeriCloseWindow();
        MemExitServer();
        ExitABIDLL();
        if (frame_)
            platform::DestroySink(frame_);
    }

    static Register& Named(const char* name)
    {
        for (Group& g : TheModel().description().groups)
            for (Register& r : g.registers)
                if (r.name == name)
                    return r;
        ADD_FAILURE() << name;
        static Register none;
        return none;
    }
    static void Put(uint32_t address, std::vector<uint8_t> bytes)
    {
        ASSERT_EQ(emuSetMemN(ADDR{address, ADDR_SPACE_TARGET}, bytes.data(), static_cast<int>(bytes.size())), EMU_OK);
    }
    static std::vector<uint8_t> Get(uint32_t address, size_t n)
    {
        std::vector<uint8_t> bytes(n);
        EXPECT_EQ(emuGetMemN(ADDR{address, ADDR_SPACE_TARGET}, bytes.data(), static_cast<int>(n)), EMU_OK);
        return bytes;
    }

    struct Message {
        UINT msg;
        WPARAM w;
        LPARAM l;
    };
    std::vector<Message> frameMessages;
    HWND frame_ = nullptr;
    char savedFolder_[PATH_MAX] = {};
};

TEST_F(HalvekOnSimulator, Arm7tdmiRegistersAtTheOffsetFromTheBase)
{
    Connect("ARM7TDMI");
    ASSERT_EQ(PeriInit(), 0u) << TheModel().description().errorText;
    EXPECT_EQ(TheModel().processor().family, 1u);
    Put(0x3FF0000, {0x78, 0x56, 0x34, 0x12});  // SYSCFG
    Put(0x3FFD008, {0xCD, 0xAB});              // UCON
    Put(0x3FFD000, {0x5A});                    // ULCON
    Register& syscfg = Named("SYSCFG");
    Register& ucon = Named("UCON");
    Register& ulcon = Named("ULCON");
    EXPECT_EQ(TheModel().Read(syscfg), 0u);
    EXPECT_EQ(syscfg.value, 0x12345678u);
    EXPECT_EQ(TheModel().Read(ucon), 0u);
    EXPECT_EQ(ucon.value, 0xABCDu);
    EXPECT_EQ(TheModel().Read(ulcon), 0u);
    EXPECT_EQ(ulcon.value, 0x5Au);
    EXPECT_EQ(ulcon.fields[0].value, (0x5Au >> 0) & 3u);

    // A field edit: CM (bits 5-4) of SYSCFG set to 2, masked by the
    // implemented bits 0xF7FFFFFF.
    PeriOpenWindow(frame_, nullptr);  // keeps the main frame for the view updates
    frameMessages.clear();
    const uint32_t composed = ComposeValue(syscfg.value, syscfg.fields[1], 2, syscfg.implemented);
    EXPECT_EQ(TheModel().Write(syscfg, composed), 0u);
    const uint32_t expected = ((0x12345678u & ~(3u << 4)) | (2u << 4)) & 0xF7FFFFFFu;
    EXPECT_EQ(Get(0x3FF0000, 4),
              (std::vector<uint8_t>{static_cast<uint8_t>(expected), static_cast<uint8_t>(expected >> 8),
                                    static_cast<uint8_t>(expected >> 16), static_cast<uint8_t>(expected >> 24)}));
    EXPECT_EQ(syscfg.fields[1].value, 2u);
    ASSERT_EQ(frameMessages.size(), 3u);
    EXPECT_EQ(frameMessages[0].msg, WM_EMU_UPDATE_VIEWS);
    EXPECT_EQ(frameMessages[0].w, static_cast<WPARAM>(DVK_MEMORY1));
    EXPECT_EQ(frameMessages[0].l, -1);
    EXPECT_EQ(frameMessages[1].w, static_cast<WPARAM>(DVK_WATCH));
    EXPECT_EQ(frameMessages[2].w, static_cast<WPARAM>(DVK_CALL_STACK));

    // The list's rows: UART0 expanded, UCON the second of its sorted registers.
    Description& d = TheModel().description();
    d.groups[1].expanded = true;
    RecountRows(d);
    EXPECT_EQ(RowTextAt(1), "(-)  UART0");
    EXPECT_EQ(RowTextAt(3).substr(0, 41), "  0x03FFD008  ABCD         UCON          ");

    int offset = -1, width = -1;
    EXPECT_EQ(PeriGetRegInfo("ucon", &offset, &width), 0);
    EXPECT_EQ(offset, 8);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(PeriGetRegInfo("nothing", &offset, &width), -1);
}

TEST_F(HalvekOnSimulator, ANewBaseMovesTheReadsAndTheResetRestoresIt)
{
    Connect("ARM7TDMI");
    ASSERT_EQ(PeriInit(), 0u);
    Put(0x3FFD008, {0x11, 0x00});
    Put(0x5FFD008, {0x22, 0x00});
    Register& ucon = Named("UCON");
    TheModel().SetNewBase(0x5FF0000);
    EXPECT_EQ(TheModel().Read(ucon), 0u);
    EXPECT_EQ(ucon.value, 0x22u);
    EXPECT_EQ(TheModel().description().groups[1].first, 0x5FFD000u);
    // The target's reset gives back the file's base without moving the ranges.
    ASSERT_EQ(emuReset(0, 0, 0), EMU_OK);
    EXPECT_EQ(TheModel().description().currentBase, 0x3FF0000u);
    EXPECT_EQ(TheModel().description().groups[1].first, 0x5FFD000u);
    EXPECT_EQ(TheModel().Read(ucon), 0u);
    EXPECT_EQ(ucon.value, 0x11u) << "the target reads at its own reset base";
    EXPECT_EQ(PeriUpdateBlockLocation(), 0u);
    EXPECT_EQ(TheModel().description().groups[1].first, 0x3FFD000u);
    EXPECT_EQ(ucon.address, 0x3FFD008u);
}

TEST_F(HalvekOnSimulator, AnotherFamilyOneCpuTypePassesTheRegistersOwnOffset)
{
    Connect("ARM720T");
    ASSERT_EQ(PeriInit(), 0u) << TheModel().description().errorText;
    EXPECT_EQ(TheModel().processor().cpuType, "ARM720T");
    Put(0x3FF0008, {0x34, 0x12});  // base + UCON's own offset 8
    Put(0x3FFD008, {0xFF, 0xFF});
    Register& ucon = Named("UCON");
    EXPECT_EQ(TheModel().Read(ucon), 0u);
    EXPECT_EQ(ucon.value, 0x1234u);
    EXPECT_EQ(TheModel().Write(ucon, 0x0102), 0u);
    EXPECT_EQ(Get(0x3FF0008, 2), (std::vector<uint8_t>{0x02, 0x01})) << "written where it is read";
    EXPECT_EQ(Get(0x3FFD008, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
}

TEST_F(HalvekOnSimulator, OtherFamiliesReadAndWriteBigEndianRegistersThroughTalvis)
{
    Connect("MCF5206");
    ASSERT_EQ(PeriInit(), 0u) << TheModel().description().errorText;
    EXPECT_EQ(TheModel().processor().family, 0u);
    const uint32_t group = 0x10000100;
    Put(group + 0x14, {0x11, 0x22, 0x33, 0x44});
    Put(group + 0x06, {0xAB, 0xCD});
    Register& swivr = Named("SWIVR");
    Register& marb = Named("MARB");
    EXPECT_EQ(TheModel().Read(swivr), 0u);
    EXPECT_EQ(swivr.value, 0x11223344u);
    EXPECT_EQ(swivr.fields[0].value, 0x33u);
    EXPECT_EQ(TheModel().Read(marb), 0u);
    EXPECT_EQ(marb.value, 0xABCDu);
    const uint32_t composed = ComposeValue(swivr.value, swivr.fields[0], 0x5A, swivr.implemented);
    EXPECT_EQ(TheModel().Write(swivr, composed), 0u);
    EXPECT_EQ(Get(group + 0x14, 4), (std::vector<uint8_t>{0x11, 0x22, 0x5A, 0x44}));
    EXPECT_NE(TheModel().Write(Named("RSR"), 0), 0u) << "read-only";
}

TEST_F(HalvekOnSimulator, TheWindowCallsWithoutAndWithADescription)
{
    Connect("ARM7TDMI");
    HWND window = nullptr;
    TheModel().description().Clear();
    EXPECT_EQ(PeriOpenWindow(frame_, &window), 0u);
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(PeriGetRegInfo("ucon", nullptr, nullptr), -1);
    ASSERT_EQ(PeriInit(), 0u);
    HalvekRegisterWindowFactory(nullptr);
    EXPECT_EQ(PeriOpenWindow(frame_, &window), PERI_WINDOW_FAILED);
    std::vector<std::pair<UINT, WPARAM>> got;
    static HWND s_made = nullptr;
    s_made = platform::CreateSink([&](UINT msg, WPARAM w, LPARAM) -> LRESULT {
        got.emplace_back(msg, w);
        return 0;
    });
    HalvekRegisterWindowFactory([](HWND) { return s_made; });
    EXPECT_EQ(PeriOpenWindow(frame_, &window), 0u);
    EXPECT_EQ(window, s_made);
    EXPECT_EQ(PeriRefreshWindow(), 0u);
    EXPECT_EQ(got, (std::vector<std::pair<UINT, WPARAM>>{{WM_COMMAND, PERI_CMD_REFRESH_DISPLAY}}));
    EXPECT_EQ(PeriCloseWindow(), 0u);
    EXPECT_EQ(PeriRefreshWindow(), 0u);
    EXPECT_EQ(got.size(), 1u);
    HalvekRegisterWindowFactory(nullptr);
    platform::DestroySink(s_made);
}

TEST_F(HalvekOnSimulator, AProcessorWithoutDescriptionFilesIsNotFound)
{
    Connect("ARM9TDMI");
    EXPECT_EQ(PeriInit(), PERI_FILE_NOT_FOUND);
    EXPECT_EQ(TheModel().description().errorText, "PCF\\PERIARM9TDMI.CFG");
}

}  // namespace
}  // namespace halvek

namespace halvek {
namespace {

TEST(HalvekFiles, FoundInTheCurrentFolderThenInTheLibrarysOwn)
{
    char saved[PATH_MAX] = {};
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(chdir(HALVEK_FIXTURES), 0);
    EXPECT_EQ(FindDescriptionFile("pcf\\uart0.pcf"), "PCF/UART0.PCF");
    // Not beside the current folder: the library's folder, case matched.
    const std::string beside = FindDescriptionFile("LIBHALVEK.SO");
    EXPECT_EQ(beside, std::string(ZK_BIN_DIR) + "/libHalvek.so");
    EXPECT_EQ(FindDescriptionFile("PCF\\NOTHING.PCF"), "");
    EXPECT_EQ(FindDescriptionFile("PCF"), "") << "a folder is not a file";
    EXPECT_EQ(chdir(saved), 0);
}

}  // namespace
}  // namespace halvek
