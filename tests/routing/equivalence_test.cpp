// The indexed lookups against plain scans of the lists, on tables built to trip them up.

#include "reference_scans.h"
#include "routing/area.h"
#include "routing/interval_index.h"
#include "routing/outlets.h"
#include "routing/routing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>

namespace m4 {
namespace {

using Ends = IntervalIndex::Ends;
using Winner = IntervalIndex::Winner;
using Ranges = std::vector<IntervalIndex::Range>;

int scanWinner(const Ranges& rs, Ends ends, Winner winner, double z) {
    int found = -1;
    for (int i = 0; i < static_cast<int>(rs.size()) && !(found >= 0 && winner == Winner::First);
         ++i) {
        const auto& r = rs[static_cast<std::size_t>(i)];
        if (r.lo <= z && (ends == Ends::Closed ? z <= r.hi : z < r.hi)) found = i;
    }
    return found;
}

// Levels on a coarse grid, so that ranges share ends, nest, repeat and come reversed.
double gridLevel(std::mt19937& g) {
    return 100 + 0.5 * std::uniform_int_distribution(0, 12)(g);
}

int uniformInt(std::mt19937& g, int lo, int hi) {
    return std::uniform_int_distribution(lo, hi)(g);
}
double uniform(std::mt19937& g, double lo, double hi) {
    return std::uniform_real_distribution(lo, hi)(g);
}

// Each level exactly, one step either side of it, and levels far outside and undefined.
std::vector<double> probesAround(const std::vector<double>& levels) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> probes{-inf, inf, std::nan(""), 0, 1e6};
    for (double v : levels) {
        probes.insert(probes.end(),
                      {v, std::nextafter(v, -inf), std::nextafter(v, inf), v + 0.25, v - 0.25});
    }
    return probes;
}

TEST(IntervalIndex, AgreesWithListScanOnAdversarialRanges) {
    std::mt19937 g(11);
    for (int round = 0; round < 400; ++round) {
        Ranges rs(static_cast<std::size_t>(round % 40 == 0 ? 600 : uniformInt(g, 0, 12)));
        std::vector<double> levels;
        for (auto& r : rs) {
            r = {gridLevel(g), gridLevel(g)};
            if (round % 3 == 0) r.hi = r.lo; // many single-level ranges
            levels.insert(levels.end(), {r.lo, r.hi});
        }
        if (round % 4 == 1) {
            // Both ends ascending in list order, as tables listed by level have them.
            std::vector<double> lows, highs;
            for (const auto& r : rs)
                lows.push_back(std::min(r.lo, r.hi)), highs.push_back(std::max(r.lo, r.hi));
            std::sort(lows.begin(), lows.end());
            std::sort(highs.begin(), highs.end());
            for (std::size_t i = 0; i < rs.size(); ++i) rs[i] = {lows[i], highs[i]};
        }
        const std::vector<double> probes = probesAround(levels);
        for (auto [ends, winner] : {std::pair{Ends::Closed, Winner::Last},
                                    {Ends::HalfOpen, Winner::Last},
                                    {Ends::HalfOpen, Winner::First}}) {
            const IntervalIndex index(rs, ends, winner);
            for (double z : probes)
                ASSERT_EQ(index.find(z), scanWinner(rs, ends, winner, z))
                    << "round " << round << " z " << z;
        }
    }
}

CaseData randomCase(std::mt19937& g) {
    CaseData d;
    const bool shuffled = uniformInt(g, 0, 4) == 0;
    for (int k = uniformInt(g, 2, 7); k > 0; --k)
        d.curve.push_back({gridLevel(g), uniform(g, 1, 60)});
    if (!shuffled)
        std::sort(d.curve.begin(), d.curve.end(),
                  [](const CurvePoint& a, const CurvePoint& b) { return a.ZP < b.ZP; });
    d.T = uniform(g, 300, 3600);
    for (int j = uniformInt(g, 0, 30); j >= 0; --j) d.QL.push_back(uniform(g, 0, 1500));
    d.ZM = gridLevel(g);
    d.Z0 = d.curve[static_cast<std::size_t>(uniformInt(g, 0, 1))].ZP + uniform(g, 0, 0.4);
    d.Q0 = uniform(g, 0, 800);
    d.W = uniform(g, 0, 20);
    d.QA = uniform(g, 100, 1500);
    for (int n = uniformInt(g, 0, 3); n > 0; --n) {
        d.tunnels.push_back({uniform(g, 1, 6), uniform(g, 1, 6), gridLevel(g), uniform(g, 0.5, 1),
                             uniform(g, 1, 6), uniform(g, 1, 6), gridLevel(g), uniform(g, 0, 400)});
    }
    for (int n = uniformInt(g, 0, 3); n > 0; --n)
        d.spillways.push_back({uniform(g, 0.3, 0.5), uniform(g, 5, 30), gridLevel(g)});
    for (int n = uniformInt(g, 0, 5); n > 0; --n) {
        d.orifices.push_back({gridLevel(g), gridLevel(g), uniform(g, 1, 8), uniform(g, 0.5, 3),
                              uniform(g, 0.5, 1), gridLevel(g) - 2});
    }
    for (int n = uniformInt(g, 0, 5); n > 0; --n) {
        d.variableSpillways.push_back(
            {gridLevel(g), gridLevel(g), uniform(g, 0.3, 0.5), uniform(g, 2, 20), gridLevel(g)});
    }
    for (int n = uniformInt(g, 0, 6); n > 0; --n)
        d.dischargeTable.push_back({gridLevel(g), uniform(g, 0, 900)});
    return d;
}

TEST(Routing, AgreesBitForBitWithLiteralScansOnRandomCases) {
    std::mt19937 g(2024);
    int routed = 0;
    for (int round = 0; round < 400; ++round) {
        const CaseData d = randomCase(g);
        SCOPED_TRACE(round);

        std::vector<double> levels;
        for (const auto& p : d.curve) levels.push_back(p.ZP);
        for (const auto& t : d.tunnels)
            levels.insert(levels.end(), {t.C1, t.C1 + 1.15 * t.A1, t.C11 + t.A11});
        for (const auto& s : d.spillways) levels.push_back(s.C2);
        for (const auto& s : d.orifices) levels.insert(levels.end(), {s.ZZ1, s.ZZ2, s.VV + s.AA});
        for (const auto& s : d.variableSpillways) levels.insert(levels.end(), {s.ZZ3, s.ZZ4, s.EE});
        for (const auto& p : d.dischargeTable) levels.push_back(p.ZZ0);
        const OutletWorks outlets(d);
        AreaCurve curve(d.curve);
        std::optional<double> last;
        bool areaFailed = false;
        for (double z : probesAround(levels)) {
            if (std::isnan(z)) continue; // no run evaluates an undefined level
            EXPECT_EQ(outlets.TunnelFlow(z), ref::tunnels(d, z)) << z;
            EXPECT_EQ(outlets.SpillwayFlow(z), ref::spillways(d, z)) << z;
            EXPECT_EQ(outlets.OrificeFlow(z), ref::orifices(d, z)) << z;
            EXPECT_EQ(outlets.VariableSpillwayFlow(z), ref::variableSpillways(d, z)) << z;
            EXPECT_EQ(outlets.OtherFlow(z), ref::other(d, z)) << z;
            if (areaFailed) continue;
            const Expected<double> area = curve.AreaAt(z);
            const bool sound = ref::area(d.curve, z, last);
            ASSERT_EQ(area.ok(), sound && last.has_value()) << z;
            if (area) {
                EXPECT_EQ(*area, *last) << z;
            }
            areaFailed = !area;
        }

        const Expected<RoutingResult> got = route(d);
        const std::optional<RoutingResult> want = ref::route(d);
        ASSERT_EQ(got.ok(), want.has_value())
            << (got ? QString() : describe(got.failure())).toStdString();
        if (!want) continue;
        ++routed;
        EXPECT_EQ(std::tie(got->Z, got->Q, got->Zmax, got->Qmax, got->QmaxPeriod),
                  std::tie(want->Z, want->Q, want->Zmax, want->Qmax, want->QmaxPeriod));
        const auto fields = [](const PeriodRecord& p) {
            return std::tuple(p.period, p.held, p.level, p.inflow, p.tunnels, p.spillways,
                              p.orifices, p.variableSpillways, p.other, p.total, p.capSet);
        };
        ASSERT_EQ(got->records.size(), want->records.size());
        for (std::size_t i = 0; i < want->records.size(); ++i)
            EXPECT_EQ(fields(got->records[i]), fields(want->records[i])) << "period " << i + 1;
    }
    EXPECT_GT(routed, 300); // the comparison must mostly see whole runs, not failures
}

} // namespace
} // namespace m4
