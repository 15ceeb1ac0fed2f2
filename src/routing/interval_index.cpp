#include "interval_index.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace m4 {
namespace {

// Whether a range holds any level at all. A range whose upper end lies below its lower end,
// an empty half-open range and a range with a NaN end never satisfy the scan's comparisons.
bool holdsSomething(const IntervalIndex::Range& r, IntervalIndex::Ends ends) {
    return ends == IntervalIndex::Ends::Closed ? r.lo <= r.hi : r.lo < r.hi;
}

int positionOf(const std::vector<double>& values, double v) {
    return static_cast<int>(std::lower_bound(values.begin(), values.end(), v) - values.begin());
}

} // namespace

IntervalIndex::IntervalIndex(const std::vector<Range>& ranges, Ends ends, Winner winner) {
    // Each end level, tagged with its range and side, sorted once: walking the sorted ends
    // gives both the distinct levels and each end's rank among them without a search per end.
    struct End {
        double level;
        int at; ///< 2 * range + 1 for an upper end
    };
    std::vector<End> sorted;
    sorted.reserve(2 * ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (!holdsSomething(ranges[i], ends)) continue;
        sorted.push_back({ranges[i].lo, 2 * static_cast<int>(i)});
        sorted.push_back({ranges[i].hi, 2 * static_cast<int>(i) + 1});
    }
    std::sort(sorted.begin(), sorted.end(),
              [](const End& a, const End& b) { return a.level < b.level; });
    std::vector<int> rank(2 * ranges.size());
    for (const End& e : sorted) {
        if (values_.empty() || values_.back() != e.level) values_.push_back(e.level);
        rank[static_cast<std::size_t>(e.at)] = static_cast<int>(values_.size()) - 1;
    }

    const int slots = 2 * static_cast<int>(values_.size()) + 1;
    winners_.assign(static_cast<std::size_t>(slots), -1);

    // Ranges are painted in order of precedence and each slot keeps the first paint it gets.
    // nextFree[s] leads to the first unpainted slot at or after s (path-halving union-find),
    // so every slot is painted once and the whole build stays near linear.
    std::vector<int> nextFree(static_cast<std::size_t>(slots) + 1);
    std::iota(nextFree.begin(), nextFree.end(), 0);
    auto findFree = [&nextFree](int s) {
        while (nextFree[static_cast<std::size_t>(s)] != s) {
            auto& link = nextFree[static_cast<std::size_t>(s)];
            link = nextFree[static_cast<std::size_t>(link)];
            s = link;
        }
        return s;
    };

    const int n = static_cast<int>(ranges.size());
    for (int k = 0; k < n; ++k) {
        const int i = winner == Winner::Last ? n - 1 - k : k;
        const Range& r = ranges[static_cast<std::size_t>(i)];
        if (!holdsSomething(r, ends)) continue;
        const int first = 2 * rank[2 * static_cast<std::size_t>(i)] + 1;
        const int last =
            2 * rank[2 * static_cast<std::size_t>(i) + 1] + (ends == Ends::Closed ? 1 : 0);
        for (int s = findFree(first); s <= last; s = findFree(s)) {
            winners_[static_cast<std::size_t>(s)] = i;
            nextFree[static_cast<std::size_t>(s)] = s + 1;
        }
    }
}

int IntervalIndex::find(double z) const {
    if (std::isnan(z)) return -1;
    const int j = positionOf(values_, z);
    const bool atValue =
        j < static_cast<int>(values_.size()) && values_[static_cast<std::size_t>(j)] == z;
    return winners_[static_cast<std::size_t>(2 * j + (atValue ? 1 : 0))];
}

} // namespace m4
