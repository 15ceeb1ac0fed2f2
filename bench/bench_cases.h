#pragma once
// Cases for the benchmarks: the typical case and the largest legal one, as case file bytes.

#include "case/case_file.h"
#include "case/case_text.h"
#include "common/gbk.h"
#include "routing/routing.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <optional>
#include <utility>

namespace m4::bench {

/// A reservoir with K curve points, J periods, g0 tunnels, h0 spillways, kk1 orifice states,
/// kk0 variable spillway states and kk2 table points; levels from 100 m to 200 m.
inline CaseText makeCase(int K, int J, int g0, int h0, int kk1, int kk0, int kk2) {
    CaseText c;
    auto num = [](double v) { return QString::number(v, 'g', 12); };
    c.fields[0] = QStringLiteral("基准水库");
    c.fields[1] = QStringLiteral("0.1%");
    c.fields[2] = QString::number(K);
    c.fields[3] = QString::number(J);
    c.fields[4] = QStringLiteral("600");
    c.fields[5] = QStringLiteral("120");
    c.fields[6] = QStringLiteral("125");
    c.fields[7] = QStringLiteral("500");
    c.fields[8] = QStringLiteral("50");
    c.fields[9] = QStringLiteral("1e9");
    c.fields[10] = QString::number(g0);
    c.fields[11] = QString::number(h0);
    c.fields[12] = QString::number(kk1);
    c.fields[13] = QString::number(kk0);
    c.fields[14] = QString::number(kk2);
    const int rows[] = {K, J + 1, g0, h0, kk1, kk0, kk2};
    for (int d = 0; d < kTableCount; ++d) c.resizeTable(d, rows[d]);
    const double span = 100.0; // m, from 100 m to 200 m
    for (int i = 0; i < K; ++i) {
        const double z = 100.0 + span * i / (K - 1);
        c.tables[0][i] = {num(z), num(2000.0 + 30.0 * (z - 100.0))};
    }
    for (int i = 0; i <= J; ++i) {
        const double x = static_cast<double>(i) / J;
        c.tables[1][i] = {num(1000.0 + 9000.0 * std::exp(-40.0 * (x - 0.3) * (x - 0.3)))};
    }
    for (int i = 0; i < g0; ++i)
        c.tables[2][i] = {QStringLiteral("8"),   QStringLiteral("9"),   num(110 + i),
                          QStringLiteral("0.9"), QStringLiteral("7"),   QStringLiteral("8"),
                          num(110.5 + i),        QStringLiteral("1500")};
    for (int i = 0; i < h0; ++i)
        c.tables[3][i] = {QStringLiteral("0.48"), num(20 + i), num(130 + i)};
    for (int i = 0; i < kk1; ++i) {
        const double lo = 110.0 + 80.0 * i / kk1;
        c.tables[4][i] = {num(lo),
                          num(lo + 80.0 / kk1 + 0.5),
                          QStringLiteral("10"),
                          QStringLiteral("4"),
                          QStringLiteral("0.85"),
                          num(100.0)};
    }
    for (int i = 0; i < kk0; ++i) {
        const double lo = 128.0 + 60.0 * i / kk0;
        c.tables[5][i] = {num(lo), num(lo + 60.0 / kk0 + 0.5), QStringLiteral("0.47"),
                          QStringLiteral("12"), num(127.0)};
    }
    for (int i = 0; i < kk2; ++i)
        c.tables[6][i] = {num(100.0 + span * i / (kk2 - 1)), num(400.0 * i / (kk2 - 1))};
    return c;
}

inline QByteArray caseBytes(const CaseText& c) {
    return encodeGbk(caseFileText(c)).value();
}

/// A case read and routed, or nullopt (with the benchmark marked as failed) when refused.
template <class State>
std::optional<std::pair<CaseData, RoutingResult>> routedCase(State& state,
                                                             const QByteArray& bytes) {
    auto data = parseCaseData(bytes, QStringLiteral("bench.INT"));
    if (!data) {
        state.SkipWithError("case refused");
        return std::nullopt;
    }
    auto result = route(*data);
    if (!result) {
        state.SkipWithError("routing refused");
        return std::nullopt;
    }
    return std::pair{std::move(*data), std::move(*result)};
}

inline CaseText typicalCase() {
    return makeCase(20, 200, 2, 2, 3, 3, 6);
}
inline CaseText largestCase() {
    return makeCase(32767, 32766, 10, 10, 32767, 32767, 32767);
}

} // namespace m4::bench
