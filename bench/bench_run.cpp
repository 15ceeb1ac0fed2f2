// A run in memory: read the case file bytes, route, build the report and encode it.

#include "bench_cases.h"

#include "case/case_file.h"
#include "case/gbk.h"
#include "output/report.h"
#include "routing/case_check.h"
#include "routing/routing.h"

#include <benchmark/benchmark.h>

namespace {

void runInMemory(benchmark::State& state, const QByteArray& bytes) {
    for (auto _ : state) {
        const auto routed = m4::bench::routedCase(state, bytes);
        if (!routed) return;
        auto report = m4::encodeGbk(
            m4::reportText(routed->first, routed->second, QStringLiteral("/tmp/bench.out")));
        benchmark::DoNotOptimize(report);
    }
}

void BM_RunTypical(benchmark::State& state) {
    runInMemory(state, m4::bench::caseBytes(m4::bench::typicalCase()));
}
BENCHMARK(BM_RunTypical)->Unit(benchmark::kMicrosecond);

void BM_RunLargest(benchmark::State& state) {
    runInMemory(state, m4::bench::caseBytes(m4::bench::largestCase()));
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
        benchmark::DoNotOptimize(m4::reportText(*data, *result, QStringLiteral("/tmp/b.out")));
}
BENCHMARK(BM_LargestReport)->Unit(benchmark::kMillisecond);

void BM_LargestEncode(benchmark::State& state) {
    const auto data =
        m4::parseCaseData(m4::bench::caseBytes(m4::bench::largestCase()), QStringLiteral("b.INT"));
    const auto result = m4::route(*data);
    const QString report = m4::reportText(*data, *result, QStringLiteral("/tmp/b.out"));
    for (auto _ : state) benchmark::DoNotOptimize(m4::encodeGbk(report));
}
BENCHMARK(BM_LargestEncode)->Unit(benchmark::kMillisecond);

// m4 check of the largest case: the line walk, the run's reader, two routings and the volumes.
void BM_CheckLargest(benchmark::State& state) {
    const QByteArray bytes = m4::bench::caseBytes(m4::bench::largestCase());
    for (auto _ : state)
        benchmark::DoNotOptimize(m4::checkCaseBytes(bytes, QStringLiteral("M-4b.INT")));
}
BENCHMARK(BM_CheckLargest)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
