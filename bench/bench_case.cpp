// Reading and writing the largest legal case: every table at 32767 rows (tunnels and spillways
// at 10), which must parse well inside a tenth of a second.

#include "bench_cases.h"

#include "case/case_file.h"

#include <benchmark/benchmark.h>

namespace {

const QString kSource = QStringLiteral("largest.INT");

void BM_ParseCaseData(benchmark::State& state) {
    const QByteArray bytes = m4::bench::caseBytes(m4::bench::largestCase());
    for (auto _ : state) {
        auto data = m4::parseCaseData(bytes, kSource);
        if (!data) state.SkipWithError("the largest case did not read");
        benchmark::DoNotOptimize(data);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_ParseCaseText(benchmark::State& state) {
    const QByteArray bytes = m4::bench::caseBytes(m4::bench::largestCase());
    for (auto _ : state) {
        auto text = m4::parseCaseText(bytes, kSource);
        if (!text) state.SkipWithError("the largest case did not load");
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_CheckAndWriteText(benchmark::State& state) {
    const m4::CaseText text = m4::bench::largestCase();
    for (auto _ : state) {
        if (m4::checkForSave(text)) state.SkipWithError("the largest case was refused");
        auto bytes = m4::encodeGbk(m4::caseFileText(text));
        benchmark::DoNotOptimize(bytes);
    }
}

} // namespace

BENCHMARK(BM_ParseCaseData)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseCaseText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckAndWriteText)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
