#include "common/util/calendar.h"

#include <gtest/gtest.h>

using namespace dn;

namespace {
Date ymd(int y, int m, int d) {
    return Date::fromYmd(y, m, d);
}
} // namespace

TEST(Calendar, Easter) {
    EXPECT_EQ(EASTER(2024), ymd(2024, 3, 31));
    EXPECT_EQ(EASTER(2025), ymd(2025, 4, 20));
    EXPECT_EQ(EASTER(ymd(2025, 12, 31)), ymd(2025, 4, 20));
    // Extremes of the computus: earliest (22 March) and latest (25 April).
    EXPECT_EQ(EASTER(2285), ymd(2285, 3, 22));
    EXPECT_EQ(EASTER(1943), ymd(1943, 4, 25));
    EXPECT_EQ(EASTER(2000), ymd(2000, 4, 23));
    EXPECT_TRUE(EASTER(Date()).isEmpty());
    EXPECT_TRUE(EASTER(0).isEmpty());
    EXPECT_TRUE(EASTER(-2024).isEmpty());
    EXPECT_TRUE(EASTER(10000).isEmpty());
    // Always a Sunday, every year of the date range.
    for (int y = 1; y <= 9999; ++y)
        ASSERT_EQ(EASTER(y).dow(), 1) << y;
}

TEST(Calendar, HolidayTable) {
    // Every fixed holiday of 2026, whatever weekday it falls on.
    const int fixed[][2] = {{1, 1},  {6, 1},  {25, 4}, {1, 5},   {2, 6},
                            {15, 8}, {1, 11}, {8, 12}, {25, 12}, {26, 12}};
    for (const auto& f : fixed)
        EXPECT_TRUE(ISFEST(ymd(2026, f[1], f[0]), false)) << f[0] << "/" << f[1];
    EXPECT_TRUE(ISFEST(ymd(2024, 4, 1), false));  // Easter Monday
    EXPECT_TRUE(ISFEST(ymd(2025, 4, 21), false)); // Easter Monday
    EXPECT_FALSE(ISFEST(ymd(2025, 4, 1), false)); // a Tuesday, not Easter Monday in 2025
    EXPECT_TRUE(ISFEST(ymd(2024, 3, 31), false)); // Easter Sunday, as a Sunday
    EXPECT_TRUE(ISFEST(ymd(2025, 6, 2), false));
    EXPECT_FALSE(ISFEST(ymd(2025, 3, 19), false)); // Wednesday
    EXPECT_FALSE(ISFEST(ymd(2025, 3, 19)));
    // A Saturday that is no holiday depends on the flag.
    EXPECT_TRUE(ISFEST(ymd(2025, 3, 22)));
    EXPECT_FALSE(ISFEST(ymd(2025, 3, 22), false));
    EXPECT_TRUE(ISFEST(ymd(2025, 3, 23), false)); // Sunday
    EXPECT_FALSE(ISFEST(ymd(2025, 12, 24), false));
    EXPECT_FALSE(ISFEST(ymd(2025, 12, 27), false)); // Saturday after St Stephen
    EXPECT_FALSE(ISFEST(Date()));
}

TEST(Calendar, NamesAndMonthLength) {
    EXPECT_EQ(CDAY(ymd(2024, 3, 31)), "Domenica");
    EXPECT_EQ(CDAY(ymd(2024, 4, 1)), "Luned\xEC");
    EXPECT_EQ(CDAY(ymd(2024, 4, 3)), "Mercoled\xEC");
    EXPECT_EQ(CDAY(ymd(2024, 4, 6)), "Sabato");
    EXPECT_EQ(CDAY(Date()), "");
    EXPECT_EQ(CMNT(ymd(2024, 1, 15)), "Gennaio");
    EXPECT_EQ(CMNT(ymd(2024, 12, 15)), "Dicembre");
    EXPECT_EQ(CMNT(Date()), "");
    EXPECT_EQ(CMNT(9), "Settembre");
    EXPECT_EQ(CMNT(0), "");
    EXPECT_FALSE(CMNT(13).has_value());
    EXPECT_FALSE(CMNT(-1).has_value());
    EXPECT_EQ(MDAYS(ymd(2000, 2, 15)), 29);
    EXPECT_EQ(MDAYS(ymd(1900, 2, 15)), 28);
    EXPECT_EQ(MDAYS(ymd(2024, 2, 1)), 29);
    EXPECT_EQ(MDAYS(ymd(2023, 4, 10)), 30);
    EXPECT_EQ(MDAYS(ymd(2023, 12, 10)), 31);
    EXPECT_EQ(MDAYS(Date()), 0);
}
