#include <gtest/gtest.h>

#include "mirobel/flash_dialog_model.h"
#include "platform/ini_store.h"
#include "scratch_folder.h"

namespace mirobel {
namespace {

class FlashDialogModelTest : public ::testing::Test {
protected:
    void SetUp() override { SetLibraryFolder(library_.path()); }
    void TearDown() override { SetLibraryFolder(""); }
    test::ScratchFolder library_;
};

TEST_F(FlashDialogModelTest, OpenChooseRequestAndCloseWritesEvenWithoutProgramming)
{
    library_.Write("Flash/device.cfg", "[AMD]\nA0,A1\n[Intel]\nI0,I1,I2\n[Empty]\n");
    FlashInfo saved;
    saved.device = FlashDeviceWord(1, 2);
    saved.ramStart = 0x200000;
    ASSERT_TRUE(SaveSettings({saved, "/img/app.bin"}));

    FlashDialogModel model;
    ASSERT_TRUE(model.Open());
    EXPECT_EQ(model.Device(), "I2");
    EXPECT_EQ(model.controls().ramStart, "200000");
    EXPECT_EQ(model.imagePath(), "/img/app.bin");

    model.ChooseMaker(0);
    EXPECT_EQ(model.Device(), "A0");
    model.ChooseMaker(2);
    EXPECT_EQ(model.controls().device, -1);
    EXPECT_EQ(model.Device(), "");
    model.ChooseMaker(0);
    model.controls().device = 1;
    model.controls().ramEnd = "20FFFF";
    FlashRequest request;
    ASSERT_TRUE(model.Request(request));
    EXPECT_EQ(request.device, "A1");
    EXPECT_EQ(request.info.ramEnd, 0x20FFFFu);
    EXPECT_EQ(request.info.device, FlashDeviceWord(0, 1));
    std::string bad;
    model.controls().flashSize = "zz";
    EXPECT_FALSE(model.Request(request, &bad));
    EXPECT_EQ(bad, "Flash size:");

    // Closing writes the lists and every field that parses; the bad one
    // keeps the value it had.
    model.controls().portSize = 1;
    model.imagePath() = "/img/other.bin";
    ASSERT_TRUE(model.Close());
    const FlashSettings back = LoadSettings();
    EXPECT_EQ(back.record.device, FlashDeviceWord(0, 1));
    EXPECT_EQ(back.record.portSize, 1u);
    EXPECT_EQ(back.record.ramEnd, 0x20FFFFu);
    EXPECT_EQ(back.record.flashSize, FlashInfo{}.flashSize);
    EXPECT_EQ(back.imagePath, "/img/other.bin");
}

TEST_F(FlashDialogModelTest, WithoutDeviceConfigTheListsStayEmptyAndCloseStillWrites)
{
    FlashDialogModel model;
    EXPECT_FALSE(model.Open());
    EXPECT_TRUE(model.table().makers.empty());
    EXPECT_EQ(model.Device(), "");
    ASSERT_TRUE(model.Close());
    EXPECT_TRUE(platform::PathExists(library_ / "Flash/device.ini"));
    EXPECT_EQ(ToFileBytes(LoadSettings().record), ToFileBytes(FlashInfo{}));
}

}  // namespace
}  // namespace mirobel
