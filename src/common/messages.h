#pragma once
// Texts the core gives a user besides its faults (describe() in failure.h words those).

#include <QString>
#include <QStringList>

#include <vector>

namespace m4 {

/// Why the chart leaves curves out.
enum class ChartGap {
    NoPeriods,     ///< J is 0: no curve at all
    FlatLevel,     ///< the top level equals ZM: no level curve
    FlatDischarge, ///< the range of the discharges is empty: no discharge curves
};

/// What a finished run saved.
struct SavedFiles {
    bool chart = true;
    bool csv = false;
    std::vector<ChartGap> gaps; ///< curves the saved chart could not draw
    QStringList sharedWith;     ///< other case files whose results have the same names
};

/// The status text of a finished run: the base name and the kinds of file saved, then any
/// curves the chart could not draw and the other case files whose results were replaced.
QString runSavedStatus(const QString& base, const SavedFiles& saved = {});

} // namespace m4
