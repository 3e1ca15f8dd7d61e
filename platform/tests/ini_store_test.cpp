#include "platform/ini_store.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>

#include "platform/files.h"
#include "test_support.h"

namespace platform {
namespace {

TEST(IniStore, NamesWithoutCaseAndBlanksAroundNamesAndValues)
{
    const IniStore store = IniStore::Parse("; comment\r\n[Current]\r\n  FlashFile = C:\\a b.bin  \r\n[other]\nk=1\n");
    EXPECT_EQ(store.Get("current", "FLASHFILE"), "C:\\a b.bin");
    EXPECT_EQ(store.Get(" CURRENT ", "flashfile"), "C:\\a b.bin");
    EXPECT_EQ(store.Get("other", "k"), "1");
    EXPECT_EQ(store.Get("other", "FlashFile"), std::nullopt);
    EXPECT_EQ(store.Get("missing", "k"), std::nullopt);
    // Text before the first section is no section of its own.
    EXPECT_EQ(store.Get("", "; comment"), std::nullopt);
}

TEST(IniStore, SetKeepsTheFileAndReplacesOrAddsInPlace)
{
    IniStore store = IniStore::Parse("; kept\n[current]\nFlashFile=old\n\n; before next\n[next]\nx=1\n");
    store.Set("CURRENT", "flashfile", "new");
    store.Set("current", "FlashInfo", "00");
    store.Set("added", "k", "v\nsecond line");
    EXPECT_EQ(store.Serialize(),
              "; kept\n[current]\nFlashFile=new\nFlashInfo=00\n\n; before next\n[next]\nx=1\n[added]\nk=v\n");
    EXPECT_EQ(IniStore::Parse(store.Serialize()).Serialize(), store.Serialize());

    // Stray carriage returns are blanks; keys that would read back as a
    // comment or a section are not set.
    IniStore crlf = IniStore::Parse("[s]\r\r\nk=v\r \r\r\nkept \r\r\n");
    EXPECT_EQ(crlf.Get("s", "k"), "v");
    crlf.Set("s", ";k", "x");
    crlf.Set("s", "[k]", "x");
    EXPECT_EQ(crlf.Serialize(), "[s]\nk=v\nkept \n");
}

// Two digits per byte, then the 8-bit sum of the bytes.
TEST(IniStore, StructValuesAgainstHandComputedText)
{
    const uint8_t bytes[] = {0x00, 0x80, 0x02, 0xFF, 0x7F};  // sum 0x200 -> 00
    EXPECT_EQ(EncodeStructValue(bytes, sizeof bytes), "008002FF7F00");
    const uint8_t word[] = {0x12, 0x34, 0x56, 0x78};  // sum 0x114 -> 14
    EXPECT_EQ(EncodeStructValue(word, sizeof word), "1234567814");
    EXPECT_EQ(EncodeStructValue(nullptr, 0), "00");

    std::array<uint8_t, 4> out{};
    ASSERT_TRUE(DecodeStructValue("1234567814", out.data(), out.size()));
    EXPECT_EQ(out, (std::array<uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
    ASSERT_TRUE(DecodeStructValue("abcdef0168", out.data(), out.size()));  // 0xAB+0xCD+0xEF+0x01 = 0x268
    EXPECT_EQ(out, (std::array<uint8_t, 4>{0xAB, 0xCD, 0xEF, 0x01}));
}

TEST(IniStore, DamagedStructValuesLeaveTheBufferAlone)
{
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"too short", "12345678"}, {"too long", "123456781400"},   {"bad digit", "12G4567814"},
        {"bad sum", "1234567815"}, {"blank inside", "1234 67814"}, {"empty", ""},
    };
    for (const auto& c : cases) {
        std::array<uint8_t, 4> out{9, 9, 9, 9};
        EXPECT_FALSE(DecodeStructValue(c.text, out.data(), out.size())) << c.name;
        EXPECT_EQ(out, (std::array<uint8_t, 4>{9, 9, 9, 9})) << c.name;
    }
}

TEST(IniStore, ProfileCallsOnAFile)
{
    test::TempDir temp("zk-ini");
    const std::string path = temp.path() + "/device.ini";
    EXPECT_EQ(GetProfileString(path, "current", "FlashFile", "none"), "none");
    uint32_t value = 0x01020304;
    ASSERT_TRUE(WriteProfileStruct(path, "current", "FlashInfo", &value, sizeof value));
    ASSERT_TRUE(WriteProfileString(path, "current", "FlashFile", "/tmp/x.bin"));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes, nullptr));
    EXPECT_EQ(bytes, "[current]\nFlashInfo=040302010A\nFlashFile=/tmp/x.bin\n");
    uint32_t back = 0;
    EXPECT_TRUE(GetProfileStruct(path, "CURRENT", "flashinfo", &back, sizeof back));
    EXPECT_EQ(back, value);
    uint64_t wide = 0;
    EXPECT_FALSE(GetProfileStruct(path, "current", "FlashInfo", &wide, sizeof wide));
    EXPECT_EQ(GetProfileString(path, "current", "FlashFile"), "/tmp/x.bin");
    // A folder that does not exist: the write fails and says why.
    std::string error;
    EXPECT_FALSE(WriteProfileString(temp.path() + "/no/such/device.ini", "s", "k", "v", &error));
    EXPECT_FALSE(error.empty());
}

TEST(IniStore, NulBytesAndLongLinesAreText)
{
    std::string text = "[s]\nk=a";
    text += '\0';
    text += "b\n" + std::string(1 << 20, 'x') + "\nlong=" + std::string(1 << 20, 'y') + "\n";
    const IniStore store = IniStore::Parse(text);
    EXPECT_EQ(store.Get("s", "k"), std::string("a\0b", 3));
    EXPECT_EQ(store.Get("s", "long")->size(), size_t{1} << 20);
    EXPECT_EQ(IniStore::Parse(store.Serialize()).Serialize(), store.Serialize());
}

}  // namespace
}  // namespace platform
