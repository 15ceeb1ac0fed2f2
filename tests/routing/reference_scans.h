#pragma once
// The routing written the slow, literal way: every table scanned row by row in list order,
// every formula as the hydraulics give it. The engine must agree with it bit for bit.

#include "case/case_data.h"
#include "routing/round2.h"
#include "routing/routing_result.h"

#include <cmath>
#include <optional>

namespace m4::ref {

inline double weir(double h) {
    return std::sqrt(19.62 * (h * h * h));
}

/// Every interval holding z overwrites the last area. False when one of them has zero width:
/// the run refuses such a level even when a later interval would have answered.
inline bool area(const std::vector<CurvePoint>& c, double z, std::optional<double>& last) {
    bool sound = true;
    for (std::size_t i = 0; i + 1 < c.size(); ++i) {
        if (c[i].ZP <= z && z <= c[i + 1].ZP) {
            last = c[i].F + ((c[i + 1].F - c[i].F) * (z - c[i].ZP)) / (c[i + 1].ZP - c[i].ZP);
            sound = sound && c[i].ZP != c[i + 1].ZP;
        }
    }
    return sound;
}

inline double tunnels(const CaseData& d, double z) {
    double sum = 0;
    for (const Tunnel& t : d.tunnels) {
        double q = 0;
        if (z > t.C1 && z <= t.C1 + 1.15 * t.A1) q = 0.35 * t.B1 * weir(z - t.C1);
        if (z > t.C1 && z > t.C1 + 1.15 * t.A1 && (z - t.C11) - t.A11 >= 0)
            q = t.M11 * t.B11 * t.A11 * std::sqrt(19.62 * ((z - t.C11) - t.A11));
        if (q > t.GM) q = t.GM;
        sum += q;
    }
    return sum;
}

inline double spillways(const CaseData& d, double z) {
    double sum = 0;
    for (const Spillway& s : d.spillways) sum += z > s.C2 ? s.M2 * s.B2 * weir(z - s.C2) : 0;
    return sum;
}

inline double orifices(const CaseData& d, double z) {
    double q = 0;
    for (const OrificeState& s : d.orifices)
        if (s.ZZ1 <= z && z < s.ZZ2)
            q = (z - s.VV) - s.AA < 0 ? 0
                                      : s.MM * s.BB * s.AA * std::sqrt(19.62 * ((z - s.VV) - s.AA));
    return q;
}

inline double variableSpillways(const CaseData& d, double z) {
    double q = 0;
    for (const VariableSpillwayState& s : d.variableSpillways)
        if (s.ZZ3 <= z && z < s.ZZ4) q = z - s.EE < 0 ? 0 : s.MM * s.DD * weir(z - s.EE);
    return q;
}

inline double other(const CaseData& d, double z) {
    const auto& p = d.dischargeTable;
    for (std::size_t i = 0; i + 1 < p.size(); ++i)
        if (p[i].ZZ0 <= z && z < p[i + 1].ZZ0)
            return p[i].QQ + ((p[i + 1].QQ - p[i].QQ) / (p[i + 1].ZZ0 - p[i].ZZ0)) * (z - p[i].ZZ0);
    return 0;
}

/// The whole run; nullopt where the engine must fail (no area yet, or anything not finite).
inline std::optional<RoutingResult> route(const CaseData& d) {
    RoutingResult r;
    std::optional<double> last;
    bool cap = false, bad = false;
    auto rate = [&](double z, double qin) {
        bad = !area(d.curve, z, last) || bad;
        double total = ((((tunnels(d, z) + spillways(d, z)) + d.W) + variableSpillways(d, z)) +
                        orifices(d, z)) +
                       other(d, z);
        bad = bad || !last || !(*last > 0) || !std::isfinite(*last) || !std::isfinite(total);
        if (total > d.QA) {
            total = d.QA;
            cap = true;
        }
        return last ? ((qin - total) / *last) / 10000 : 0.0;
    };
    r.Z = {d.Z0};
    r.Q = {d.Q0};
    double zs = d.Z0;
    for (int i = 1; i <= d.J(); ++i) {
        const double a = d.QL[i - 1], b = d.QL[i];
        cap = false;
        const double k1 = d.T * rate(zs, a);
        const double k2 = d.T * rate(zs + k1 / 2, (a + b) / 2);
        const double k3 = d.T * rate(zs + k2 / 2, (a + b) / 2);
        const double k4 = d.T * rate(zs + k3, b);
        const double zn = zs + (k1 + 2 * k2 + 2 * k3 + k4) / 6;
        if (bad || !std::isfinite(zn)) return std::nullopt;
        PeriodRecord p{i, zn < d.ZM, d.ZM, b, 0, 0, 0, 0, 0, b, false};
        zs = p.held ? d.ZM : zn;
        if (!p.held) {
            p.level = Round2(zn);
            p.tunnels = Round2(tunnels(d, zn));
            p.spillways = Round2(spillways(d, zn));
            p.variableSpillways = Round2(variableSpillways(d, zn));
            p.orifices = Round2(orifices(d, zn));
            p.other = Round2(other(d, zn));
            p.total =
                ((((p.tunnels + p.spillways) + d.W) + p.variableSpillways) + p.orifices) + p.other;
            if (p.total > d.QA) {
                p.total = d.QA;
                cap = true;
            }
        }
        p.capSet = cap;
        r.Z.push_back(zs);
        r.Q.push_back(p.total);
        r.records.push_back(p);
    }
    for (int i = 0; i <= d.J(); ++i) {
        if (i == 0 || r.Z[i] > r.Zmax) r.Zmax = r.Z[i];
        if (i == 0 || r.Q[i] > r.Qmax) {
            r.Qmax = r.Q[i];
            r.QmaxPeriod = i;
        }
    }
    return r;
}

} // namespace m4::ref
