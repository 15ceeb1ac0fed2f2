#include "case_run.h"

#include "case/case_file.h"
#include "case/file_names.h"
#include "chart.h"
#include "common/atomic_file.h"
#include "period_csv.h"
#include "report.h"
#include "routing/routing.h"

#include <QDir>

#include <sys/stat.h>

#include <array>
#include <new>
#include <utility>

namespace m4 {
namespace {

/// The files a run writes beside the case; the CSV only when asked for.
constexpr std::array<const char*, 3> kOutputExtensions{".out", ".bmp", ".csv"};

// The report line and the bitmap caption name files with the platform's separator.
QString shownPath(const QString& folder, const QString& name) {
    return QDir::toNativeSeparators(joinPath(folder, name));
}

/// The other case files in the folder whose results have the same names as this one's: the
/// same base with ".int" in another letter case.
QStringList casesSharingResults(const QString& folder, const QString& caseFileName) {
    QStringList others;
    const QString base = baseName(caseFileName);
    constexpr int kLetters = 3; // of ".int", each in either case
    for (int upper = 0; upper < (1 << kLetters); ++upper) {
        QString extension = QStringLiteral(".int");
        for (int letter = 0; letter < kLetters; ++letter)
            if (upper & (1 << letter)) extension[letter + 1] = extension[letter + 1].toUpper();
        const QString name = base + extension;
        struct stat s {};
        if (name != caseFileName &&
            stat(QFile::encodeName(joinPath(folder, name)).constData(), &s) == 0 &&
            S_ISREG(s.st_mode))
            others << name;
    }
    return others;
}

Expected<RunOutcome> routeCaseFile(const RunRequest& request) {
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
    // An output replaces its name, never writes through it; only a case file reached through
    // an output's name could be lost.
    for (const char* extension : kOutputExtensions) {
        const QString output = joinPath(request.casePath, base + QLatin1String(extension));
        const bool written = request.writeCsv || QLatin1String(extension) != QLatin1String(".csv");
        if (written && replacingReaches(output, caseFullPath))
            return Failure{Fault::OutputIsCase, output, 0, caseFullPath};
        removeLeftovers(output);
    }

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

    SavedFiles saved{!outcome.laterFailure, false, chart.gaps,
                     casesSharingResults(request.casePath, request.caseFileName)};
    if (request.writeCsv) {
        outcome.csvPath = joinPath(request.casePath, base + QStringLiteral(".csv"));
        std::optional<Failure> failed = replaceFile(Fault::CsvNotWritten, outcome.csvPath,
                                                    periodCsv(outcome.data, outcome.result));
        saved.csv = !failed;
        if (failed && !outcome.laterFailure) outcome.laterFailure = std::move(failed);
    }
    outcome.status = runSavedStatus(base, saved);
    return outcome;
}

} // namespace

Expected<RunOutcome> runCaseFile(const RunRequest& request) {
    try {
        return routeCaseFile(request);
    } catch (const std::bad_alloc&) {
        return Failure{Fault::OutOfMemory, joinPath(request.casePath, request.caseFileName)};
    }
}

} // namespace m4
