#include "routing.h"

#include "area.h"
#include "outlets.h"
#include "round2.h"

#include <QString>

#include <cmath>
#include <optional>

namespace m4 {
namespace {

constexpr double kAreaUnit = 10000; ///< m2 per 10^4 m2, the unit of the level-area curve

// The storage equation integrated period by period:
//   dZ/dt = (Qin - Qout(Z)) / (F(Z) * 10000)
// Z the level (m), Qin the inflow and Qout the total outflow (m3/s), F the area (10^4 m2), so
// a rate is in m/s and the period length T (s) times a rate is a level increment (m).

Failure notFinite(int period) {
    return Failure{Fault::ResultNotFinite, {}, 0, QString::number(period)};
}

/// The right-hand side of the storage equation for one run: keeps the last area between
/// evaluations and notes every cut of the total to QA.
class LevelRate {
  public:
    LevelRate(const CaseData& data, const OutletWorks& outlets)
        : data_(data), outlets_(outlets), curve_(data.curve) {}

    /// Rate of rise (m/s) at level Z (m) with inflow Qin (m3/s), or why there is none.
    Expected<double> operator()(double Z, double Qin, int period, bool& capSet) {
        const Expected<double> area = curve_.AreaAt(Z); // 10^4 m2
        if (!area) return area.failure();
        const double F = *area;
        if (!std::isfinite(F)) return notFinite(period);
        if (!(F > 0)) {
            return Failure{Fault::AreaNotPositive,
                           {},
                           0,
                           QStringLiteral("水位%1米处面积为%2")
                               .arg(QString::number(Z, 'g', 15), QString::number(F, 'g', 15))};
        }
        double total = ((((outlets_.TunnelFlow(Z) + outlets_.SpillwayFlow(Z)) + data_.W) +
                         outlets_.VariableSpillwayFlow(Z)) +
                        outlets_.OrificeFlow(Z)) +
                       outlets_.OtherFlow(Z); // m3/s
        if (!std::isfinite(total)) return notFinite(period);
        if (total > data_.QA) {
            total = data_.QA;
            capSet = true;
        }
        const double rate = ((Qin - total) / F) / kAreaUnit; // m/s
        if (!std::isfinite(rate)) return notFinite(period);
        return rate;
    }

  private:
    const CaseData& data_;
    const OutletWorks& outlets_;
    AreaCurve curve_;
};

} // namespace

Expected<RoutingResult> route(const CaseData& data) {
    const OutletWorks outlets(data);
    LevelRate levelRate(data, outlets);
    const int J = data.J();
    const double T = data.T; // s

    RoutingResult result;
    result.Z.assign(static_cast<std::size_t>(J) + 1, 0);
    result.Q.assign(static_cast<std::size_t>(J) + 1, 0);
    result.records.reserve(static_cast<std::size_t>(J));
    result.Z[0] = data.Z0;
    result.Q[0] = data.Q0; // recorded for time 0 only; it drives nothing
    double Zs = data.Z0;   // level at the start of the period, unrounded, m

    for (int i = 1; i <= J; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const double qStart = data.QL[at - 1];   // m3/s
        const double qEnd = data.QL[at];         // m3/s
        const double qMid = (qStart + qEnd) / 2; // m3/s
        bool capSet = false;

        // One classical Runge-Kutta step; each k is a level increment over the period, m.
        std::optional<Failure> failure;
        auto stage = [&](double Z, double Qin) -> double {
            if (failure) return 0;
            if (!std::isfinite(Z)) {
                failure = notFinite(i);
                return 0;
            }
            Expected<double> rate = levelRate(Z, Qin, i, capSet);
            if (!rate) {
                failure = rate.failure();
                return 0;
            }
            return T * *rate;
        };
        const double k1 = stage(Zs, qStart);
        const double k2 = stage(Zs + k1 / 2, qMid);
        const double k3 = stage(Zs + k2 / 2, qMid);
        const double k4 = stage(Zs + k3, qEnd);
        if (failure) return *failure;
        const double Zn = Zs + (k1 + 2 * k2 + 2 * k3 + k4) / 6; // m
        if (!std::isfinite(Zn)) return notFinite(i);

        PeriodRecord record;
        record.period = i;
        record.inflow = qEnd;
        if (Zn < data.ZM) {
            // The level is not let below the flood-control lower level: it is held there and
            // the reservoir passes the inflow, without the station flow and without the cap.
            Zs = data.ZM;
            record.held = true;
            record.level = data.ZM;
            record.total = qEnd;
        } else {
            Zs = Zn; // the next period goes on from the unrounded level
            record.level = Round2(Zn);
            record.tunnels = Round2(outlets.TunnelFlow(Zn));
            record.spillways = Round2(outlets.SpillwayFlow(Zn));
            record.variableSpillways = Round2(outlets.VariableSpillwayFlow(Zn));
            record.orifices = Round2(outlets.OrificeFlow(Zn));
            record.other = Round2(outlets.OtherFlow(Zn));
            double total =
                ((((record.tunnels + record.spillways) + data.W) + record.variableSpillways) +
                 record.orifices) +
                record.other; // m3/s
            if (!std::isfinite(total)) return notFinite(i);
            if (total > data.QA) {
                total = data.QA;
                capSet = true;
            }
            record.total = total;
        }
        record.capSet = capSet;
        result.Z[at] = Zs;
        result.Q[at] = record.total;
        result.records.push_back(record);
    }

    // Strict comparisons: the earliest period reaching a maximum names it.
    result.Zmax = result.Z[0];
    result.Qmax = result.Q[0];
    result.QmaxPeriod = 0;
    for (int i = 1; i <= J; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (result.Z[at] > result.Zmax) result.Zmax = result.Z[at];
        if (result.Q[at] > result.Qmax) {
            result.Qmax = result.Q[at];
            result.QmaxPeriod = i;
        }
    }
    return result;
}

} // namespace m4
