#include "chart.h"

#include "common/atomic_file.h"
#include "format.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace m4 {
namespace {

// Plot frame, user units: J periods span 460 units across, 180 units of height above the axis.
constexpr double kPlotLeft = 50;
constexpr double kPlotRight = 510;
constexpr double kPlotWidth = 460;
constexpr double kAxisY = 210;
constexpr double kPlotTop = 30;
constexpr double kPlotHeight = 180;

// Every text starts this many user units right of the position it is printed at.
constexpr double kTextShift = 4;

constexpr int kLabelEveryPeriods = 10;
constexpr double kPeriodLabelX = 35; // x of period 0's label, before the shift
constexpr double kPeriodLabelY = 222;
constexpr double kDischargeValueX = 10; // left of the value axis
constexpr double kLevelValueX = 50;     // right of the value axis
constexpr double kAxisBottomValueY = 212;
constexpr double kAxisTopValueY = 30;
constexpr double kTopLineY = 15;
constexpr double kZmaxTextX = 8;
constexpr double kQmaxTextX = 205;
constexpr double kQmaxPeriodTextX = 425;
constexpr double kLegendX = 100;
constexpr double kLegendY = 235;
constexpr double kCaptionX = -3; // lands at 1 after the shift, the top-left corner
constexpr double kCaptionY = 2;

constexpr QRgb kInflowColour = 0xff0000ff;  // light blue
constexpr QRgb kOutflowColour = 0xff000000; // black
constexpr QRgb kLevelColour = 0xffff00ff;   // light magenta, "red" in the legend
constexpr QRgb kForeground = 0xff000000;    // axes and texts

// An end point far off the surface is pulled in to this distance, in user units, so that the
// single-precision value stays finite and the rasteriser works with sane numbers; the visible
// part of such a steep segment moves by far less than a pixel.
constexpr double kFarOff = 1e7;

// Texts are 12 pixels high (9 points at 96 dots per inch) on a chart of the window's design
// size and grow and shrink with the picture, so that they keep their place among the curves;
// below kMinTextPx Chinese characters are no longer legible.
constexpr double kTextPx = 12;
constexpr int kMinTextPx = 9;
constexpr int kDotsPerMetre = 3780; // 96 dots per inch

/// 180 / range, or nothing when the range makes the factor zero or infinite.
std::optional<double> scaleFactor(double range) {
    const double k = kPlotHeight / range;
    if (!std::isfinite(k) || k == 0) return std::nullopt;
    return k;
}

float toSingle(double v) {
    return static_cast<float>(std::clamp(v, -kFarOff, kFarOff));
}

/// One segment per period from values[i - 1] to values[i], i = 1 .. periods; a table shorter
/// than the case's period count draws what it has.
void appendCurve(std::vector<ChartSegment>& out, const std::vector<double>& values, int periods,
                 double dx, QRgb colour, double bottom, double k) {
    const int last = std::min(periods, static_cast<int>(values.size()) - 1);
    const auto x = [&](int i) { return kPlotLeft + dx * i; };
    const auto y = [&](int i) {
        return kAxisY - k * (values[static_cast<std::size_t>(i)] - bottom);
    };
    for (int i = 1; i <= last; ++i)
        out.push_back(
            {colour, toSingle(x(i - 1)), toSingle(y(i - 1)), toSingle(x(i)), toSingle(y(i))});
}

QFont chartFont(QSize size) {
    QFont font;
    // The first family that is installed and shows Chinese wins.
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Source Han Sans SC"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("SimSun"), QStringLiteral("Droid Sans Fallback")});
    const double scale = std::min(size.width() / double{kDefaultChartWidthPx},
                                  size.height() / double{kDefaultChartHeightPx});
    font.setPixelSize(std::max(kMinTextPx, static_cast<int>(std::lround(kTextPx * scale))));
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

} // namespace

ChartGeometry chartGeometry(const CaseData& data, const RoutingResult& result,
                            const QString& bitmapName) {
    ChartGeometry g;
    const std::vector<double>& QL = data.QL;
    const int J = std::max(0, data.J());

    // Qbottom starts from the start outflow, and later outflows take no part in the range.
    g.Qtop = QL.empty() ? 0 : QL[0];
    g.Qbottom = result.Q.empty() ? g.Qtop : result.Q[0];
    for (std::size_t i = 1; i < QL.size(); ++i) {
        if (QL[i] > g.Qtop) g.Qtop = QL[i];
        if (QL[i] < g.Qbottom) g.Qbottom = QL[i];
    }
    if (J > 0) g.dx = kPlotWidth / J;
    // A top level below ZM gives a negative factor, drawn as it stands rather than left out.
    g.kZ = scaleFactor(result.Zmax - data.ZM);
    g.kQ = scaleFactor(g.Qtop - g.Qbottom);

    g.segments.push_back({kForeground, static_cast<float>(kPlotLeft), static_cast<float>(kAxisY),
                          static_cast<float>(kPlotRight), static_cast<float>(kAxisY)});
    g.segments.push_back({kForeground, static_cast<float>(kPlotLeft), static_cast<float>(kAxisY),
                          static_cast<float>(kPlotLeft), static_cast<float>(kPlotTop)});

    const auto printAt = [&g](QString text, double x, double y) {
        g.texts.push_back({std::move(text), x + kTextShift, y});
    };
    // Period 0's label needs no dx, so a case without periods still labels its origin.
    for (int i = 0; i <= J; i += kLabelEveryPeriods)
        printAt(NumStr(i), kPeriodLabelX + (i == 0 ? 0 : *g.dx * i), kPeriodLabelY);
    printAt(NumStr(Round2(g.Qbottom)), kDischargeValueX, kAxisBottomValueY);
    printAt(NumStr(Round2(g.Qtop)), kDischargeValueX, kAxisTopValueY);
    printAt(NumStr(Round2(data.ZM)), kLevelValueX, kAxisBottomValueY);
    printAt(NumStr(Round2(result.Zmax)), kLevelValueX, kAxisTopValueY);

    if (!g.dx) {
        g.gaps.push_back(ChartGap::NoPeriods);
    } else {
        if (g.kQ) {
            appendCurve(g.segments, QL, J, *g.dx, kInflowColour, g.Qbottom, *g.kQ);
            appendCurve(g.segments, result.Q, J, *g.dx, kOutflowColour, g.Qbottom, *g.kQ);
        }
        if (g.kZ)
            appendCurve(g.segments, result.Z, J, *g.dx, kLevelColour, data.ZM, *g.kZ);
        else
            g.gaps.push_back(ChartGap::FlatLevel);
        if (!g.kQ) g.gaps.push_back(ChartGap::FlatDischarge);
    }

    printAt(QStringLiteral("水库最高水位 Zmax=") + NumPlain(Round2(result.Zmax)), kZmaxTextX,
            kTopLineY);
    printAt(QStringLiteral("最大下泄流量 Qmax=") + NumPlain(Round2(result.Qmax)), kQmaxTextX,
            kTopLineY);
    printAt(QStringLiteral("发生在第") + QString::number(result.QmaxPeriod) +
                QStringLiteral("个时段"),
            kQmaxPeriodTextX, kTopLineY);
    printAt(QStringLiteral("蓝色线为来水曲线, 黑色线为泄水曲线, 红色线为库水位曲线"), kLegendX,
            kLegendY);
    printAt(QStringLiteral("文件：") + bitmapName, kCaptionX, kCaptionY);
    return g;
}

QImage renderChart(const ChartGeometry& geometry, QSize size) {
    if (size.isEmpty()) return QImage();
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    image.fill(Qt::white);

    // Positions are mapped by hand rather than through a painter transform, so that pens stay
    // one pixel wide at any surface size; chartFont sizes the texts for the surface.
    const double w = size.width();
    const double h = size.height();
    const auto px = [w](double x) { return x * w / kChartWidth; };
    const auto py = [h](double y) { return y * h / kChartHeight; };
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // Consecutive segments of one colour go to the painter in one call; drawing order between
    // the curves is kept, so a later curve lies on top of an earlier one.
    std::vector<QLineF> batch;
    batch.reserve(geometry.segments.size());
    const auto& segments = geometry.segments;
    for (std::size_t start = 0; start < segments.size();) {
        const QRgb colour = segments[start].colour;
        batch.clear();
        std::size_t end = start;
        for (; end < segments.size() && segments[end].colour == colour; ++end) {
            const ChartSegment& s = segments[end];
            batch.emplace_back(px(static_cast<double>(s.x1)), py(static_cast<double>(s.y1)),
                               px(static_cast<double>(s.x2)), py(static_cast<double>(s.y2)));
        }
        QPen pen{QColor::fromRgb(colour)};
        pen.setCosmetic(true);
        pen.setWidth(1);
        painter.setPen(pen);
        painter.drawLines(batch.data(), static_cast<int>(batch.size()));
        start = end;
    }

    const QFont font = chartFont(size);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(kForeground));
    painter.setBackgroundMode(Qt::TransparentMode);
    const double ascent = QFontMetricsF(font, &image).ascent();
    for (const ChartText& t : geometry.texts)
        painter.drawText(QPointF(px(t.x), py(t.y) + ascent), t.text);
    painter.end();
    return image;
}

std::optional<Failure> saveChartBitmap(const QImage& image, const QString& path) {
    Failure failure{Fault::ChartNotWritten, path};
    if (image.isNull()) {
        failure.cause = FileCause::EmptyImage;
        return failure;
    }
    // The BMP writer stores 24 bits a pixel for an image without alpha.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP")) {
        failure.cause = FileCause::NotBmp;
        return failure;
    }
    return replaceFile(Fault::ChartNotWritten, path, bytes);
}

} // namespace m4
