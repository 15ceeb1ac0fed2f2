#pragma once
// The water-surface area at a level, from the level-area curve by straight lines between
// nodes. There is no extrapolation: outside the curve the area of the most recent lookup
// inside it stands.

#include "case/case_data.h"
#include "common/failure.h"
#include "interval_index.h"

#include <optional>
#include <vector>

namespace m4 {

/// The level-area curve of one run, with the last area found inside it.
class AreaCurve {
  public:
    /// The curve must outlive this object.
    explicit AreaCurve(const std::vector<CurvePoint>& curve);

    /// Area at level Z (m) in 10^4 m2: the last interval in list order that holds Z (both ends
    /// included) interpolates and its value becomes the last area; outside every interval the
    /// last area is returned. Fails when there is no last area yet or when Z meets two nodes
    /// of the same level, which would divide zero by zero.
    Expected<double> AreaAt(double Z);
    /// The area AreaAt gives, or null where it fails; the run asks this four times a period.
    const double* areaOrNull(double Z) {
        // Every interval holding Z takes part in the lookup, so a zero-width one spoils it even
        // when a later interval would supply the area.
        if (flat_.find(Z) >= 0) return nullptr;
        if (const int i = intervals_.find(Z); i >= 0) {
            const CurvePoint& a = curve_[static_cast<std::size_t>(i)];
            const CurvePoint& b = curve_[static_cast<std::size_t>(i) + 1];
            lastArea_ = a.F + ((b.F - a.F) * (Z - a.ZP)) / (b.ZP - a.ZP);
        }
        return lastArea_ ? &*lastArea_ : nullptr;
    }

  private:
    const std::vector<CurvePoint>& curve_;
    IntervalIndex intervals_; ///< interval i joins nodes i and i + 1
    IntervalIndex flat_;      ///< the intervals of zero width only, first one wins
    std::vector<int> flatToInterval_;
    std::optional<double> lastArea_; ///< 10^4 m2, none until a lookup falls inside the curve
};

} // namespace m4
