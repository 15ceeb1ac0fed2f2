// The controls the window stands on: the grid's notifications, bounds and model, and the report
// pane's columns, lines and selection.

#include "ui/platform/message_box.h"
#include "window_fixture.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>

namespace {

/// The rightmost column of image that holds ink in row band [top, top + height).
int inkRight(const QImage& image, int top, int height) {
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = top; y < top + height; ++y)
            if (qGray(image.pixel(x, y)) < 128) return x;
    return -1;
}

TEST(GridTest, FixedOrOutsideCellsAreIgnoredAndTheModelAnswersAsQtExpects) {
    m4::ui::Grid grid(0, nullptr);
    // The model answers views as Qt's item views expect; a fault ends the program.
    const QAbstractItemModelTester tester(grid.model(),
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    grid.setRows(4);
    grid.resize(400, 300);
    grid.show();
    // Fixed cells and cells outside the table never become current.
    grid.setCurrentCell(3, 2);
    for (const QPoint at : {QPoint(0, 1), QPoint(2, 0), QPoint(4, 1), QPoint(1, 3)})
        grid.setCurrentCell(at.x(), at.y());
    EXPECT_EQ(QPoint(grid.row(), grid.col()), QPoint(3, 2));

    // The corner above the row numbers shows its text; headers change where they are.
    grid.setTextMatrix(0, 0, "NO");
    grid.setTextMatrix(0, 1, "水位");
    const QImage corner =
        grid.grab({0, 0, grid.verticalHeader()->width(), grid.horizontalHeader()->height()})
            .toImage();
    EXPECT_GE(inkRight(corner, 0, corner.height()), 0);
    // Writes outside the table are dropped, not stored out of bounds.
    grid.setTextMatrix(2, 1, "5.5");
    grid.setTextMatrix(4, 1, "x");
    grid.setTextMatrix(1, 9, "x");
    EXPECT_EQ(grid.gridModel()->cells(), (m4::TableText{{"", ""}, {"5.5", ""}, {"", ""}}));
}

TEST(MessageBoxService, WithoutAHookTheMessageWaitsInABoxUntilTheUserClosesIt) {
    m4::ui::MessageBoxService messages(nullptr, "青岚七号综合分析器");
    QString shown;
    const QObject guard; // the check is dropped if no box ever runs it
    QTimer::singleShot(0, &guard, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->windowTitle() + "|" + box->text();
            box->accept();
        }
    });
    messages.critical("有错");
    EXPECT_EQ(shown, "青岚七号综合分析器|有错");
}

TEST(ReportView, AChineseCharacterTakesTwoColumnsAndAClickSelectsTheLineUnderIt) {
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
    EXPECT_EQ(view.selectedText(), "a\n 水位\nlast\n");
    // The one line of a report is selected by a click on it, and shown selected.
    view.setText("x\r\n");
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    EXPECT_EQ(view.viewport()->grab().toImage().pixelColor(1, 5),
              view.palette().highlight().color());
}

} // namespace
