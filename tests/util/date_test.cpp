#include "common/util/clock.h"
#include "common/util/date.h"

#include <gtest/gtest.h>

using dn::Date;

TEST(Date, TextFormsRoundTripAndRejectBadInput) {
    const Date d = Date::fromYmd(2024, 3, 5);
    EXPECT_EQ(d.toText(), "05/03/2024");
    EXPECT_EQ(d.toShortText(), "05/03/24");
    EXPECT_EQ(d.dtos(), "20240305");
    EXPECT_EQ(Date::fromText("05/03/2024"), d);
    EXPECT_EQ(Date::fromDtos("20240305"), d);
    EXPECT_TRUE(Date::fromText("31/02/2024").isEmpty());
    EXPECT_TRUE(Date::fromText("  /  /    ").isEmpty());
    EXPECT_TRUE(Date::fromText("").isEmpty());
    EXPECT_TRUE(Date::fromText("1/1/12345").isEmpty());
    EXPECT_TRUE(Date::fromDtos("        ").isEmpty());
    EXPECT_TRUE(Date::fromDtos(std::string("2024\0"
                                           "305",
                                           8))
                    .isEmpty());
    EXPECT_EQ(Date().toText(), "  /  /    ");
    EXPECT_EQ(Date().dtos(), "        ");
}

TEST(Date, TwoDigitYearsReadAs1980To2079) {
    EXPECT_EQ(Date::fromText("01/01/80").year(), 1980);
    EXPECT_EQ(Date::fromText("31/12/79").year(), 2079);
    EXPECT_EQ(Date::fromText("15/06/00").year(), 2000);
}

TEST(Date, WeekdayAndArithmetic) {
    EXPECT_EQ(Date::fromYmd(2024, 3, 31).dow(), 1); // Sunday
    EXPECT_EQ(Date::fromYmd(2026, 12, 8).dow(), 3); // Tuesday
    EXPECT_EQ(Date().dow(), 0);
    EXPECT_EQ(Date::fromYmd(2024, 2, 28).addDays(1), Date::fromYmd(2024, 2, 29));
    EXPECT_EQ(Date::fromYmd(2023, 12, 31).addDays(1), Date::fromYmd(2024, 1, 1));
    EXPECT_EQ(Date::fromYmd(2024, 1, 31).addMonths(1), Date::fromYmd(2024, 2, 29));
    EXPECT_EQ(Date::fromYmd(2024, 11, 30).addMonths(3), Date::fromYmd(2025, 2, 28));
    EXPECT_EQ(Date::fromYmd(2024, 1, 15).addMonths(-1), Date::fromYmd(2023, 12, 15));
    EXPECT_TRUE(Date().addDays(3).isEmpty());
    EXPECT_TRUE(Date::fromYmd(2024, 1, 15).addMonths(2147483647).isEmpty());
    EXPECT_TRUE(Date::fromYmd(2024, 1, 15).addMonths(-2147483647 - 1).isEmpty());
    EXPECT_LT(Date(), Date::fromYmd(1, 1, 1));
    EXPECT_EQ(Date::fromYmd(2024, 3, 1) - Date::fromYmd(2024, 2, 1), 29);
    // Every day of four centuries survives the serial round trip.
    for (int s = Date::fromYmd(1900, 1, 1).serial(); s < Date::fromYmd(2300, 1, 1).serial(); ++s) {
        const Date d = Date::fromSerial(s);
        ASSERT_EQ(Date::fromYmd(d.year(), d.month(), d.day()).serial(), s);
    }
}

TEST(Clock, FixedClockRollsOverMidnight) {
    dn::clock::setFixed(Date::fromYmd(2024, 12, 31), 23 * 3600 * 1000 + 59 * 60000 + 59000);
    EXPECT_EQ(dn::clock::timeText(), "23:59:59");
    dn::clock::advance(2000);
    EXPECT_EQ(dn::clock::today(), Date::fromYmd(2025, 1, 1));
    EXPECT_EQ(dn::clock::timeText(), "00:00:01");
    dn::clock::useSystem();
    EXPECT_FALSE(dn::clock::isFixed());
    EXPECT_FALSE(dn::clock::today().isEmpty());
}
