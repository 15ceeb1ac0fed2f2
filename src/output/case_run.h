#pragma once
// One run of a saved case: read, route, write <base>.out and <base>.bmp beside the case file.
// The window and the command line both call runCaseFile, so both write identical files.

#include "case/case_data.h"
#include "chart.h"
#include "common/failure.h"
#include "routing/routing_result.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace m4 {

struct RunRequest {
    QString casePath;     ///< folder of the case file
    QString caseFileName; ///< name with extension
    QSize chartSize{kDefaultChartWidthPx, kDefaultChartHeightPx};
    bool writeCsv = false; ///< also write <base>.csv
};

struct RunOutcome {
    CaseData data;
    RoutingResult result;
    QImage chart;
    QString reportPath;
    QString bitmapPath;
    QString csvPath; ///< empty unless asked for
    /// The status text of the run's last step, with the reason when curves are missing.
    QString status;
    /// The chart or CSV could not be saved; the report was written all the same.
    std::optional<Failure> laterFailure;
};

/// Route the case file and write its report, then its chart (and CSV when asked). A failure
/// before the report is written writes nothing: an earlier report of the case stays as it was.
Expected<RunOutcome> runCaseFile(const RunRequest& request);

} // namespace m4
