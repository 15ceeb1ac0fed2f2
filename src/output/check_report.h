#pragma once
// What `m4 check` prints for one case: Chinese text for a reader, or one JSON object.

#include "routing/case_check.h"

#include <QByteArray>
#include <QString>

namespace m4 {

/// Several lines, each ending in a line feed: the case, its problems with their lines, the
/// error estimates, the continuity error and the held and capped periods.
QString checkText(const CaseCheck& check);

/// One JSON object on one line (no line end): file, problems (line, message), the estimates
/// (null when not computed), the volumes in m3 and the held and capped periods.
QByteArray checkJson(const CaseCheck& check);

/// "3～7、12": periods in runs, "无" when there are none.
QString periodRuns(const std::vector<int>& periods);

} // namespace m4
