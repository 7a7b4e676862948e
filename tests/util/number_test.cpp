#include "common/util/number.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>

using namespace dn;

TEST(Number, PlainDecimalText) {
    EXPECT_EQ(numberText(150), "150");
    EXPECT_EQ(numberText(-3), "-3");
    EXPECT_EQ(numberText(0.5), "0.5");
    EXPECT_EQ(numberText(0.1), "0.1");
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(1e20), "100000000000000000000");
    EXPECT_EQ(numberText(12345678901.0), "12345678901");
}

TEST(Number, IntegerMasks) {
    EXPECT_EQ(NSTR(1234567, 7), "1.234.567");
    EXPECT_EQ(NSTR(0, 4), "    0");
    EXPECT_EQ(ZSTR(0, 4), "     ");
    EXPECT_EQ(ZSTR(12, 4), "   12");
    EXPECT_EQ(SSTR(-1234, 4), "1.234-");
    EXPECT_EQ(SSTR(1234, 4), "1.234 ");
    EXPECT_EQ(SSTR(0, 4), "      ");
    EXPECT_EQ(SSTR(0, 4, true), "    0 ");
    EXPECT_EQ(NSTR(1234), "        1.234"); // width 10: mask 9.999.999.999
    EXPECT_EQ(NSTR(1234, 20), NSTR(1234, 10));
    EXPECT_EQ(NSTR(999999999999999.0, 15), "999.999.999.999.999");
    EXPECT_EQ(NSTR(5, 40), NSTR(5, 15));
    // Overflow fills the mask's width with "*".
    EXPECT_EQ(NSTR(12345678901.0), std::string(13, '*'));
    EXPECT_EQ(NSTR(10000, 4), "*****");
    // Rounding half away from zero; a sign before the first digit when it fits.
    EXPECT_EQ(NSTR(1234.5, 7), "    1.235");
    EXPECT_EQ(NSTR(1234.49, 7), "    1.234");
    EXPECT_EQ(NSTR(999.5, 3), "***");
    EXPECT_EQ(NSTR(-1234, 7), "   -1.234");
    EXPECT_EQ(NSTR(-1234, 4), "*****");
    EXPECT_EQ(NSTR(-0.4, 4), "    0");
}

TEST(Number, TwoDecimalMasks) {
    EXPECT_EQ(ENSTR(1234.5, 9), "    1.234,50");
    EXPECT_EQ(ENSTR(0, 4), " 0,00");
    EXPECT_EQ(EZSTR(0, 4), "     ");
    EXPECT_EQ(ENSTR(0.5), "         0,50"); // width 10: 99.999.999,99
    EXPECT_EQ(ENSTR(2.675, 4), " 2,68");    // decimal rounding, not binary
    EXPECT_EQ(ENSTR(1.005, 4), " 1,01");
    EXPECT_EQ(ENSTR(0.004, 4), " 0,00");
    EXPECT_EQ(ENSTR(99.995, 4), "*****");
    EXPECT_EQ(ENSTR(-1234.5, 9), "   -1.234,50");
    EXPECT_EQ(ESSTR(-1234.5, 9), "    1.234,50-");
    EXPECT_EQ(ESSTR(1234.5, 9), "    1.234,50 ");
    EXPECT_EQ(ESSTR(0, 4), "      ");
    EXPECT_EQ(ESSTR(0, 4, true), " 0,00 ");
    EXPECT_EQ(ENSTR(123456789.0, 9), std::string(12, '*'));
}

TEST(Number, ResultAlwaysHasTheMasksWidth) {
    const double numbers[] = {0,
                              -0.0,
                              1,
                              -1,
                              0.5,
                              -999.999,
                              1e15,
                              -1e15,
                              DBL_MAX,
                              -DBL_MAX,
                              DBL_TRUE_MIN,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN()};
    const int widths[] = {INT_MIN, -5, 0, 1, 2, 3, 4, 9, 10, 15, 16, 20, 1000, INT_MAX};
    auto maskWidth = [](int places) { return static_cast<size_t>(places + (places - 1) / 3); };
    for (const double n : numbers) {
        for (const int w : widths) {
            const int ip = w == 20 ? 10 : std::clamp(w, 1, 15);
            const int dp = w < 3 ? 1 : std::min(w - 2, 15);
            EXPECT_EQ(NSTR(n, w).size(), maskWidth(ip)) << n << " " << w;
            EXPECT_EQ(ZSTR(n, w).size(), maskWidth(ip)) << n << " " << w;
            EXPECT_EQ(SSTR(n, w).size(), maskWidth(ip) + 1) << n << " " << w;
            EXPECT_EQ(ENSTR(n, w).size(), maskWidth(dp) + 3) << n << " " << w;
            EXPECT_EQ(ESSTR(n, w, true).size(), maskWidth(dp) + 4) << n << " " << w;
        }
    }
    EXPECT_EQ(NSTR(std::numeric_limits<double>::quiet_NaN(), 4), "*****");
}
