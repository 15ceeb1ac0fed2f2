#include "output/chart.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <memory>

namespace m4 {
namespace {

constexpr QRgb kBlue = 0xff0000ff, kBlack = 0xff000000, kMagenta = 0xffff00ff, kWhite = 0xffffffff;

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

/// Texts at one height as "text @x", and all texts as "text @x,y".
QStringList textsAt(const ChartGeometry& g, std::optional<double> y = {}) {
    QStringList out;
    for (const ChartText& t : g.texts)
        if (!y)
            out << QStringLiteral("%1 @%2,%3").arg(t.text).arg(t.x).arg(t.y);
        else if (t.y == *y)
            out << QStringLiteral("%1 @%2").arg(t.text).arg(t.x);
    return out;
}

int segmentsOf(const ChartGeometry& g, QRgb colour) {
    return static_cast<int>(
        std::count_if(g.segments.begin(), g.segments.end(),
                      [colour](const ChartSegment& s) { return s.colour == colour; }));
}

// Inflow starting below Qbottom, a start level below ZM and a later outflow below Qbottom are
// all drawn past the time axis.
const std::vector<double> kQL{100, 300, 200}, kZ{99, 102, 101}, kQ{150, 250, 120};

TEST(ChartGeometry, TextsAndScales) {
    std::vector<double> QL, Z, Q;
    for (int i = 0; i <= 10; ++i) {
        QL.push_back(100 + 10 * std::min(i, 10 - i));
        Q.push_back(100 + 6 * std::min(i, 10 - i));
        Z.push_back(100 + 0.1 * std::min(i, 10 - i));
    }
    const ChartGeometry g = chartOf(QL, Z, Q, 100, "/data/M-4洪水.bmp");
    EXPECT_EQ(textsAt(g),
              (QStringList{" 0 @39,222", " 10 @499,222", " 100 @14,212", " 150 @14,30",
                           " 100 @54,212", " 100.5 @54,30", "水库最高水位 Zmax=100.5 @12,15",
                           "最大下泄流量 Qmax=130 @209,15", "发生在第5个时段 @429,15",
                           "蓝色线为来水曲线, 黑色线为泄水曲线, 红色线为库水位曲线 @104,235",
                           "文件：/data/M-4洪水.bmp @1,2"}));
    EXPECT_EQ(g.dx, 46);
    EXPECT_EQ(g.kZ, 360);
    EXPECT_EQ(g.kQ, 3.6);
    EXPECT_EQ(g.missingCurves, QString());

    QL.resize(26, 100), Z.resize(26, 100), Q.resize(26, 100);
    EXPECT_EQ(textsAt(chartOf(QL, Z, Q), 222), (QStringList{" 0 @39", " 10 @223", " 20 @407"}));

    // The earlier of two equal maxima; rounded values; a period without a blank before it.
    EXPECT_EQ(textsAt(chartOf(kQL, {100, 101.234, 101}, {50, 1234.567, 1234.567}), 15),
              (QStringList{"水库最高水位 Zmax=101.23 @12", "最大下泄流量 Qmax=1234.57 @209",
                           "发生在第1个时段 @429"}));
    EXPECT_TRUE(textsAt(chartOf(kQL, {100, 101.234, 101}, kQ)).contains(" 101.23 @54,30"));
    EXPECT_EQ(textsAt(chartOf(kQL, kZ, {300, 250, 120}), 15).last(), "发生在第0个时段 @429");
}

TEST(ChartGeometry, CurvesFollowTheirScales) {
    const ChartGeometry g = chartOf(kQL, kZ, kQ);
    EXPECT_EQ(g.Qtop, 300);
    EXPECT_EQ(g.Qbottom, 150);
    const std::vector<ChartSegment> expected{
        {kBlack, 50, 210, 510, 210},  {kBlack, 50, 210, 50, 30},    {kBlue, 50, 270, 280, 30},
        {kBlue, 280, 30, 510, 150},   {kBlack, 50, 210, 280, 90},   {kBlack, 280, 90, 510, 246},
        {kMagenta, 50, 300, 280, 30}, {kMagenta, 280, 30, 510, 120}};
    ASSERT_EQ(g.segments.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ChartSegment &s = g.segments[i], &e = expected[i];
        EXPECT_EQ(s.colour, e.colour) << i;
        EXPECT_TRUE(std::abs(s.x1 - e.x1) + std::abs(s.y1 - e.y1) + std::abs(s.x2 - e.x2) +
                        std::abs(s.y2 - e.y2) <
                    1e-4f)
            << i;
    }
}

TEST(ChartGeometry, DegenerateRangesLeaveOutOnlyTheirCurves) {
    ChartGeometry g = chartOf({100}, {99}, {100});
    EXPECT_FALSE(g.dx);
    EXPECT_EQ(g.segments.size(), 2u);
    EXPECT_EQ(g.texts.size(), 10u);
    EXPECT_EQ(textsAt(g, 222), QStringList{" 0 @39"});
    EXPECT_EQ(g.missingCurves, "时段数J为0，未画曲线");

    g = chartOf(kQL, {100, 100, 100}, kQ);
    EXPECT_FALSE(g.kZ);
    EXPECT_EQ(segmentsOf(g, kMagenta), 0);
    EXPECT_EQ(segmentsOf(g, kBlue) + segmentsOf(g, kBlack), 6);
    EXPECT_EQ(g.missingCurves, "最高水位等于防洪下限水位，未画水位曲线");

    g = chartOf({80, 100, 100}, kZ, {120, 100, 100});
    EXPECT_FALSE(g.kQ);
    EXPECT_EQ(segmentsOf(g, kMagenta), 2);
    EXPECT_EQ(segmentsOf(g, kBlue) + segmentsOf(g, kBlack), 2);
    EXPECT_EQ(g.missingCurves, "流量无变化，未画流量曲线");
    EXPECT_EQ(chartOf({80, 100, 100}, {100, 100, 100}, {120, 100, 100}).missingCurves,
              "最高水位等于防洪下限水位，未画水位曲线；流量无变化，未画流量曲线");

    // A top level below ZM gives a negative factor, not a missing curve.
    g = chartOf(kQL, {98, 99, 98.5}, kQ);
    EXPECT_EQ(g.kZ, -180);
    ASSERT_EQ(segmentsOf(g, kMagenta), 2);
    EXPECT_EQ(g.segments[7].y2, -60);

    // A result shorter than the hydrograph draws what it has; a vanishing discharge range
    // sends the outflow far off, yet every end point stays finite.
    EXPECT_EQ(segmentsOf(chartOf({100, 300, 200, 100}, {100, 102}, {150, 250, 120, 110}), kMagenta),
              1);
    for (const ChartSegment& s : chartOf({1e-300, 2e-300}, {100, 101}, {1e-300, 5e300}).segments)
        EXPECT_TRUE(std::isfinite(s.y1) && std::isfinite(s.y2));
}

class ChartImage : public ::testing::Test {
  protected:
    // Fonts and painting need the application object of QtGui.
    static void SetUpTestSuite() {
        static int argc = 1;
        static char arg0[] = "chart_tests";
        static char* argv[] = {arg0, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    static void TearDownTestSuite() { app_.reset(); }
    static inline std::unique_ptr<QGuiApplication> app_;
    const ChartGeometry geometry_ = chartOf(kQL, kZ, kQ, 100, "M-4.bmp");
};

QPoint pixelOf(const QImage& image, double x, double y) {
    return QPoint(static_cast<int>(x * image.width() / kChartWidth),
                  static_cast<int>(y * image.height() / kChartHeight));
}

bool colourNear(const QImage& image, double x, double y, QRgb colour) {
    const QPoint p = pixelOf(image, x, y);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.pixel(p.x() + dx, p.y() + dy) == colour) return true;
    return false;
}

int darkRowsOfLegend(const QImage& image) {
    const QPoint a = pixelOf(image, 100, 232), b = pixelOf(image, 450, 250);
    int rows = 0;
    for (int py = a.y(); py < b.y(); ++py) {
        bool dark = false;
        for (int px = a.x(); px < b.x(); ++px) dark |= qGray(image.pixel(px, py)) < 128;
        rows += dark;
    }
    return rows;
}

TEST_F(ChartImage, CurvesInTheirColoursOnWhiteAndTextsUnscaled) {
    for (QSize size : {QSize(kDefaultChartWidthPx, kDefaultChartHeightPx), QSize(1226, 766)}) {
        const QImage image = renderChart(geometry_, size);
        ASSERT_EQ(image.size(), size);
        // Mid-points of the second period, where the curves lie well apart.
        EXPECT_TRUE(colourNear(image, 395, 90, kBlue));
        EXPECT_TRUE(colourNear(image, 395, 168, kBlack));
        EXPECT_TRUE(colourNear(image, 395, 75, kMagenta));
        EXPECT_EQ(image.pixel(pixelOf(image, 540, 100)), kWhite);
        // Pens stay one pixel wide: the time axis crosses a column once.
        const QPoint from = pixelOf(image, 300, 200), to = pixelOf(image, 300, 220);
        int axis = 0;
        for (int py = from.y(); py < to.y(); ++py) axis += image.pixel(from.x(), py) == kBlack;
        EXPECT_EQ(axis, 1);
    }
    EXPECT_FALSE(QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty());
    ChartGeometry texts = geometry_;
    texts.segments.clear();
    const int rows = darkRowsOfLegend(renderChart(texts, {613, 383}));
    EXPECT_GT(rows, 6);
    EXPECT_EQ(darkRowsOfLegend(renderChart(texts, {1226, 766})), rows);
    // Two characters must not both come out as the same missing-glyph box.
    ChartGeometry water, fire;
    water.texts = {{"水", 10, 10}};
    fire.texts = {{"火", 10, 10}};
    EXPECT_NE(renderChart(water, {200, 100}), renderChart(fire, {200, 100}));
}

TEST_F(ChartImage, SavedAsA24BitBitmapOrNotAtAll) {
    QTemporaryDir dir;
    const QString path = dir.filePath("M-4.bmp");
    ASSERT_FALSE(saveChartBitmap(renderChart({}, {613, 383}), path));
    const QImage chart = renderChart(geometry_, {613, 383});
    ASSERT_FALSE(saveChartBitmap(chart, path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(30);
    EXPECT_TRUE(head.startsWith("BM"));
    EXPECT_EQ(head[28], 24);
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), chart);

    const QString lost = dir.filePath("missing/M-4.bmp");
    const std::optional<Failure> failed = saveChartBitmap(chart, lost);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->fault, Fault::ChartNotWritten);
    EXPECT_EQ(failed->file, lost);
    EXPECT_FALSE(failed->detail.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"M-4.bmp"});
    EXPECT_TRUE(saveChartBitmap(QImage(), path));
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), chart);
}

} // namespace
} // namespace m4
