// Whole runs: the Runge-Kutta step, held and normal periods, the cap flag, maxima, failures.

#include "routing/routing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace m4 {
namespace {

// A reservoir of 1 (10^4 m2) at every level, with T = 10000 s: a period's level change in
// metres is close to the mean of inflow minus outflow in m3/s.
CaseData unitReservoir(std::vector<double> QL) {
    CaseData d;
    d.curve = {{0, 1}, {1000, 1}};
    d.T = 10000;
    d.QL = std::move(QL);
    d.Z0 = 100;
    d.QA = 1e9;
    return d;
}

// The same case started at period i, from the level the run reached there.
CaseData continuedAt(CaseData d, const RoutingResult& r, int i) {
    d.Z0 = r.Z[static_cast<std::size_t>(i)];
    d.QL.erase(d.QL.begin(), d.QL.begin() + i);
    return d;
}

TEST(Routing, FirstPeriodOfTheExampleCaseMatchesAHandCalculation) {
    CaseData d;
    d.curve = {{100, 10}, {110, 25}, {120, 45}};
    d.T = 600;
    d.QL = {50, 120, 200};
    d.ZM = 105, d.Z0 = 108, d.Q0 = 50, d.W = 5, d.QA = 500;
    d.tunnels = {{4, 5, 100, 0.9, 4, 5, 100, 300}};
    d.spillways = {{0.48, 20, 112}};
    d.dischargeTable = {{100, 0}, {120, 800}};

    // The example stays between 100 and 112 m: lower curve interval, no spillway flow.
    auto tunnel = [](double z) {
        const double h = z - 100;
        const double q = z <= 100 + 1.15 * 5 ? 0.35 * 4 * std::sqrt(19.62 * (h * h * h))
                                             : 0.9 * 4 * 5 * std::sqrt(19.62 * ((z - 100) - 5));
        return q > 300 ? 300 : q;
    };
    auto other = [](double z) { return 0 + ((800 - 0) / (120.0 - 100)) * (z - 100); };
    auto rate = [&](double z, double qin) {
        const double F = 10 + ((25 - 10) * (z - 100)) / (110 - 100);
        const double total = ((((tunnel(z) + 0.0) + 5) + 0) + 0) + other(z);
        return ((qin - total) / F) / 10000;
    };
    const double k1 = 600 * rate(108, 50);
    const double k2 = 600 * rate(108 + k1 / 2, (50 + 120) / 2.0);
    const double k3 = 600 * rate(108 + k2 / 2, (50 + 120) / 2.0);
    const double k4 = 600 * rate(108 + k3, 120);
    const double Zn = 108 + (k1 + 2 * k2 + 2 * k3 + k4) / 6;

    const Expected<RoutingResult> r = route(d);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Z[1], Zn);
    const PeriodRecord& p = r->records[0];
    EXPECT_FALSE(p.held || p.capSet);
    EXPECT_EQ(p.level, 107.03);
    EXPECT_EQ(p.inflow, 120);
    EXPECT_EQ(p.tunnels, 113.51);
    EXPECT_EQ(p.spillways, 0);
    EXPECT_EQ(p.other, 281.07);
    EXPECT_EQ(p.total, 399.58); // the rounded components plus W
    EXPECT_EQ(r->Q, (std::vector<double>{50, 399.58, 354.1}));
    EXPECT_EQ(r->Zmax, 108);
    EXPECT_EQ(r->Qmax, 399.58);
    EXPECT_EQ(r->QmaxPeriod, 1);
}

TEST(Routing, HeldPeriodPassesTheInflowAndTheNextStartsFromTheLowerLevel) {
    // The level falls while the inflow rises past QA: held at ZM with outflow = inflow.
    CaseData d = unitReservoir({0, 150, 100});
    d.ZM = 100, d.W = 100, d.QA = 100;
    const Expected<RoutingResult> r = route(d);
    ASSERT_TRUE(r);
    const PeriodRecord& p = r->records[0];
    EXPECT_TRUE(p.held);
    EXPECT_EQ(p.level, 100);
    EXPECT_EQ(r->Z[1], 100);
    EXPECT_EQ(p.total, 150);
    EXPECT_EQ(r->Q[1], 150);
    EXPECT_EQ(p.tunnels + p.spillways + p.orifices + p.variableSpillways + p.other, 0);
    EXPECT_EQ(r->Z[2], route(continuedAt(d, *r, 1))->Z[1]);

    // Ending exactly on ZM is a normal period.
    CaseData still = unitReservoir({5, 5});
    still.ZM = 100, still.W = 5;
    EXPECT_FALSE(route(still)->records[0].held);
}

TEST(Routing, NextPeriodStartsFromTheUnroundedLevel) {
    CaseData d = unitReservoir({0.123, 0.456, 0.789});
    d.dischargeTable = {{0, 0}, {1000, 1}};
    const Expected<RoutingResult> r = route(d);
    ASSERT_TRUE(r);
    EXPECT_NE(r->Z[1], r->records[0].level);
    EXPECT_EQ(r->Z[2], route(continuedAt(d, *r, 1))->Z[1]);
}

TEST(Routing, CapInAnyStageMarksThePeriodAndAFinalCapYieldsQAExactly) {
    // Only the stage levels near 100.5 m see the 100 m3/s band; the period ends at 100.75 m.
    CaseData d = unitReservoir({2, 0, 0});
    d.QA = 0.5;
    d.dischargeTable = {{100.4, 100}, {100.6, 100}};
    Expected<RoutingResult> r = route(d);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->records[0].capSet);
    EXPECT_EQ(r->records[0].total, 0);
    EXPECT_NEAR(r->Z[1], 100.75, 1e-9);
    EXPECT_FALSE(r->records[1].capSet);

    // Without outlets the outflow is W plus the table, cut to QA: equal in every period.
    d.dischargeTable = {{0, 0.2}, {1000, 0.2}};
    d.W = 0.1;
    d.QA = 0.25;
    r = route(d);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Q, (std::vector<double>{0, 0.25, 0.25}));
    EXPECT_TRUE(r->records[1].capSet);
    EXPECT_EQ(r->Qmax, 0.25);
    EXPECT_EQ(r->QmaxPeriod, 1); // the earliest of equal maxima

    d.Q0 = 0.7; // drives nothing but the maximum
    const Expected<RoutingResult> high = route(d);
    EXPECT_EQ(high->Z, r->Z);
    EXPECT_EQ(high->Qmax, 0.7);
    EXPECT_EQ(high->QmaxPeriod, 0);
}

TEST(Routing, DegenerateCasesFailWithTheirReason) {
    CaseData d = unitReservoir({1, 2});
    d.Z0 = 95.5;
    d.curve = {{100, 10}, {110, 20}};
    EXPECT_EQ(describe(route(d).failure()), "调洪起始水位Z0=95.5不在水位~面积曲线范围内");

    d.QL = {1}; // nothing to route, so nothing looks the area up
    const Expected<RoutingResult> idle = route(d);
    ASSERT_TRUE(idle);
    EXPECT_TRUE(idle->records.empty());
    EXPECT_EQ(idle->Zmax, 95.5);

    d = unitReservoir({1, 2});
    d.curve = {{100, 0}, {110, 10}};
    EXPECT_EQ(describe(route(d).failure()), "水位100米处面积为0，水面面积必须大于零");

    d = unitReservoir({0, 0, 3e4});
    d.T = 1e308; // the second period's level overflows
    EXPECT_EQ(describe(route(d).failure()), "第2时段的计算结果溢出，请检查数据");

    d = unitReservoir({0, 0});
    d.curve = {{90, 1}, {100, 1}, {100, 2}, {110, 2}};
    EXPECT_EQ(route(d).failure().fault, Fault::CurveZeroWidth);
}

} // namespace
} // namespace m4
