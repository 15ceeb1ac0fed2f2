// The routing engine alone, on cases already read: the typical case, the largest legal case,
// and the largest case with every state range nested in every other.

#include "bench_cases.h"

#include "case/case_file.h"
#include "routing/area.h"
#include "routing/outlets.h"
#include "routing/routing.h"

#include <benchmark/benchmark.h>

namespace {

m4::CaseData read(const m4::CaseText& text) {
    return m4::parseCaseData(m4::bench::caseBytes(text), QStringLiteral("bench.INT")).value();
}

void routeCase(benchmark::State& state, const m4::CaseData& data) {
    for (auto _ : state) {
        auto result = m4::route(data);
        if (!result) {
            state.SkipWithError("routing refused");
            return;
        }
        benchmark::DoNotOptimize(result);
    }
}

void BM_RouteTypical(benchmark::State& state) {
    routeCase(state, read(m4::bench::typicalCase()));
}
BENCHMARK(BM_RouteTypical)->Unit(benchmark::kMicrosecond);

void BM_RouteLargest(benchmark::State& state) {
    routeCase(state, read(m4::bench::largestCase()));
}
BENCHMARK(BM_RouteLargest)->Unit(benchmark::kMillisecond);

// Every state holds every level between its ends and the ranges nest: each slot of the index
// is covered by thousands of ranges, the worst case for building it.
void BM_RouteLargestNested(benchmark::State& state) {
    m4::CaseData data = read(m4::bench::largestCase());
    const double n = static_cast<double>(data.orifices.size());
    for (std::size_t i = 0; i < data.orifices.size(); ++i) {
        const double inset = 40.0 * static_cast<double>(i) / n; // m
        data.orifices[i].ZZ1 = 110 + inset;
        data.orifices[i].ZZ2 = 190 - inset;
        data.variableSpillways[i].ZZ3 = 128 + inset / 2;
        data.variableSpillways[i].ZZ4 = 188 - inset / 2;
    }
    routeCase(state, data);
}
BENCHMARK(BM_RouteLargestNested)->Unit(benchmark::kMillisecond);

// The once-a-run part: indexing the curve and the state tables.
void BM_IndexLargest(benchmark::State& state) {
    const m4::CaseData data = read(m4::bench::largestCase());
    for (auto _ : state) {
        const m4::OutletWorks outlets(data);
        m4::AreaCurve curve(data.curve);
        benchmark::DoNotOptimize(outlets.OrificeFlow(150));
        benchmark::DoNotOptimize(curve.AreaAt(150));
    }
}
BENCHMARK(BM_IndexLargest)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
