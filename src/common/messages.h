#pragma once
// Texts the core gives a user besides its faults (describe() in failure.h words those).

#include <QString>

#include <vector>

namespace m4 {

/// Why the chart leaves curves out.
enum class ChartGap {
    NoPeriods,     ///< J is 0: no curve at all
    FlatLevel,     ///< the top level equals ZM: no level curve
    FlatDischarge, ///< the range of the discharges is empty: no discharge curves
};

/// The status text of a finished run: the base name of its files, with the CSV when one was
/// written, then any curves the chart could not draw.
QString runSavedStatus(const QString& base, bool withCsv = false,
                       const std::vector<ChartGap>& gaps = {});

} // namespace m4
