// The text conversions over arbitrary text and arbitrary doubles. A cell text reads back as the
// number it shows and is written the same way again, and an item's is its number's; a count is
// within half a unit of the value; the run's strict reading of an item agrees with
// the lenient one wherever it accepts the item.

#include "fuzz_check.h"

#include "case/text_convert.h"

#include <cmath>
#include <cstring>

namespace {

using m4::fuzz::check;

/// Cell texts keep 15 significant digits: half a unit in the 15th digit is at most 5e-15 of the
/// value, and reading the text back may add one more rounding.
constexpr double kCellTextTolerance = 1e-14;

void checkCellText(double value) {
    if (!std::isfinite(value)) return;
    const QString text = m4::cellText(value);
    check(!text.isEmpty() && !text.startsWith(u' ') && !text.contains(u','),
          "a cell text is one bare item", text);
    const double back = m4::numericValue(text);
    check(std::abs(back - value) <= std::abs(value) * kCellTextTolerance,
          "a cell text reads back as its number", text);
    check(m4::cellText(back) == text, "a cell text is written the same way again", text);
    const std::optional<double> strict = m4::itemNumber(text);
    check(strict.has_value() && *strict == back, "the run reads a cell text as the loader does",
          text);
}

void checkText(const QString& text) {
    const double value = m4::numericValue(text);
    check(!std::isnan(value), "a numeric value is never NaN", text);
    if (const std::optional<int> count = m4::countOf(text))
        check(std::abs(*count - value) <= 0.5, "a count is the nearest whole number", text);
    // Plain decimals are written from their digits: the same text as going through the number.
    const auto cell = std::isfinite(value) ? std::optional(m4::cellText(value)) : std::nullopt;
    check(m4::itemCellText(text) == cell, "an item's cell text is its number's", text);
    if (const std::optional<double> strict = m4::itemNumber(text)) {
        check(!std::isnan(*strict), "an item is never NaN", text);
        check(*strict == value, "the strict reading agrees with the lenient one", text);
    }
    checkCellText(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The same bytes as text (in both ways a decoded file can hold them) and as a double.
    const auto* chars = reinterpret_cast<const char*>(data);
    const auto length = static_cast<qsizetype>(size);
    checkText(QString::fromUtf8(chars, length));
    checkText(QString::fromLatin1(chars, length));
    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        checkCellText(value);
    }
    return 0;
}
