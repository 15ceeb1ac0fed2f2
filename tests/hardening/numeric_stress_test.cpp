// Extreme numbers: huge and tiny values, periods of 1 s and of 10^7 s, flat hydrographs, a
// downstream limit of 0. Every run either gives finite levels, flows, report and chart or is
// refused with a message; where the answer is known in closed form, it is checked.

#include "hardening_support.h"

#include "case/case_data.h"
#include "output/chart.h"
#include "output/report.h"
#include "routing/routing.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>

namespace m4::hardening {
namespace {

constexpr double kAreaUnit = 10000; ///< m2 per unit of F (10^4 m2)

/// A reservoir with a constant area over the given levels, no outlet works, W = 0, no cap.
CaseData prismaticReservoir(double area, double low, double high) {
    CaseData data;
    data.projectName = QStringLiteral("棱柱水库");
    data.frequency = QStringLiteral("1%");
    data.curve = {{low, area}, {high, area}};
    data.T = 3600;
    data.ZM = low;
    data.Z0 = low;
    data.QA = 1e6;
    return data;
}

/// The lines of the report that hold numbers: not the file line, not the user's names.
QStringList numericReportLines(const QString& report) {
    QStringList lines = report.split(QStringLiteral("\r\n"));
    lines.removeFirst();
    lines.removeIf([](const QString& line) { return line.contains(QStringLiteral("工程名:")); });
    return lines;
}

/// Either a refusal with a message, or finite results all the way to the report and chart.
void expectFiniteOrRefused(const CaseData& data, const char* what) {
    SCOPED_TRACE(what);
    const Expected<RoutingResult> routed = route(data);
    if (!routed) {
        EXPECT_FALSE(describe(routed.failure()).isEmpty());
        return;
    }
    for (size_t i = 0; i < routed->Z.size(); ++i)
        ASSERT_TRUE(std::isfinite(routed->Z[i]) && std::isfinite(routed->Q[i])) << "period " << i;
    for (const PeriodRecord& r : routed->records)
        ASSERT_TRUE(std::isfinite(r.level) && std::isfinite(r.total) && std::isfinite(r.tunnels) &&
                    std::isfinite(r.spillways) && std::isfinite(r.orifices) &&
                    std::isfinite(r.variableSpillways) && std::isfinite(r.other))
            << "record of period " << r.period;
    const QString report = reportText(data, *routed, QStringLiteral("/cases/stress.out"));
    for (const QString& line : numericReportLines(report)) {
        const QString lower = line.toLower();
        EXPECT_FALSE(lower.contains(QLatin1String("inf")) || lower.contains(QLatin1String("nan")))
            << line.toStdString();
    }
    const ChartGeometry chart = chartGeometry(data, *routed, QStringLiteral("/cases/stress.bmp"));
    for (const ChartSegment& s : chart.segments)
        ASSERT_TRUE(std::isfinite(s.x1) && std::isfinite(s.y1) && std::isfinite(s.x2) &&
                    std::isfinite(s.y2));
    for (const ChartText& t : chart.texts) {
        EXPECT_TRUE(std::isfinite(t.x) && std::isfinite(t.y));
        EXPECT_FALSE(t.text.contains(QLatin1String("inf")) || t.text.contains(QLatin1String("nan")))
            << t.text.toStdString();
    }
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
        expectFiniteOrRefused(data, "zero limit");
        // Every period line is dashed: the cut hides the outlets.
        const QStringList lines =
            reportText(data, *routed, QStringLiteral("/c/z.out")).split(QStringLiteral("\r\n"));
        const QString dashes = QStringLiteral("  -------  -------  -------  -------");
        for (qsizetype i = lines.size() - 1 - data.J(); i < lines.size() - 1; ++i)
            EXPECT_TRUE(lines[i].contains(dashes)) << lines[i].toStdString();
    }
}

// An inflow that equals the constant power-station flow leaves the level exactly where it is;
// the chart then has no level range and no discharge range, and says so instead of dividing
// by zero.
TEST(NumericStress, FlatHydrographKeepsTheLevelAndTheChartSaysWhy) {
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
    const ChartGeometry chart = chartGeometry(data, *routed, QStringLiteral("/c/flat.bmp"));
    EXPECT_FALSE(chart.kZ.has_value());
    EXPECT_FALSE(chart.kQ.has_value());
    EXPECT_FALSE(chart.gaps.empty());
    expectFiniteOrRefused(data, "flat");
}

// A hydrograph of no periods (J = 0) is routed to nothing and still reported and charted.
TEST(NumericStress, NoPeriodsGivesHeadOnlyReportAndAxesOnlyChart) {
    CaseData data = prismaticReservoir(30, 100, 110);
    data.QL = {500};
    const Expected<RoutingResult> routed = route(data);
    ASSERT_TRUE(routed.ok()) << describe(routed.failure()).toStdString();
    EXPECT_TRUE(routed->records.empty());
    const ChartGeometry chart = chartGeometry(data, *routed, QStringLiteral("/c/none.bmp"));
    EXPECT_FALSE(chart.dx.has_value());
    EXPECT_FALSE(chart.gaps.empty());
    expectFiniteOrRefused(data, "J = 0");
}

/// The full example case of the tests, with its outlets, read as numbers.
CaseData fullCase() {
    CaseData data;
    data.projectName = QStringLiteral("青岚七号水库");
    data.frequency = QStringLiteral("0.1%");
    data.curve = {{100, 10}, {105, 20}, {110, 35}, {115, 55}, {120, 80}};
    data.T = 3600;
    data.QL = {100, 300, 800, 1500, 2000, 1800, 1200, 700, 400, 200, 100};
    data.ZM = 104;
    data.Z0 = 105;
    data.Q0 = 50;
    data.W = 20;
    data.QA = 1200;
    data.tunnels = {{5, 6, 95, 0.85, 5, 5, 95, 400}, {4, 5, 100, 0.8, 4, 4, 100, 300}};
    data.spillways = {{0.48, 20, 110}, {0.46, 15, 112}};
    data.orifices = {{100, 108, 4, 3, 0.8, 98}, {108, 125, 4, 5, 0.8, 98}};
    data.variableSpillways = {{100, 109, 0.45, 10, 107}, {109, 125, 0.45, 14, 107}};
    data.dischargeTable = {{100, 0}, {110, 50}, {120, 150}};
    return data;
}

TEST(NumericStress, ExtremePeriodLengths) {
    for (const double T : {1.0, 1e7, 0.0, -3600.0}) {
        CaseData data = fullCase();
        data.T = T;
        expectFiniteOrRefused(data, qPrintable(QStringLiteral("T = %1").arg(T)));
    }
    // One second moves the level by at most the largest inflow over the smallest area.
    CaseData oneSecond = fullCase();
    oneSecond.T = 1;
    const Expected<RoutingResult> routed = route(oneSecond);
    ASSERT_TRUE(routed.ok());
    for (double z : routed->Z) EXPECT_NEAR(z, oneSecond.Z0, 10 * 2000 / (10 * kAreaUnit));
}

TEST(NumericStress, HugeAndTinyValues) {
    struct Variant {
        const char* what;
        void (*apply)(CaseData&);
    };
    const Variant variants[] = {
        {"huge inflow", [](CaseData& d) { d.QL.assign(d.QL.size(), 1e300); }},
        {"huge negative inflow", [](CaseData& d) { d.QL.assign(d.QL.size(), -1e300); }},
        {"tiny inflow", [](CaseData& d) { d.QL.assign(d.QL.size(), 1e-300); }},
        {"tiny areas",
         [](CaseData& d) {
             for (auto& p : d.curve) p.F = 1e-300;
         }},
        {"huge areas",
         [](CaseData& d) {
             for (auto& p : d.curve) p.F = 1e300;
         }},
        {"huge levels",
         [](CaseData& d) {
             for (auto& p : d.curve) p.ZP *= 1e305;
             d.Z0 *= 1e305;
             d.ZM *= 1e305;
         }},
        {"levels near the largest double",
         [](CaseData& d) {
             d.curve = {{1e308, 10}, {1.7e308, 10}};
             d.Z0 = d.ZM = 1.2e308;
         }},
        {"huge outlet dimensions",
         [](CaseData& d) {
             for (auto& t : d.tunnels) t.B1 = t.B11 = 1e300;
         }},
        {"huge limits", [](CaseData& d) { d.QA = d.W = 1e308; }},
        {"tiny limit", [](CaseData& d) { d.QA = 1e-300; }},
        {"zero limit", [](CaseData& d) { d.QA = 0; }},
        {"huge start outflow", [](CaseData& d) { d.Q0 = 1e308; }},
        {"denormal everything",
         [](CaseData& d) {
             d.QL.assign(d.QL.size(), 4e-320);
             d.W = 4e-320;
         }},
        {"huge discharge table",
         [](CaseData& d) {
             d.dischargeTable = {{100, 0}, {100.0000001, 1e308}};
         }},
    };
    for (const Variant& v : variants) {
        CaseData data = fullCase();
        v.apply(data);
        expectFiniteOrRefused(data, v.what);
    }
}

} // namespace
} // namespace m4::hardening
