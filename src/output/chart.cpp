#include "chart.h"

#include "common/atomic_file.h"
#include "format.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLineF>
#include <QList>
#include <QPainter>
#include <QPen>
#include <QRawFont>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

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

/// Text positions are kept in 1/64 pixel, dropping the rest of a pixel position.
constexpr int kTextUnitsPerPixel = 64;

/// The glyphs of a blank and the ten digits in one font, with their advances. A case of many
/// periods has thousands of period labels, and laying out each of them as a text takes most of
/// the drawing; built from these glyphs, all of them are drawn as one run, glyph for glyph and
/// at the same positions as the texts would be.
class LabelGlyphs {
  public:
    /// The glyphs, or nullopt when the font does not draw each of the characters as one glyph
    /// of one font with an advance that does not depend on its neighbour.
    static std::optional<LabelGlyphs> of(const QFont& font);

    /// Whether text is made of these characters only.
    bool covers(const QString& text) const {
        return std::all_of(text.begin(), text.end(), [](QChar c) { return slot(c) >= 0; });
    }
    /// Glyphs to be drawn in one run, in the order of their texts.
    struct Run {
        struct Glyph {
            int slot;
            int x, y; ///< 1/64 pixel
        };
        std::vector<Glyph> glyphs;
    };
    /// Appends the glyphs of text as drawText draws it with its baseline starting at `at`.
    void append(const QString& text, QPointF at, Run& run) const;
    /// Draws the run with the painter's pen and empties it.
    void draw(Run& run, QPainter& painter);

  private:
    static constexpr int kSlots = 11;
    static constexpr int kBlankSlot = 10;
    /// 0..9 for the digits, kBlankSlot for the blank, -1 for any other character.
    static int slot(QChar c) {
        if (c == u' ') return kBlankSlot;
        return c >= u'0' && c <= u'9' ? c.unicode() - u'0' : -1;
    }
    /// Drops each glyph that an earlier one of the run already drew, when drawn in whole pixels.
    void dropRepeats(Run& run, const QPainter& painter);
    /// Whether each glyph comes out in whole pixels of the pen's colour and the same wherever
    /// within a pixel it starts.
    bool drawnInWholePixels(const QPainter& painter);

    QRawFont font_;
    std::array<quint32, kSlots> glyph_{};
    std::array<int, kSlots> advance_{}; ///< 1/64 pixel
    std::optional<bool> wholePixels_;   ///< drawnInWholePixels, once known
};

std::optional<LabelGlyphs> LabelGlyphs::of(const QFont& font) {
    // Every digit after a blank and after every digit: a pair that kerns shows as a character
    // with two different advances.
    QString sample;
    for (char16_t a = u'0'; a <= u'9'; ++a) {
        sample += u' ';
        sample += a;
        for (char16_t b = u'0'; b <= u'9'; ++b) {
            sample += a;
            sample += b;
        }
    }
    QTextLayout layout(sample, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1) return std::nullopt;
    const QList<quint32> glyphs = runs.front().glyphIndexes();
    const QList<QPointF> positions = runs.front().positions();
    if (glyphs.size() != sample.size() || positions.size() != sample.size()) return std::nullopt;

    LabelGlyphs g;
    g.font_ = runs.front().rawFont();
    std::array<bool, kSlots> seen{};
    for (qsizetype i = 0; i + 1 < sample.size(); ++i) {
        const auto s = static_cast<std::size_t>(slot(sample[i]));
        const QPointF step = positions[i + 1] - positions[i];
        const int advance = qRound(step.x() * kTextUnitsPerPixel);
        if (step.y() != 0 || (seen[s] && (g.glyph_[s] != glyphs[i] || g.advance_[s] != advance)))
            return std::nullopt;
        seen[s] = true;
        g.glyph_[s] = glyphs[i];
        g.advance_[s] = advance;
    }
    return g;
}

void LabelGlyphs::append(const QString& text, QPointF at, Run& run) const {
    // The text engine places the first glyph at the start point cut to whole 1/64 pixels and
    // each further one by the advances before it.
    auto x = static_cast<int>(at.x() * kTextUnitsPerPixel);
    const auto y = static_cast<int>(at.y() * kTextUnitsPerPixel);
    for (QChar c : text) {
        const int s = slot(c);
        run.glyphs.push_back({s, x, y});
        x += advance_[static_cast<std::size_t>(s)];
    }
}

void LabelGlyphs::draw(Run& run, QPainter& painter) {
    if (run.glyphs.empty()) return;
    dropRepeats(run, painter);
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(static_cast<qsizetype>(run.glyphs.size()));
    positions.reserve(static_cast<qsizetype>(run.glyphs.size()));
    for (const Run::Glyph& g : run.glyphs) {
        // Positions of whole 1/64 pixels pass through a glyph run unchanged.
        glyphs.push_back(glyph_[static_cast<std::size_t>(g.slot)]);
        positions.push_back(QPointF(g.x, g.y) / kTextUnitsPerPixel);
    }
    QGlyphRun glyphRun;
    glyphRun.setRawFont(font_);
    glyphRun.setGlyphIndexes(glyphs);
    glyphRun.setPositions(positions);
    painter.drawGlyphRun(QPointF(0, 0), glyphRun);
    run.glyphs.clear();
}

void LabelGlyphs::dropRepeats(Run& run, const QPainter& painter) {
    // Below this many glyphs, finding out whether repeats may go takes longer than drawing them.
    constexpr std::size_t kManyGlyphs = 2000;
    if (run.glyphs.size() < kManyGlyphs || !drawnInWholePixels(painter)) return;
    // Labels of periods a fraction of a pixel apart overlap: in whole pixels of one colour, a
    // glyph drawn again on the same pixel and baseline changes nothing.
    const int width = painter.device()->width();
    std::vector<bool> drawn;
    int baseline = 0;
    std::erase_if(run.glyphs, [&](const Run::Glyph& g) {
        if (drawn.empty() || g.y != baseline) {
            drawn.assign(static_cast<std::size_t>(kSlots * width), false);
            baseline = g.y;
        }
        const int pixel = g.x / kTextUnitsPerPixel - (g.x % kTextUnitsPerPixel < 0 ? 1 : 0);
        if (pixel < 0 || pixel >= width) return false;
        const auto cell = static_cast<std::size_t>(pixel * kSlots + g.slot);
        const bool repeat = drawn[cell];
        drawn[cell] = true;
        return repeat;
    });
}

bool LabelGlyphs::drawnInWholePixels(const QPainter& painter) {
    if (wholePixels_) return *wholePixels_;
    // Every glyph is drawn at the start of a pixel and at steps of 1/16 pixel across it, each
    // start in a row of its own, and the rows compared.
    constexpr int kStep = kTextUnitsPerPixel / 16;
    std::vector<int> starts;
    for (int f = 0; f < kTextUnitsPerPixel; f += kStep) starts.push_back(f);
    starts.push_back(kTextUnitsPerPixel - 1);
    const int em = std::max(1, static_cast<int>(std::ceil(font_.pixelSize())));
    const int cell = 3 * em; // room around a glyph that starts one em into its cell
    QImage probe(kSlots * cell, static_cast<int>(starts.size()) * cell, QImage::Format_RGB32);
    probe.fill(Qt::white);
    QList<quint32> glyphs;
    QList<QPointF> positions;
    for (std::size_t row = 0; row < starts.size(); ++row)
        for (std::size_t s = 0; s < kSlots; ++s) {
            glyphs.push_back(glyph_[s]);
            positions.push_back(
                QPointF(static_cast<double>(static_cast<int>(s) * cell + em) +
                            static_cast<double>(starts[row]) / kTextUnitsPerPixel,
                        static_cast<double>(static_cast<int>(row) * cell + 2 * em)));
        }
    QGlyphRun run;
    run.setRawFont(font_);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    QPainter p(&probe);
    p.setRenderHints(painter.renderHints());
    p.setPen(painter.pen());
    p.drawGlyphRun(QPointF(0, 0), run);
    p.end();

    const QRgb ink = painter.pen().color().rgb();
    const QRgb paper = QColor(Qt::white).rgb();
    bool whole = true;
    const auto rowBytes = static_cast<std::size_t>(probe.bytesPerLine());
    for (int y = 0; whole && y < probe.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(probe.constScanLine(y));
        whole = std::all_of(line, line + probe.width(),
                            [&](QRgb c) { return c == ink || c == paper; }) &&
                std::memcmp(line, probe.constScanLine(y % cell), rowBytes) == 0;
    }
    wholePixels_ = whole;
    return whole;
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
    // A clip as large as the image changes no pixel, but lets the raster engine set the pixels
    // of a one-pixel line directly instead of passing them through its general span blending,
    // which is most of the time of a chart of thousands of periods.
    painter.setClipRect(image.rect());

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

    painter.setClipping(false);
    const QFont font = chartFont(size);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(kForeground));
    painter.setBackgroundMode(Qt::TransparentMode);
    const double ascent = QFontMetricsF(font, &image).ascent();
    // Period labels go into runs of glyphs, drawn in their place among the other texts.
    std::optional<LabelGlyphs> labelGlyphs = LabelGlyphs::of(font);
    LabelGlyphs::Run labels;
    for (const ChartText& t : geometry.texts) {
        const QPointF at(px(t.x), py(t.y) + ascent);
        if (labelGlyphs && labelGlyphs->covers(t.text)) {
            labelGlyphs->append(t.text, at, labels);
            continue;
        }
        if (labelGlyphs) labelGlyphs->draw(labels, painter);
        painter.drawText(at, t.text);
    }
    if (labelGlyphs) labelGlyphs->draw(labels, painter);
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
