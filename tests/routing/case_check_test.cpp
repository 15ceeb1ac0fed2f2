// m4 check's analysis: every problem of a case with its line, and the error estimates on a
// reservoir whose level is known in closed form.

#include "case/case_file.h"
#include "common/gbk.h"
#include "routing/case_check.h"
#include "routing/routing.h"
#include "test_files.h"

#include <QStringList>

#include <cmath>
#include <utility>

#include <gtest/gtest.h>

using namespace m4;

namespace {

using m4test::caseBytes;

// A tank of 71 m2 filled from empty by 12.3 m3/s and emptied through an orifice whose sill
// and opening put the head at the level itself: Q = c sqrt(h), c = 0.98437 * 1 * 1 * sqrt(19.62)
// = 4.3602 m^2.5/s. With u = sqrt(h), A dh/dt = Qin - c u integrates to
//   t = 2A (-u/c - (Qin/c^2) ln(1 - c u / Qin)).
constexpr double kArea = 71;        // m2
constexpr double kInflow = 12.3;    // m3/s
constexpr double kOrifice = 4.3602; // m^2.5/s

QByteArray analyticReservoir(int periods) {
    QStringList lines{"Tank", "1%", "2", "0,0.0071", "100,0.0071", QString::number(periods), "10"};
    for (int i = 0; i <= periods; ++i) lines << "12.3";
    lines << QStringLiteral("0|0|0|0|1000|0|0|1|-1,1000,1,1,0.984366689712992,-1|0|0").split(u'|');
    return caseBytes(lines);
}

double exactLevel(double t) {
    const auto timeToReach = [](double u) {
        return 2 * kArea *
               (-u / kOrifice -
                kInflow / (kOrifice * kOrifice) * std::log(1 - kOrifice * u / kInflow));
    };
    double lo = 0, hi = kInflow / kOrifice; // u rises towards its equilibrium
    for (int i = 0; i < 200; ++i) {
        const double mid = (lo + hi) / 2;
        (timeToReach(mid) < t ? lo : hi) = mid;
    }
    return lo * lo;
}

TEST(CaseCheck, StepDoublingEstimatesTheErrorOfTheAnalyticReservoir) {
    const QByteArray bytes = analyticReservoir(60);
    const CaseCheck check = checkCaseBytes(bytes, "M-4Tank.INT");
    EXPECT_TRUE(check.problems.empty());
    ASSERT_TRUE(check.quality);
    const RoutingQuality& q = *check.quality;

    const double exact = exactLevel(10);
    EXPECT_NEAR(exact, 1.2543, 5e-5);
    const RoutingResult routed = route(parseCaseData(bytes, "M-4Tank.INT").value()).value();
    EXPECT_NEAR(routed.Z[1], 1.2708, 5e-5); // one Runge-Kutta step
    const double trueError = routed.Z[1] - exact;
    ASSERT_TRUE(q.levelError);
    EXPECT_EQ(q.levelErrorPeriod, 1); // the start from an empty tank is the hardest step
    EXPECT_GT(*q.levelError, trueError / 2);
    EXPECT_LT(*q.levelError, trueError * 3 / 2);
    EXPECT_GT(q.outflowError.value_or(0), 0);

    // 600 s of inflow: the tank nearly full, the outflow nearly the inflow.
    EXPECT_NEAR(q.inflowVolume, kInflow * 600, 1e-9);
    EXPECT_LT(std::abs(q.continuityPercent.value_or(1)), 0.5);
    EXPECT_NEAR(q.storageChange, kArea * routed.Z.back(), 1e-6);
    EXPECT_TRUE(q.heldPeriods.empty());
    EXPECT_TRUE(q.cappedPeriods.empty());
}

struct Change {
    int line;         ///< 1-based line of the sound case
    const char* text; ///< its new text, or the line put before it; none removes the line
    bool insert = false;
};

TEST(CaseCheck, EveryProblemAtOnceWithItsLineAndMessage) {
    using Found = std::vector<std::pair<Fault, int>>;
    using enum Fault;
    const struct {
        std::vector<Change> changes; ///< from the end of the file to its start
        Found found;
        const char* says; ///< the message of the first problem
    } cases[] = {
        {{}, {}, ""},
        {{{5, "95,25"}},
         {{LevelsNotIncreasing, 5}},
         "水位没有逐点升高：水库水位面积第2点水位95低于第1点水位100"},
        {{{5, "100,25"}}, {{LevelRepeated, 5}}, "水位重复：水库水位面积第2点与第1点水位同为100"},
        {{{6, "120,-0"}}, {{AreaNotPositive, 6}}, "水库水位面积第3点面积为0，水面面积必须大于零"},
        // The run's own refusal says the same and is not repeated.
        {{{13, "130.5"}}, {{StartOutsideCurve, 13}}, "调洪起始水位Z0=130.5不在水位~面积曲线范围内"},
        {{{8, "0"}}, {{PeriodNotPositive, 8}}, "时段间隔T=0不是正数"},
        {{{16, "0.00001"}}, {{QaBelowW, 16}}, "下游限制泄量小于电站常流量：QA=1E-05，W=5"},
        {{{18, "4,5,120,0.9,4,5,100,300"}},
         {{OutletAboveCurve, 18}},
         "泄流设施在水位~面积曲线范围内不泄流：泄洪洞参数第1行进口底高程120不低于曲线最高水位120"},
        {{{20, "0.48,20,120"}},
         {{OutletAboveCurve, 20}},
         "泄流设施在水位~面积曲线范围内不泄流：溢洪道参数第1行底高程120不低于曲线最高水位120"},
        {{{22, "106,109,3,2,0.6,118"}},
         {{OutletAboveCurve, 22}},
         "泄流设施在水位~面积曲线范围内不泄流：变宽高泄流孔第1行闸门顶高程（闸底高程加开度）120"
         "不低于曲线最高水位120"},
        {{{24, "108,111,0.45,12,121.5"}},
         {{OutletAboveCurve, 24}},
         "泄流设施在水位~面积曲线范围内不泄流：变宽溢洪道第1行闸底高程121.5不低于曲线最高水位120"},
        {{{23, "108,111,3,2,0.6,104", true}, {21, "2"}},
         {{StatesOverlap, 23}},
         "状况的水位范围重叠：变宽高泄流孔第1行（106~109）与第2行（108~111）在水位108~109重叠，"
         "计算取第2行"},
        {{{23, "110,111,3,2,0.6,104", true}, {21, "2"}},
         {{StatesGap, 23}},
         "状况的水位范围有空缺：变宽高泄流孔在水位109~110之间没有适用的状况，此间不泄流"},
        // Problems of one line keep the order in which they were found.
        {{{24, "111,108,0.45,12,121.5"}},
         {{StateEmpty, 24}, {OutletAboveCurve, 24}},
         "状况永不适用：变宽溢洪道第1行下限水位111不低于上限水位108"},
        {{{27, "90,800"}},
         {{LevelsNotIncreasing, 27}},
         "水位没有逐点升高：泄流曲线第2点水位90低于第1点水位100"},
        // Rows beyond a count shift every later item of the run's reader.
        {{{7, "125,50", true}},
         {{RowsDisagree, 3}, {TooFewItems, 29}},
         "个数与表格行数不符：K=3，水库水位面积应有3行，实有4行"},
        {{{12, "250", true}},
         {{RowsDisagree, 7}, {TunnelsAbove10, 17}},
         "个数与表格行数不符：J=2，洪水过程应有3行，实有4行"},
        // Without tunnels the hydrograph runs up to the spillway row instead.
        {{{18, nullptr}, {17, "0"}, {12, "250", true}},
         {{RowsDisagree, 7}, {TunnelsAbove10, 17}},
         "个数与表格行数不符：J=2，洪水过程应有3行，实有4行"},
        // No tunnels: a row of three values after two counts is taken for the next table's.
        {{{18, "0"}, {17, "0"}},
         {{RowItems, 20}, {RowItems, 22}, {RowItems, 24}, {TrailingLines, 25}, {TooFewItems, 28}},
         "本行数据个数不对：变宽高泄流孔第1行应有6个数据，实有3个"},
        {{{18, ""}},
         {{RowItems, 18}, {TooFewItems, 28}},
         "本行数据个数不对：泄洪洞参数第1行应有8个数据，实有1个"},
        // A quoted item runs across line ends: the name is one item of the first line, and the
        // lines after it are numbered as they stand in the file.
        {{{5, "95,25"}, {1, "\"Dam,\r\nupper\""}},
         {{LevelsNotIncreasing, 6}},
         "水位没有逐点升高：水库水位面积第2点水位95低于第1点水位100"},
        {{{1, "Dam, upper"}},
         {{FieldItems, 1}, {NotANumber, 2}},
         "本行数据个数不对：工程名应为1个数据，实有2个"},
        {{{28, "end", true}}, {{TrailingLines, 28}}, "此行起的内容不属于任何数据项，计算时不读"},
        // A faulty item is named once, not again by what its value seems to say.
        {{{20, "0.48,20,125"}, {16, "1e999"}, {5, "abc,25"}},
         {{NotANumber, 5}, {NotFinite, 16}, {OutletAboveCurve, 20}},
         "数据项“abc”不是数值"},
        {{{27, ""}, {26, "100"}},
         {{RowsDisagree, 25}, {RowItems, 26}, {TooFewItems, 28}},
         "个数与表格行数不符：KK2=2，泄流曲线应有2行，实有1行"},
    };
    for (const auto& c : cases) {
        QStringList lines = m4test::fullCaseLines();
        for (const Change& change : c.changes) {
            if (!change.insert) lines.removeAt(change.line - 1); // replaced or removed
            if (change.text) lines.insert(change.line - 1, QString::fromUtf8(change.text));
        }
        const CaseCheck check = checkCaseBytes(caseBytes(lines), "M-4Dam.INT");
        Found found;
        for (const Failure& p : check.problems) found.emplace_back(p.fault, p.line);
        EXPECT_EQ(found, c.found) << c.says;
        if (check.problems.empty() || c.found.empty()) continue;
        const QString first = describe(check.problems[0]);
        EXPECT_EQ(first.section(u'\n', 0, 0), QString::fromUtf8(c.says));
        EXPECT_EQ(first.section(u'\n', 1),
                  QStringLiteral("文件：M-4Dam.INT，第%1行").arg(c.found[0].second));
    }
}

TEST(CaseCheck, TheContinuityErrorIsANumberWhenTheRunStartsOnACurvePoint) {
    QStringList lines = m4test::fullCaseLines();
    lines[3] = QStringLiteral("-1e300,10"); // slope times width overflows: only touch its top
    lines[4] = QStringLiteral("100,1e9");
    lines[5] = QStringLiteral("120,1e9");
    lines[12] = QStringLiteral("100"); // where nothing flows out: the level rises
    const CaseCheck check = checkCaseBytes(caseBytes(lines), "M-4Dam.INT");
    ASSERT_TRUE(check.quality && check.quality->continuityPercent);
    EXPECT_TRUE(std::isfinite(check.quality->storageChange));
    EXPECT_TRUE(std::isfinite(*check.quality->continuityPercent));
}

} // namespace
