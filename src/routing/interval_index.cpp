#include "interval_index.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <utility>

namespace m4 {
namespace {

// Whether a range holds any level at all. A range whose upper end lies below its lower end,
// an empty half-open range and a range with a NaN end never satisfy the scan's comparisons.
bool holdsSomething(const IntervalIndex::Range& r, IntervalIndex::Ends ends) {
    return ends == IntervalIndex::Ends::Closed ? r.lo <= r.hi : r.lo < r.hi;
}

/// Whether every range holds some level and neither end falls from one range to the next in
/// list order, as in a table listed by level.
bool ascending(const std::vector<IntervalIndex::Range>& ranges, IntervalIndex::Ends ends) {
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (!holdsSomething(ranges[i], ends)) return false;
        if (i > 0 && !(ranges[i - 1].lo <= ranges[i].lo && ranges[i - 1].hi <= ranges[i].hi))
            return false;
    }
    return true;
}

} // namespace

IntervalIndex::IntervalIndex(const std::vector<Range>& ranges, Ends ends, Winner winner) {
    if (ascending(ranges, ends)) {
        indexAscending(ranges, ends, winner);
        return;
    }
    const std::vector<int> rank = rankEnds(ranges, ends);
    const int slots = 2 * static_cast<int>(values_.size()) + 1;
    winners_.assign(static_cast<std::size_t>(slots), -1);

    // Ranges are painted in order of precedence and each slot keeps the first paint it gets.
    // nextFree[s] leads to the first unpainted slot at or after s (union-find with the whole
    // path pointed at its end), so every slot is painted once and the build stays near linear.
    std::vector<int> nextFree(static_cast<std::size_t>(slots) + 1);
    std::iota(nextFree.begin(), nextFree.end(), 0);
    auto findFree = [&nextFree](int s) {
        int free = s;
        while (nextFree[static_cast<std::size_t>(free)] != free)
            free = nextFree[static_cast<std::size_t>(free)];
        while (s != free) s = std::exchange(nextFree[static_cast<std::size_t>(s)], free);
        return free;
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

void IntervalIndex::indexAscending(const std::vector<Range>& ranges, Ends ends, Winner winner) {
    // With both ends ascending, the ranges holding a level are those from the first whose upper
    // end reaches it to the last whose lower end does; when the last one does not hold the
    // level, no earlier one does, and the same for the first one and later ones. One walk up
    // the slots with a pointer into the list finds every winner.
    const std::size_t n = ranges.size();
    values_.reserve(2 * n);
    for (std::size_t lower = 0, upper = 0; lower < n || upper < n;) {
        const bool takeLower = upper == n || (lower < n && ranges[lower].lo <= ranges[upper].hi);
        const double v = takeLower ? ranges[lower++].lo : ranges[upper++].hi;
        if (values_.empty() || values_.back() != v) values_.push_back(v);
    }
    const std::size_t m = values_.size();
    winners_.assign(2 * m + 1, -1);
    const bool closed = ends == Ends::Closed;
    std::size_t i = 0; // Last: ranges [0, i) start at or below the level; First: the candidate
    for (std::size_t j = 0; j < m; ++j) {
        const double v = values_[j];
        // Slot 2j, the levels between values_[j - 1] and v, then slot 2j + 1, v itself.
        if (winner == Winner::Last) {
            if (i > 0 && ranges[i - 1].hi >= v) winners_[2 * j] = static_cast<int>(i - 1);
            while (i < n && ranges[i].lo <= v) ++i;
            if (i > 0 && (closed ? v <= ranges[i - 1].hi : v < ranges[i - 1].hi))
                winners_[2 * j + 1] = static_cast<int>(i - 1);
        } else {
            while (i < n && ranges[i].hi < v) ++i;
            if (i < n && ranges[i].lo < v) winners_[2 * j] = static_cast<int>(i);
            while (!closed && i < n && ranges[i].hi <= v) ++i;
            if (i < n && ranges[i].lo <= v) winners_[2 * j + 1] = static_cast<int>(i);
        }
    }
}

std::vector<int> IntervalIndex::rankEnds(const std::vector<Range>& ranges, Ends ends) {
    // Each end level, tagged with its range and side, sorted once: walking the sorted ends
    // gives both the distinct levels and each end's rank among them without a search per end.
    // Tables list their ranges by level, so the lower ends and the upper ends usually come
    // sorted already and one merge orders them all.
    struct End {
        double level;
        int at; ///< 2 * range + 1 for an upper end
    };
    const auto byLevel = [](const End& a, const End& b) { return a.level < b.level; };
    std::vector<End> lower;
    std::vector<End> upper;
    lower.reserve(ranges.size());
    upper.reserve(ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (!holdsSomething(ranges[i], ends)) continue;
        lower.push_back({ranges[i].lo, 2 * static_cast<int>(i)});
        upper.push_back({ranges[i].hi, 2 * static_cast<int>(i) + 1});
    }
    for (std::vector<End>* side : {&lower, &upper})
        if (!std::is_sorted(side->begin(), side->end(), byLevel))
            std::sort(side->begin(), side->end(), byLevel);
    std::vector<End> sorted(lower.size() + upper.size());
    std::merge(lower.begin(), lower.end(), upper.begin(), upper.end(), sorted.begin(), byLevel);

    std::vector<int> rank(2 * ranges.size());
    values_.reserve(sorted.size());
    for (const End& e : sorted) {
        if (values_.empty() || values_.back() != e.level) values_.push_back(e.level);
        rank[static_cast<std::size_t>(e.at)] = static_cast<int>(values_.size()) - 1;
    }
    return rank;
}

int IntervalIndex::positionOf(double z) const {
    // Gallop from the last answer in steps of 1, 2, 4 ... until z is passed, then search the
    // last step: a few compares when z lies near the last level, never more than about twice
    // a binary search of the whole list.
    const auto begin = values_.begin();
    const auto size = static_cast<std::ptrdiff_t>(values_.size());
    std::ptrdiff_t lo = lastPosition_; // values_[lo - 1] < z is known when lo > 0
    std::ptrdiff_t hi = lo;            // values_[hi] >= z is known when hi < size
    std::ptrdiff_t step = 1;
    if (lo < size && begin[lo] < z) {
        hi = lo + 1;
        while (hi < size && begin[hi] < z) {
            lo = hi + 1;
            hi = std::min(size, hi + step);
            step *= 2;
        }
    } else {
        while (lo > 0 && !(begin[lo - 1] < z)) {
            hi = lo - 1;
            lo = std::max<std::ptrdiff_t>(0, lo - step);
            step *= 2;
        }
    }
    lastPosition_ = static_cast<int>(std::lower_bound(begin + lo, begin + hi, z) - begin);
    return lastPosition_;
}

int IntervalIndex::findElsewhere(double z) const {
    if (values_.empty() || std::isnan(z)) return -1;
    const int j = positionOf(z);
    const bool atValue =
        j < static_cast<int>(values_.size()) && values_[static_cast<std::size_t>(j)] == z;
    return winners_[static_cast<std::size_t>(2 * j + (atValue ? 1 : 0))];
}

} // namespace m4
