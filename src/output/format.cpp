#include "format.h"

#include "case/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace m4 {
namespace {

/// Blanks put in front of the text of Using; one more than the others because the NumStr text
/// already starts with its sign position.
constexpr int kWholeBlanks = 16;
/// Blanks put in front of the text of Using1..Using5.
constexpr int kDecimalBlanks = 15;

constexpr int kMinDecimals = 1;
constexpr int kMaxDecimals = 5;
/// 10^-k for k = 0..kMaxDecimals: the step of the last kept decimal.
constexpr std::array<double, kMaxDecimals + 1> kDecimalStep = {1, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5};
/// 10^k for k = 0..kMaxDecimals, each exact in a double.
constexpr std::array<double, kMaxDecimals + 1> kDecimalScale = {1, 1e1, 1e2, 1e3, 1e4, 1e5};
/// Magnitudes below this are rounded from their product with 10^k: the product stays below
/// 2^52, where every whole number and half is a double.
constexpr double kFastMagnitude = 1e9;

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
    /// Leaves out the first count characters, written as room for a carry or a sign.
    void dropFront(int count) { front_ += count; }
    std::string_view view() const {
        return std::string_view(chars_.data() + front_, static_cast<std::size_t>(size_ - front_));
    }
    char* data() { return chars_.data() + front_; }

  private:
    std::array<char, kTextRoom> chars_;
    int front_ = 0;
    int size_ = 0;
};

/// True when neighbouring doubles near a lie at least one unit of the k-th decimal apart, so
/// the shortest text of a may stand on the other side of a half than a itself.
bool coarserThanDecimal(double a, int k) {
    int exponent = 0;
    std::frexp(a, &exponent);
    return std::ldexp(1.0, exponent - kDoubleBits) > kDecimalStep[static_cast<std::size_t>(k)];
}

/// Rounds the fixed text "I[.F]" of a magnitude at k decimals, halves away from zero, and writes
/// it into the empty out with a "-" when negative and not zero after rounding.
void writeRounded(std::string_view fixed, int k, bool negative, NumberText& out) {
    std::size_t point = 0;
    while (point < fixed.size() && fixed[point] != '.') ++point;
    const std::string_view whole = fixed.substr(0, point);
    const std::string_view fraction = fixed.substr(std::min(point + 1, fixed.size()));
    const auto kept = static_cast<std::size_t>(k);
    const bool up = fraction.size() > kept && fraction[kept] >= '5';

    // Digits are laid out after two free places: one for a carry out of the top digit and
    // one for the sign.
    out.push("  ");
    out.push(whole);
    out.push('.');
    const std::string_view keptFraction = fraction.substr(0, std::min(kept, fraction.size()));
    out.push(keptFraction);
    out.pushRepeated('0', k - static_cast<int>(keptFraction.size()));

    char* const first = out.data() + 2;
    char* const last = out.data() + out.view().size();
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
    out.dropFront(static_cast<int>(begin - out.data()));
}

/// Writes the whole number r / 10^k with k decimals, and a "-" when negative and not zero.
void writeScaled(std::int64_t r, int k, bool negative, NumberText& out) {
    // Filled from the right: k decimals, the point, at least one whole digit, the sign.
    std::array<char, 32> digits;
    char* p = digits.data() + digits.size();
    const bool zero = r == 0;
    for (int i = 0; i < k; ++i, r /= 10) *--p = static_cast<char>('0' + r % 10);
    *--p = '.';
    do {
        *--p = static_cast<char>('0' + r % 10);
        r /= 10;
    } while (r != 0);
    if (negative && !zero) *--p = '-';
    out.push(std::string_view(p, static_cast<std::size_t>(digits.data() + digits.size() - p)));
}

/// x with k decimals, halves away from zero on the exact binary value.
void writeDecimals(double x, int k, NumberText& out) {
    if (!std::isfinite(x)) {
        // "inf", "-inf" or "nan": no routing result holds one, but a bad number still shows.
        out.push(significantText(x, NumberForm::Plain).view());
        return;
    }
    const double a = std::fabs(x);
    // Rounding is monotonic and whole + 1/2 is a double here, so the rounded product m = a * 10^k
    // lies on the same side of each half as the exact product, or on the half itself. Only
    // then does the exact value have to decide.
    if (a < kFastMagnitude) {
        const double m = a * kDecimalScale[static_cast<std::size_t>(k)];
        const auto whole = static_cast<std::int64_t>(m);
        const double fraction = m - static_cast<double>(whole); // exact
        if (fraction != 0.5) {
            writeScaled(fraction < 0.5 ? whole : whole + 1, k, x < 0, out);
            return;
        }
    }

    // Otherwise the shortest round-trip text decides every case but two: a text ending in a
    // 5 just past the kept decimals (a tie or a value a hair off it) and magnitudes so large
    // that doubles lie further apart than the kept decimal; those are rounded from the exact
    // expansion.
    std::array<char, kShortestRoom> shortest;
    const auto written = std::to_chars(shortest.data(), shortest.data() + shortest.size(), a,
                                       std::chars_format::fixed);
    std::string_view fixed(shortest.data(),
                           static_cast<std::size_t>(written.ptr - shortest.data()));
    int decimals = 0;
    while (decimals < static_cast<int>(fixed.size()) &&
           fixed[fixed.size() - 1 - static_cast<std::size_t>(decimals)] != '.')
        ++decimals;
    if (decimals == static_cast<int>(fixed.size())) decimals = 0;

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

/// The rightmost n characters of blanks-in-front followed by text.
void appendRight(std::string& out, std::string_view text, int blanksInFront, int n) {
    if (n <= 0) return;
    const auto length = static_cast<int>(text.size());
    if (n <= length) {
        out.append(text.substr(static_cast<std::size_t>(length - n)));
        return;
    }
    out.append(static_cast<std::size_t>(std::min(n - length, blanksInFront)), ' ');
    out.append(text);
}

QString fromAscii(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString usingText(double x, int decimals, int n) {
    std::string text;
    appendUsingDecimals(text, x, decimals, n);
    return fromAscii(text);
}

} // namespace

void appendUsing(std::string& out, double x, int n) {
    appendRight(out, significantText(std::floor(x + 0.5), NumberForm::SignPosition).view(),
                kWholeBlanks, n);
}

void appendUsingDecimals(std::string& out, double x, int decimals, int n) {
    NumberText text;
    writeDecimals(x, std::clamp(decimals, kMinDecimals, kMaxDecimals), text);
    appendRight(out, text.view(), kDecimalBlanks, n);
}

void appendNumItem(QString& out, double x) {
    const std::string_view text = significantText(x, NumberForm::SignPosition).view();
    out.append(QLatin1String(text.data(), static_cast<qsizetype>(text.size())));
    out.append(QLatin1Char(' '));
}

QString Using(double x, int n) {
    std::string text;
    appendUsing(text, x, n);
    return fromAscii(text);
}

QString Using1(double x, int n) {
    return usingText(x, 1, n);
}
QString Using2(double x, int n) {
    return usingText(x, 2, n);
}
QString Using3(double x, int n) {
    return usingText(x, 3, n);
}
QString Using4(double x, int n) {
    return usingText(x, 4, n);
}
QString Using5(double x, int n) {
    return usingText(x, 5, n);
}

QString NumStr(double x) {
    return significantText(x, NumberForm::SignPosition).toString();
}

QString NumPlain(double x) {
    return significantText(x, NumberForm::Plain).toString();
}

QString NumItem(double x) {
    QString out;
    appendNumItem(out, x);
    return out;
}

} // namespace m4
