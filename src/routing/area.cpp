#include "area.h"

#include <algorithm>

namespace m4 {
namespace {

/// The first point (from 0) whose level is below the one before it, when Z lies between the
/// lowest and the highest level of the curve: only a fall leaves such a level in no interval.
std::optional<std::size_t> fallAround(const std::vector<CurvePoint>& curve, double Z) {
    if (curve.empty()) return std::nullopt;
    const auto [low, high] =
        std::minmax_element(curve.begin(), curve.end(),
                            [](const CurvePoint& a, const CurvePoint& b) { return a.ZP < b.ZP; });
    if (!(low->ZP <= Z && Z <= high->ZP)) return std::nullopt;
    for (std::size_t i = 1; i < curve.size(); ++i)
        if (curve[i].ZP < curve[i - 1].ZP) return i;
    return std::nullopt;
}

} // namespace

AreaCurve::AreaCurve(const std::vector<CurvePoint>& curve) : curve_(curve) {
    std::vector<IntervalIndex::Range> intervals;
    std::vector<IntervalIndex::Range> flat;
    for (std::size_t i = 0; i + 1 < curve.size(); ++i) {
        const double lo = curve[i].ZP;
        const double hi = curve[i + 1].ZP;
        intervals.push_back({lo, hi});
        if (lo == hi) {
            flat.push_back({lo, hi});
            flatToInterval_.push_back(static_cast<int>(i));
        }
    }
    intervals_ = IntervalIndex(intervals, IntervalIndex::Ends::Closed, IntervalIndex::Winner::Last);
    flat_ = IntervalIndex(flat, IntervalIndex::Ends::Closed, IntervalIndex::Winner::First);
}

Expected<double> AreaCurve::AreaAt(double Z) {
    if (const double* area = areaOrNull(Z)) return *area;
    if (const int f = flat_.find(Z); f >= 0) {
        Failure failure{Fault::CurveZeroWidth};
        failure.number = flatToInterval_[static_cast<std::size_t>(f)] + 1;
        failure.level = Z;
        return failure;
    }
    Failure failure{Fault::StartOutsideCurve};
    failure.level = Z;
    if (const std::optional<std::size_t> fall = fallAround(curve_, Z)) {
        failure.fault = Fault::CurveFalls;
        failure.number = static_cast<int>(*fall) + 1;
        failure.other = static_cast<int>(*fall);
        failure.values = {curve_[*fall].ZP, curve_[*fall - 1].ZP};
    }
    return failure;
}

} // namespace m4
