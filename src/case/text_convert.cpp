#include "text_convert.h"

#include "case_schema.h"
#include "number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace m4 {
namespace {

/// Grid row counts are 16-bit signed numbers.
constexpr double kCountMin = -32768.0;
constexpr double kCountMax = 32767.0;
/// Longest item read as a plain decimal (characters); it keeps far from the double's limits.
constexpr qsizetype kPlainItemMaxLength = 24;
/// The largest number of 15 digits that a double holds; the doubles above it would round up to
/// a text that reads back as infinity.
constexpr double kLargestCellNumber = 1.79769313486231e308;

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
bool isExponentLetter(QChar c) {
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

/// Scans sign, digits, one ".", and an exponent (E or D) that has digits. With skipBlanks,
/// blanks and tabs are passed over anywhere, as the forgiving reading of a text wants.
Scanned scanNumber(QStringView text, bool skipBlanks) {
    Scanned s;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skip = [&] {
        if (skipBlanks)
            while (i < n && isBlank(text[i])) ++i;
    };
    skip();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        s.negative = text[i] == u'-';
        ++i;
    }
    if (s.negative) s.chars.push_back('-');
    bool seenPoint = false;
    bool seenSignificant = false;
    int integerDigits = 0;
    int zerosAfterPoint = 0;
    for (;;) {
        skip();
        if (i >= n) break;
        const QChar c = text[i];
        if (isDigit(c)) {
            s.hasDigits = true;
            s.chars.push_back(static_cast<char>(c.unicode()));
            if (c != u'0') seenSignificant = true;
            if (!seenPoint && seenSignificant) ++integerDigits;
            if (seenPoint && !seenSignificant) ++zerosAfterPoint;
            ++i;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
            s.chars.push_back('.');
            ++i;
        } else {
            break;
        }
    }
    s.leadingOrder = integerDigits > 0 ? integerDigits : -zerosAfterPoint;
    s.end = i;
    if (!s.hasDigits) return s;

    // The exponent counts only when digits follow its letter and sign.
    if (i < n && isExponentLetter(text[i])) {
        qsizetype j = i + 1;
        auto skipAt = [&] {
            if (skipBlanks)
                while (j < n && isBlank(text[j])) ++j;
        };
        skipAt();
        bool expNegative = false;
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            expNegative = text[j] == u'-';
            ++j;
        }
        const std::size_t mark = s.chars.size();
        s.chars.push_back('e');
        if (expNegative) s.chars.push_back('-');
        bool hasExponentDigits = false;
        for (;;) {
            skipAt();
            if (j >= n || !isDigit(text[j])) break;
            const int digit = text[j].unicode() - u'0';
            s.chars.push_back(static_cast<char>('0' + digit));
            if (s.exponent > std::numeric_limits<int>::max() / 10)
                s.exponentHuge = true;
            else
                s.exponent = s.exponent * 10 + digit;
            hasExponentDigits = true;
            ++j;
        }
        if (hasExponentDigits) {
            s.exponentNegative = expNegative;
            s.end = j;
        } else {
            s.chars.truncate(mark);
        }
    }
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
        const QChar c = item[i];
        if (c == u'.' && !seenPoint) {
            seenPoint = true;
        } else if (isDigit(c)) {
            anyDigit = true;
            if (form.count == 0 && c == u'0') {
                if (seenPoint) ++zerosAfterPoint;
                continue;
            }
            if (form.count == kSignificantDigits) return Plain::No;
            form.digits[static_cast<std::size_t>(form.count++)] = static_cast<char>(c.unicode());
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

QString cellText(double value) {
    // The 15 digits of the largest doubles round up past the largest double; such a text would
    // read back as infinity.
    if (std::isfinite(value) && std::abs(value) > kLargestCellNumber)
        value = std::copysign(kLargestCellNumber, value);
    return significantText(value, NumberForm::Plain).toString();
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

std::optional<double> itemNumber(QStringView item) {
    qsizetype from = 0;
    qsizetype to = item.size();
    while (from < to && isBlank(item[from])) ++from;
    while (to > from && isBlank(item[to - 1])) --to;
    const QStringView trimmed = item.sliced(from, to - from);
    if (trimmed.isEmpty()) return 0.0;
    const Scanned s = scanNumber(trimmed, false);
    if (!s.hasDigits || s.end != trimmed.size()) return std::nullopt;
    return valueOf(s);
}

} // namespace m4
