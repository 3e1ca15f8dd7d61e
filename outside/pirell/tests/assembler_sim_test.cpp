// DadAssembleLine with write flag 1 on the real simulator (libDorvel.so
// through Falcrest): the tables' lines written one after the other read
// back through talvis as arm-none-eabi-as's code for them, and the listing
// of the written code is the disassembler's.
#include <gmock/gmock.h>

#include <platform/global_memory.h>
#include <platform/messages.h>

#include "asm_tables.h"
#include "falcrest.h"
#include "gas_reference.h"
#include "pirell/pirell.h"
#include "talvis/talvis.h"
#include "vexlor/vexlor.h"

namespace pirell::test {
namespace {

constexpr const char* kProcessor = "ARM7TDMI";

class AssemblerOnSimulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame_ = platform::CreateSink([](UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
        // The connect order of the program: CPU model, target, memory library.
        InitDLL_CpuServer(0, frame_, kProcessor, 0);
        int port = 0;
        ASSERT_EQ(NewABIDLL(1, kProcessor, &port, "Simulator", 1), 1) << "libDorvel.so in the program's folder";
        MemInitServer(frame_);
    }
    void TearDown() override
    {
        DadSetDisMod(DAD_MODE_MIXED);
        MemExitServer();
        ExitABIDLL();
        platform::DestroySink(frame_);
    }

    void WriteTableAndCompare(const std::vector<std::string>& table, bool thumb)
    {
        const std::vector<uint8_t> gas = GasCode(table, thumb, kBase);
        ASSERT_FALSE(gas.empty());
        ASSERT_EQ(DadSetDisMod(thumb ? DAD_MODE_THUMB : DAD_MODE_ARM), 0);
        uint32_t address = kBase;
        for (const std::string& line : table) {
            DWORD length = 0;
            ASSERT_EQ(DadAssembleLine({address, ADDR_SPACE_TARGET}, line.c_str(), &length, 1), 0) << line;
            address += length;
        }
        ASSERT_EQ(address - kBase, gas.size());
        std::vector<uint8_t> back(gas.size());
        ASSERT_EQ(MemReadBlock(back.data(), {kBase, ADDR_SPACE_TARGET}, static_cast<uint32_t>(back.size())), 0);
        EXPECT_EQ(back, gas);
    }

    HWND frame_ = nullptr;
};

TEST_F(AssemblerOnSimulator, ArmTableReadsBackAsGasCode)
{
    WriteTableAndCompare(ArmTable(), false);
}

TEST_F(AssemblerOnSimulator, ThumbTableReadsBackAsGasCode)
{
    WriteTableAndCompare(ThumbTable(), true);
}

TEST_F(AssemblerOnSimulator, WrittenCodeListsAsTyped)
{
    ASSERT_EQ(DadSetDisMod(DAD_MODE_ARM), 0);
    DWORD length = 0;
    ASSERT_EQ(DadAssembleLine({0x2000, ADDR_SPACE_TARGET}, "ldreqb r0, [r1, #-4]!", &length, 1), 0);
    ASSERT_EQ(DadAssembleLine({0x2004, ADDR_SPACE_TARGET}, "mov r0, #1", &length, 1), 0);
    char* text = nullptr;
    WORD size = 0;
    ASSERT_EQ(DadDisassembleLine({0x2000, ADDR_SPACE_TARGET}, 2, &text, &size), 0);
    EXPECT_EQ(std::string(text, size),
              "00002000 05710004  ldreqb   r0,[r1,#-4]!\r\n"
              "00002004 E3A00001  mov      r0,#1\r\n");
    platform::FreeHandleBlock(text);
    // A refused line leaves memory as it was.
    EXPECT_EQ(DadAssembleLine({0x2004, ADDR_SPACE_TARGET}, "mov r0, #0x101", &length, 1), DAD_ASM_E_IMMEDIATE);
    uint8_t word[4] = {};
    ASSERT_EQ(MemReadBlock(word, {0x2004, ADDR_SPACE_TARGET}, 4), 0);
    EXPECT_THAT(word, ::testing::ElementsAre(0x01, 0x00, 0xA0, 0xE3));
}

}  // namespace
}  // namespace pirell::test
