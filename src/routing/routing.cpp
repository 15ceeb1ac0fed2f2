#include "routing.h"

#include "area.h"
#include "outlets.h"
#include "round2.h"

#include <cmath>
#include <optional>
#include <utility>

namespace m4 {
namespace {

constexpr double kAreaUnit = 10000; ///< m2 per 10^4 m2, the unit of the level-area curve

// The storage equation integrated period by period:
//   dZ/dt = (Qin - Qout(Z)) / (F(Z) * 10000)
// Z the level (m), Qin the inflow and Qout the total outflow (m3/s), F the area (10^4 m2), so
// a rate is in m/s and the period length T (s) times a rate is a level increment (m).

Failure notFinite(int period) {
    Failure failure{Fault::ResultNotFinite};
    failure.number = period;
    return failure;
}

/// The total cut to QA; every cut is noted in capSet, which only the report clears.
double capped(double total, double QA, bool& capSet) {
    if (total <= QA) return total;
    capSet = true;
    return QA;
}

OutletFlows rounded(const OutletFlows& q) {
    return {Round2(q.tunnels), Round2(q.spillways), Round2(q.variableSpillways), Round2(q.orifices),
            Round2(q.other)};
}

/// The right-hand side of the storage equation for one run: keeps the last area between
/// evaluations and notes every cut of the total to QA.
class LevelRate {
  public:
    LevelRate(const CaseData& data, const OutletWorks& outlets)
        : data_(data), outlets_(outlets), curve_(data.curve) {}

    /// Rate of rise (m/s) at level Z (m) with inflow Qin (m3/s). When there is none the result
    /// is not a number and failure() says why.
    double operator()(double Z, double Qin, int period, bool& capSet) {
        const double* area = std::isfinite(Z) ? curve_.areaOrNull(Z) : nullptr; // 10^4 m2
        if (!area || !std::isfinite(*area) || !(*area > 0)) return fail(areaFailure(Z, period));
        const double F = *area;
        const double total = totalOutflow(flowsAt(Z), data_.W); // m3/s
        if (!std::isfinite(total)) return fail(notFinite(period));
        const double rate = ((Qin - capped(total, data_.QA, capSet)) / F) / kAreaUnit; // m/s
        if (!std::isfinite(rate)) return fail(notFinite(period));
        return rate;
    }
    /// Why the last rate failed, once one has.
    const std::optional<Failure>& failure() const { return failure_; }

    /// The outlet flows at level Z (m). The last ones are kept: a normal period's record and
    /// the next period's first stage both ask for the level the period ended at. So are those
    /// at ZM, where every period after a held one starts.
    const OutletFlows& flowsAt(double Z) {
        if (Z == data_.ZM) {
            if (!heldFlows_) heldFlows_ = outlets_.FlowsAt(Z);
            return *heldFlows_;
        }
        if (!(lastLevel_ == Z)) {
            lastFlows_ = outlets_.FlowsAt(Z);
            lastLevel_ = Z;
        }
        return lastFlows_;
    }

  private:
    double fail(Failure failure) {
        failure_ = std::move(failure);
        return std::nan("");
    }
    /// Why level Z has no usable area.
    Failure areaFailure(double Z, int period) {
        if (!std::isfinite(Z)) return notFinite(period);
        const Expected<double> area = curve_.AreaAt(Z); // the same lookup again, with its reason
        if (!area) return area.failure();
        if (!std::isfinite(*area)) return notFinite(period);
        Failure failure{Fault::AreaNotPositive};
        failure.level = Z;
        failure.area = *area;
        return failure;
    }

    const CaseData& data_;
    const OutletWorks& outlets_;
    std::optional<Failure> failure_;
    AreaCurve curve_;
    double lastLevel_ = std::nan(""); ///< m, none yet
    OutletFlows lastFlows_;
    std::optional<OutletFlows> heldFlows_; ///< at ZM, once asked for
};

/// The level at the end of period i from the level Zs at its start (m): one classical
/// Runge-Kutta step, each k a level increment over the period.
Expected<double> rungeKuttaStep(LevelRate& levelRate, const CaseData& data, int i, double Zs,
                                bool& capSet) {
    const double T = data.T;                                        // s
    const double qStart = data.QL[static_cast<std::size_t>(i) - 1]; // m3/s
    const double qEnd = data.QL[static_cast<std::size_t>(i)];       // m3/s
    const double qMid = (qStart + qEnd) / 2;                        // m3/s
    const auto k = [&](double Z, double Qin) { return T * levelRate(Z, Qin, i, capSet); };
    const double k1 = k(Zs, qStart);
    if (levelRate.failure()) return *levelRate.failure();
    const double k2 = k(Zs + k1 / 2, qMid);
    if (levelRate.failure()) return *levelRate.failure();
    const double k3 = k(Zs + k2 / 2, qMid);
    if (levelRate.failure()) return *levelRate.failure();
    const double k4 = k(Zs + k3, qEnd);
    if (levelRate.failure()) return *levelRate.failure();
    const double Zn = Zs + (k1 + 2 * k2 + 2 * k3 + k4) / 6; // m
    if (!std::isfinite(Zn)) return notFinite(i);
    return Zn;
}

/// The record of period i that ended at level Zn (m).
Expected<PeriodRecord> periodRecord(const CaseData& data, LevelRate& levelRate, int i, double Zn,
                                    bool capSet) {
    PeriodRecord record;
    record.period = i;
    record.inflow = data.QL[static_cast<std::size_t>(i)];
    if (Zn < data.ZM) {
        // The level is not let below the flood-control lower level: it is held there and the
        // reservoir passes the inflow, without the station flow and without the cap.
        record.held = true;
        record.level = data.ZM;
        record.total = record.inflow;
    } else {
        const OutletFlows q = rounded(levelRate.flowsAt(Zn));
        record.level = Round2(Zn);
        record.tunnels = q.tunnels;
        record.spillways = q.spillways;
        record.variableSpillways = q.variableSpillways;
        record.orifices = q.orifices;
        record.other = q.other;
        const double total = totalOutflow(q, data.W); // m3/s
        if (!std::isfinite(total)) return notFinite(i);
        record.total = capped(total, data.QA, capSet);
    }
    record.capSet = capSet;
    return record;
}

/// Zmax, Qmax and the period of Qmax. Strict comparisons: the earliest period reaching a
/// maximum names it.
void findMaxima(RoutingResult& result) {
    result.Zmax = result.Z[0];
    result.Qmax = result.Q[0];
    result.QmaxPeriod = 0;
    for (std::size_t i = 1; i < result.Z.size(); ++i) {
        if (result.Z[i] > result.Zmax) result.Zmax = result.Z[i];
        if (result.Q[i] > result.Qmax) {
            result.Qmax = result.Q[i];
            result.QmaxPeriod = static_cast<int>(i);
        }
    }
}

} // namespace

Expected<RoutingResult> route(const CaseData& data) {
    const OutletWorks outlets(data);
    LevelRate levelRate(data, outlets);
    const int J = data.J();

    RoutingResult result;
    result.Z.assign(static_cast<std::size_t>(J) + 1, 0);
    result.Q.assign(static_cast<std::size_t>(J) + 1, 0);
    result.records.reserve(static_cast<std::size_t>(J));
    result.Z[0] = data.Z0;
    result.Q[0] = data.Q0; // recorded for time 0 only; it drives nothing
    double Zs = data.Z0;   // level at the start of the period, unrounded, m

    for (int i = 1; i <= J; ++i) {
        bool capSet = false;
        const Expected<double> Zn = rungeKuttaStep(levelRate, data, i, Zs, capSet);
        if (!Zn) return Zn.failure();
        Expected<PeriodRecord> record = periodRecord(data, levelRate, i, *Zn, capSet);
        if (!record) return record.failure();
        // A held period goes on from ZM, any other from the unrounded level.
        Zs = record->held ? data.ZM : *Zn;
        result.Z[static_cast<std::size_t>(i)] = Zs;
        result.Q[static_cast<std::size_t>(i)] = record->total;
        result.records.push_back(*record);
    }
    findMaxima(result);
    return result;
}

} // namespace m4
