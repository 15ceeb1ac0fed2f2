#pragma once
// Numbers written with at most 15 significant digits. The cell texts of the window, the numbers
// that the messages of a check name, and the NumStr and NumPlain texts of the report and the
// chart are all this one writing.

#include <QString>

#include <array>
#include <cstddef>
#include <string_view>

namespace m4 {

/// Significant digits a number text keeps.
inline constexpr int kSignificantDigits = 15;

enum class NumberForm {
    SignPosition, ///< a blank before a number that is not negative, no "0" before the point:
                  ///< " .5", "-.25", " 3600"
    Plain,        ///< no blank, a "0" before the point: "0.5", "-0.25", "3600"
};

/// The significant digits of a finite nonzero number, trailing zeros dropped, and the decimal
/// exponent of the first digit (1.5 has digits "15" and exponent 0, 0.05 has "5" and -2).
struct SignificantDigits {
    bool negative = false;
    std::array<char, kSignificantDigits> digits{};
    int count = 0;
    int exponent = 0;
};

/// A number text of a few ASCII characters, held in place so that writing one allocates nothing.
class ShortNumberText {
  public:
    void push(char c) {
        if (size_ < chars_.size()) chars_[size_++] = c;
    }
    void push(std::string_view text) {
        for (char c : text) push(c);
    }
    std::string_view view() const { return {chars_.data(), size_}; }
    QString toString() const {
        return QString::fromLatin1(chars_.data(), static_cast<qsizetype>(size_));
    }

  private:
    std::array<char, 32> chars_{}; ///< "-d.dddddddddddddd" and "E+308" at the most
    std::size_t size_ = 0;
};

/// x rounded to 15 significant digits, trailing zeros and a bare point dropped; the exponent
/// form (1E+15, 1.5E-05) from 1e15 up and below 1e-4; "inf", "-inf", "nan" when not finite.
ShortNumberText significantText(double x, NumberForm form);
/// The same text for digits already known.
ShortNumberText significantText(const SignificantDigits& digits, NumberForm form);

/// A number as a cell text: at most 15 significant digits, no trailing zeros, no leading blank,
/// "." as the decimal point (1.5, 0, 2); the exponent form, as in 1E+15 or 1.5E-05, only below
/// 1e-4 and from 1e15 up. Values that are not finite give "inf", "-inf" or "nan".
QString cellText(double value);

} // namespace m4
