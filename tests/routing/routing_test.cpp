// The texts of refused runs, which the literal comparison does not look at.

#include "routing/routing.h"

#include <gtest/gtest.h>

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

TEST(Routing, RefusedRunsNameTheirReason) {
    const std::vector<CurvePoint> unit{{0, 1}, {1000, 1}};
    const struct {
        double Z0;
        std::vector<CurvePoint> curve;
        double T;
        const char* message;
    } cases[] = {
        {95.5, {{100, 10}, {110, 20}}, 1, "调洪起始水位Z0=95.5不在水位~面积曲线范围内"},
        // Intervals that only a descending list of levels would give hold nothing: the curve is
        // what is wrong, not the level.
        {110,
         {{120, 45}, {110, 25}, {100, 10}},
         1,
         "水位~面积曲线的水位没有逐点升高：第2点水位110低于第1点水位120，"
         "查不到调洪起始水位Z0=110处的面积"},
        {130, {{120, 45}, {110, 25}}, 1, "调洪起始水位Z0=130不在水位~面积曲线范围内"},
        {100, {{100, 0}, {110, 10}}, 1, "水位100米处面积为0，水面面积必须大于零"},
        // Refused though a later interval holds the level too.
        {105,
         {{100, 10}, {105, 20}, {105, 30}, {110, 40}},
         1,
         "水位~面积曲线第2、3点水位相同（105米），无法插值"},
        {100, unit, 1e308, "第2时段的计算结果溢出，请检查数据"},
    };
    for (const auto& c : cases) {
        CaseData d = unitReservoir({0, 0, 3e4});
        d.Z0 = c.Z0, d.curve = c.curve, d.T = c.T;
        const Expected<RoutingResult> r = route(d);
        ASSERT_FALSE(r) << c.message;
        EXPECT_EQ(describe(r.failure()), c.message);
    }
    // Nothing to route, so nothing looks the area up.
    CaseData idle = unitReservoir({1});
    idle.Z0 = 95.5;
    const Expected<RoutingResult> r = route(idle);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->records.empty());
    EXPECT_EQ(r->Zmax, 95.5);
}

} // namespace
} // namespace m4
