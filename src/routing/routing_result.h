#pragma once
// What a run computes: levels and outflows at the period boundaries, one record a period for
// the report, and the maxima for the chart.

#include <vector>

namespace m4 {

struct PeriodRecord {
    int period = 0;     ///< 1..J
    bool held = false;  ///< the level fell below ZM and was held there; outflow = inflow
    double level = 0;   ///< Round2 of the period's level, or ZM when held, m
    double inflow = 0;  ///< QL(i), m3/s
    double tunnels = 0; ///< each outlet flow already through Round2, m3/s (0 when held)
    double spillways = 0;
    double orifices = 0;
    double variableSpillways = 0;
    double other = 0;
    double total = 0;    ///< Q(i), m3/s
    bool capSet = false; ///< an evaluation of this period cut the total to QA
};

struct RoutingResult {
    std::vector<double> Z;             ///< J + 1 levels, unrounded, m; Z[0] = Z0
    std::vector<double> Q;             ///< J + 1 total outflows, m3/s; Q[0] = Q0
    std::vector<PeriodRecord> records; ///< periods 1..J in order
    double Zmax = 0;
    double Qmax = 0;
    int QmaxPeriod = 0; ///< first period reaching Qmax, 0 when Q0 is the largest
};

} // namespace m4
