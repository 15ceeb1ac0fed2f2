#include "text_convert.h"

#include "case_schema.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

namespace m4 {
namespace {

/// Grid row counts are 16-bit signed numbers.
constexpr double kCountMin = -32768.0;
constexpr double kCountMax = 32767.0;
/// Longest item read as a plain decimal (characters); it keeps far from the double's limits.
constexpr qsizetype kPlainItemMaxLength = 24;

/// A code unit of the text being read: UTF-16 from the window, bytes from a case file. A GBK
/// byte above 0x7F is never a digit, a sign, a point or a blank.
char16_t unitAt(QStringView text, qsizetype i) {
    return text[i].unicode();
}
char16_t unitAt(std::string_view text, qsizetype i) {
    return static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
}
qsizetype sizeOf(QStringView text) {
    return text.size();
}
qsizetype sizeOf(std::string_view text) {
    return static_cast<qsizetype>(text.size());
}
QStringView sliceOf(QStringView text, qsizetype from, qsizetype n) {
    return text.sliced(from, n);
}
std::string_view sliceOf(std::string_view text, qsizetype from, qsizetype n) {
    return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(n));
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool isExponentLetter(char16_t c) {
    return c == u'E' || c == u'e' || c == u'D' || c == u'd';
}

/// Characters of one number for from_chars; the usual short numbers need no heap.
class NumberChars {
  public:
    void push_back(char c) {
        if (size_ < kInline) {
            inline_[size_] = c;
        } else {
            if (size_ == kInline) long_.assign(inline_.data(), kInline);
            long_.push_back(c);
        }
        ++size_;
    }
    void truncate(std::size_t size) {
        if (size_ > kInline) long_.resize(size > kInline ? size : kInline);
        size_ = size;
    }
    const char* data() const { return size_ > kInline ? long_.data() : inline_.data(); }
    std::size_t size() const { return size_; }

  private:
    static constexpr std::size_t kInline = 48; ///< characters held without the heap
    std::array<char, kInline> inline_{};
    std::string long_;
    std::size_t size_ = 0;
};

/// A number scanned from the front of a text, in the form from_chars reads ("-12.5e3").
struct Scanned {
    NumberChars chars;
    bool negative = false;
    bool hasDigits = false; ///< at least one digit before the exponent
    qsizetype end = 0;      ///< where scanning stopped
    int leadingOrder = 0;   ///< decimal order of the first significant digit, roughly
    bool exponentNegative = false;
    bool exponentHuge = false; ///< more exponent digits than an int holds
    long long exponent = 0;
};

/// A position in a text being scanned; with skipBlanks, blanks and tabs are passed over
/// anywhere, as the forgiving reading of a text wants.
template <class Text> struct Cursor {
    Text text;
    bool skipBlanks;
    qsizetype at = 0;

    /// The unit at the position after any blanks to skip, or 0 at the end.
    char16_t peek() {
        if (skipBlanks)
            while (at < sizeOf(text) && isBlank(unitAt(text, at))) ++at;
        return at < sizeOf(text) ? unitAt(text, at) : 0;
    }
    /// Takes a sign; true when it is a minus.
    bool sign() {
        const char16_t c = peek();
        if (c == u'+' || c == u'-') ++at;
        return c == u'-';
    }
};

/// Sign, digits and one ".": the mantissa.
template <class Text> void scanMantissa(Cursor<Text>& in, Scanned& s) {
    s.negative = in.sign();
    if (s.negative) s.chars.push_back('-');
    bool seenPoint = false;
    bool seenSignificant = false;
    int integerDigits = 0;
    int zerosAfterPoint = 0;
    for (char16_t c = in.peek();; c = in.peek()) {
        if (isDigit(c)) {
            s.hasDigits = true;
            s.chars.push_back(static_cast<char>(c));
            seenSignificant = seenSignificant || c != u'0';
            if (!seenPoint && seenSignificant) ++integerDigits;
            if (seenPoint && !seenSignificant) ++zerosAfterPoint;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
            s.chars.push_back('.');
        } else {
            break;
        }
        ++in.at;
    }
    s.leadingOrder = integerDigits > 0 ? integerDigits : -zerosAfterPoint;
    s.end = in.at;
}

/// The exponent after the letter E or D; it counts only when digits follow the letter and sign.
template <class Text> void scanExponent(Cursor<Text> in, Scanned& s) {
    ++in.at; // the letter
    const bool negative = in.sign();
    const std::size_t mark = s.chars.size();
    s.chars.push_back('e');
    if (negative) s.chars.push_back('-');
    long long exponent = 0;
    bool huge = false;
    bool hasDigits = false;
    for (char16_t c = in.peek(); isDigit(c); c = in.peek()) {
        s.chars.push_back(static_cast<char>(c));
        const int digit = c - u'0';
        huge = huge || exponent > std::numeric_limits<int>::max() / 10;
        if (!huge) exponent = exponent * 10 + digit;
        hasDigits = true;
        ++in.at;
    }
    if (!hasDigits) {
        s.chars.truncate(mark);
        return;
    }
    s.exponent = exponent;
    s.exponentHuge = huge;
    s.exponentNegative = negative;
    s.end = in.at;
}

/// Scans sign, digits, one ".", and an exponent (E or D) that has digits.
template <class Text> Scanned scanNumber(Text text, bool skipBlanks) {
    Scanned s;
    Cursor<Text> in{text, skipBlanks};
    scanMantissa(in, s);
    if (s.hasDigits && isExponentLetter(in.peek())) scanExponent(in, s);
    return s;
}

/// The double of a scanned number; out-of-range magnitudes become infinity or zero.
double valueOf(const Scanned& s) {
    double value = 0;
    const char* first = s.chars.data();
    const char* last = first + s.chars.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: the side is the sign of the decimal order.
        const long long exponent = s.exponentHuge ? std::numeric_limits<int>::max() : s.exponent;
        const long long order = s.leadingOrder + (s.exponentNegative ? -exponent : exponent);
        const double magnitude = order > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return s.negative ? -magnitude : magnitude;
    }
    if (ec != std::errc() || ptr != last) return 0;
    return value;
}

enum class Plain { No, Zero, Digits };

/// Reads "[sign]digits[.digits]" of at most 15 significant digits into form. Such a decimal
/// survives the trip through a double unchanged, so its cell text can be written from the
/// digits themselves. Anything else (blanks, exponents, trailing text) answers No.
Plain plainDecimal(QStringView item, SignificantDigits& form) {
    if (item.size() > kPlainItemMaxLength) return Plain::No;
    qsizetype i = 0;
    const qsizetype n = item.size();
    if (i < n && (item[i] == u'-' || item[i] == u'+')) form.negative = item[i++] == u'-';
    bool seenPoint = false;
    bool anyDigit = false;
    int integerDigits = 0;   // significant digits before the point
    int zerosAfterPoint = 0; // zeros between the point and the first significant digit
    for (; i < n; ++i) {
        const char16_t c = item[i].unicode();
        if (c == u'.' && !seenPoint) {
            seenPoint = true;
        } else if (isDigit(c)) {
            anyDigit = true;
            if (form.count == 0 && c == u'0') {
                if (seenPoint) ++zerosAfterPoint;
                continue;
            }
            if (form.count == kSignificantDigits) return Plain::No;
            form.digits[static_cast<std::size_t>(form.count++)] = static_cast<char>(c);
            if (!seenPoint) ++integerDigits;
        } else {
            return Plain::No;
        }
    }
    if (!anyDigit) return Plain::No;
    if (form.count == 0) return Plain::Zero;
    while (form.digits[static_cast<std::size_t>(form.count - 1)] == '0') --form.count;
    form.exponent = integerDigits > 0 ? integerDigits - 1 : -(zerosAfterPoint + 1);
    return Plain::Digits;
}

std::optional<int> toCount(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value); // exact halves to the even neighbour
    if (rounded < kCountMin || rounded > kCountMax) return std::nullopt;
    return static_cast<int>(rounded);
}

} // namespace

double numericValue(QStringView text) {
    const Scanned s = scanNumber(text, true);
    if (!s.hasDigits) return 0;
    return valueOf(s);
}

std::optional<int> countOf(QStringView text) {
    return toCount(numericValue(text));
}

std::optional<int> rowsFromCount(int table, QStringView countText) {
    if (table == kHydrographTable) return toCount(numericValue(countText) + 1);
    return countOf(countText);
}

std::optional<QString> itemCellText(QStringView item) {
    SignificantDigits form;
    switch (plainDecimal(item, form)) {
    case Plain::Zero:
        return QStringLiteral("0");
    case Plain::Digits:
        return significantText(form, NumberForm::Plain).toString();
    case Plain::No:
        break;
    }
    const double value = numericValue(item);
    if (!std::isfinite(value)) return std::nullopt;
    return cellText(value);
}

namespace {

/// The run's reading of an item: blanks around it, then one number in full.
template <class Text> std::optional<double> strictNumber(Text item) {
    qsizetype from = 0;
    qsizetype to = sizeOf(item);
    while (from < to && isBlank(unitAt(item, from))) ++from;
    while (to > from && isBlank(unitAt(item, to - 1))) --to;
    const Text trimmed = sliceOf(item, from, to - from);
    if (sizeOf(trimmed) == 0) return 0.0;
    const Scanned s = scanNumber(trimmed, false);
    if (!s.hasDigits || s.end != sizeOf(trimmed)) return std::nullopt;
    return valueOf(s);
}

} // namespace

std::optional<double> itemNumber(QStringView item) {
    return strictNumber(item);
}

std::optional<double> itemNumber(std::string_view item) {
    // Most items are plain numbers that from_chars reads whole, with the value the scan would
    // give; the rest (a "+" or "D", blanks, signs of trouble) take the scan.
    const char* first = item.data();
    const char* last = first + item.size();
    const char* digits = first != last && *first == '-' ? first + 1 : first;
    if (digits != last && (isDigit(static_cast<unsigned char>(*digits)) || *digits == '.')) {
        double value = 0;
        const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
        if (ec == std::errc() && end == last) return value;
    }
    return strictNumber(item);
}

} // namespace m4
