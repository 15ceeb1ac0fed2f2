#pragma once
// Which of a list of level ranges holds a level, as a binary search instead of a scan over the
// list. The outlet states, the level-discharge table and the level-area curve each ask this
// several times a period; with tables of tens of thousands of rows a scan would make a run
// quadratic.

#include <vector>

namespace m4 {

/// A list of level ranges, built once, that answers which range wins at a level exactly as a
/// scan of the list in order would: the last (or first) range in list order holding the level.
class IntervalIndex {
  public:
    struct Range {
        double lo; ///< lower level, m
        double hi; ///< upper level, m
    };
    enum class Ends {
        Closed,  ///< lo <= z <= hi
        HalfOpen ///< lo <= z < hi
    };
    enum class Winner {
        Last, ///< every holding range overwrites the result, so the last one counts
        First ///< the scan stops at the first holding range
    };

    IntervalIndex() = default;
    IntervalIndex(const std::vector<Range>& ranges, Ends ends, Winner winner);

    /// Position in the list of the winning range that holds z, or -1 when none does.
    int find(double z) const {
        // A level moves little from one evaluation to the next, so its position lies a few
        // steps from the last one: above the level below it, at or below the one there. A
        // longer way, or an undefined level, takes the search.
        auto j = static_cast<std::size_t>(lastPosition_);
        const std::size_t n = values_.size();
        for (int steps = 0; j < n && values_[j] < z; ++j)
            if (++steps > kNearSteps) return findElsewhere(z);
        for (int steps = 0; j > 0 && !(values_[j - 1] < z); --j)
            if (++steps > kNearSteps) return findElsewhere(z);
        lastPosition_ = static_cast<int>(j);
        return winners_[2 * j + (j < n && values_[j] == z ? 1 : 0)];
    }

  private:
    /// Positions find steps through before it searches.
    static constexpr int kNearSteps = 4;
    /// The index of ranges whose ends both ascend in list order, built in one walk.
    void indexAscending(const std::vector<Range>& ranges, Ends ends, Winner winner);
    /// find for a level away from the last position.
    int findElsewhere(double z) const;
    /// Fills values_ with the distinct end levels and gives each end its place among them:
    /// entry 2i for the lower end of range i, 2i + 1 for its upper end.
    std::vector<int> rankEnds(const std::vector<Range>& ranges, Ends ends);
    /// The first of values_ not below z (lower_bound), looked for outward from the last one
    /// found: a level moves little from one evaluation to the next.
    int positionOf(double z) const;

    // The distinct end levels, ascending. They cut the line into elementary slots: slot 2j + 1
    // is the level values_[j] itself, slot 2j the open gap below it, slot 2m the gap above
    // the highest level. Every slot lies wholly inside or wholly outside each range.
    std::vector<double> values_;
    std::vector<int> winners_ = {-1}; ///< winning range per slot, -1 for none
    mutable int lastPosition_ = 0;    ///< the answer of the last positionOf
};

} // namespace m4
