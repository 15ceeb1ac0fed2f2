#include "output/format.h"

#include "qt_print.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace m4 {
namespace {

// Slow and plainly right: glibc's printf writes the exact decimal expansion of a double, and
// rounding half away from zero is then a matter of the digit after the kept ones. A double of
// at least 2^-30 has no binary digit below 2^-82, so 90 decimals hold it exactly; any double
// needs at most 1074.
constexpr std::size_t kReferenceRoom = 1500; // 309 integer digits, the point, 1100 decimals

std::string referenceDecimals(double x, int k) {
    const double a = std::fabs(x);
    const int precision = a >= 1e-9 ? 90 : 1100;
    std::string s(kReferenceRoom, '\0');
    s.resize(static_cast<std::size_t>(std::snprintf(s.data(), s.size(), "%.*f", precision, a)));
    const std::size_t point = s.find('.');
    bool up = s[point + 1 + static_cast<std::size_t>(k)] >= '5';
    std::string kept = s.substr(0, point) + s.substr(point + 1, static_cast<std::size_t>(k));
    for (std::size_t i = kept.size(); up && i-- > 0;) {
        if (kept[i] != '9') {
            ++kept[i];
            up = false;
            break;
        }
        kept[i] = '0';
    }
    if (up) kept = "1" + kept;
    const std::size_t wholeDigits = kept.size() - static_cast<std::size_t>(k);
    kept = kept.substr(0, wholeDigits) + "." + kept.substr(wholeDigits);
    const bool zero = kept.find_first_not_of("0.") == std::string::npos;
    return (x < 0 && !zero ? "-" : "") + kept;
}

QString usingK(double x, int k, int n) {
    switch (k) {
    case 1:
        return Using1(x, n);
    case 2:
        return Using2(x, n);
    case 3:
        return Using3(x, n);
    case 4:
        return Using4(x, n);
    default:
        return Using5(x, n);
    }
}

void expectMatchesReference(double x, int k) {
    // A width beyond blanks-plus-text returns all of it: 15 blanks and the text.
    const QString expected = QString(15, u' ') + QString::fromStdString(referenceDecimals(x, k));
    ASSERT_EQ(usingK(x, k, 1000), expected) << "x = " << x << ", k = " << k;
}

TEST(UsingTest, WholeNumbersRoundHalvesUpAndKeepTheRightmostCharacters) {
    EXPECT_EQ(Using(7, 4), "   7");
    EXPECT_EQ(Using(12345, 4), "2345");
    EXPECT_EQ(Using(2.5, 4), "   3");
    EXPECT_EQ(Using(-2.5, 4), "  -2");
    EXPECT_EQ(Using(-0.5, 3), "  0");
    EXPECT_EQ(Using(-0.7, 3), " -1");
    EXPECT_EQ(Using(-1234, 4), "1234");
    EXPECT_EQ(Using(7, 20), QString(17, u' ') + "7");
    EXPECT_EQ(Using(7, 0), "");
}

TEST(UsingTest, DecimalsFillTheirFieldOrLoseLeadingCharacters) {
    EXPECT_EQ(Using2(3.14159, 8), "    3.14");
    EXPECT_EQ(Using2(-0.5, 9), "    -0.50");
    EXPECT_EQ(Using2(0, 9), "     0.00");
    EXPECT_EQ(Using2(12345.678, 9), " 12345.68");
    EXPECT_EQ(Using2(1234567.891, 9), "234567.89");
    EXPECT_EQ(Using2(-123456.7, 9), "123456.70");
    EXPECT_EQ(Using2(1.5, 20), QString(15, u' ') + "1.50");
    EXPECT_EQ(Using1(0.25, 5), "  0.3");
    EXPECT_EQ(Using3(0.0625, 7), "  0.063");
    EXPECT_EQ(Using4(-0.03125, 8), " -0.0313");
    EXPECT_EQ(Using5(1.0 / 3, 9), "  0.33333");
}

TEST(UsingTest, RoundingFollowsTheExactBinaryValue) {
    EXPECT_EQ(Using2(0.125, 6), "  0.13"); // exact tie: away from zero
    EXPECT_EQ(Using2(-0.125, 6), " -0.13");
    EXPECT_EQ(Using2(1.005, 6), "  1.00"); // stored just below the half
    EXPECT_EQ(Using2(2.675, 6), "  2.67");
    EXPECT_EQ(Using2(0.025, 6), "  0.03"); // stored just above the half
    EXPECT_EQ(Using2(9.999, 6), " 10.00"); // carry through every digit
    EXPECT_EQ(Using2(-99.996, 8), " -100.00");
    EXPECT_EQ(Using1(0.96, 4), " 1.0");
    EXPECT_EQ(Using2(-0.004, 6), "  0.00"); // a zero result has no sign
    EXPECT_EQ(Using2(-0.0, 6), "  0.00");
    EXPECT_EQ(Using5(-6e-6, 9), " -0.00001");
    // Doubles this large lie 1/8 apart: the shortest text .1 hides the exact .125.
    EXPECT_EQ(Using2(562949953421312.125, 18), "562949953421312.13");
    EXPECT_EQ(Using2(std::ldexp(1.0, 60), 22), "1152921504606846976.00");
}

TEST(UsingTest, AgreesWithTheExactReferenceOnAdversarialAndRandomValues) {
    for (double x : {5e-324, 2.2250738585072014e-308, 1e-300, 4.999999e-6, 5e-6, 5.000001e-6, 0.5,
                     1e15 + 0.5, 4503599627370495.5, 1e20, 1.7976931348623157e308}) {
        for (int k = 1; k <= 5; ++k) {
            expectMatchesReference(x, k);
            expectMatchesReference(-x, k);
        }
    }
    std::mt19937_64 rng(20240611);
    std::uniform_int_distribution<int> decimals(1, 5);
    std::uniform_real_distribution<double> unit(0, 1);
    std::uniform_int_distribution<long long> whole(0, 10'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
        const int k = decimals(rng);
        double x = 0;
        switch (i % 5) {
        case 0: // a decimal half and its neighbouring doubles
            x = static_cast<double>(whole(rng) * 10 + 5) / std::pow(10.0, k + 1);
            for (int steps = static_cast<int>(rng() % 5) - 2; steps != 0;
                 steps += steps < 0 ? 1 : -1)
                x = std::nextafter(x, steps < 0 ? 0.0 : 1e30);
            break;
        case 1: // an exact binary tie: odd / 2^(k+1), scaled to large magnitudes too
            x = std::ldexp(static_cast<double>(2 * whole(rng) + 1), -(k + 1)) *
                std::ldexp(1.0, static_cast<int>(rng() % 40));
            break;
        case 2:
            x = unit(rng) * std::pow(10.0, 20 * unit(rng));
            break;
        case 3:
            x = unit(rng) * std::pow(10.0, -320 * unit(rng));
            break;
        default:
            x = static_cast<double>(whole(rng)) / 1000 + unit(rng) * 1e-9;
            break;
        }
        expectMatchesReference(rng() % 2 ? -x : x, k);
    }
}

TEST(NumberTextTest, SignPositionDigitsAndExponentForm) {
    EXPECT_EQ(NumStr(3600), " 3600");
    EXPECT_EQ(NumStr(95.13), " 95.13");
    EXPECT_EQ(NumStr(0.5), " .5");
    EXPECT_EQ(NumStr(-0.25), "-.25");
    EXPECT_EQ(NumStr(0), " 0");
    EXPECT_EQ(NumStr(-0.0), " 0");
    EXPECT_EQ(NumStr(0.05), " .05");
    EXPECT_EQ(NumStr(0.1 + 0.2), " .3");
    EXPECT_EQ(NumStr(1.0 / 3), " .333333333333333");
    EXPECT_EQ(NumStr(123456789012345.6), " 123456789012346");
    EXPECT_EQ(NumStr(999999999999999.9), " 1E+15"); // rounding reaches the exponent form
    EXPECT_EQ(NumStr(-1.5e-5), "-1.5E-05");
    EXPECT_EQ(NumStr(0.0001), " .0001");
    EXPECT_EQ(NumStr(1.23e100), " 1.23E+100");
    EXPECT_EQ(NumStr(Round2(95.125)), " 95.13");
    EXPECT_EQ(NumPlain(95.13), "95.13");
    EXPECT_EQ(NumPlain(0.5), "0.5");
    EXPECT_EQ(NumPlain(-0.25), "-0.25");
    EXPECT_EQ(NumPlain(0.05), "0.05");
    EXPECT_EQ(NumPlain(3600), "3600");
    EXPECT_EQ(NumPlain(1.5e-5), "1.5E-05");
    EXPECT_EQ(NumItem(48), " 48 ");
    EXPECT_EQ(NumItem(-0.25), "-.25 ");
}

TEST(NumberTextTest, Round2RoundsHalvesTowardPlusInfinity) {
    EXPECT_EQ(Round2(95.125), 95.13);
    EXPECT_EQ(Round2(-95.125), -95.12);
    EXPECT_EQ(Round2(0.004), 0);
}

} // namespace
} // namespace m4
