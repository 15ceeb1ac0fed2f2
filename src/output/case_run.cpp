#include "case_run.h"

#include "case/atomic_file.h"
#include "case/case_file.h"
#include "case/file_names.h"
#include "case/gbk.h"
#include "chart.h"
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

    const QString report = reportText(outcome.data, outcome.result,
                                      shownPath(request.casePath, base + QStringLiteral(".out")));
    qsizetype bad = 0;
    const std::optional<QByteArray> bytes = encodeGbk(report, &bad);
    if (!bytes)
        return Failure{Fault::ReportNotWritten, outcome.reportPath, 0,
                       QStringLiteral("字符“%1”无法用GBK编码").arg(report.mid(bad, 1))};
    if (std::optional<QString> reason = replaceFile(outcome.reportPath, *bytes))
        return Failure{Fault::ReportNotWritten, outcome.reportPath, 0, *reason};

    const ChartGeometry chart = chartGeometry(
        outcome.data, outcome.result, shownPath(request.casePath, base + QStringLiteral(".bmp")));
    outcome.chart = renderChart(chart, request.chartSize);
    if (std::optional<Failure> failed = saveChartBitmap(outcome.chart, outcome.bitmapPath))
        outcome.laterFailure = std::move(failed);

    bool csvWritten = false;
    if (request.writeCsv) {
        outcome.csvPath = joinPath(request.casePath, base + QStringLiteral(".csv"));
        const std::optional<QString> reason =
            replaceFile(outcome.csvPath, periodCsv(outcome.data, outcome.result));
        csvWritten = !reason;
        if (reason && !outcome.laterFailure)
            outcome.laterFailure = Failure{Fault::CsvNotWritten, outcome.csvPath, 0, *reason};
    }
    outcome.status = QStringLiteral("结果文件") + base +
                     (csvWritten ? QStringLiteral(".out/bmp/csv") : QStringLiteral(".out/bmp")) +
                     QStringLiteral("已存盘");
    if (!chart.missingCurves.isEmpty())
        outcome.status += QStringLiteral("（") + chart.missingCurves + QStringLiteral("）");
    return outcome;
}

} // namespace m4
