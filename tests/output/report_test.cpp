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

// Columns on a fixed-pitch display, where a Chinese character takes two.
int displayColumns(const QString& s) {
    int columns = 0;
    for (QChar c : s) columns += c.unicode() < 0x80 ? 1 : 2;
    return columns;
}

CaseData smallCase() {
    CaseData d;
    d.projectName = QStringLiteral("示例水库");
    d.frequency = QStringLiteral("1%");
    d.curve = {{100, 10}, {110, 25}, {120, 45}};
    d.T = 600;
    d.QL = {50, 120, 200};
    d.ZM = 105;
    d.Z0 = 108;
    d.Q0 = 50;
    d.W = 5;
    d.QA = 500;
    return d;
}

QStringList originalData(const CaseData& d) {
    ReportWriter w;
    w.WriteOriginalData(d);
    return linesOf(w.text());
}

PeriodRecord normal(int period, double other, double total, bool capSet = false) {
    return {period, false, 101.5, 80, 10, 20, 30, 40, other, total, capSet};
}
PeriodRecord held(int period, bool capSet = false) {
    return {period, true, 105, 70, 0, 0, 0, 0, 0, 70, capSet};
}

TEST(ReportTest, FileLineBannerAndProjectLines) {
    ReportWriter w;
    w.OpenReport(QStringLiteral("/cases/M-4A.out"));
    CaseData d = smallCase();
    d.projectName.clear();
    d.frequency.clear();
    w.WriteReportHead(d);
    const QString stars = " " + QString(72, u'*');
    EXPECT_EQ(
        linesOf(w.text()),
        QStringList({"文件：/cases/M-4A.out", "", stars,
                     " *****" + blanks(17) + "青岚七号综合分析器计算书 M-4G" + blanks(16) + "*****",
                     stars, "     工程名:       频率:"}));
    EXPECT_EQ(originalData(d)[4], " 工程名:   频率:");
}

TEST(ReportTest, EveryKeyStartsAtDisplayColumn42) {
    const QStringList lines = originalData(smallCase());
    int keys = 0;
    for (const QString& line : lines) {
        for (const char* key : {"J=", "T=", "ZM=", "Z0=", "a1Q(0)=", "W=", "QA=", "G0=", "H0=",
                                "KK1=", "KK0=", "KK2="}) {
            if (!line.contains(QLatin1String(key))) continue;
            EXPECT_EQ(displayColumns(line.left(line.indexOf(QLatin1String(key)))), 41)
                << line.toStdString();
            ++keys;
        }
    }
    EXPECT_EQ(keys, 12);
    EXPECT_EQ(lines[2], blanks(29) + "一.原始数据:");
    EXPECT_TRUE(lines.contains(" 时段间隔(秒)" + blanks(28) + "T= 600 "));
}

TEST(ReportTest, LevelAreaPointsTwoToALine) {
    CaseData d = smallCase();
    QStringList lines = originalData(d);
    EXPECT_EQ(lines[6], " 水位~水面面积关系曲线结点数 K= 3 ");
    EXPECT_EQ(lines[8].size(), 50);
    EXPECT_EQ(lines[9], "   100.00          10.00         110.00          25.00");
    EXPECT_EQ(lines[10], "   120.00          45.00");
    EXPECT_EQ(lines[11], " ");
    d.curve.pop_back();
    lines = originalData(d);
    EXPECT_EQ(lines[9].size(), 54);
    EXPECT_EQ(lines[10], "");
    EXPECT_EQ(lines[11], " ");
}

TEST(ReportTest, HydrographSevenValuesToALineAfterTheFirst) {
    CaseData d = smallCase();
    const auto hydrograph = [&d](int J) {
        d.QL.assign(static_cast<std::size_t>(J) + 1, 1.5);
        QStringList lines = originalData(d);
        const auto first = lines.indexOf(" 洪水过程(立方米/秒):") + 1;
        return lines.mid(first, lines.indexOf(" ", first) - first);
    };
    const QString one = "      1.50";
    EXPECT_EQ(hydrograph(0), QStringList({one, ""}));
    EXPECT_EQ(hydrograph(7), QStringList({one, one.repeated(7), ""}));
    EXPECT_EQ(hydrograph(8), QStringList({one, one.repeated(7), one}));
}

TEST(ReportTest, EmptyOutletTablesLeaveOnlyTheirCountLines) {
    CaseData d = smallCase();
    const QStringList lines = originalData(d);
    EXPECT_EQ(lines.mid(lines.size() - 11),
              QStringList({" ", " ", " 泄洪洞个数" + blanks(30) + "G0= 0 ", "",
                           " 溢洪道数" + blanks(32) + "H0= 0 ", " ",
                           " 变宽变高的泄流孔状况数" + blanks(18) + "KK1= 0 ", " ",
                           " 变宽的溢洪道状况数" + blanks(22) + "KK0= 0 ", " ",
                           " 其它泄流方式,水位～泄流量曲线点数" + blanks(7) + "KK2= 0 "}));
    d.curve.clear();
    d.QL.clear();
    d.QL.push_back(0);
    EXPECT_EQ(originalData(d)[6], " 水位~水面面积关系曲线结点数 K= 0 ");
    EXPECT_EQ(originalData(d)[9], "");
}

TEST(ReportTest, OutletTableRowsAndHeadings) {
    CaseData d = smallCase();
    d.tunnels = {{4, 5, 100, 0.9, 4, 5, 100, 300}};
    d.spillways = {{0.48, 20, 112}};
    d.orifices = {{100, 110, 3, 2.5, 0.8, 98}};
    d.variableSpillways = {{100, 110, 0.45, 12, 101}};
    d.dischargeTable = {{100, -5}};
    const QStringList lines = originalData(d);
    const auto rowsAfter = [&lines](const char* heading, int count) {
        return lines.mid(lines.indexOf(QString::fromUtf8(heading)) + 1, count);
    };
    const QStringList tunnel = rowsAfter(
        " 进口宽    进口高  进口高程   流量系数   闸门宽    闸门高 闸门底高程 限泄流量 ", 4);
    EXPECT_EQ(tunnel[0].size(), 68);
    EXPECT_EQ(tunnel[1].size(), 78);
    EXPECT_EQ(tunnel.mid(2),
              QStringList({"  4.00      5.00    100.00      0.90      4.00      5.00 "
                           "   100.00    300.00",
                           ""}));
    EXPECT_EQ(rowsAfter(" 流量系数   底宽(米)  底高程(米)", 2)[1], "    0.48     20.00    112.00");
    EXPECT_EQ(
        rowsAfter(" 下限水位(米) 上限水位(米) 闸门宽(米) 开启高(米) 流量系数 闸底高程(米)", 2)[1],
        "    100.00       110.00       3.00       2.50       0.80      98.00");
    EXPECT_EQ(rowsAfter(" 下限水位(米) 上限水位(米)  流量系数  闸孔宽(米) 闸底高程(米)", 2)[1],
              "    100.00       110.00       0.45      12.00     101.00");
    EXPECT_EQ(lines.last(), "     100.00      -5.00");
    EXPECT_EQ(lines[lines.size() - 2], "       ZZ0         QQ");
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
    for (const QString& line : lines.mid(lines.size() - 6)) EXPECT_EQ(line.size(), 75);
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
    for (const QString& line : lines.mid(lines.size() - 3)) EXPECT_EQ(line.size(), 75);
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
