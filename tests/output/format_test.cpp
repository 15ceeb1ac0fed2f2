#include "output/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

using namespace m4;

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
        up = kept[i] == '9';
        kept[i] = up ? '0' : static_cast<char>(kept[i] + 1);
    }
    if (up) kept = "1" + kept;
    const std::size_t wholeDigits = kept.size() - static_cast<std::size_t>(k);
    kept = kept.substr(0, wholeDigits) + "." + kept.substr(wholeDigits);
    const bool zero = kept.find_first_not_of("0.") == std::string::npos;
    return (x < 0 && !zero ? "-" : "") + kept;
}

void expectMatchesReference(double x, int k) {
    // A width beyond blanks-plus-text returns all of it: 15 blanks and the text. The report's
    // widths keep the rightmost characters, and its short numbers take a quicker way there.
    QString (*const decimals[])(double, int) = {Using1, Using2, Using3, Using4, Using5};
    const QString expected = QString(15, u' ') + QString::fromStdString(referenceDecimals(x, k));
    for (int n : {1000, 15, 9, 4})
        ASSERT_EQ(decimals[k - 1](x, n).toStdString(), expected.right(n).toStdString())
            << "x = " << x << ", k = " << k;
    // Using is NumStr of the whole number, halves up, behind 16 blanks.
    for (int n : {9, 4})
        ASSERT_EQ(Using(x, n).toStdString(),
                  (QString(16, u' ') + NumStr(std::floor(x + 0.5))).right(n).toStdString())
            << "x = " << x;
}

TEST(UsingTest, FieldsKeepTheRightmostCharacters) {
    const std::pair<QString, QString> cases[] = {
        {Using(7, 4), "   7"},
        {Using(2.5, 4), "   3"},
        {Using(-2.5, 4), "  -2"}, // whole numbers: halves go up
        {Using(-0.5, 3), "  0"},
        {Using(7, 20), QString(17, u' ') + "7"},
        {Using(7, 0), ""},
        {Using2(-0.5, 9), "    -0.50"},
        {Using2(1.5, 20), QString(15, u' ') + "1.50"},
        {Using2(-0.0, 6), "  0.00"}, // a zero has no sign
        // Round2 takes halves toward plus infinity.
        {NumStr(Round2(95.125)), " 95.13"},
        {NumStr(Round2(-95.125)), "-95.12"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text.toStdString(), expected.toStdString());
}

TEST(UsingTest, AgreesWithTheExactReferenceOnAdversarialAndRandomValues) {
    for (double x : {5e-324, 2.2250738585072014e-308, 1e-300, 4.999999e-6, 5e-6, 5.000001e-6, 0.5,
                     99999.995, 999999.995, 999999.994999, 9999999.5, 99999999.5, 1e15 + 0.5,
                     4503599627370495.5, 1e20, 1.7976931348623157e308}) {
        for (int k = 1; k <= 5; ++k) {
            expectMatchesReference(x, k);
            expectMatchesReference(-x, k);
        }
    }
    std::mt19937_64 rng(20240611);
    std::uniform_int_distribution<int> decimals(1, 5);
    std::uniform_real_distribution<double> unit(0, 1);
    std::uniform_int_distribution<long long> whole(0, 10'000'000);
    for (int i = 0; i < 100'000; ++i) {
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

} // namespace
