#include "outlets.h"

#include <cmath>
#include <vector>

namespace m4 {
namespace {

// The formulas use these exactly as written: 19.62 is not recomputed as 2 * 9.81.
constexpr double kTwoG = 19.62;               ///< twice the gravity acceleration, m/s2
constexpr double kFreeFlowRatio = 1.15;       ///< head over inlet height where a tunnel fills
constexpr double kFreeFlowCoefficient = 0.35; ///< discharge coefficient of a free tunnel inlet

// A head below the discharging edge would put a negative number under the square root. Water
// below the sill or the top of the gate opening cannot pass that way, so such an outlet
// discharges nothing instead of giving NaN.

/// Weir flow over a crest with head h: sqrt(2g * h^3), the cube as a product.
double weirRoot(double h) {
    return std::sqrt(kTwoG * (h * h * h));
}

double tunnelFlow(const Tunnel& t, double Z) {
    double q = 0;
    if (Z <= t.C1) {
        q = 0;
    } else if (Z <= t.C1 + kFreeFlowRatio * t.A1) {
        q = kFreeFlowCoefficient * t.B1 * weirRoot(Z - t.C1);
    } else {
        const double head = (Z - t.C11) - t.A11; // above the top of the gate opening, m
        q = head < 0 ? 0 : t.M11 * t.B11 * t.A11 * std::sqrt(kTwoG * head);
    }
    if (q > t.GM) q = t.GM;
    return q;
}

template <class Row, class Lo, class Hi>
IntervalIndex indexOf(const std::vector<Row>& rows, Lo lo, Hi hi, IntervalIndex::Winner winner) {
    std::vector<IntervalIndex::Range> ranges;
    ranges.reserve(rows.size());
    for (const Row& row : rows) ranges.push_back({lo(row), hi(row)});
    return IntervalIndex(ranges, IntervalIndex::Ends::HalfOpen, winner);
}

} // namespace

OutletWorks::OutletWorks(const CaseData& data) : data_(data) {
    using W = IntervalIndex::Winner;
    orificeStates_ = indexOf(
        data.orifices, [](const OrificeState& s) { return s.ZZ1; },
        [](const OrificeState& s) { return s.ZZ2; }, W::Last);
    spillwayStates_ = indexOf(
        data.variableSpillways, [](const VariableSpillwayState& s) { return s.ZZ3; },
        [](const VariableSpillwayState& s) { return s.ZZ4; }, W::Last);
    // Segment i joins points i and i + 1; the table's lookup stops at the first segment.
    std::vector<IntervalIndex::Range> segments;
    for (std::size_t i = 0; i + 1 < data.dischargeTable.size(); ++i)
        segments.push_back({data.dischargeTable[i].ZZ0, data.dischargeTable[i + 1].ZZ0});
    dischargeSegments_ = IntervalIndex(segments, IntervalIndex::Ends::HalfOpen, W::First);
}

double OutletWorks::TunnelFlow(double Z) const {
    double sum = 0;
    for (const Tunnel& t : data_.tunnels) sum += tunnelFlow(t, Z);
    return sum;
}

double OutletWorks::SpillwayFlow(double Z) const {
    double sum = 0;
    for (const Spillway& s : data_.spillways) {
        const double q = Z > s.C2 ? s.M2 * s.B2 * weirRoot(Z - s.C2) : 0;
        sum += q;
    }
    return sum;
}

double OutletWorks::OrificeFlow(double Z) const {
    const int i = orificeStates_.find(Z);
    if (i < 0) return 0;
    const OrificeState& s = data_.orifices[static_cast<std::size_t>(i)];
    const double head = (Z - s.VV) - s.AA; // above the top of the gate opening, m
    return head < 0 ? 0 : s.MM * s.BB * s.AA * std::sqrt(kTwoG * head);
}

double OutletWorks::VariableSpillwayFlow(double Z) const {
    const int i = spillwayStates_.find(Z);
    if (i < 0) return 0;
    const VariableSpillwayState& s = data_.variableSpillways[static_cast<std::size_t>(i)];
    const double head = Z - s.EE; // above the sill, m
    return head < 0 ? 0 : s.MM * s.DD * weirRoot(head);
}

double OutletWorks::OtherFlow(double Z) const {
    const int i = dischargeSegments_.find(Z);
    if (i < 0) return 0;
    const DischargePoint& a = data_.dischargeTable[static_cast<std::size_t>(i)];
    const DischargePoint& b = data_.dischargeTable[static_cast<std::size_t>(i) + 1];
    const double slope = (b.QQ - a.QQ) / (b.ZZ0 - a.ZZ0); // m3/s per m
    return a.QQ + slope * (Z - a.ZZ0);
}

OutletFlows OutletWorks::FlowsAt(double Z) const {
    return {TunnelFlow(Z), SpillwayFlow(Z), VariableSpillwayFlow(Z), OrificeFlow(Z), OtherFlow(Z)};
}

} // namespace m4
