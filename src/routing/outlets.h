#pragma once
// The discharge of each kind of outlet works at a reservoir level. Each function is a pure
// function of the level and the case's tables.

#include "case/case_data.h"
#include "interval_index.h"

#include <vector>

namespace m4 {

/// The discharge of each kind of outlet at one level, m3/s.
struct OutletFlows {
    double tunnels = 0;
    double spillways = 0;
    double variableSpillways = 0;
    double orifices = 0;
    double other = 0;
};

/// The total outflow through the outlets and the power station's constant flow W, m3/s.
///
/// The terms are added in this one order: tunnels, spillways, W, variable spillways, orifices,
/// the level-discharge table. Floating-point addition is not associative, so another order
/// changes the last bits of a total, and through the cap at QA and the next period's level the
/// digits of the report, which users compare with their earlier reports and hand calculations.
/// Every total of a run, in the integration and in the period records, is formed here.
inline double totalOutflow(const OutletFlows& q, double W) {
    return ((((q.tunnels + q.spillways) + W) + q.variableSpillways) + q.orifices) + q.other;
}

/// The outlet works of one case, with the state tables indexed for lookup by level.
class OutletWorks {
  public:
    /// The case must outlive this object.
    explicit OutletWorks(const CaseData& data);

    /// Sum over the tunnels, each capped by its own limit GM, m3/s.
    double TunnelFlow(double Z) const;
    /// Sum over the spillways, m3/s.
    double SpillwayFlow(double Z) const;
    /// Discharge of the last orifice state with ZZ1 <= Z < ZZ2, 0 when none applies, m3/s.
    double OrificeFlow(double Z) const;
    /// Discharge of the last spillway state with ZZ3 <= Z < ZZ4, 0 when none applies, m3/s.
    double VariableSpillwayFlow(double Z) const;
    /// The level-discharge table by straight lines, 0 below its first and from its last level
    /// on, m3/s.
    double OtherFlow(double Z) const;
    /// All five at level Z.
    OutletFlows FlowsAt(double Z) const;

    /// A tunnel with the parts of its formulas that do not depend on the level worked out once,
    /// each as the formula computes it.
    struct TunnelTerms {
        double C1;              ///< inlet bottom, m
        double freeTop;         ///< C1 + 1.15 A1: the level where the inlet fills, m
        double freeCoefficient; ///< 0.35 B1
        double C11, A11;        ///< gate bottom and height, m
        double gateCoefficient; ///< M11 B11 A11
        double GM;              ///< discharge limit, m3/s
    };

  private:
    const CaseData& data_;
    std::vector<TunnelTerms> tunnels_;
    std::vector<double> spillwayCoefficients_;      ///< M2 B2 of each spillway
    std::vector<double> orificeCoefficients_;       ///< MM BB AA of each orifice state
    std::vector<double> spillwayStateCoefficients_; ///< MM DD of each variable spillway state
    std::vector<double> dischargeSlopes_;           ///< of each segment of the table, m3/s per m
    IntervalIndex orificeStates_;
    IntervalIndex spillwayStates_;
    IntervalIndex dischargeSegments_;
};

} // namespace m4
