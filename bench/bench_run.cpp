// A run and its steps: in memory (read the case file bytes, route, build the report's bytes,
// draw the chart), and `m4 route` as a user starts it, program start and files included.

#include "bench_cases.h"

#include "case/case_file.h"
#include "output/chart.h"
#include "output/report.h"
#include "routing/case_check.h"
#include "routing/routing.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QSize kChartSize(m4::kDefaultChartWidthPx, m4::kDefaultChartHeightPx);

enum class Chart { Left, Drawn };

void runInMemory(benchmark::State& state, const QByteArray& bytes, Chart chart) {
    for (auto _ : state) {
        const auto routed = m4::bench::routedCase(state, bytes);
        if (!routed) return;
        auto report =
            m4::reportBytes(routed->first, routed->second, QStringLiteral("/tmp/bench.out"));
        benchmark::DoNotOptimize(report);
        if (chart == Chart::Left) continue;
        const m4::ChartGeometry geometry =
            m4::chartGeometry(routed->first, routed->second, QStringLiteral("/tmp/bench.bmp"));
        benchmark::DoNotOptimize(m4::renderChart(geometry, kChartSize));
    }
}

// The typical case read, routed and reported.
void BM_RunTypical(benchmark::State& state) {
    runInMemory(state, m4::bench::caseBytes(m4::bench::typicalCase()), Chart::Left);
}
BENCHMARK(BM_RunTypical)->Unit(benchmark::kMicrosecond);

// The largest case read, routed, reported and charted.
void BM_RunLargest(benchmark::State& state) {
    runInMemory(state, m4::bench::caseBytes(m4::bench::largestCase()), Chart::Drawn);
}
BENCHMARK(BM_RunLargest)->Unit(benchmark::kMillisecond);

// The largest case's run split into its steps.
void BM_LargestRead(benchmark::State& state) {
    const QByteArray bytes = m4::bench::caseBytes(m4::bench::largestCase());
    for (auto _ : state)
        benchmark::DoNotOptimize(m4::parseCaseData(bytes, QStringLiteral("b.INT")));
}
BENCHMARK(BM_LargestRead)->Unit(benchmark::kMillisecond);

void BM_LargestRoute(benchmark::State& state) {
    const auto data =
        m4::parseCaseData(m4::bench::caseBytes(m4::bench::largestCase()), QStringLiteral("b.INT"));
    for (auto _ : state) benchmark::DoNotOptimize(m4::route(*data));
}
BENCHMARK(BM_LargestRoute)->Unit(benchmark::kMillisecond);

void BM_LargestReport(benchmark::State& state) {
    const auto data =
        m4::parseCaseData(m4::bench::caseBytes(m4::bench::largestCase()), QStringLiteral("b.INT"));
    const auto result = m4::route(*data);
    for (auto _ : state)
        benchmark::DoNotOptimize(m4::reportBytes(*data, *result, QStringLiteral("/tmp/b.out")));
}
BENCHMARK(BM_LargestReport)->Unit(benchmark::kMillisecond);

void BM_LargestChart(benchmark::State& state) {
    const auto data =
        m4::parseCaseData(m4::bench::caseBytes(m4::bench::largestCase()), QStringLiteral("b.INT"));
    const auto result = m4::route(*data);
    for (auto _ : state) {
        const m4::ChartGeometry chart =
            m4::chartGeometry(*data, *result, QStringLiteral("/tmp/b.bmp"));
        benchmark::DoNotOptimize(m4::renderChart(chart, kChartSize));
    }
}
BENCHMARK(BM_LargestChart)->Unit(benchmark::kMillisecond);

// `m4 route` of the largest case from the start of the program to its end: reading the file,
// routing, writing the report and the bitmap.
void BM_RouteCommandLargest(benchmark::State& state) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("M-4Largest.INT")));
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(m4::bench::caseBytes(m4::bench::largestCase())) < 0)
        return state.SkipWithError("no case file");
    file.close();
    for (auto _ : state) {
        QProcess m4;
        m4.start(QStringLiteral(M4_PROGRAM), {QStringLiteral("route"), file.fileName()});
        if (!m4.waitForFinished() || m4.exitCode() != 0)
            return state.SkipWithError("m4 route failed");
    }
}
BENCHMARK(BM_RouteCommandLargest)->Unit(benchmark::kMillisecond)->UseRealTime();

// m4 check of the largest case: the line walk, the run's reader, two routings and the volumes.
void BM_CheckLargest(benchmark::State& state) {
    const QByteArray bytes = m4::bench::caseBytes(m4::bench::largestCase());
    for (auto _ : state)
        benchmark::DoNotOptimize(m4::checkCaseBytes(bytes, QStringLiteral("M-4b.INT")));
}
BENCHMARK(BM_CheckLargest)->Unit(benchmark::kMillisecond);

} // namespace
