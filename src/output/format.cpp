#include "format.h"

#include "common/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
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
/// 10^k for k = 0..kMaxDecimals, each exact in a double, and as whole numbers.
constexpr std::array<double, kMaxDecimals + 1> kDecimalScale = {1, 1e1, 1e2, 1e3, 1e4, 1e5};
constexpr std::array<std::uint64_t, kMaxDecimals + 1> kWholeScale = {1,    10,    100,
                                                                     1000, 10000, 100000};
/// Digits of the largest whole number written without a text of its own.
constexpr int kMaxWholeDigits = 19;
/// 10^i for i = 0..19.
constexpr std::array<std::uint64_t, kMaxWholeDigits + 1> kPowersOfTen = [] {
    std::array<std::uint64_t, kMaxWholeDigits + 1> powers{};
    powers[0] = 1;
    for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
    return powers;
}();
/// "00" "01" ... "99": two digits at a time halve the divisions.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();
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

/// The decimal digits of a whole number, at least one.
int digitCount(std::uint64_t r) {
    int count = 1;
    while (count < kMaxWholeDigits && r >= kPowersOfTen[static_cast<std::size_t>(count)]) ++count;
    return count;
}

/// Writes the last count decimal digits of r so that they end just before end, two at a time;
/// a number that fits 32 bits is divided in 32 bits, which is quicker.
template <class Whole> void writeDigitsBefore(char* end, Whole r, int count) {
    for (; count >= 2; count -= 2, r /= 100) {
        const auto pair = static_cast<std::size_t>(r % 100) * 2;
        *--end = kDigitPairs[pair + 1];
        *--end = kDigitPairs[pair];
    }
    if (count == 1) *--end = static_cast<char>('0' + r % 10);
}
void writeDigitsBefore(char* end, std::uint64_t r, int count) {
    if (r <= std::numeric_limits<std::uint32_t>::max())
        writeDigitsBefore(end, static_cast<std::uint32_t>(r), count);
    else
        writeDigitsBefore<std::uint64_t>(end, r, count);
}

/// Writes the whole number r / 10^k with k decimals (a "-" when negative and not zero) as a
/// field of n characters at out, the way writeRight lays a text out; returns the end. The
/// report's numbers go to their place this way, without a text of their own.
template <int k> char* writeScaledField(char* out, std::uint64_t r, bool negative, int n) {
    constexpr std::uint64_t kScale = kWholeScale[k];
    const bool sign = negative && r != 0;
    const int digits = std::max(digitCount(r), k + 1); // at least one before the point
    const int length = digits + 1 + (sign ? 1 : 0);
    const int field = std::min(n, length + kDecimalBlanks);
    if (field <= 0) return out;
    if (field < length) {
        // Too wide for its field: only its rightmost characters are kept.
        std::array<char, kMaxWholeDigits + 3> text;
        writeScaledField<k>(text.data(), r, negative, length);
        return std::copy(text.data() + (length - field), text.data() + length, out);
    }
    char* const end = out + field;
    const std::uint64_t whole = r / kScale;
    writeDigitsBefore(end, r - whole * kScale, k);
    end[-k - 1] = '.';
    writeDigitsBefore(end - k - 1, whole, digits - k);
    char* first = end - length;
    if (sign) *first = '-';
    while (first > out) *--first = ' ';
    return end;
}

char* writeScaledField(char* out, std::uint64_t r, int k, bool negative, int n) {
    switch (k) {
    case 1:
        return writeScaledField<1>(out, r, negative, n);
    case 2:
        return writeScaledField<2>(out, r, negative, n);
    case 3:
        return writeScaledField<3>(out, r, negative, n);
    case 4:
        return writeScaledField<4>(out, r, negative, n);
    default:
        return writeScaledField<5>(out, r, negative, n);
    }
}

// Short numbers, the report's own, are written without a loop over their digits: the eight
// decimal digits of a number below 10^8 are worked out side by side in one 64-bit word and
// stored a word at a time into a field filled with blanks beforehand.
static_assert(std::endian::native == std::endian::little,
              "digit words are laid out low byte first");

/// Digits in one word, and the numbers that have no more.
constexpr int kWordDigits = 8;
constexpr std::uint64_t kWordLimit = 100'000'000;
/// '0' in each byte of a word.
constexpr std::uint64_t kZeroBytes = 0x3030303030303030;
constexpr std::array<char, kFieldSlack> kBlankRun = [] {
    std::array<char, kFieldSlack> blanks{};
    blanks.fill(' ');
    return blanks;
}();

/// The eight digits of v < 10^8 as ASCII, the first digit in the lowest byte, leading zeros
/// included. v is split into halves of four digits (32-bit lanes), each half into two of two
/// (16-bit lanes) and each of those into single digits (bytes). A lane never reaches the next
/// one, so one multiplication divides all lanes at once: x * 10486 >> 20 is x / 100 for
/// x < 10^4, and x * 103 >> 10 is x / 10 for x < 100.
inline std::uint64_t eightDigits(std::uint32_t v) {
    std::uint64_t x = v / 10000 | std::uint64_t{v % 10000} << 32;
    std::uint64_t high = (x * 10486 >> 20) & 0x0000007f0000007f;
    x = high | (x - high * 100) << 16;
    high = (x * 103 >> 10) & 0x000f000f000f000f;
    x = high | (x - high * 10) << 8;
    return x + kZeroBytes;
}

/// The leading zeros of an eightDigits word, but not beyond the digit at index last.
int leadingZeros(std::uint64_t digits, int last) {
    const std::uint64_t values = (digits - kZeroBytes) | std::uint64_t{1} << (8 * last);
    return std::countr_zero(values) / 8;
}

void storeWord(char* at, std::uint64_t word) {
    std::memcpy(at, &word, sizeof word);
}

/// The text of r / 10^k, with k decimals, at least one whole digit and a "-" when negative,
/// right-aligned in a field of n characters at out; returns the end. Only for r < 10^8, a field
/// of at most kFieldSlack characters and a text that fits it: null otherwise.
template <int k> char* writeShortDecimals(char* out, std::uint32_t r, bool negative, int n) {
    if (n > kFieldSlack) return nullptr;
    const std::uint64_t digits = eightDigits(r);
    const int zeros = leadingZeros(digits, kWordDigits - 1 - k);
    const int significant = kWordDigits - zeros;
    if (significant + 1 + (negative ? 1 : 0) > n) return nullptr;
    char* const end = out + n;
    char* const first = end - significant - 1;
    std::memcpy(out, kBlankRun.data(), kBlankRun.size());
    // The whole digits and the decimals from the first significant digit, then the point and
    // the decimals again one place further right.
    storeWord(first, digits >> (8 * zeros));
    storeWord(end - k - 1, '.' | (digits >> (8 * (kWordDigits - k))) << 8);
    if (negative) first[-1] = '-';
    return end;
}

/// Using's field of n characters for a whole number w, |w| < 10^8, at out; null for a field wider
/// than kFieldSlack or a w outside that range.
char* writeShortWhole(char* out, double w, int n) {
    if (!(std::fabs(w) < static_cast<double>(kWordLimit)) || n <= 0 || n > kFieldSlack)
        return nullptr;
    const std::uint64_t digits = eightDigits(static_cast<std::uint32_t>(std::fabs(w)));
    const int significant = kWordDigits - leadingZeros(digits, kWordDigits - 1);
    if (n <= significant) {
        // The sign position and leading digits fall off the left of the field.
        storeWord(out, digits >> (8 * (kWordDigits - n)));
        return out + n;
    }
    char* const first = out + n - significant;
    std::memcpy(out, kBlankRun.data(), kBlankRun.size());
    storeWord(first, digits >> (8 * (kWordDigits - significant)));
    if (w < 0) first[-1] = '-';
    return out + n;
}

/// The rightmost n characters of blanks-in-front followed by text, written at out; returns the
/// end.
char* writeRight(char* out, std::string_view text, int blanksInFront, int n) {
    if (n <= 0) return out;
    const auto length = static_cast<int>(text.size());
    if (n <= length) return std::copy(text.end() - n, text.end(), out);
    out = std::fill_n(out, std::min(n - length, blanksInFront), ' ');
    return std::copy(text.begin(), text.end(), out);
}

/// x with k decimals, halves away from zero on the exact binary value, as a text; for the
/// values the fast path of writeUsingDecimals leaves.
void writeDecimals(double x, int k, NumberText& out) {
    if (!std::isfinite(x)) {
        // "inf", "-inf" or "nan": no routing result holds one, but a bad number still shows.
        out.push(significantText(x, NumberForm::Plain).view());
        return;
    }
    const double a = std::fabs(x);
    // The shortest round-trip text the shortest round-trip text decides every case but two: a text
    // ending in a 5 just past the kept decimals (a tie or a value a hair off it) and magnitudes so
    // large that doubles lie further apart than the kept decimal; those are rounded from the exact
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

/// Using1..Using5 of x in a field of n characters at out; returns the end.
char* writeDecimalsField(char* out, double x, int k, int n) {
    const double a = std::fabs(x);
    // Rounding is monotonic and whole + 1/2 is a double here, so the rounded product m = a * 10^k
    // lies on the same side of each half as the exact product, or on the half itself. Only
    // then does the exact value have to decide.
    if (a < kFastMagnitude) {
        const double m = a * kDecimalScale[static_cast<std::size_t>(k)];
        const auto whole = static_cast<std::int64_t>(m);
        const double fraction = m - static_cast<double>(whole); // exact
        if (fraction != 0.5)
            return writeScaledField(
                out, static_cast<std::uint64_t>(fraction < 0.5 ? whole : whole + 1), k, x < 0, n);
    }
    NumberText text;
    writeDecimals(x, k, text);
    return writeRight(out, text.view(), kDecimalBlanks, n);
}

/// writeDecimalsField with k decimals, quicker for the numbers of the report: magnitudes below
/// 10^(8 - k) in fields of at most kFieldSlack characters. The rounding is decided as there.
template <int k> char* writeDecimalsQuickly(char* out, double x, int n) {
    constexpr double kShortLimit = static_cast<double>(kWordLimit - 1);
    const double m = std::fabs(x) * kDecimalScale[k];
    if (m < kShortLimit) {
        const auto whole = static_cast<std::uint32_t>(m);
        const double fraction = m - static_cast<double>(whole); // exact
        if (fraction != 0.5) {
            const std::uint32_t r = whole + (fraction > 0.5 ? 1 : 0);
            if (char* end = writeShortDecimals<k>(out, r, x < 0 && r != 0, n)) return end;
        }
    }
    return writeDecimalsField(out, x, k, n);
}

/// The field of n characters that write lays out, as a text.
template <class Write> QString fieldText(int n, Write write) {
    std::string field(static_cast<std::size_t>(std::max(n, 0) + kFieldSlack), ' ');
    char* const first = field.data();
    return QString::fromLatin1(first, write(first) - first);
}

QString usingText(double x, int decimals, int n) {
    return fieldText(n, [&](char* out) { return writeUsingDecimals(out, x, decimals, n); });
}

} // namespace

char* writeUsing(char* out, double x, int n) {
    const double whole = std::floor(x + 0.5);
    if (char* end = writeShortWhole(out, whole, n)) return end;
    return writeRight(out, significantText(whole, NumberForm::SignPosition).view(), kWholeBlanks,
                      n);
}

char* writeUsing2(char* out, double x, int n) {
    return writeDecimalsQuickly<2>(out, x, n);
}

char* writeUsingDecimals(char* out, double x, int decimals, int n) {
    switch (std::clamp(decimals, kMinDecimals, kMaxDecimals)) {
    case 1:
        return writeDecimalsQuickly<1>(out, x, n);
    case 2:
        return writeDecimalsQuickly<2>(out, x, n);
    case 3:
        return writeDecimalsQuickly<3>(out, x, n);
    case 4:
        return writeDecimalsQuickly<4>(out, x, n);
    default:
        return writeDecimalsQuickly<5>(out, x, n);
    }
}

QString Using(double x, int n) {
    return fieldText(n, [&](char* out) { return writeUsing(out, x, n); });
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
    return NumStr(x) + u' ';
}

} // namespace m4
