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
    qsizetype characters = 0;
    for (auto _ : state) {
        QString report = m4::reportText(*data, *result, QStringLiteral("/tmp/bench.out"));
        characters = report.size();
        benchmark::DoNotOptimize(report);
    }
    state.counters["chars"] = static_cast<double>(characters);
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
