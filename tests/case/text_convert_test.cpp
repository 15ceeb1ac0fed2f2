#include "case/text_convert.h"
#include "common/number_text.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <tuple>

using namespace m4;

TEST(NumericValue, TakesTheLongestLeadingNumberSkippingBlanksAndTabs) {
    // A letter without digits after it is not an exponent.
    const std::pair<const char16_t*, double> cases[] = {
        {u"12abc", 12},  {u"abc", 0},        {u"", 0},
        {u"1.50", 1.5},  {u".5", 0.5},       {u"+7", 7},
        {u"1.2.3", 1.2}, {u"1,5", 1},        {u"-.5e-3x", -0.0005},
        {u"-", 0},       {u"e5", 0},         {u" \t- 1 2\t. 5 e 1", -125},
        {u"1d2", 100},   {u"1.5E-2", 0.015}, {u"2e+3", 2000},
        {u"1e", 1},      {u"1e+x", 1},       {u"1e999", INFINITY},
        {u"1e-999", 0},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(numericValue(text), value) << QString::fromUtf16(text).toStdString();
    EXPECT_EQ(numericValue(u"-1e99999999999999999999"), -INFINITY);
    EXPECT_EQ(numericValue(u"0e99999999999999999999"), 0);
    // Out of a double's range, the side is the decimal order, which no zero before the first
    // significant digit nor any digit after it changes.
    EXPECT_EQ(numericValue(QString(400, u'0') + QStringLiteral("1e-330")), 0);
    EXPECT_EQ(numericValue("0.2" + QString(400, u'0') + "e310"), INFINITY);
}

TEST(Counts, RoundHalvesToEvenAndTheHydrographAddsOneFirst) {
    const std::optional<int> none;
    const std::pair<const char16_t*, std::optional<int>> counts[] = {
        {u"2.5", 2},        {u"3.5", 4},         {u"-2.5", -2},
        {u"abc", 0},        {u"32767.4", 32767}, {u"-32768", -32768},
        {u"32767.5", none}, {u"-32769", none},   {u"1e999", none},
    };
    for (const auto& [text, count] : counts)
        EXPECT_EQ(countOf(text), count) << QString::fromUtf16(text).toStdString();
    // Table 1 is the hydrograph: 3.5 rows go to 4, 2.5 rows to 2.
    const std::tuple<int, const char16_t*, std::optional<int>> rows[] = {
        {1, u"3", 4},        {1, u"2.5", 4}, {1, u"1.5", 2},       {1, u"32766", 32767},
        {1, u"32767", none}, {0, u"2.5", 2}, {6, u"32767", 32767},
    };
    for (const auto& [table, text, count] : rows)
        EXPECT_EQ(rowsFromCount(table, text), count) << QString::fromUtf16(text).toStdString();
}

TEST(NumberText, BothFormsKeepFifteenDigitsAndTakeTheExponentFormOutsideTheFixedRange) {
    // The value, its text with a sign position (NumStr) and its plain text (NumPlain, cells).
    const std::tuple<double, const char*, const char*> cases[] = {
        {3600, " 3600", "3600"},
        {0.5, " .5", "0.5"},
        {-0.25, "-.25", "-0.25"},
        {-0.0, " 0", "0"},
        {0.1 + 0.2, " .3", "0.3"},
        {1.0 / 3, " .333333333333333", "0.333333333333333"},
        {123456789012345.6, " 123456789012346", "123456789012346"},
        {-123456789012345.0, "-123456789012345", "-123456789012345"},
        {1e15, " 1E+15", "1E+15"},
        {999999999999999.9, " 1E+15", "1E+15"}, // rounds up into the exponent range
        {0.0001, " .0001", "0.0001"},
        {-1.5e-5, "-1.5E-05", "-1.5E-05"},
        {1.23e100, " 1.23E+100", "1.23E+100"},
        {-INFINITY, "-inf", "-inf"},
    };
    for (const auto& [value, signPosition, plain] : cases) {
        EXPECT_EQ(significantText(value, NumberForm::SignPosition).view(), signPosition) << value;
        EXPECT_EQ(significantText(value, NumberForm::Plain).view(), plain) << value;
    }
}

TEST(ItemNumber, WholeItemMustBeOneNumber) {
    const std::pair<const char16_t*, double> numbers[] = {
        {u"", 0},       {u"  \t", 0}, {u" 100 ", 100},      {u"1.5D3", 1500},
        {u"-.5", -0.5}, {u"7.", 7},   {u"1e999", INFINITY}, // the reader reports it as not finite
    };
    for (const auto& [item, value] : numbers) EXPECT_EQ(itemNumber(item), value);
    for (const char16_t* item : {u"12abc", u"1 2", u"- 1", u"1e", u".", u"+", u"1,5"})
        EXPECT_EQ(itemNumber(item), std::nullopt);
}

TEST(CellText, AgreesWithFifteenDigitRoundingAcrossMagnitudes) {
    // The reference is the standard library's own 15-digit general form.
    std::mt19937_64 random(4);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-320, 307);
    for (int i = 0; i < 20000; ++i) {
        double v = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 3 == 0) v = std::round(v * 1000) / 1000; // short decimals, as typed
        if (i % 2 == 0) v = -v;
        std::array<char, 64> buffer{};
        const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v,
                                       std::chars_format::general, 15);
        std::string expected(buffer.data(), end.ptr);
        for (char& c : expected)
            if (c == 'e') c = 'E';
        if (expected == "-0") expected = "0";
        ASSERT_EQ(cellText(v).toStdString(), expected) << i;
    }
}
