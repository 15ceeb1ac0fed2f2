#include "case_run.h"

#include "case/case_file.h"
#include "case/file_names.h"
#include "chart.h"
#include "common/atomic_file.h"
#include "period_csv.h"
#include "report.h"
#include "routing/routing.h"

#include <QDir>

#include <utility>

namespace m4 {
namespace {

// The report line and the bitmap caption name files with the platform's separator.
QString shownPath(const QString& folder, const QString& name) {
    return QDir::toNativeSeparators(joinPath(folder, name));
}

} // namespace

Expected<RunOutcome> runCaseFile(const RunRequest& request) {
    const QString caseFullPath = joinPath(request.casePath, request.caseFileName);
    if (!isRunnableName(request.caseFileName))
        return Failure{Fault::BadRunName, QString(), 0, request.caseFileName};

    Expected<CaseData> data = readCaseData(caseFullPath);
    if (!data) return data.failure();
    Expected<RoutingResult> routed = route(*data);
    if (!routed) {
        Failure failure = routed.failure();
        if (failure.file.isEmpty()) failure.file = caseFullPath;
        return failure;
    }

    RunOutcome outcome;
    outcome.data = std::move(*data);
    outcome.result = std::move(*routed);
    const QString base = baseName(request.caseFileName);
    outcome.reportPath = joinPath(request.casePath, base + QStringLiteral(".out"));
    outcome.bitmapPath = joinPath(request.casePath, base + QStringLiteral(".bmp"));

    Expected<QByteArray> report = reportBytes(
        outcome.data, outcome.result, shownPath(request.casePath, base + QStringLiteral(".out")));
    if (!report) {
        Failure failure = report.failure();
        failure.file = outcome.reportPath;
        return failure;
    }
    if (std::optional<Failure> failed =
            replaceFile(Fault::ReportNotWritten, outcome.reportPath, *report))
        return *failed;

    const ChartGeometry chart = chartGeometry(
        outcome.data, outcome.result, shownPath(request.casePath, base + QStringLiteral(".bmp")));
    outcome.chart = renderChart(chart, request.chartSize);
    if (std::optional<Failure> failed = saveChartBitmap(outcome.chart, outcome.bitmapPath))
        outcome.laterFailure = std::move(failed);

    bool csvWritten = false;
    if (request.writeCsv) {
        outcome.csvPath = joinPath(request.casePath, base + QStringLiteral(".csv"));
        std::optional<Failure> failed = replaceFile(Fault::CsvNotWritten, outcome.csvPath,
                                                    periodCsv(outcome.data, outcome.result));
        csvWritten = !failed;
        if (failed && !outcome.laterFailure) outcome.laterFailure = std::move(failed);
    }
    outcome.status = runSavedStatus(base, csvWritten, chart.gaps);
    return outcome;
}

} // namespace m4
