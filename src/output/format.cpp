#include "format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace m4 {
namespace {

/// Blanks put in front of the text of Using; one more than the others because the NumStr text
/// already starts with its sign position.
constexpr int kWholeBlanks = 16;
/// Blanks put in front of the text of Using1..Using5.
constexpr int kDecimalBlanks = 15;
constexpr std::string_view kBlankRun = "                "; // at least kWholeBlanks blanks
static_assert(kBlankRun.size() >= kWholeBlanks);

constexpr int kMinDecimals = 1;
constexpr int kMaxDecimals = 5;
/// 10^-k for k = 0..kMaxDecimals: the step of the last kept decimal.
constexpr std::array<double, kMaxDecimals + 1> kDecimalStep = {1, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5};

/// NumStr keeps this many significant digits.
constexpr int kSignificantDigits = 15;
/// Decimal exponents outside this range are written in exponent form (1E+15, 1.5E-05).
constexpr int kLargestFixedExponent = kSignificantDigits - 1;
constexpr int kSmallestFixedExponent = -4;

/// Significand bits of a double, the hidden bit included.
constexpr int kDoubleBits = 53;
/// Decimals that write every double exactly (the smallest subnormal is 2^-1074).
constexpr int kExactDecimals = 1074;
/// Room for the shortest fixed text of any double (at most 2 + 340 characters).
constexpr int kShortestRoom = 400;
/// Room for the exact fixed text of any double: 309 integer digits, the point, 1074 decimals.
constexpr int kExactRoom = 1500;
/// Room for a finished number text: sign, carry digit, 309 integer digits, point, decimals.
constexpr int kTextRoom = 330;

/// A number text built in place, so the report's hot path allocates nothing per number.
class NumberText {
  public:
    void push(char c) { chars_[static_cast<std::size_t>(size_++)] = c; }
    void push(std::string_view s) {
        std::copy(s.begin(), s.end(), chars_.begin() + size_);
        size_ += static_cast<int>(s.size());
    }
    void pushRepeated(char c, int count) {
        std::fill_n(chars_.begin() + size_, count, c);
        size_ += count;
    }
    std::string_view view() const {
        return std::string_view(chars_.data(), static_cast<std::size_t>(size_));
    }
    char* data() { return chars_.data(); }

  private:
    std::array<char, kTextRoom> chars_;
    int size_ = 0;
};

/// "inf", "-inf" or "nan" for values no routing result holds, so a bad number still shows.
void writeNonFinite(double x, bool withBlank, NumberText& out) {
    if (std::isnan(x)) {
        if (withBlank) out.push(' ');
        out.push("nan");
        return;
    }
    out.push(x < 0 ? "-" : (withBlank ? " " : ""));
    out.push("inf");
}

/// True when neighbouring doubles near a lie at least one unit of the k-th decimal apart, so
/// the shortest text of a may stand on the other side of a half than a itself.
bool coarserThanDecimal(double a, int k) {
    int exponent = 0;
    std::frexp(a, &exponent);
    return std::ldexp(1.0, exponent - kDoubleBits) > kDecimalStep[static_cast<std::size_t>(k)];
}

/// Rounds the fixed text "I[.F]" of a magnitude at k decimals, halves away from zero, and writes
/// it with a "-" when negative and not zero after rounding.
void writeRounded(std::string_view fixed, int k, bool negative, NumberText& out) {
    const std::size_t point = fixed.find('.');
    const std::string_view whole = fixed.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : fixed.substr(point + 1);
    const auto kept = static_cast<std::size_t>(k);
    const bool up = fraction.size() > kept && fraction[kept] >= '5';

    // Digits are laid out after two free places: one for a carry out of the top digit and
    // one for the sign.
    NumberText body;
    body.push("  ");
    body.push(whole);
    body.push('.');
    const std::string_view keptFraction = fraction.substr(0, std::min(kept, fraction.size()));
    body.push(keptFraction);
    body.pushRepeated('0', k - static_cast<int>(keptFraction.size()));

    char* const first = body.data() + 2;
    char* last = body.data() + body.view().size();
    bool carry = up;
    for (char* p = last - 1; carry && p >= first; --p) {
        if (*p == '.') continue;
        if (*p == '9') {
            *p = '0';
        } else {
            ++*p;
            carry = false;
        }
    }
    char* begin = first;
    if (carry) *--begin = '1';
    const bool zero = std::all_of(begin, last, [](char c) { return c == '0' || c == '.'; });
    if (negative && !zero) *--begin = '-';
    out.push(std::string_view(begin, static_cast<std::size_t>(last - begin)));
}

/// x with k decimals, halves away from zero on the exact binary value. The shortest
/// round-trip text decides every case but two: a text ending in a 5 just past the kept
/// decimals (a tie or a value a hair off it) and magnitudes so large that doubles lie further
/// apart than the kept decimal; those are rounded from the exact expansion.
void writeDecimals(double x, int k, NumberText& out) {
    if (!std::isfinite(x)) {
        writeNonFinite(x, false, out);
        return;
    }
    const double a = std::fabs(x);
    std::array<char, kShortestRoom> shortest;
    const auto written = std::to_chars(shortest.data(), shortest.data() + shortest.size(), a,
                                       std::chars_format::fixed);
    std::string_view fixed(shortest.data(),
                           static_cast<std::size_t>(written.ptr - shortest.data()));
    const std::size_t point = fixed.find('.');
    const int decimals =
        point == std::string_view::npos ? 0 : static_cast<int>(fixed.size() - point - 1);

    std::array<char, kExactRoom> exact;
    const bool nearTie = decimals == k + 1 && fixed.back() == '5';
    if (written.ec != std::errc() || nearTie || (decimals <= k && coarserThanDecimal(a, k))) {
        int exponent = 0;
        std::frexp(a, &exponent);
        const int precision = std::clamp(kDoubleBits - exponent, k + 1, kExactDecimals);
        const auto expanded = std::to_chars(exact.data(), exact.data() + exact.size(), a,
                                            std::chars_format::fixed, precision);
        fixed =
            std::string_view(exact.data(), static_cast<std::size_t>(expanded.ptr - exact.data()));
    }
    writeRounded(fixed, k, x < 0, out);
}

/// NumStr (plain = false) or NumPlain (plain = true).
void writeNumber(double x, bool plain, NumberText& out) {
    if (!std::isfinite(x)) {
        writeNonFinite(x, !plain, out);
        return;
    }
    if (x == 0) {
        out.push(plain ? "0" : " 0");
        return;
    }
    if (x < 0) {
        out.push('-');
    } else if (!plain) {
        out.push(' ');
    }

    // "d.dddddddddddddde+XX": the 15 significant digits after rounding and their exponent.
    std::array<char, 32> scientific;
    const auto written =
        std::to_chars(scientific.data(), scientific.data() + scientific.size(), std::fabs(x),
                      std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view text(scientific.data(),
                                static_cast<std::size_t>(written.ptr - scientific.data()));
    const std::size_t e = text.find('e');
    std::array<char, kSignificantDigits> digits;
    digits[0] = text[0];
    std::copy(text.begin() + 2, text.begin() + static_cast<std::ptrdiff_t>(e), digits.begin() + 1);
    int count = kSignificantDigits;
    while (count > 1 && digits[static_cast<std::size_t>(count - 1)] == '0') --count;
    const std::string_view significant(digits.data(), static_cast<std::size_t>(count));

    const char* exponentText = text.data() + e + 1;
    if (*exponentText == '+') ++exponentText;
    int exponent = 0;
    std::from_chars(exponentText, text.data() + text.size(), exponent);

    if (exponent > kLargestFixedExponent || exponent < kSmallestFixedExponent) {
        out.push(significant[0]);
        if (count > 1) {
            out.push('.');
            out.push(significant.substr(1));
        }
        out.push(exponent < 0 ? "E-" : "E+");
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) out.push('0');
        std::array<char, 8> exponentDigits;
        const auto end = std::to_chars(exponentDigits.data(),
                                       exponentDigits.data() + exponentDigits.size(), magnitude);
        out.push(std::string_view(exponentDigits.data(),
                                  static_cast<std::size_t>(end.ptr - exponentDigits.data())));
    } else if (exponent >= 0) {
        const auto wholeDigits = static_cast<std::size_t>(exponent + 1);
        if (significant.size() <= wholeDigits) {
            out.push(significant);
            out.pushRepeated('0', static_cast<int>(wholeDigits - significant.size()));
        } else {
            out.push(significant.substr(0, wholeDigits));
            out.push('.');
            out.push(significant.substr(wholeDigits));
        }
    } else {
        if (plain) out.push('0');
        out.push('.');
        out.pushRepeated('0', -exponent - 1);
        out.push(significant);
    }
}

/// The rightmost n characters of blanks-in-front followed by text.
void appendRight(QString& out, std::string_view text, int blanksInFront, int n) {
    if (n <= 0) return;
    const auto length = static_cast<int>(text.size());
    if (n <= length) {
        out.append(QLatin1String(text.data() + (length - n), n));
        return;
    }
    out.append(QLatin1String(kBlankRun.data(), std::min(n - length, blanksInFront)));
    out.append(QLatin1String(text.data(), length));
}

QString fromText(const NumberText& text) {
    const std::string_view v = text.view();
    return QString::fromLatin1(v.data(), static_cast<qsizetype>(v.size()));
}

} // namespace

void appendUsing(QString& out, double x, int n) {
    NumberText text;
    writeNumber(std::floor(x + 0.5), false, text);
    appendRight(out, text.view(), kWholeBlanks, n);
}

void appendUsingDecimals(QString& out, double x, int decimals, int n) {
    NumberText text;
    writeDecimals(x, std::clamp(decimals, kMinDecimals, kMaxDecimals), text);
    appendRight(out, text.view(), kDecimalBlanks, n);
}

void appendNumItem(QString& out, double x) {
    NumberText text;
    writeNumber(x, false, text);
    text.push(' ');
    const std::string_view v = text.view();
    out.append(QLatin1String(v.data(), static_cast<qsizetype>(v.size())));
}

QString Using(double x, int n) {
    QString out;
    appendUsing(out, x, n);
    return out;
}

QString Using1(double x, int n) {
    QString out;
    appendUsingDecimals(out, x, 1, n);
    return out;
}

QString Using2(double x, int n) {
    QString out;
    appendUsingDecimals(out, x, 2, n);
    return out;
}

QString Using3(double x, int n) {
    QString out;
    appendUsingDecimals(out, x, 3, n);
    return out;
}

QString Using4(double x, int n) {
    QString out;
    appendUsingDecimals(out, x, 4, n);
    return out;
}

QString Using5(double x, int n) {
    QString out;
    appendUsingDecimals(out, x, 5, n);
    return out;
}

QString NumStr(double x) {
    NumberText text;
    writeNumber(x, false, text);
    return fromText(text);
}

QString NumPlain(double x) {
    NumberText text;
    writeNumber(x, true, text);
    return fromText(text);
}

QString NumItem(double x) {
    QString out;
    appendNumItem(out, x);
    return out;
}

} // namespace m4
