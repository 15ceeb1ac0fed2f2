// The chart of the largest legal case: geometry, drawing and the bitmap file.

#include "bench_cases.h"

#include "case/case_file.h"
#include "output/chart.h"
#include "routing/routing.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <optional>

namespace {

struct RoutedCase {
    m4::CaseData data;
    m4::RoutingResult result;
};

// Routing the largest case takes longer than the chart, so it is done once for all benchmarks.
const std::optional<RoutedCase>& largestRouted() {
    static const std::optional<RoutedCase> routed = []() -> std::optional<RoutedCase> {
        auto data = m4::parseCaseData(m4::bench::caseBytes(m4::bench::largestCase()),
                                      QStringLiteral("bench.INT"));
        if (!data) return std::nullopt;
        auto result = m4::route(*data);
        if (!result) return std::nullopt;
        return RoutedCase{std::move(*data), std::move(*result)};
    }();
    return routed;
}

const QSize kSize(m4::kDefaultChartWidthPx, m4::kDefaultChartHeightPx);

void BM_ChartGeometryLargest(benchmark::State& state) {
    const auto& routed = largestRouted();
    if (!routed) return state.SkipWithError("largest case refused");
    for (auto _ : state)
        benchmark::DoNotOptimize(m4::chartGeometry(routed->data, routed->result, "bench.bmp"));
}
BENCHMARK(BM_ChartGeometryLargest)->Unit(benchmark::kMillisecond);

void BM_RenderChartLargest(benchmark::State& state) {
    const auto& routed = largestRouted();
    if (!routed) return state.SkipWithError("largest case refused");
    const m4::ChartGeometry geometry = m4::chartGeometry(routed->data, routed->result, "bench.bmp");
    for (auto _ : state) benchmark::DoNotOptimize(m4::renderChart(geometry, kSize));
}
BENCHMARK(BM_RenderChartLargest)->Unit(benchmark::kMillisecond);

// What a run spends on its chart: geometry, drawing and replacing the bitmap file.
void BM_ChartToFileLargest(benchmark::State& state) {
    const auto& routed = largestRouted();
    QTemporaryDir dir;
    if (!routed || !dir.isValid()) return state.SkipWithError("no case or no folder");
    const QString path = dir.filePath("bench.bmp");
    for (auto _ : state) {
        const QImage image =
            m4::renderChart(m4::chartGeometry(routed->data, routed->result, path), kSize);
        if (m4::saveChartBitmap(image, path)) return state.SkipWithError("bitmap not saved");
    }
}
BENCHMARK(BM_ChartToFileLargest)->Unit(benchmark::kMillisecond);

} // namespace
