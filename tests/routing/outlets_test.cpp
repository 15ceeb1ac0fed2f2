// Outlet discharges and the area lookup at the levels where their rules change.

#include "routing/area.h"
#include "routing/outlets.h"

#include <gtest/gtest.h>

#include <cmath>

namespace m4 {
namespace {

double up(double z) {
    return std::nextafter(z, 1e9);
}
double down(double z) {
    return std::nextafter(z, -1e9);
}

TEST(Outlets, TunnelsSwitchRegimeAtExactLevelsAndEachIsCappedBeforeSumming) {
    CaseData d;
    d.tunnels = {{4, 5, 100, 0.9, 4, 5, 100, 1000}};
    const double full = 100 + 1.15 * 5, h = full - 100; // the inlet fills at 105.75 m
    EXPECT_EQ(OutletWorks(d).TunnelFlow(100), 0);
    EXPECT_EQ(OutletWorks(d).TunnelFlow(full), 0.35 * 4 * std::sqrt(19.62 * (h * h * h)));
    EXPECT_EQ(OutletWorks(d).TunnelFlow(up(full)),
              0.9 * 4 * 5 * std::sqrt(19.62 * ((up(full) - 100) - 5))); // drops, no blending
    EXPECT_NEAR(OutletWorks(d).TunnelFlow(full) - OutletWorks(d).TunnelFlow(up(full)), 16.45, 0.01);

    const double one = OutletWorks(d).TunnelFlow(103);
    d.tunnels.push_back({4, 5, 100, 0.9, 4, 5, 100, 10});
    d.tunnels.push_back({4, 5, 100, 0.9, 4, 5, 100, 0});
    EXPECT_EQ(OutletWorks(d).TunnelFlow(103), one + 10);
}

TEST(Outlets, NegativeHeadsDischargeNothing) {
    CaseData d;
    d.tunnels = {{4, 1, 100, 0.9, 4, 5, 102, 1000}};  // full at 101.15 m, gate top at 107 m
    d.orifices = {{100, 110, 4, 2, 0.8, 104}};        // opening top at 106 m
    d.variableSpillways = {{100, 110, 0.4, 10, 105}}; // sill at 105 m
    const OutletWorks w(d);
    EXPECT_EQ(w.TunnelFlow(103) + w.OrificeFlow(103) + w.VariableSpillwayFlow(103), 0);
    EXPECT_GT(w.TunnelFlow(108) * w.OrificeFlow(108) * w.VariableSpillwayFlow(108), 0);
}

TEST(Outlets, StatesHoldFromLowerUpToButExcludingUpperLevelAndTheLastHoldingWins) {
    CaseData d;
    d.spillways = {{0.48, 20, 112}};
    d.orifices = {{100, 110, 4, 2, 0.8, 90}, {105, 108, 6, 2, 0.8, 90}, {106, 107, 4, 2, 0.8, 110}};
    d.variableSpillways = {{100, 110, 0.4, 10, 90}, {105, 108, 0.4, 20, 90}};
    const OutletWorks w(d);
    auto orifice = [](double bb, double z) {
        return 0.8 * bb * 2 * std::sqrt(19.62 * ((z - 90) - 2));
    };
    auto weir = [](double dd, double z) {
        return 0.4 * dd * std::sqrt(19.62 * ((z - 90) * (z - 90) * (z - 90)));
    };
    EXPECT_EQ(w.SpillwayFlow(112), 0);
    EXPECT_EQ(w.SpillwayFlow(114), 0.48 * 20 * std::sqrt(19.62 * (2.0 * 2.0 * 2.0)));
    EXPECT_EQ(w.OrificeFlow(down(100)), 0);
    EXPECT_EQ(w.OrificeFlow(100), orifice(4, 100));
    EXPECT_EQ(w.OrificeFlow(105), orifice(6, 105));
    EXPECT_EQ(w.OrificeFlow(106.5), 0); // the last holding state's opening is above water
    EXPECT_EQ(w.OrificeFlow(108), orifice(4, 108));
    EXPECT_EQ(w.OrificeFlow(110), 0);
    EXPECT_EQ(w.VariableSpillwayFlow(105), weir(20, 105));
    EXPECT_EQ(w.VariableSpillwayFlow(108), weir(10, 108));
    EXPECT_EQ(w.VariableSpillwayFlow(110), 0);
}

TEST(Outlets, DischargeTableInterpolatesFirstHoldingSegmentAndIsZeroFromItsLastLevel) {
    CaseData d;
    d.dischargeTable = {{100, 50}, {110, 150}, {105, 900}, {120, 1000}};
    const OutletWorks w(d);
    EXPECT_EQ(w.OtherFlow(down(100)), 0);
    EXPECT_EQ(w.OtherFlow(100), 50);
    EXPECT_EQ(w.OtherFlow(102.5), 75);
    EXPECT_EQ(w.OtherFlow(107), 120);
    EXPECT_EQ(w.OtherFlow(112), 900 + ((1000 - 900) / (120 - 105.0)) * (112 - 105));
    EXPECT_EQ(w.OtherFlow(120), 0);
    d.dischargeTable.resize(1);
    EXPECT_EQ(OutletWorks(d).OtherFlow(100), 0);
}

TEST(AreaCurve, InterpolatesInsideAndKeepsTheLastAreaOutside) {
    const std::vector<CurvePoint> c{{100, 10}, {110, 25}, {120, 45}};
    AreaCurve curve(c);
    for (auto [z, F] :
         {std::pair{100.0, 10.0}, {120, 45}, {110, 25}, {104, 16}, {130, 16}, {90, 16}, {115, 35}})
        EXPECT_EQ(*curve.AreaAt(z), F) << z; // neither F(K) nor extrapolated outside
    const std::vector<CurvePoint> twice{{100, 10}, {110, 20}, {100, 50}, {110, 60}};
    EXPECT_EQ(*AreaCurve(twice).AreaAt(105), 55);
}

TEST(AreaCurve, FailsWithoutAnyAreaOrOnTwoNodesOfOneLevel) {
    const std::vector<CurvePoint> descending{{120, 45}, {110, 25}, {100, 10}};
    EXPECT_EQ(describe(AreaCurve(descending).AreaAt(110).failure()),
              "调洪起始水位Z0=110不在水位~面积曲线范围内");
    const std::vector<CurvePoint> single{{100.5, 10}};
    EXPECT_EQ(AreaCurve(single).AreaAt(100.5).failure().fault, Fault::StartOutsideCurve);

    const std::vector<CurvePoint> flat{{100, 10}, {105, 20}, {105, 30}, {110, 40}};
    AreaCurve curve(flat);
    EXPECT_EQ(*curve.AreaAt(104), 18);
    EXPECT_EQ(describe(curve.AreaAt(105).failure()), // though a later interval holds 105 too
              "水位~面积曲线第2、3点水位相同（105米），无法插值");
}

} // namespace
} // namespace m4
