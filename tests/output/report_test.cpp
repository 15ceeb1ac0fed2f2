#include "output/report.h"

#include "qt_print.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

namespace m4 {
namespace {

QString blanks(int n) {
    return QString(n, u' ');
}

// Lines of a report text; every line must end in CR LF, with no bare CR or LF anywhere.
QStringList linesOf(const QString& text) {
    EXPECT_TRUE(text.isEmpty() || text.endsWith(QStringLiteral("\r\n")));
    EXPECT_EQ(text.count(u'\n'), text.count(QStringLiteral("\r\n")));
    EXPECT_EQ(text.count(u'\r'), text.count(QStringLiteral("\r\n")));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

CaseData smallCase() {
    CaseData d;
    d.projectName = QStringLiteral("示例水库");
    d.frequency = QStringLiteral("1%");
    d.curve = {{100, 10}, {110, 25}, {120, 45}};
    d.QL = {50, 120, 200};
    d.T = 600, d.ZM = 105, d.Z0 = 108, d.Q0 = 50, d.W = 5, d.QA = 500;
    return d;
}

PeriodRecord normal(int period, double other, double total, bool capSet = false) {
    return {period, false, 101.5, 80, 10, 20, 30, 40, other, total, capSet};
}
PeriodRecord held(int period, bool capSet = false) {
    return {period, true, 105, 70, 0, 0, 0, 0, 0, 70, capSet};
}

TEST(ReportTest, PeriodLineFormsFollowHeldPeriodsAndTheCapFlag) {
    CaseData d = smallCase();
    d.spillways = {{0.48, 20, 112}};
    RoutingResult r;
    r.records = {normal(1, 50, 500, true),
                 normal(2, 50, 195),
                 held(3, true),
                 held(4),
                 normal(5, 50, 195),
                 normal(6, 12345.678, 1234567.891)};
    const QStringList lines = linesOf(reportText(d, r, "x.out"));
    EXPECT_EQ(lines.mid(lines.size() - 11),
              QStringList({
                  "",
                  blanks(29) + "二.计算结果:",
                  "",
                  " 时段  水位     河道    泄洪洞   溢洪道   泄流孔   变宽溢    其它     下泄",
                  "               来水量    流量     流量     流量    洪流量   泄流量   总流量",
                  "   1  101.50    80.00  -------  -------  -------  -------    50.00   500.00",
                  "   2  101.50    80.00    10.00    20.00    30.00    40.00    50.00   195.00",
                  "   3  105.00    70.00  -------  -------  -------  -------  -------    70.00",
                  "   4  105.00    70.00  -------  -------  -------  -------  -------    70.00",
                  "   5  101.50    80.00  -------  -------  -------  -------    50.00   195.00",
                  "   6  101.50    80.00    10.00    20.00    30.00    40.00 12345.68234567.89",
              }));
}

TEST(ReportTest, CaseWithOnlyTheTableOutletDashesEveryNormalPeriod) {
    CaseData d = smallCase();
    RoutingResult r;
    r.records = {normal(1, 50, 55), held(2), normal(10000, -3, 2)};
    const QStringList lines = linesOf(reportText(d, r, "x.out"));
    EXPECT_EQ(lines.mid(lines.size() - 3),
              QStringList(
                  {"   1  101.50    80.00  -------  -------  -------  -------    50.00    55.00",
                   "   2  105.00    70.00  -------  -------  -------  -------  -------    70.00",
                   "0000  101.50    80.00  -------  -------  -------  -------    -3.00     2.00"}));
    r.records.clear();
    EXPECT_TRUE(reportText(d, r, "x.out").endsWith(u"总流量\r\n"));
}

TEST(ReportTest, ExampleCaseMatchesTheGoldenText) {
    CaseData d = smallCase();
    d.tunnels = {{4, 5, 100, 0.9, 4, 5, 100, 300}};
    d.spillways = {{0.48, 20, 112}};
    d.dischargeTable = {{100, 0}, {120, 800}};
    RoutingResult r;
    r.records = {{1, false, 108.37, 120, 151.26, 0, 0, 0, 664.6, 500, true},
                 {2, false, 109.05, 200, 153.02, 0, 0, 0, 0, 158.02, false}};
    QFile golden(QStringLiteral(M4_TEST_DATA "/output/example_head.txt"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    // The golden file keeps LF line ends in the repository; the report's are CR LF.
    const QString text = reportText(d, r, QStringLiteral("/cases/M-4EXAMPLE.out"));
    EXPECT_EQ(linesOf(text).size(), 59);
    EXPECT_EQ(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
              QString::fromUtf8(golden.readAll()));
}

} // namespace
} // namespace m4
