#include "text_convert.h"

#include "case_schema.h"

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
/// Significant digits of a cell text.
constexpr int kCellDigits = 15;
/// Room for "-d.dddddddddddddde-308" and more.
constexpr std::size_t kCellTextRoom = 40;

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
bool isExponentLetter(QChar c) {
    return c == u'E' || c == u'e' || c == u'D' || c == u'd';
}

/// A number scanned from the front of a text, in the form from_chars reads ("-12.5e3").
struct Scanned {
    std::string chars;
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
        std::string digits;
        for (;;) {
            skipAt();
            if (j >= n || !isDigit(text[j])) break;
            digits.push_back(static_cast<char>(text[j].unicode()));
            ++j;
        }
        if (!digits.empty()) {
            s.chars.push_back('e');
            if (expNegative) s.chars.push_back('-');
            s.chars += digits;
            s.exponentNegative = expNegative;
            for (char d : digits) {
                if (s.exponent > std::numeric_limits<int>::max() / 10) {
                    s.exponentHuge = true;
                    break;
                }
                s.exponent = s.exponent * 10 + (d - '0');
            }
            s.end = j;
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
    if (value == 0) return QStringLiteral("0"); // also for -0
    std::array<char, kCellTextRoom> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, kCellDigits);
    QString text = QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
    for (QChar& c : text)
        if (c == u'e') c = u'E';
    return text;
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
