#include "area.h"

namespace m4 {

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
    return failure;
}

} // namespace m4
