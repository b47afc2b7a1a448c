#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "output.h"

namespace {

std::string format(double value) {
    char buffer[32];
    return std::string(buffer, format_number(value, buffer));
}

struct FormatCase {
    double value;
    const char* text;
};

const FormatCase format_cases[] = {
    {0.0, "0"},
    {-0.0, "-0"},
    {1.0, "1"},
    {-1.0, "-1"},
    {2.5, "2.5"},
    {3.0, "3"},
    {999999.0, "999999"},
    {-999999.0, "-999999"},
    {999999.4, "999999"},
    {999999.7, "1e+06"},
    {1000000.0, "1e+06"},
    {-1000000.0, "-1e+06"},
    {100000.0, "100000"},
    {-100000.0, "-100000"},
    {1000005.0, "1e+06"},        // an exact tie goes to the even digit
    {1000015.0, "1.00002e+06"},  // and here the even digit is up
    {123456789.0, "1.23457e+08"},
    {0.0001, "0.0001"},
    {0.00001, "1e-05"},
    {0.1 + 0.2, "0.3"},
    {1.0 / 3.0, "0.333333"},
    {-2.0 / 3.0, "-0.666667"},
    {1e100, "1e+100"},
    {5e-324, "4.94066e-324"},
    {std::numeric_limits<double>::max(), "1.79769e+308"},
    {2147483648.0, "2.14748e+09"},
    {std::numeric_limits<double>::infinity(), "inf"},
    {-std::numeric_limits<double>::infinity(), "-inf"},
    {std::numeric_limits<double>::quiet_NaN(), "nan"},
    {-std::numeric_limits<double>::quiet_NaN(), "nan"},
};

TEST(FormatNumber, MatchesPercentG) {
    for (const FormatCase& c : format_cases) {
        EXPECT_EQ(format(c.value), c.text) << "value " << c.value;
    }
}

TEST(FormatNumber, NanFromInfinityMinusInfinity) {
    volatile double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(format(inf - inf), "nan");
}

// Integral values below a million are printed without the general formatter; every one of
// them must agree with it.
TEST(FormatNumber, IntegersAgreeWithGeneralFormat) {
    for (double v = -1000001.0; v <= 1000001.0; v += 997.0) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%g", v);
        EXPECT_EQ(format(v), expected);
    }
}

// The digit count of the integer path changes at each power of ten.
TEST(FormatNumber, PowersOfTenAgreeWithGeneralFormat) {
    for (int exponent = -7; exponent <= 22; exponent++) {
        for (double sign : {1.0, -1.0}) {
            double v = sign * std::pow(10.0, exponent);
            char expected[64];
            std::snprintf(expected, sizeof expected, "%g", v);
            EXPECT_EQ(format(v), expected) << "value " << v;
        }
    }
}

}  // namespace
