#include <gtest/gtest.h>

#include "flash_info.h"
#include "mirobel/flash_record.h"

namespace mirobel {
namespace {

FlashInfo Sample()
{
    FlashInfo info;
    info.flashStart = 0x01020304;
    info.device = FlashDeviceWord(2, 5);
    info.ramEnd = 0xA0B0C0D0;
    info.reserved1[3] = 0xFFEEDDCC;
    return info;
}

TEST(FlashRecord, DefaultsOfTheRecord)
{
    const FlashInfo info;
    EXPECT_EQ(info.flashStart, 0x2800000u);
    EXPECT_EQ(info.flashSize, 0x200000u);
    EXPECT_EQ(info.flashOffset, 0x2800000u);
    EXPECT_EQ(info.ramStart, 0u);
    EXPECT_EQ(info.ramEnd, 0x1FFFu);
    EXPECT_EQ(info.device | info.portSize | info.operation | info.result | info.length, 0u);
}

// The file form is little-endian word by word, the target form most
// significant byte first: both checked byte by byte at the words' offsets.
TEST(FlashRecord, FileAndTargetBytes)
{
    const FlashInfo info = Sample();
    const FlashBytes file = ToFileBytes(info);
    EXPECT_EQ((std::vector<uint8_t>(file.begin(), file.begin() + 4)), (std::vector<uint8_t>{4, 3, 2, 1}));
    EXPECT_EQ((std::vector<uint8_t>(file.begin() + 16, file.begin() + 20)), (std::vector<uint8_t>{5, 0, 0, 2}));
    EXPECT_EQ((std::vector<uint8_t>(file.begin() + 40, file.begin() + 44)),
              (std::vector<uint8_t>{0xD0, 0xC0, 0xB0, 0xA0}));
    EXPECT_EQ(file[59], 0xFF);

    const FlashBytes block = ToTargetBlock(info);
    EXPECT_EQ((std::vector<uint8_t>(block.begin(), block.begin() + 4)), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ((std::vector<uint8_t>(block.begin() + 4, block.begin() + 8)), (std::vector<uint8_t>{0, 0x20, 0, 0}));
    EXPECT_EQ((std::vector<uint8_t>(block.begin() + 16, block.begin() + 20)), (std::vector<uint8_t>{2, 0, 0, 5}));
    EXPECT_EQ(block[56], 0xFF);

    const FlashInfo back = FromFileBytes(file);
    EXPECT_EQ(ToFileBytes(back), file);
    const uint8_t word[4] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(FromTargetWord(word), 0x12345678u);
}

TEST(FlashRecord, ControlsRoundTripAndWord16FromThePositions)
{
    const FlashControls c = ControlsFromRecord(Sample());
    EXPECT_EQ(c.maker, 2);
    EXPECT_EQ(c.device, 5);
    EXPECT_EQ(c.flashStart, "1020304");
    EXPECT_EQ(c.ramEnd, "A0B0C0D0");

    FlashControls edited = c;
    edited.maker = 1;
    edited.device = -1;  // nothing selected
    edited.portSize = 1;
    edited.flashOffset = " 0x2800010 ";
    FlashInfo info = Sample();
    ASSERT_TRUE(RecordFromControls(edited, info));
    EXPECT_EQ(info.device, 0x01000000u);
    EXPECT_EQ(info.portSize, 1u);
    EXPECT_EQ(info.flashOffset, 0x2800010u);
    EXPECT_EQ(info.ramEnd, 0xA0B0C0D0u);
}

TEST(FlashRecord, AFieldThatIsNoHexNumberIsRefusedByName)
{
    const struct {
        std::string FlashControls::*field;
        const char* text;
        const char* name;
    } cases[] = {
        {&FlashControls::flashStart, "12G", "Flash start:"},
        {&FlashControls::flashSize, "", "Flash size:"},
        {&FlashControls::flashOffset, "0x", "Flash Offset:"},
        {&FlashControls::ramStart, "100000000", "RAM Range:"},
        {&FlashControls::ramEnd, "-1", "to:"},
    };
    for (const auto& c : cases) {
        FlashControls controls = ControlsFromRecord(FlashInfo{});
        controls.*c.field = c.text;
        controls.maker = 3;
        FlashInfo info = Sample();
        std::string bad;
        EXPECT_FALSE(RecordFromControls(controls, info, &bad)) << c.text;
        EXPECT_EQ(bad, c.name);
        EXPECT_EQ(ToFileBytes(info), ToFileBytes(Sample())) << "the record is untouched";
    }
}

}  // namespace
}  // namespace mirobel
