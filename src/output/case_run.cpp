#include "case_run.h"

#include "case/case_file.h"
#include "case/file_names.h"
#include "chart.h"
#include "common/atomic_file.h"
#include "report.h"
#include "routing/routing.h"

#include <QDir>

#include <charconv>
#include <utility>

namespace m4 {
namespace {

// The report line and the bitmap caption name files with the platform's separator.
QString shownPath(const QString& folder, const QString& name) {
    return QDir::toNativeSeparators(joinPath(folder, name));
}

void appendNumber(QByteArray& out, double v) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    if (ec == std::errc()) out.append(buffer, end - buffer);
}

} // namespace

QByteArray periodCsv(const RoutingResult& result) {
    QByteArray out = "period,held,level,inflow,tunnels,spillways,orifices,variable_spillways,"
                     "other,total\r\n";
    out.reserve(static_cast<qsizetype>(result.records.size()) * 80 + out.size());
    for (const PeriodRecord& r : result.records) {
        out += QByteArray::number(r.period);
        out += r.held ? ",1," : ",0,";
        appendNumber(out, r.level);
        out += ',';
        appendNumber(out, r.inflow);
        // A held period has no outlet flows: its outflow is its inflow.
        for (double flow : {r.tunnels, r.spillways, r.orifices, r.variableSpillways, r.other}) {
            out += ',';
            if (!r.held) appendNumber(out, flow);
        }
        out += ',';
        appendNumber(out, r.total);
        out += "\r\n";
    }
    return out;
}

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
    outcome.status = runSavedStatus(base, chart.gaps);
    if (std::optional<Failure> failed = saveChartBitmap(outcome.chart, outcome.bitmapPath))
        outcome.laterFailure = std::move(failed);

    if (request.writeCsv) {
        outcome.csvPath = joinPath(request.casePath, base + QStringLiteral(".csv"));
        if (std::optional<Failure> failed =
                replaceFile(Fault::CsvNotWritten, outcome.csvPath, periodCsv(outcome.result));
            failed && !outcome.laterFailure)
            outcome.laterFailure = std::move(failed);
    }
    return outcome;
}

} // namespace m4
