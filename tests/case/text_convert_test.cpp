#include "case/text_convert.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <random>
#include <string>

using namespace m4;

TEST(NumericValue, TakesTheLongestLeadingNumber) {
    EXPECT_EQ(numericValue(u"12abc"), 12);
    EXPECT_EQ(numericValue(u"abc"), 0);
    EXPECT_EQ(numericValue(u""), 0);
    EXPECT_EQ(numericValue(u"1.50"), 1.5);
    EXPECT_EQ(numericValue(u".5"), 0.5);
    EXPECT_EQ(numericValue(u"+7"), 7);
    EXPECT_EQ(numericValue(u"1.2.3"), 1.2);
    EXPECT_EQ(numericValue(u"1,5"), 1);
    EXPECT_EQ(numericValue(u"-.5e-3x"), -0.0005);
    EXPECT_EQ(numericValue(u"-"), 0);
    EXPECT_EQ(numericValue(u"e5"), 0);
}

TEST(NumericValue, SkipsBlanksAndTabsInsideTheNumber) {
    EXPECT_EQ(numericValue(u" \t- 1 2\t. 5 e 1"), -125);
    EXPECT_EQ(numericValue(u"  100"), 100);
}

TEST(NumericValue, ReadsEAndDExponents) {
    EXPECT_EQ(numericValue(u"1d2"), 100);
    EXPECT_EQ(numericValue(u"1.5E-2"), 0.015);
    EXPECT_EQ(numericValue(u"2e+3"), 2000);
    // A letter without digits is not an exponent.
    EXPECT_EQ(numericValue(u"1e"), 1);
    EXPECT_EQ(numericValue(u"1e+x"), 1);
}

TEST(NumericValue, OverflowIsInfiniteAndUnderflowIsZero) {
    EXPECT_EQ(numericValue(u"1e999"), INFINITY);
    EXPECT_EQ(numericValue(u"-1e99999999999999999999"), -INFINITY);
    EXPECT_EQ(numericValue(u"1e-999"), 0);
    EXPECT_EQ(numericValue(u"0e99999999999999999999"), 0);
}

TEST(Counts, RoundHalvesToEven) {
    EXPECT_EQ(countOf(u"2.5"), 2);
    EXPECT_EQ(countOf(u"3.5"), 4);
    EXPECT_EQ(countOf(u"-2.5"), -2);
    EXPECT_EQ(countOf(u"abc"), 0);
    EXPECT_EQ(countOf(u"32767.4"), 32767);
    EXPECT_EQ(countOf(u"-32768"), -32768);
    EXPECT_EQ(countOf(u"32767.5"), std::nullopt);
    EXPECT_EQ(countOf(u"-32769"), std::nullopt);
    EXPECT_EQ(countOf(u"1e999"), std::nullopt);
}

TEST(Counts, HydrographAddsOneBeforeRounding) {
    EXPECT_EQ(rowsFromCount(1, u"3"), 4);
    EXPECT_EQ(rowsFromCount(1, u"2.5"), 4); // 3.5 goes to 4
    EXPECT_EQ(rowsFromCount(1, u"1.5"), 2); // 2.5 goes to 2
    EXPECT_EQ(rowsFromCount(1, u"32766"), 32767);
    EXPECT_EQ(rowsFromCount(1, u"32767"), std::nullopt);
    EXPECT_EQ(rowsFromCount(0, u"2.5"), 2);
    EXPECT_EQ(rowsFromCount(6, u"32767"), 32767);
}

TEST(CellText, FifteenDigitsAndExponentFormOnlyOutsideTheFixedRange) {
    const std::pair<double, const char*> cases[] = {
        {1.5, "1.5"},
        {0, "0"},
        {-0.0, "0"},
        {2.0, "2"},
        {-112.25, "-112.25"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {0.0001, "0.0001"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},
        {999999999999999.9, "1E+15"}, // rounds up into the exponent range
        {0.000015, "1.5E-05"},
        {-1e-100, "-1E-100"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(cellText(value), text) << value;
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

TEST(CellText, ItemsGiveTheCellTextOfTheirValue) {
    // Plain decimals are written from their digits; the result must not differ from going
    // through the number.
    std::mt19937_64 random(7);
    const std::string alphabet = "0000123456789..-+ eE,x";
    for (int i = 0; i < 50000; ++i) {
        std::string item;
        const int length = 1 + static_cast<int>(random() % 20);
        for (int k = 0; k < length; ++k) item += alphabet[random() % alphabet.size()];
        const QString text = QString::fromLatin1(item);
        const double value = numericValue(text);
        const auto expected = std::isfinite(value) ? std::optional(cellText(value)) : std::nullopt;
        ASSERT_EQ(itemCellText(text), expected) << item;
    }
    for (const char* item : {"0.1", "-0.000", "100", "1000000000000000", "123456789012345.6",
                             "00012.3400", ".00001", "0.0001", "-999999999999999"}) {
        const QString text = QString::fromLatin1(item);
        EXPECT_EQ(itemCellText(text), cellText(numericValue(text))) << item;
    }
    EXPECT_EQ(itemCellText(u"00012.3400"), "12.34");
    EXPECT_EQ(itemCellText(u"1e999"), std::nullopt);
}
