// The platform layer the window's logic stands on: grid notifications, tabs, the file list.

#include "qstring_print.h"
#include "ui/platform/file_browser.h"
#include "ui/platform/grid.h"
#include "ui/platform/tab_control.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct GridUnderTest {
    m4::TableText cells;
    m4::ui::Grid grid{0, &cells, nullptr};
    QStringList events;

    explicit GridUnderTest(int rows) {
        grid.setRows(rows + 1);
        grid.resize(400, 300);
        QObject::connect(&grid, &m4::ui::Grid::leaveCell, [this] {
            events << QString("leave %1,%2").arg(grid.row()).arg(grid.col());
        });
        QObject::connect(&grid, &m4::ui::Grid::enterCell, [this] {
            events << QString("enter %1,%2").arg(grid.row()).arg(grid.col());
        });
    }
};

TEST(GridTest, ProgramSetCellsRaiseLeaveThenEnterOnlyWhenTheCellChanges) {
    GridUnderTest g(3);
    g.grid.setCurrentCell(1, 1);
    g.events.clear();
    g.grid.setCol(2);
    g.grid.setRow(3);
    g.grid.setCurrentCell(3, 2);
    EXPECT_EQ(g.events, (QStringList{"leave 1,2", "enter 1,2", "leave 3,2", "enter 3,2"}));

    // Fixed cells and cells outside the table never become current.
    g.events.clear();
    g.grid.setCurrentCell(0, 1);
    g.grid.setCurrentCell(2, 0);
    g.grid.setCurrentCell(4, 1);
    g.grid.setCurrentCell(1, 3);
    EXPECT_TRUE(g.events.isEmpty());
    EXPECT_EQ(g.grid.row(), 3);
}

TEST(GridTest, RowsAndCellsMapOntoTheTableText) {
    GridUnderTest g(2);
    EXPECT_EQ(g.grid.rows(), 3);
    EXPECT_EQ(g.grid.cols(), 3);
    EXPECT_EQ(g.grid.textMatrix(0, 0), "NO ");
    EXPECT_EQ(g.grid.textMatrix(0, 2), "水面面积(万平方米)");
    g.grid.setTextMatrix(2, 1, "5.5");
    g.grid.setTextMatrix(2, 0, "2");
    EXPECT_EQ(g.cells, (m4::TableText{{"", ""}, {"5.5", ""}}));
    EXPECT_EQ(g.grid.model()->data(g.grid.model()->index(1, 0), Qt::DisplayRole), "2");

    // Writes outside the table are dropped, not stored out of bounds.
    g.grid.setTextMatrix(3, 1, "x");
    g.grid.setTextMatrix(1, 9, "x");
    EXPECT_EQ(g.cells.size(), 2u);

    g.grid.setRows(2);
    EXPECT_EQ(g.cells, (m4::TableText{{"", ""}}));
    g.grid.clearAndHead();
    EXPECT_EQ(g.grid.textMatrix(1, 0), "");
    EXPECT_EQ(g.grid.textMatrix(0, 1), "水库水位(米)");

    g.cells = {{"1", "2"}, {"3", "4"}, {"5", "6"}};
    g.grid.reload();
    EXPECT_EQ(g.grid.rows(), 4);
    EXPECT_EQ(g.grid.textMatrix(3, 0), "3");
    EXPECT_EQ(g.grid.textMatrix(3, 2), "6");
}

TEST(GridTest, HydrographRowsAreNumberedFromZero) {
    m4::TableText cells{{"1"}, {"2"}};
    m4::ui::Grid grid(1, &cells, nullptr);
    grid.reload();
    EXPECT_EQ(grid.textMatrix(1, 0), "0");
    EXPECT_EQ(grid.textMatrix(2, 0), "1");
}

TEST(GridTest, ClickOnARowNumberChangesNothing) {
    GridUnderTest g(3);
    g.grid.show();
    g.grid.setCurrentCell(1, 1);
    g.events.clear();
    QSignalSpy clicks(&g.grid, &m4::ui::Grid::cellClicked);
    const QRect number = g.grid.visualRect(g.grid.model()->index(2, 0));
    QTest::mouseClick(g.grid.viewport(), Qt::LeftButton, {}, number.center());
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_TRUE(g.events.isEmpty());

    const QRect cell = g.grid.visualRect(g.grid.model()->index(2, 2));
    QTest::mouseClick(g.grid.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(g.events, (QStringList{"leave 3,2", "enter 3,2"}));
}

TEST(TabControlTest, PageChangesCarryThePreviousPage) {
    m4::ui::TabControl tabs({"a", "b", "c"}, 2, 20, nullptr);
    tabs.resize(200, 100);
    QSignalSpy changes(&tabs, &m4::ui::TabControl::tabChanged);
    tabs.setTab(2);
    tabs.setTab(2);
    tabs.setTab(7);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(1).center());
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes[0][0].toInt(), 0);
    EXPECT_EQ(changes[1][0].toInt(), 2);
    EXPECT_EQ(tabs.tab(), 1);
    EXPECT_TRUE(tabs.page(1)->isVisibleTo(&tabs));
    EXPECT_FALSE(tabs.page(2)->isVisibleTo(&tabs));
    // Two rows of two tabs.
    EXPECT_EQ(tabs.tabRect(2).top(), 20);
}

TEST(FileListTest, ListsCaseFilesWhateverTheLetterCase) {
    QTemporaryDir dir;
    for (const char* name : {"M-4a.int", "M-4B.INT", "m-4c.Int", "X-4d.int", "M-4e.txt", "M-4"})
        QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir("M-4f.int");
    m4::ui::FileList list(nullptr);
    list.setPattern("M-4*.int");
    list.setPath(dir.path());
    QStringList names;
    for (int i = 0; i < list.count(); ++i) names << list.item(i)->text();
    EXPECT_EQ(names, (QStringList{"M-4a.int", "M-4B.INT", "m-4c.Int"}));
    EXPECT_EQ(list.fileName(), "");

    list.setFileName("M-4B.INT");
    QFile(dir.filePath("M-4new.INT")).open(QIODevice::WriteOnly);
    list.refresh();
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.fileName(), "M-4B.INT");
}

TEST(FileListTest, DoubleClickPicksOnceThenRuns) {
    QTemporaryDir dir;
    QFile(dir.filePath("M-4a.int")).open(QIODevice::WriteOnly);
    m4::ui::FileList list(nullptr);
    list.setPattern("M-4*.int");
    list.setPath(dir.path());
    list.show();
    QSignalSpy clicks(&list, &m4::ui::FileList::fileClicked);
    QSignalSpy doubles(&list, &m4::ui::FileList::fileDoubleClicked);
    const QPoint at = list.visualItemRect(list.item(0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(doubles.count(), 1);
    EXPECT_EQ(list.fileName(), "M-4a.int");
}

TEST(FolderListTest, ShowsTheChainToTheFolderAndItsSubfolders) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("case/sub1");
    QDir(dir.path()).mkpath("case/sub2");
    m4::ui::FolderList folders(nullptr);
    folders.resize(300, 600);
    folders.show();
    QSignalSpy changes(&folders, &m4::ui::FolderList::pathChanged);
    folders.setPath(dir.filePath("case"));
    folders.setPath(dir.filePath("case"));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(folders.item(0)->text(), "/");
    EXPECT_EQ(folders.currentItem()->text().trimmed(), "case");
    EXPECT_EQ(folders.item(folders.count() - 1)->text().trimmed(), "sub2");

    QTest::mouseDClick(folders.viewport(), Qt::LeftButton, {},
                       folders.visualItemRect(folders.item(folders.count() - 1)).center());
    EXPECT_EQ(folders.path(), dir.filePath("case/sub2"));
}

} // namespace
