#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

std::string exact(double value) {
    char buffer[32];
    return std::string(buffer, format_exact(value, buffer));
}

// The exact form: the fewest digits that read back as the same double, in print's layout.
TEST(FormatExact, ShortestDigitsThatReadBack) {
    const FormatCase cases[] = {
        {19660801.0, "19660801"},
        {19660800.0, "19660800"},
        {-1e15, "-1000000000000000"},
        {1e20, "1e+20"},
        {0.1 + 0.2, "0.30000000000000004"},
        {0.3, "0.3"},
        {1.0 / 3.0, "0.3333333333333333"},
        {-0.0, "-0"},
        {1e300, "1e+300"},
        {5e-324, "5e-324"},
        {9007199254740993.0, "9007199254740992"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::quiet_NaN(), "nan"},
    };
    for (const FormatCase& c : cases) EXPECT_EQ(exact(c.value), c.text) << "value " << c.value;
}

// Over many values from every range: each reads back, and one digit fewer would not (a whole
// number is written out in full instead).
TEST(FormatExact, ReadsBackAndIsShortest) {
    uint64_t bits = 0x9e3779b97f4a7c15u;
    for (int i = 0; i < 20000; i++) {
        bits = bits * 6364136223846793005u + 1442695040888963407u;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) continue;
        std::string text = exact(value);
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
        if (text.find_first_of(".e") == std::string::npos) continue;
        int digits = 0;
        for (char c : text.substr(0, text.find('e'))) {
            digits += (c >= '1' && c <= '9') || (c == '0' && digits > 0);  // significant only
        }
        if (digits <= 1) continue;
        char shorter[400];
        std::snprintf(shorter, sizeof shorter, "%.*g", digits - 1, value);
        EXPECT_NE(std::strtod(shorter, nullptr), value) << text;
    }
}

}  // namespace
