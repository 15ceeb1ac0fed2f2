// The printer without a document, and the report's columns on screen and paper.

#include "ui/platform/report_view.h"
#include "ui/printing.h"
#include "window_fixture.h"

#include <QPainter>
#include <QScrollBar>

namespace {

TEST(CupsReportPrinter, StepsWithoutAnOpenDocumentFail) {
    m4::CupsReportPrinter printer("M-4 unopened");
    EXPECT_FALSE(printer.emptyLine());
    EXPECT_FALSE(printer.text("x"));
    EXPECT_FALSE(printer.endDocument());
}

/// The rightmost column of image that holds ink in row band [top, top + height).
int inkRight(const QImage& image, int top, int height) {
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = top; y < top + height; ++y)
            if (qGray(image.pixel(x, y)) < 128) return x;
    return -1;
}

TEST(ReportColumns, AChineseCharacterTakesExactlyTwoColumnsOnScreenAndPaper) {
    // Both lines are six columns and a bar wide: the bars must stand in one column, also in a
    // font whose Chinese characters are not two digits wide.
    QFont font("WenQuanYi Micro Hei");
    font.setPixelSize(48);
    QImage image(500, 140, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    const double cell = QFontMetricsF(font).horizontalAdvance('0');
    ASSERT_GT(std::abs(QFontMetricsF(font).horizontalAdvance(u'水') - 2 * cell), 2);
    m4::ui::drawReportLine(painter, 5, 55, cell, u"水位12|");
    m4::ui::drawReportLine(painter, 5, 125, cell, u"123456|");
    painter.end();
    EXPECT_NEAR(inkRight(image, 0, 70), inkRight(image, 70, 70), 1);

    m4::ui::ReportView view(nullptr);
    view.setText("a\r\n 水位\r\nlast");
    EXPECT_EQ(view.lineCount(), 3);
    EXPECT_EQ(view.selectedText(), "a\n 水位\nlast\n");
    // A line wider than the pane can be scrolled to.
    view.resize(100, 100);
    view.setText(QString(200, u'x') + "\r\n");
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 0);
}

} // namespace
