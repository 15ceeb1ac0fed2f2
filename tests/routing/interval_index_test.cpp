// The interval index against a plain scan of the list, on ranges built to trip it up.

#include "routing/interval_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

using namespace m4;

namespace {

using Ends = IntervalIndex::Ends;
using Winner = IntervalIndex::Winner;
using Ranges = std::vector<IntervalIndex::Range>;

int scanWinner(const Ranges& rs, Ends ends, Winner winner, double z) {
    int found = -1;
    for (int i = 0; i < static_cast<int>(rs.size()) && !(found >= 0 && winner == Winner::First);
         ++i) {
        const auto& r = rs[static_cast<std::size_t>(i)];
        if (r.lo <= z && (ends == Ends::Closed ? z <= r.hi : z < r.hi)) found = i;
    }
    return found;
}

// Levels on a coarse grid, so that ranges share ends, nest, repeat and come reversed.
double gridLevel(std::mt19937& g) {
    return 100 + 0.5 * std::uniform_int_distribution(0, 12)(g);
}

TEST(IntervalIndex, AgreesWithListScanOnAdversarialRanges) {
    std::mt19937 g(11);
    const double inf = std::numeric_limits<double>::infinity();
    for (int round = 0; round < 400; ++round) {
        Ranges rs(static_cast<std::size_t>(
            round % 40 == 0 ? 600 : std::uniform_int_distribution(0, 12)(g)));
        std::vector<double> levels;
        for (auto& r : rs) {
            r = {gridLevel(g), gridLevel(g)};
            if (round % 3 == 0) r.hi = r.lo; // many single-level ranges
            levels.insert(levels.end(), {r.lo, r.hi});
        }
        if (round % 4 == 1) {
            // Both ends ascending in list order, as tables listed by level have them.
            std::vector<double> lows, highs;
            for (const auto& r : rs)
                lows.push_back(std::min(r.lo, r.hi)), highs.push_back(std::max(r.lo, r.hi));
            std::sort(lows.begin(), lows.end());
            std::sort(highs.begin(), highs.end());
            for (std::size_t i = 0; i < rs.size(); ++i) rs[i] = {lows[i], highs[i]};
        }
        // Each level exactly, one step either side of it, and levels far outside and undefined.
        std::vector<double> probes{-inf, inf, std::nan(""), 0, 1e6};
        for (double v : levels)
            probes.insert(probes.end(),
                          {v, std::nextafter(v, -inf), std::nextafter(v, inf), v + 0.25, v - 0.25});
        for (auto [ends, winner] : {std::pair{Ends::Closed, Winner::Last},
                                    {Ends::HalfOpen, Winner::Last},
                                    {Ends::HalfOpen, Winner::First}}) {
            const IntervalIndex index(rs, ends, winner);
            for (double z : probes)
                ASSERT_EQ(index.find(z), scanWinner(rs, ends, winner, z))
                    << "round " << round << " z " << z;
        }
    }
}

} // namespace
