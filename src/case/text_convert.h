#pragma once
// How texts become numbers and numbers become cell texts.

#include "common/number_text.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <string_view>

namespace m4 {

/// The longest leading part of the text that reads as a decimal number (sign, digits, one ".",
/// exponent letter E or D with sign and digits), blanks and tabs inside it skipped; 0 when there
/// is none. "12abc" gives 12, "abc" and "" give 0. May be infinite for huge exponents.
double numericValue(QStringView text);

/// The numeric value taken to the nearest whole number, an exact half going to the even
/// neighbour, as a 16-bit signed count; nullopt when it does not fit in 16 bits or is not finite.
std::optional<int> countOf(QStringView text);

/// Data rows of table d given the text of its count field: the count, or for the hydrograph the
/// numeric value plus 1 taken to a count; nullopt when that is not a 16-bit number.
std::optional<int> rowsFromCount(int table, QStringView countText);

/// The cell text the loader makes of a case-file item, cellText(numericValue(item)), written
/// straight from the item's digits when it is a plain decimal; nullopt when not finite.
std::optional<QString> itemCellText(QStringView item);

/// An item of the case file read as a number by the run: blanks around it allowed, empty gives
/// 0, anything else must read as a number in full. nullopt when it does not.
std::optional<double> itemNumber(QStringView item);
/// The same for an item of a case file's bytes (GBK; only ASCII can read as a number).
std::optional<double> itemNumber(std::string_view item);

} // namespace m4
