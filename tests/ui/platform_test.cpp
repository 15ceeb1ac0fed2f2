// The grid the window's data entry stands on: its notifications and its bounds.

#include "window_fixture.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

namespace {

TEST(GridTest, CellChangesRaiseLeaveThenEnterAndFixedOrOutsideCellsAreIgnored) {
    m4::ui::Grid grid(0, nullptr);
    grid.setRows(4);
    grid.resize(400, 300);
    grid.show();
    QStringList events;
    const auto note = [&](const char* what) {
        events << QString("%1 %2,%3").arg(what).arg(grid.row()).arg(grid.col());
    };
    QObject::connect(&grid, &m4::ui::Grid::leaveCell, [&] { note("leave"); });
    QObject::connect(&grid, &m4::ui::Grid::enterCell, [&] { note("enter"); });
    grid.setCurrentCell(1, 1);
    events.clear();
    grid.setCurrentCell(1, 2);
    grid.setCurrentCell(3, 2);
    grid.setCurrentCell(3, 2);
    // Fixed cells and cells outside the table never become current.
    for (const QPoint at : {QPoint(0, 1), QPoint(2, 0), QPoint(4, 1), QPoint(1, 3)})
        grid.setCurrentCell(at.x(), at.y());
    EXPECT_EQ(events, (QStringList{"leave 1,2", "enter 1,2", "leave 3,2", "enter 3,2"}));

    // A click on a row number changes nothing; one on a cell makes it current.
    events.clear();
    QSignalSpy clicks(&grid, &m4::ui::Grid::cellClicked);
    const QHeaderView* numbers = grid.verticalHeader();
    QTest::mouseClick(numbers->viewport(), Qt::LeftButton, {},
                      QPoint(5, numbers->sectionViewportPosition(1) + 3));
    EXPECT_EQ(events, QStringList());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      grid.visualRect(grid.model()->index(0, 0)).center());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(events, (QStringList{"leave 1,1", "enter 1,1"}));

    // Writes outside the table are dropped, not stored out of bounds.
    grid.setTextMatrix(2, 1, "5.5");
    grid.setTextMatrix(4, 1, "x");
    grid.setTextMatrix(1, 9, "x");
    EXPECT_EQ(grid.gridModel()->cells(), (m4::TableText{{"", ""}, {"5.5", ""}, {"", ""}}));
}

} // namespace
