#pragma once
// One run of a saved case: read, route, write <base>.out and <base>.bmp beside the case file.
// The window and the command line both call runCaseFile, so both write identical files.

#include "case/case_data.h"
#include "case/failure.h"
#include "chart.h"
#include "routing/routing_result.h"

#include <QImage>
#include <QSize>
#include <QString>

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
    QString status; ///< the status text of the run's last step
    QString chartNote; ///< why curves are missing from the chart, if they are
};

/// Route the case file and write its report (and chart, and CSV when asked). A failure writes
/// nothing: an earlier report of the case stays as it was.
Expected<RunOutcome> runCaseFile(const RunRequest& request);

} // namespace m4
