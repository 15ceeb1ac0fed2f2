#include "output/chart.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QHash>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

using namespace m4;

namespace {

constexpr QRgb kBlue = 0xff0000ff, kBlack = 0xff000000, kMagenta = 0xffff00ff;

/// The maxima as a run finds them: the earliest period of the largest outflow.
ChartGeometry chartOf(std::vector<double> QL, std::vector<double> Z, std::vector<double> Q,
                      double ZM = 100, const QString& name = {}) {
    CaseData data;
    data.QL = std::move(QL);
    data.ZM = ZM;
    RoutingResult r;
    r.Zmax = *std::max_element(Z.begin(), Z.end());
    const auto top = std::max_element(Q.begin(), Q.end());
    r.Qmax = *top;
    r.QmaxPeriod = static_cast<int>(top - Q.begin());
    r.Z = std::move(Z);
    r.Q = std::move(Q);
    return chartGeometry(data, r, name);
}

/// The texts as "text @x,y".
QStringList textsOf(const ChartGeometry& g) {
    QStringList out;
    for (const ChartText& t : g.texts)
        out << QStringLiteral("%1 @%2,%3").arg(t.text).arg(t.x).arg(t.y);
    return out;
}

/// The segments as "colour x1,y1 x2,y2", colours as B(lue), K (black) and M(agenta).
QStringList segmentsOf(const ChartGeometry& g) {
    QStringList out;
    const auto at = [](float v) { return QString::number(std::round(v * 1000) / 1000); };
    const QHash<QRgb, QChar> names{{kBlue, u'B'}, {kBlack, u'K'}, {kMagenta, u'M'}};
    for (const ChartSegment& s : g.segments)
        out << QStringLiteral("%1 %2,%3 %4,%5")
                   .arg(names.value(s.colour, u'?'))
                   .arg(at(s.x1), at(s.y1), at(s.x2), at(s.y2));
    return out;
}

// Inflow starting below Qbottom, a start level below ZM and a later outflow below Qbottom are
// all drawn past the time axis.
const std::vector<double> kQL{100, 300, 200}, kZ{99, 102, 101}, kQ{150, 250, 120};

TEST(ChartGeometry, TextsAndScales) {
    std::vector<double> QL, Z, Q;
    for (int i = 0; i <= 10; ++i) {
        const int h = std::min(i, 10 - i); // rising to period 5, then falling
        QL.push_back(100 + 10 * h), Q.push_back(100 + 6 * h), Z.push_back(100 + 0.1 * h);
    }
    const ChartGeometry g = chartOf(QL, Z, Q, 100, "/data/M-4洪水.bmp");
    EXPECT_EQ(textsOf(g),
              (QStringList{" 0 @39,222", " 10 @499,222", " 100 @14,212", " 150 @14,30",
                           " 100 @54,212", " 100.5 @54,30", "水库最高水位 Zmax=100.5 @12,15",
                           "最大下泄流量 Qmax=130 @209,15", "发生在第5个时段 @429,15",
                           "蓝色线为来水曲线, 黑色线为泄水曲线, 红色线为库水位曲线 @104,235",
                           "文件：/data/M-4洪水.bmp @1,2"}));
    EXPECT_TRUE(g.gaps.empty());

    QL.resize(26, 100), Z.resize(26, 100), Q.resize(26, 100);
    EXPECT_EQ(textsOf(chartOf(QL, Z, Q)).filter(",222"),
              (QStringList{" 0 @39,222", " 10 @223,222", " 20 @407,222"}));
}

TEST(ChartGeometry, CurvesFollowTheirScales) {
    const ChartGeometry g = chartOf(kQL, kZ, kQ);
    EXPECT_EQ(segmentsOf(g), (QStringList{"K 50,210 510,210", "K 50,210 50,30", "B 50,270 280,30",
                                          "B 280,30 510,150", "K 50,210 280,90", "K 280,90 510,246",
                                          "M 50,300 280,30", "M 280,30 510,120"}));
}

TEST(ChartGeometry, DegenerateRangesLeaveOutOnlyTheirCurvesAndSayWhy) {
    const struct {
        std::vector<double> QL, Z, Q;
        const char* colours;
        const char* missing;
    } cases[] = {
        {{100}, {99}, {100}, "KK", "时段数J为0，未画曲线"},
        {kQL, {100, 100, 100}, kQ, "KKBBKK", "最高水位等于防洪下限水位，未画水位曲线"},
        {{80, 100, 100}, kZ, {120, 100, 100}, "KKMM", "流量无变化，未画流量曲线"},
        {{80, 100, 100},
         {100, 100, 100},
         {120, 100, 100},
         "KK",
         "最高水位等于防洪下限水位，未画水位曲线；流量无变化，未画流量曲线"},
        // A result shorter than the hydrograph draws what it has.
        {{100, 300, 200, 100}, {100, 102}, {150, 250, 120, 110}, "KKBBBKKKM", ""},
    };
    const QString saved = QStringLiteral("结果文件b.out/bmp已存盘");
    for (const auto& c : cases) {
        const ChartGeometry g = chartOf(c.QL, c.Z, c.Q);
        QString colours; // in drawing order
        for (const QString& s : segmentsOf(g)) colours += s[0];
        EXPECT_EQ(colours, c.colours) << c.missing;
        EXPECT_EQ(runSavedStatus("b", {true, false, g.gaps, {}}),
                  *c.missing ? saved + QStringLiteral("（%1）").arg(c.missing) : saved);
        EXPECT_EQ(g.dx.has_value(), c.QL.size() > 1);
    }

    // A top level below ZM gives a negative factor, not a missing curve.
    const ChartGeometry low = chartOf(kQL, {98, 99, 98.5}, kQ);
    EXPECT_EQ(low.kZ, -180);
    EXPECT_EQ(segmentsOf(low).mid(6), (QStringList{"M 50,-150 280,30", "M 280,30 510,-60"}));
}

// Missing glyphs would all come out as the same box.
TEST(ChartImage, ChineseCharactersAreDrawn) {
    ChartGeometry water, fire;
    water.texts = {{"水", 10, 10}};
    fire.texts = {{"火", 10, 10}};
    EXPECT_NE(renderChart(water, {200, 100}), renderChart(fire, {200, 100}));
}

/// The chart as a painter draws it plainly: each segment and each text on its own.
QImage plainChart(const ChartGeometry& g, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const auto px = [&](double x) { return x * size.width() / kChartWidth; };
    const auto py = [&](double y) { return y * size.height() / kChartHeight; };
    for (const ChartSegment& s : g.segments) {
        QPen pen{QColor::fromRgb(s.colour)};
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawLine(
            QLineF(px(double{s.x1}), py(double{s.y1}), px(double{s.x2}), py(double{s.y2})));
    }
    const QFont font = chartFont(size);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const double ascent = QFontMetricsF(font, &image).ascent();
    for (const ChartText& t : g.texts) painter.drawText(QPointF(px(t.x), py(t.y) + ascent), t.text);
    return image;
}

TEST(ChartImage, ThousandsOfPeriodsGiveThePixelsOfEachLineAndTextDrawnOnItsOwn) {
    // Labels a fraction of a pixel apart, and curves that leave the picture at the bottom.
    std::vector<double> QL, Z, Q;
    for (int i = 0; i <= 32766; ++i) {
        QL.push_back(1000 + 900 * std::sin(i / 700.0) + (i % 7) * 13.7);
        Q.push_back(QL.back() - 1500 + 9 * std::sin(i / 3.0));
        Z.push_back(100 + 30 * std::sin(i / 5000.0) + (i % 2) * 0.03);
    }
    // The same digits drawn again on one spot, and once more a little lower.
    ChartGeometry stacked;
    for (int i = 0; i < 3000; ++i) stacked.texts.push_back({" 7", 100 + i * 1e-4, 222});
    stacked.texts.push_back({" 7", 100, 212});
    for (const ChartGeometry& g : {chartOf(QL, Z, Q, 110), stacked})
        for (QSize size : {QSize(613, 383), QSize(1226, 766), QSize(280, 170)})
            EXPECT_TRUE(renderChart(g, size) == plainChart(g, size))
                << size.width() << "x" << size.height();
}

TEST(ChartImage, SavedAsA24BitBitmapOrNotAtAll) {
    QTemporaryDir dir;
    const QString path = dir.filePath("M-4.bmp");
    const QImage chart = renderChart(chartOf(kQL, kZ, kQ, 100, "M-4.bmp"), {613, 383});
    ASSERT_FALSE(saveChartBitmap(chart, path));
    const QByteArray head = m4test::fileBytes(path).left(30);
    EXPECT_TRUE(head.startsWith("BM"));
    EXPECT_EQ(head[28], 24);
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), chart);
    EXPECT_TRUE(saveChartBitmap(QImage(), path));
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), chart);
}

} // namespace
