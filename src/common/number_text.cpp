#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace m4 {
namespace {

/// Decimal exponents outside this range take the exponent form.
constexpr int kLargestFixedExponent = kSignificantDigits - 1;
constexpr int kSmallestFixedExponent = -4;
/// Room for to_chars' scientific form of any double: "-d.dddddddddddddddde-308".
constexpr std::size_t kScientificRoom = 32;
/// Whole numbers below this have at most 15 digits, all of them significant.
constexpr double kWholeDigitsLimit = 1e15;
/// The largest number of 15 digits that a double holds; the doubles above it would round up to
/// a text that reads back as infinity.
constexpr double kLargestCellNumber = 1.79769313486231e308;

/// Reads to_chars' scientific form "d.ddde+XX" of a magnitude; at most 15 digits are kept.
SignificantDigits digitsOf(const char* first, const char* last, bool negative) {
    SignificantDigits d;
    d.negative = negative;
    const char* p = first;
    for (; p != last && *p != 'e'; ++p)
        if (*p != '.' && d.count < kSignificantDigits)
            d.digits[static_cast<std::size_t>(d.count++)] = *p;
    while (d.count > 1 && d.digits[static_cast<std::size_t>(d.count - 1)] == '0') --d.count;
    if (p != last) {
        ++p; // 'e'
        if (p != last && *p == '+') ++p;
        std::from_chars(p, last, d.exponent);
    }
    return d;
}

/// x rounded to 15 significant digits.
SignificantDigits roundedDigits(double x) {
    const double magnitude = std::fabs(x);
    std::array<char, kScientificRoom> buffer{};
    char* const first = buffer.data();
    char* const last = first + buffer.size();
    // The shortest digits that read back as a normal double are, when there are at most 15
    // of them, also the double rounded to 15 digits: the 15-digit decimals lie further apart
    // than the doubles. Otherwise (and for subnormals, which hold too few bits for that
    // argument) the rounding is asked for explicitly.
    auto written = std::to_chars(first, last, magnitude, std::chars_format::scientific);
    const char* const e = std::find(first, written.ptr, 'e');
    const bool shortEnough = e - first <= kSignificantDigits + 1; // digits and the point
    if (!shortEnough || !std::isnormal(magnitude))
        written = std::to_chars(first, last, magnitude, std::chars_format::scientific,
                                kSignificantDigits - 1);
    return digitsOf(first, written.ptr, x < 0);
}

void pushExponent(int exponent, ShortNumberText& out) {
    out.push(exponent < 0 ? "E-" : "E+");
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude >= 100) out.push(static_cast<char>('0' + magnitude / 100));
    out.push(static_cast<char>('0' + magnitude / 10 % 10));
    out.push(static_cast<char>('0' + magnitude % 10));
}

} // namespace

ShortNumberText significantText(const SignificantDigits& d, NumberForm form) {
    ShortNumberText out;
    const bool plain = form == NumberForm::Plain;
    if (d.negative)
        out.push('-');
    else if (!plain)
        out.push(' ');
    const std::string_view digits(d.digits.data(), static_cast<std::size_t>(d.count));
    const int x = d.exponent;
    if (x > kLargestFixedExponent || x < kSmallestFixedExponent) {
        out.push(digits[0]);
        if (digits.size() > 1) {
            out.push('.');
            out.push(digits.substr(1));
        }
        pushExponent(x, out);
    } else if (x >= 0) {
        const auto wholeDigits = static_cast<std::size_t>(x) + 1;
        for (std::size_t i = 0; i < wholeDigits; ++i) out.push(i < digits.size() ? digits[i] : '0');
        if (digits.size() > wholeDigits) {
            out.push('.');
            out.push(digits.substr(wholeDigits));
        }
    } else {
        if (plain) out.push('0');
        out.push('.');
        for (int i = -1; i > x; --i) out.push('0');
        out.push(digits);
    }
    return out;
}

ShortNumberText significantText(double x, NumberForm form) {
    const bool plain = form == NumberForm::Plain;
    if (x == 0) { // also -0
        ShortNumberText out;
        out.push(plain ? "0" : " 0");
        return out;
    }
    if (!std::isfinite(x)) {
        ShortNumberText out;
        out.push(x < 0 && !std::isnan(x) ? "-" : (plain ? "" : " "));
        out.push(std::isnan(x) ? "nan" : "inf");
        return out;
    }
    if (std::fabs(x) < kWholeDigitsLimit && x == std::trunc(x)) {
        // Period numbers and counts: the digits of the whole number, nothing to round.
        ShortNumberText out;
        if (x > 0 && !plain) out.push(' ');
        std::array<char, kScientificRoom> buffer{};
        const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                           static_cast<std::int64_t>(x));
        out.push(
            std::string_view(buffer.data(), static_cast<std::size_t>(written.ptr - buffer.data())));
        return out;
    }
    return significantText(roundedDigits(x), form);
}

QString cellText(double value) {
    // The 15 digits of the largest doubles round up past the largest double; such a text would
    // read back as infinity.
    if (std::isfinite(value) && std::abs(value) > kLargestCellNumber)
        value = std::copysign(kLargestCellNumber, value);
    return significantText(value, NumberForm::Plain).toString();
}

} // namespace m4
