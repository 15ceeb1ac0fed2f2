// The report text alone, for a case read and routed once outside the timed loop.

#include "bench_cases.h"

#include "case/case_file.h"
#include "output/report.h"
#include "routing/routing.h"

#include <benchmark/benchmark.h>

namespace {

void buildReport(benchmark::State& state, const m4::CaseText& text) {
    const auto routed = m4::bench::routedCase(state, m4::bench::caseBytes(text));
    if (!routed) return;
    const auto* data = &routed->first;
    const auto* result = &routed->second;
    qsizetype bytes = 0;
    for (auto _ : state) {
        auto report = m4::reportBytes(*data, *result, QStringLiteral("/tmp/bench.out"));
        bytes = report->size();
        benchmark::DoNotOptimize(report);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_ReportTypical(benchmark::State& state) {
    buildReport(state, m4::bench::typicalCase());
}
BENCHMARK(BM_ReportTypical)->Unit(benchmark::kMicrosecond);

void BM_ReportLargest(benchmark::State& state) {
    buildReport(state, m4::bench::largestCase());
}
BENCHMARK(BM_ReportLargest)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
