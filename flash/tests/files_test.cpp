#include <gtest/gtest.h>
#include <unistd.h>

#include "mirobel/flash_files.h"
#include "mirobel/flash_record.h"
#include "platform/ini_store.h"
#include "scratch_folder.h"

namespace mirobel {
namespace {

using test::ScratchFolder;

class FlashFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        char buffer[4096];
        ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
        cwd_ = buffer;
        ASSERT_EQ(chdir(work_.path().c_str()), 0);
        SetLibraryFolder(library_.path());
    }
    void TearDown() override
    {
        SetLibraryFolder("");
        ASSERT_EQ(chdir(cwd_.c_str()), 0);
    }

    std::string cwd_;
    ScratchFolder work_;     // the current folder
    ScratchFolder library_;  // the library's folder
};

// A record with every word different, its value text computed by hand: the
// words little-endian, two digits a byte, then the byte sum.
TEST_F(FlashFiles, SettingsValueAgainstHandComputedDigits)
{
    FlashSettings settings;
    settings.record = FlashInfo{};
    settings.record.device = FlashDeviceWord(1, 2);
    settings.imagePath = "/images/app.bin";
    ASSERT_TRUE(SaveSettings(settings));
    // Bytes: 00 00 80 02 | 00 00 20 00 | 00 00 80 02 | 0 | 02 00 00 01 | 0 ... | FF 1F 00 00 | 0...
    // Sum: 0x80+2 + 0x20 + 0x80+2 + 2+1 + 0xFF+0x1F = 0x245 -> 45.
    const std::string expected = "000080020000200000008002000000000200000100000000000000000000000000000000"
                                 "00000000FF1F0000"
                                 "00000000000000000000000000000000"
                                 "45";
    const std::string ini = library_ / "Flash/device.ini";
    EXPECT_EQ(platform::GetProfileString(ini, "current", "FlashInfo"), expected);
    EXPECT_EQ(platform::GetProfileString(ini, "current", "FlashFile"), "/images/app.bin");

    const FlashSettings back = LoadSettings();
    EXPECT_EQ(ToFileBytes(back.record), ToFileBytes(settings.record));
    EXPECT_EQ(back.imagePath, settings.imagePath);
}

TEST_F(FlashFiles, DamagedValuesKeepTheDefaults)
{
    FlashInfo other;
    other.flashStart = 0x1000;
    const FlashBytes bytes = ToFileBytes(other);
    const std::string good = platform::EncodeStructValue(bytes.data(), bytes.size());
    std::string badDigit = good;
    badDigit[10] = 'x';
    std::string badSum = good;
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    for (const std::string& value : {good.substr(2), good + "00", badDigit, badSum, std::string()}) {
        library_.Write("flash/DEVICE.INI", "[Current]\nFlashInfo=" + value + "\n");
        EXPECT_EQ(ToFileBytes(LoadSettings().record), ToFileBytes(FlashInfo{})) << value;
    }
    library_.Write("flash/DEVICE.INI", "[Current]\nFlashInfo=" + good + "\n");
    EXPECT_EQ(LoadSettings().record.flashStart, 0x1000u);
    EXPECT_EQ(LoadSettings().imagePath, "");
}

// The current folder goes first; device.ini is written where it was found,
// in the case it has on disk; a long image path is cut to 255 characters.
TEST_F(FlashFiles, TheCurrentFolderFirstAndWrittenWhereFound)
{
    library_.Write("Flash/device.cfg", "[Lib]\nL\n");
    DeviceTable table;
    ASSERT_TRUE(LoadDeviceTable(table));
    EXPECT_EQ(table.makers.at(0).name, "Lib");

    work_.Write("FLASH/Device.Cfg", "[Here]\nH\n");
    const std::string here = work_.Write("FLASH/DEVICE.ini", "; kept\n");
    ASSERT_TRUE(LoadDeviceTable(table));
    EXPECT_EQ(table.makers.at(0).name, "Here");

    FlashSettings settings;
    settings.imagePath = std::string(300, 'p');
    ASSERT_TRUE(SaveSettings(settings));
    EXPECT_EQ(platform::GetProfileString(here, "current", "FlashFile"), std::string(255, 'p'));
    EXPECT_FALSE(platform::PathExists(library_ / "Flash/device.ini"));
    std::string text;
    ASSERT_TRUE(platform::ReadWholeFile(here, text, nullptr));
    EXPECT_EQ(text.rfind("; kept\n", 0), 0u);
}

TEST_F(FlashFiles, NoDeviceConfig)
{
    DeviceTable table;
    table.makers.push_back({"stale", {}});
    EXPECT_FALSE(LoadDeviceTable(table));
    EXPECT_TRUE(table.makers.empty());
}

TEST_F(FlashFiles, RoutineFilesWholeOrAnErrorNamingThem)
{
    library_.Write("FLASH/Dev One.O", std::string("\x01\x00\x02", 3));
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadRoutine("Dev One", bytes, error)) << error;
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 0, 2}));

    library_.Write("flash/EMPTY.o", "");
    const struct {
        const char* device;
        const char* inText;
    } failures[] = {
        {"MISSING", "flash\\MISSING.o"}, {"EMPTY", "is empty"}, {"../flash/EMPTY", "flash\\../"}, {"", "flash\\.o"}};
    for (const auto& f : failures) {
        error.clear();
        EXPECT_FALSE(ReadRoutine(f.device, bytes, error)) << f.device;
        EXPECT_NE(error.find(f.inText), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace mirobel
