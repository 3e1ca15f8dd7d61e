// FAT-packed dates and times against values worked out by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "platform/file_time.h"

using namespace platform;

namespace {

std::tm Tm(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return t;
}

TEST(FileTimeTest, PackingMatchesTheFatLayout)
{
    struct Case {
        std::tm t;
        WORD date, time;
    } cases[] = {
        {Tm(1980, 1, 1, 0, 0, 0), 0x0021, 0x0000},
        {Tm(2001, 9, 7, 13, 45, 30), 0x2B27, 0x6DAF},  // (21<<9)|(9<<5)|7, (13<<11)|(45<<5)|15
        {Tm(2001, 9, 7, 13, 45, 31), 0x2B27, 0x6DAF},  // odd seconds round down
        {Tm(2107, 12, 31, 23, 59, 58), 0xFF9F, 0xBF7D},
    };
    for (const auto& c : cases) {
        DosDateTime packed;
        ASSERT_TRUE(PackDosDateTime(c.t, packed));
        EXPECT_EQ(packed.date, c.date);
        EXPECT_EQ(packed.time, c.time);
        std::tm back = UnpackDosDateTime(packed);
        EXPECT_EQ(back.tm_year, c.t.tm_year);
        EXPECT_EQ(back.tm_mon, c.t.tm_mon);
        EXPECT_EQ(back.tm_mday, c.t.tm_mday);
        EXPECT_EQ(back.tm_hour, c.t.tm_hour);
        EXPECT_EQ(back.tm_min, c.t.tm_min);
        EXPECT_EQ(back.tm_sec, c.t.tm_sec & ~1);
    }
    DosDateTime out;
    EXPECT_FALSE(PackDosDateTime(Tm(1979, 12, 31, 23, 59, 59), out));
    EXPECT_FALSE(PackDosDateTime(Tm(2108, 1, 1, 0, 0, 0), out));
    EXPECT_FALSE(PackDosDateTime(Tm(2000, 13, 1, 0, 0, 0), out));
}

TEST(FileTimeTest, LocalTimeRoundTripsAndImpossibleDatesAreRefused)
{
    setenv("TZ", "UTC", 1);
    tzset();
    DosDateTime packed;
    ASSERT_TRUE(TimeToDosDateTime(1000000000, packed));  // 2001-09-09 01:46:40 UTC
    EXPECT_EQ(packed.date, (21 << 9) | (9 << 5) | 9);
    EXPECT_EQ(packed.time, (1 << 11) | (46 << 5) | 20);
    EXPECT_EQ(DosDateTimeToTime(packed), 1000000000);
    EXPECT_EQ(DosDateTimeToTime(DosDateTime{static_cast<WORD>((21 << 9) | (2 << 5) | 30), 0}), -1);  // 30 February
    EXPECT_EQ(DosDateTimeToTime(DosDateTime{static_cast<WORD>((21 << 9) | (0 << 5) | 1), 0}), -1);   // month 0
    EXPECT_EQ(DosDateTimeToTime(DosDateTime{0x0021, static_cast<WORD>(24 << 11)}), -1);              // hour 24
    unsetenv("TZ");
    tzset();
}

TEST(FileTimeTest, AFilesStampIsTakenFromTheFileSystem)
{
    char name[] = "/tmp/zk-stamp-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    DosDateTime stamp, now;
    ASSERT_TRUE(FileCreationDosDateTime(name, stamp));
    ASSERT_TRUE(TimeToDosDateTime(time(nullptr), now));
    EXPECT_EQ(stamp.date, now.date);
    std::remove(name);
    EXPECT_FALSE(FileCreationDosDateTime(name, stamp));
}

}  // namespace
