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

double tunnelFlow(const OutletWorks::TunnelTerms& t, double Z) {
    double q = 0;
    if (Z <= t.C1) {
        q = 0;
    } else if (Z <= t.freeTop) {
        q = t.freeCoefficient * weirRoot(Z - t.C1);
    } else {
        const double head = (Z - t.C11) - t.A11; // above the top of the gate opening, m
        q = head < 0 ? 0 : t.gateCoefficient * std::sqrt(kTwoG * head);
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
    // The products are formed in the order the formulas multiply, so that each discharge comes
    // out to the same bits as when worked out whole at every level.
    tunnels_.reserve(data.tunnels.size());
    spillwayCoefficients_.reserve(data.spillways.size());
    orificeCoefficients_.reserve(data.orifices.size());
    spillwayStateCoefficients_.reserve(data.variableSpillways.size());
    dischargeSlopes_.reserve(data.dischargeTable.size());
    for (const Tunnel& t : data.tunnels) {
        tunnels_.push_back({t.C1, t.C1 + kFreeFlowRatio * t.A1, kFreeFlowCoefficient * t.B1, t.C11,
                            t.A11, t.M11 * t.B11 * t.A11, t.GM});
    }
    for (const Spillway& s : data.spillways) spillwayCoefficients_.push_back(s.M2 * s.B2);
    for (const OrificeState& s : data.orifices) orificeCoefficients_.push_back(s.MM * s.BB * s.AA);
    for (const VariableSpillwayState& s : data.variableSpillways)
        spillwayStateCoefficients_.push_back(s.MM * s.DD);
    for (std::size_t i = 0; i + 1 < data.dischargeTable.size(); ++i) {
        const DischargePoint& a = data.dischargeTable[i];
        const DischargePoint& b = data.dischargeTable[i + 1];
        dischargeSlopes_.push_back((b.QQ - a.QQ) / (b.ZZ0 - a.ZZ0));
    }
    using W = IntervalIndex::Winner;
    orificeStates_ = indexOf(
        data.orifices, [](const OrificeState& s) { return s.ZZ1; },
        [](const OrificeState& s) { return s.ZZ2; }, W::Last);
    spillwayStates_ = indexOf(
        data.variableSpillways, [](const VariableSpillwayState& s) { return s.ZZ3; },
        [](const VariableSpillwayState& s) { return s.ZZ4; }, W::Last);
    // Segment i joins points i and i + 1; the table's lookup stops at the first segment.
    std::vector<IntervalIndex::Range> segments;
    segments.reserve(data.dischargeTable.size());
    for (std::size_t i = 0; i + 1 < data.dischargeTable.size(); ++i)
        segments.push_back({data.dischargeTable[i].ZZ0, data.dischargeTable[i + 1].ZZ0});
    dischargeSegments_ = IntervalIndex(segments, IntervalIndex::Ends::HalfOpen, W::First);
}

double OutletWorks::TunnelFlow(double Z) const {
    double sum = 0;
    for (const TunnelTerms& t : tunnels_) sum += tunnelFlow(t, Z);
    return sum;
}

double OutletWorks::SpillwayFlow(double Z) const {
    double sum = 0;
    for (std::size_t i = 0; i < spillwayCoefficients_.size(); ++i) {
        const double C2 = data_.spillways[i].C2; // crest, m
        const double q = Z > C2 ? spillwayCoefficients_[i] * weirRoot(Z - C2) : 0;
        sum += q;
    }
    return sum;
}

double OutletWorks::OrificeFlow(double Z) const {
    const int i = orificeStates_.find(Z);
    if (i < 0) return 0;
    const auto n = static_cast<std::size_t>(i);
    const OrificeState& s = data_.orifices[n];
    const double head = (Z - s.VV) - s.AA; // above the top of the gate opening, m
    return head < 0 ? 0 : orificeCoefficients_[n] * std::sqrt(kTwoG * head);
}

double OutletWorks::VariableSpillwayFlow(double Z) const {
    const int i = spillwayStates_.find(Z);
    if (i < 0) return 0;
    const auto n = static_cast<std::size_t>(i);
    const double head = Z - data_.variableSpillways[n].EE; // above the sill, m
    return head < 0 ? 0 : spillwayStateCoefficients_[n] * weirRoot(head);
}

double OutletWorks::OtherFlow(double Z) const {
    const int i = dischargeSegments_.find(Z);
    if (i < 0) return 0;
    const auto n = static_cast<std::size_t>(i);
    const DischargePoint& a = data_.dischargeTable[n];
    return a.QQ + dischargeSlopes_[n] * (Z - a.ZZ0);
}

OutletFlows OutletWorks::FlowsAt(double Z) const {
    return {TunnelFlow(Z), SpillwayFlow(Z), VariableSpillwayFlow(Z), OrificeFlow(Z), OtherFlow(Z)};
}

} // namespace m4
