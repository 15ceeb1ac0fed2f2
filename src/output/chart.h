#pragma once
// The hydrograph chart: inflow, outflow and level on one time axis in a 560 x 250 user
// coordinate system (y grows downward), first as plain geometry, then rendered to an image.

#include "case/case_data.h"
#include "common/failure.h"
#include "common/messages.h"
#include "routing/routing_result.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace m4 {

inline constexpr double kChartWidth = 560;  ///< user units across
inline constexpr double kChartHeight = 250; ///< user units down
/// The window's chart area at its design size, in pixels.
inline constexpr int kDefaultChartWidthPx = 613;
inline constexpr int kDefaultChartHeightPx = 383;

struct ChartSegment {
    QRgb colour;
    float x1, y1, x2, y2; ///< user units, single precision as drawn
};

struct ChartText {
    QString text;
    double x, y; ///< top-left corner in user units, after the shift of 4 to the right
};

struct ChartGeometry {
    double Qtop = 0, Qbottom = 0;
    std::optional<double> dx, kZ, kQ; ///< absent when the range is degenerate
    std::vector<ChartSegment> segments;
    std::vector<ChartText> texts;
    std::vector<ChartGap> gaps; ///< why curves are missing, empty when all are drawn
};

/// Everything the chart shows, the file caption "文件：" + bitmapName included.
ChartGeometry chartGeometry(const CaseData& data, const RoutingResult& result,
                            const QString& bitmapName);

/// The font of the chart's texts on a picture of the given pixel size.
QFont chartFont(QSize size);

/// The geometry drawn on a white image of the given pixel size.
QImage renderChart(const ChartGeometry& geometry, QSize size);

/// Save the image as a 24-bit BMP replacing path; a failure leaves an existing file intact.
std::optional<Failure> saveChartBitmap(const QImage& image, const QString& path);

} // namespace m4
