// The platform layer the window's logic stands on: grid notifications, tabs, the file lists.

#include "ui/platform/file_browser.h"
#include "window_fixture.h"

#include <QHeaderView>
#include <QSignalSpy>

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
    QTest::mouseClick(grid.verticalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
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

TEST(TabControlTest, PageChangesCarryThePreviousPage) {
    m4::ui::TabControl tabs({"a", "b", "c"}, 2, 20, nullptr);
    tabs.resize(200, 100);
    QSignalSpy changes(&tabs, &m4::ui::TabControl::tabChanged);
    tabs.setTab(2);
    tabs.setTab(2);
    tabs.setTab(7);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(1).center());
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes[0][0].toInt() * 10 + changes[1][0].toInt(), 2);
    EXPECT_EQ(tabs.tab(), 1);
    EXPECT_TRUE(tabs.page(1)->isVisibleTo(&tabs));
    EXPECT_FALSE(tabs.page(2)->isVisibleTo(&tabs));
    EXPECT_EQ(tabs.tabRect(2).top(), 20); // two rows of two tabs
}

TEST(FileListTest, ListsCaseFilesWhateverTheLetterCaseAndADoubleClickPicksOnce) {
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

    list.show();
    QSignalSpy clicks(&list, &m4::ui::FileList::fileClicked);
    QSignalSpy doubles(&list, &m4::ui::FileList::fileDoubleClicked);
    const QPoint at = list.visualItemRect(list.item(1)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(clicks.count() * 10 + doubles.count(), 11);
    // The pick survives a refresh that lists a new file.
    QFile(dir.filePath("M-4new.INT")).open(QIODevice::WriteOnly);
    list.refresh();
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.fileName(), "M-4B.INT");
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
    QListWidgetItem* last = folders.item(folders.count() - 1);
    EXPECT_EQ(folders.item(0)->text() + folders.currentItem()->text().trimmed() +
                  last->text().trimmed(),
              "/casesub2");
    QTest::mouseDClick(folders.viewport(), Qt::LeftButton, {},
                       folders.visualItemRect(last).center());
    EXPECT_EQ(folders.path(), dir.filePath("case/sub2"));
}

} // namespace
