// DadAssembleLine on the stand-in target: the code set from the
// disassembly mode (mixed: the loader's answer), the write through the
// memory library in the target's byte order, the code in a handle block,
// refusals that write nothing, and the listing of what was written.
#include <gmock/gmock.h>

#include <platform/global_memory.h>

#include <cstring>
#include <string>
#include <vector>

#include "dolmer/dolmer.h"
#include "fake_target.h"
#include "pirell/pirell.h"
#include "talvis/talvis.h"

namespace pirell::test {

struct Write {
    ADDR addr;
    std::vector<uint8_t> bytes;
};

std::vector<Write>& Writes()
{
    static std::vector<Write> writes;
    return writes;
}

}  // namespace pirell::test

extern "C" {

int MemWriteBlock(ADDR addr, const void* data, uint32_t count, int)
{
    if (pirell::test::Target().unreadable.count(addr.off))
        return EMU_TARGET_LOST;
    const auto* bytes = static_cast<const uint8_t*>(data);
    pirell::test::Writes().push_back({addr, std::vector<uint8_t>(bytes, bytes + count)});
    for (uint32_t i = 0; i < count; ++i)
        pirell::test::Target().image.memory[addr.off + i] = bytes[i];
    return 0;
}

// The address library's "#name" texts: one function, main at 0x8100.
int AdrTextToAddr(const char* text, ADDR* addr, int inSpace)
{
    if (std::strcmp(text, "#main") != 0)
        return 0;
    *addr = {0x8100, static_cast<uint16_t>(inSpace ? ADDR_SPACE_TARGET : ADDR_SPACE_NONE)};
    return 1;
}

}  // extern "C"

namespace pirell::test {
namespace {

class AssembleLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        Target() = FakeTarget{};
        Writes().clear();
        DadSetDisMod(DAD_MODE_MIXED);
    }
    void TearDown() override { DadSetDisMod(DAD_MODE_MIXED); }

    std::vector<uint8_t> Memory(uint32_t address, uint32_t count)
    {
        std::vector<uint8_t> bytes(count);
        EXPECT_EQ(MemReadBlock(bytes.data(), {address, ADDR_SPACE_TARGET}, count), 0);
        return bytes;
    }

    std::string Listing(uint32_t address)
    {
        char* text = nullptr;
        WORD length = 0;
        EXPECT_EQ(DadDisassembleLine({address, ADDR_SPACE_TARGET}, 1, &text, &length), 0);
        std::string line = text ? std::string(text, length) : "";
        platform::FreeHandleBlock(text);
        return line;
    }
};

TEST_F(AssembleLine, WritesArmCodeAndReturnsItsLength)
{
    DWORD length = 0;
    ASSERT_EQ(DadAssembleLine({0x8000, ADDR_SPACE_TARGET}, "stmfd sp!, {r4, lr}", &length, 1), 0);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(Memory(0x8000, 4), (std::vector<uint8_t>{0x10, 0x40, 0x2D, 0xE9}));
    EXPECT_EQ(Listing(0x8000), "00008000 E92D4010  stmdb    r13!,{r4,r14}\r\n");
    ASSERT_EQ(DadAssembleLine({0x8004, ADDR_SPACE_TARGET}, "bl #main", &length, 1), 0);
    EXPECT_EQ(Listing(0x8004), "00008004 EB00003D  bl       0x8100\r\n");
}

TEST_F(AssembleLine, MixedModeTakesTheLoadersCodeSet)
{
    Target().thumb = {0x9000, 0x9002};
    DWORD length = 0;
    ASSERT_EQ(DadAssembleLine({0x9000, ADDR_SPACE_TARGET}, "bl 0x8100", &length, 1), 0);
    EXPECT_EQ(length, 4u);
    ASSERT_EQ(Writes().size(), 1u);
    EXPECT_EQ(Writes()[0].bytes.size(), 4u);
    EXPECT_THAT(Listing(0x9000), ::testing::StartsWith("00009000 F7FF"));
    EXPECT_THAT(Listing(0x9000), ::testing::EndsWith("  bl         0x8100\r\n"));
    ASSERT_EQ(DadAssembleLine({0x9004, ADDR_SPACE_TARGET}, "mov r0, #1", &length, 1), 0);
    EXPECT_EQ(length, 4u) << "0x9004 is ARM code to the loader";
}

TEST_F(AssembleLine, ModesChooseTheCodeSet)
{
    Target().thumb = {0x9000};
    DWORD length = 0;
    ASSERT_EQ(DadSetDisMod(DAD_MODE_ARM), 0);
    EXPECT_EQ(DadGetDisMod(), DAD_MODE_ARM);
    ASSERT_EQ(DadAssembleLine({0x9000, ADDR_SPACE_TARGET}, "mov r0, #1", &length, 0), 0);
    EXPECT_EQ(length, 4u);
    ASSERT_EQ(DadSetDisMod(DAD_MODE_THUMB), 0);
    ASSERT_EQ(DadAssembleLine({0x8000, ADDR_SPACE_TARGET}, "mov r0, #1", &length, 0), 0);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(DadSetDisMod(3), -1);
    EXPECT_EQ(DadGetDisMod(), DAD_MODE_THUMB);
    EXPECT_TRUE(Writes().empty()) << "write flag 0 writes nothing";
}

TEST_F(AssembleLine, WithoutWriteTheCodeComesInAHandleBlock)
{
    Target().image.bigEndian = true;
    DWORD length = 0;
    BYTE* code = nullptr;
    ASSERT_EQ(DadAssembleLine({0x8000, ADDR_SPACE_TARGET}, "swi 0x123456", &length, 0, &code), 0);
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(std::vector<uint8_t>(code, code + 4), (std::vector<uint8_t>{0xEF, 0x12, 0x34, 0x56}));
    EXPECT_NE(platform::HandleOfBlock(code), nullptr);
    platform::FreeHandleBlock(code);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(AssembleLine, RefusedTextsWriteNothingAndSayWhy)
{
    struct Case {
        const char* text;
        int result;
    };
    const std::string overlong(300, 'a');
    const Case cases[] = {
        {"frob r0", DAD_ASM_E_MNEMONIC},     {"mov r0, r1 ;", DAD_ASM_E_SYNTAX},
        {"mov r16, r0", DAD_ASM_E_REGISTER}, {"mov r0, #0x101", DAD_ASM_E_IMMEDIATE},
        {"b 0x4000000", DAD_ASM_E_RANGE},    {"b 0x8002", DAD_ASM_E_ALIGNMENT},
        {"b #nosuch", DAD_ASM_E_ADDRESS},    {overlong.c_str(), DAD_ASM_E_TOO_LONG},
    };
    for (const Case& c : cases) {
        DWORD length = 99;
        BYTE* code = reinterpret_cast<BYTE*>(&length);
        EXPECT_EQ(DadAssembleLine({0x8000, ADDR_SPACE_TARGET}, c.text, &length, 1, &code), c.result) << c.text;
        EXPECT_EQ(length, 0u) << c.text;
        EXPECT_EQ(code, nullptr) << c.text;
    }
    DWORD length = 0;
    EXPECT_EQ(DadAssembleLine({0x8002, ADDR_SPACE_TARGET}, "nop", &length, 1), DAD_ASM_E_ALIGNMENT);
    EXPECT_EQ(DadAssembleLine({0x8000, ADDR_SPACE_TARGET}, nullptr, &length, 1), -1);
    EXPECT_EQ(DadAssembleLine({0x8000, ADDR_SPACE_TARGET}, "nop", nullptr, 1), -1);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(AssembleLine, AFailedWriteIsTheMemoryLibrarysFailure)
{
    Target().unreadable = {0x8000};
    DWORD length = 99;
    EXPECT_EQ(DadAssembleLine({0x8000, ADDR_SPACE_TARGET}, "nop", &length, 1), EMU_TARGET_LOST);
    EXPECT_EQ(length, 0u);
}

}  // namespace
}  // namespace pirell::test
