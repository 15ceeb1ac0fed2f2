#pragma once
// The discharge of each kind of outlet works at a reservoir level. Each function is a pure
// function of the level and the case's tables.

#include "case/case_data.h"
#include "interval_index.h"

namespace m4 {

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

  private:
    const CaseData& data_;
    IntervalIndex orificeStates_;
    IntervalIndex spillwayStates_;
    IntervalIndex dischargeSegments_;
};

} // namespace m4
