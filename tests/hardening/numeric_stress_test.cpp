// Runs whose answer is known in closed form. Whether extreme numbers give finite results or a
// message is the fuzz targets' check, over the inputs kept in fuzz/corpus.

#include "case/case_data.h"
#include "output/chart.h"
#include "output/report.h"
#include "routing/routing.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>

namespace m4 {
namespace {

constexpr double kAreaUnit = 10000; ///< m2 per unit of F (10^4 m2)

/// A reservoir with a constant area over the given levels, no outlet works, W = 0, no cap.
CaseData prismaticReservoir(double area, double low, double high) {
    CaseData data;
    data.curve = {{low, area}, {high, area}};
    data.T = 3600;
    data.ZM = low;
    data.Z0 = low;
    data.QA = 1e6;
    return data;
}

// With QA = 0 every outflow is cut to nothing, so the reservoir stores the whole inflow. With a
// constant area the level then rises by the trapezoidal volume of each period over the area,
// which the Runge-Kutta step reproduces exactly (the rate does not depend on the level), for
// periods of 1 s as for periods of 10^7 s.
TEST(NumericStress, ZeroLimitStoresTheWholeInflow) {
    for (const double T : {1.0, 3600.0, 1e7}) {
        SCOPED_TRACE(T);
        CaseData data = prismaticReservoir(50, 100, 120);
        data.T = T;
        data.QA = 0;
        data.QL = {0, 100, 250, 400, 250, 100, 30};
        data.spillways = {{0.48, 20, 0}}; // crest below every level: always discharging
        const Expected<RoutingResult> routed = route(data);
        ASSERT_TRUE(routed.ok()) << describe(routed.failure()).toStdString();
        double level = data.Z0;
        for (int i = 1; i <= data.J(); ++i) {
            const auto at = static_cast<size_t>(i);
            level += T * ((data.QL[at - 1] + data.QL[at]) / 2) / (50 * kAreaUnit);
            EXPECT_NEAR(routed->Z[at], level, 1e-9 * std::abs(level)) << "period " << i;
            EXPECT_EQ(routed->Q[at], 0) << "period " << i;
            EXPECT_TRUE(routed->records[at - 1].capSet) << "period " << i;
        }
        // Every period line is dashed: the cut hides the outlets.
        const QStringList lines =
            reportText(data, *routed, QStringLiteral("/c/z.out")).split(QStringLiteral("\r\n"));
        const QString dashes = QStringLiteral("  -------  -------  -------  -------");
        for (qsizetype i = lines.size() - 1 - data.J(); i < lines.size() - 1; ++i)
            EXPECT_TRUE(lines[i].contains(dashes)) << lines[i].toStdString();
    }
}

// An inflow that equals the constant power-station flow leaves the level exactly where it is.
TEST(NumericStress, FlatHydrographKeepsTheLevel) {
    CaseData data = prismaticReservoir(30, 100, 110);
    data.Z0 = data.ZM = 105;
    data.W = 80;
    data.Q0 = 80;
    data.QL.assign(25, 80);
    const Expected<RoutingResult> routed = route(data);
    ASSERT_TRUE(routed.ok()) << describe(routed.failure()).toStdString();
    for (double z : routed->Z) EXPECT_EQ(z, 105);
    for (double q : routed->Q) EXPECT_EQ(q, 80);
    EXPECT_EQ(routed->QmaxPeriod, 0);
}

} // namespace
} // namespace m4
