#include "core/DateTime.h"

#include <clocale>
#include <gtest/gtest.h>

using namespace velbrin;

TEST(Dates, FileDayNumbers)
{
    EXPECT_EQ(DateToFileDays(EncodeDateTime(1899, 12, 30)), 693594.0);
    TDateTime date = EncodeDateTime(1997, 12, 7, 4, 27, 15);
    EXPECT_EQ(FileDaysToDate(DateToFileDays(date)), date);
    EXPECT_EQ(EncodeDateTime(1970, 1, 1), kUnixEpochDay);
    // 1 January of year 1 is day 1 of the file format.
    EXPECT_DOUBLE_EQ(DateToFileDays(EncodeDateTime(1, 1, 1)), 1.0);
}

TEST(Dates, DecodeAndUnixSeconds)
{
    TDateTime date = EncodeDateTime(2026, 12, 8, 23, 59, 59);
    std::tm fields = DecodeDateTime(date);
    EXPECT_EQ(fields.tm_year, 126);
    EXPECT_EQ(fields.tm_mon, 11);
    EXPECT_EQ(fields.tm_mday, 8);
    EXPECT_EQ(fields.tm_hour, 23);
    EXPECT_EQ(fields.tm_sec, 59);
    EXPECT_EQ(fields.tm_wday, 2); // a Tuesday
    EXPECT_NEAR(UnixToDateTime(DateTimeToUnix(date)), date, 0.5 / 86400);
    EXPECT_EQ(DateTimeToUnix(EncodeDateTime(1970, 1, 2)), 86400);
}

TEST(Dates, LongDateText)
{
    std::setlocale(LC_TIME, "C");
    EXPECT_EQ(FormatLongDate(EncodeDateTime(1997, 12, 7, 4, 27, 15)), "Sunday 7 Dec 1997 , 04:27:15");
    EXPECT_EQ(FormatDuration(3725), "01:02:05");
}
