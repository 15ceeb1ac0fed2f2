#pragma once
// The one rounding of recorded values: two decimals, halves upward. The report and the chart
// show numbers the run recorded through it, so all sides share this definition.

#include <cmath>

namespace m4 {

/// floor(x * 100 + 0.5) / 100, in that order of operations.
inline double Round2(double x) {
    const double hundredths = x * 100;
    // Beyond about 1.8e306 the hundredths overflow to infinity; so large a number has no
    // fraction left to round.
    if (std::isinf(hundredths)) return x;
    return std::floor(hundredths + 0.5) / 100;
}

} // namespace m4
