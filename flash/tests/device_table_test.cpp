#include <gtest/gtest.h>

#include "mirobel/device_table.h"

namespace mirobel {
namespace {

using Makers = std::vector<std::pair<std::string, std::vector<std::string>>>;

Makers Read(std::string_view text)
{
    Makers makers;
    for (const FlashMaker& m : ParseDeviceTable(text).makers)
        makers.push_back({m.name, m.devices});
    return makers;
}

struct Case {
    const char* name;
    std::string text;
    Makers makers;
};

class DeviceTableCase : public ::testing::TestWithParam<Case> {};

TEST_P(DeviceTableCase, Reads)
{
    EXPECT_EQ(Read(GetParam().text), GetParam().makers);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceCfg, DeviceTableCase,
    ::testing::Values(
        Case{"MakersAndDevicesInFileOrder",
             "[AMD]\nAM29F040,AM29F080\n[Intel]\n28F160\n",
             {{"AMD", {"AM29F040", "AM29F080"}}, {"Intel", {"28F160"}}}},
        Case{"MakerWithoutBracketIsSkippedAndItsDevicesGoToTheMakerBefore",
             "[AMD]\nA\n[Intel\nB\n",
             {{"AMD", {"A", "B"}}}},
        Case{"TwoCommasGiveTwoDevices", "[M]\nONE,,TWO\n", {{"M", {"ONE", "TWO"}}}},
        Case{"BlankAfterACommaStaysAtTheNameStart", "[M]\nONE, TWO ,\n", {{"M", {"ONE", " TWO "}}}},
        Case{"LeadingBlanksCommentsAndEmptyLines", "  // note\n\n \t[M] trailing\n   A\r\n//B\n", {{"M", {"A"}}}},
        Case{"DevicesBeforeTheFirstMakerAreIgnored", "X,Y\n[M]\n", {{"M", {}}}},
        Case{"NameUpToTheFirstBracket", "[A]B]\n[]\n", {{"A", {}}, {"", {}}}},
        Case{"ANulEndsTheLine", std::string("[M]\nA,B\0,C\nD\n", 13), {{"M", {"A", "B", "D"}}}},
        Case{"LastLineWithoutNewline", "[M]\nA", {{"M", {"A"}}}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(DeviceCfg, MegabyteLinesAndPositionLookups)
{
    const std::string longName(1 << 20, 'N');
    const DeviceTable table = ParseDeviceTable("[" + longName + "]\nD0," + longName + "\n[Second]\nS0\n");
    ASSERT_EQ(table.makers.size(), 2u);
    EXPECT_EQ(table.makers[0].name, longName);
    EXPECT_EQ(table.DeviceAt(0, 1), longName);
    EXPECT_EQ(table.DeviceAt(1, 0), "S0");
    EXPECT_EQ(table.DeviceAt(1, 1), "");
    EXPECT_EQ(table.DeviceAt(2, 0), "");
    EXPECT_TRUE(table.DevicesOf(-1).empty());
}

}  // namespace
}  // namespace mirobel
