// The software breakpoint list: one record per address, ascending, with
// enable and disable of one or all records.
#include <gtest/gtest.h>

#include "simcore/breakpoint_list.h"

namespace zk::sim {
namespace {

TEST(BreakpointList, InsertingTwiceKeepsOneRecordWithTheNewMaskEnabled)
{
    BreakpointList list;
    ASSERT_TRUE(list.Insert(0x200));
    ASSERT_TRUE(list.Insert(0x100, 0xFFFF));
    list.Disable(0x100);
    ASSERT_TRUE(list.Insert(0x100, 0xFF));
    const auto records = list.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].address, 0x100u);
    EXPECT_EQ(records[0].mask, 0xFFu);
    EXPECT_TRUE(records[0].enabled);
    EXPECT_EQ(records[1].address, 0x200u);
    EXPECT_EQ(records[1].mask, 0xFFFFFFFFu);
}

TEST(BreakpointList, DisableAllKeepsTheRecordsAndDeleteRemovesThem)
{
    BreakpointList list;
    for (uint32_t a : {0x300u, 0x100u, 0x200u})
        list.Insert(a);
    list.DisableAll();
    for (const auto& r : list.Records())
        EXPECT_FALSE(r.enabled);
    list.Enable(0x200);
    EXPECT_TRUE(list.Records()[1].enabled);
    list.Enable(0x250);  // no record there: nothing changes
    list.Delete(0x100);
    EXPECT_EQ(list.Size(), 2u);
    list.EnableAll();
    for (const auto& r : list.Records())
        EXPECT_TRUE(r.enabled);
    list.DeleteAll();
    EXPECT_EQ(list.Size(), 0u);
}

}  // namespace
}  // namespace zk::sim
