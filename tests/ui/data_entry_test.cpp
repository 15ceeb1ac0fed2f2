// Typing a case: counts, the cell editor; blocks of cells pasted, copied, selected and emptied;
// undo and redo.

#include "window_fixture.h"

#include <QClipboard>
#include <QHeaderView>
#include <QScrollBar>

namespace {

class DataEntryTest : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        start();
    }

    /// The row number shown on the last row of table d.
    QString lastRowNumber(int d) const {
        return grid(d)->model()->headerData(grid(d)->rows() - 2, Qt::Vertical).toString();
    }
    /// Type a count into its field and confirm it with Enter.
    void confirm(int i, const QString& count) {
        field(i)->setFocus();
        field(i)->selectAll();
        enter({count});
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
    QLineEdit* editor() const { return find<QLineEdit>("Text2"); }
    /// Press a key sequence where the focus is.
    void keys(const QKeySequence& sequence) { QTest::keySequence(focus(), sequence); }
    /// The same in table d, its page shown.
    void keys(int d, const QKeySequence& sequence) {
        tabs("SSTab1")->setTab(d);
        grid(d)->setFocus();
        keys(sequence);
    }
};

TEST_F(DataEntryTest, TunnelTableIsWalkedRowByRowAndItsRowNumbersStayInView) {
    confirm(10, "2");
    ASSERT_EQ(tabs("SSTab1")->tab(), 2);
    ASSERT_EQ(focus(), editor());
    for (int i = 1; i <= 16; ++i) enter({QString::number(i)});
    EXPECT_EQ(focus(), field(11)); // after the 16 cells of its two rows
    // Scrolled to its last column, the table still shows its row numbers at its left edge.
    m4::ui::Grid* tunnels = grid(2);
    QApplication::processEvents();
    const QImage before = tunnels->grab().toImage();
    tunnels->horizontalScrollBar()->setValue(tunnels->horizontalScrollBar()->maximum());
    ASSERT_GT(tunnels->horizontalScrollBar()->value(), 0);
    const QImage after = tunnels->grab().toImage();
    const QRect numbers(0, 0, tunnels->fontMetrics().horizontalAdvance("32767"), before.height());
    EXPECT_EQ(before.copy(numbers), after.copy(numbers));
    // ... wide enough for the largest row number.
    confirm(2, "32767");
    m4::ui::Grid* levels = grid(0);
    levels->scrollToBottom();
    EXPECT_EQ(levels->model()->headerData(32766, Qt::Vertical).toString(), "32767");
    EXPECT_GE(levels->verticalHeader()->width(),
              levels->verticalHeader()->fontMetrics().horizontalAdvance("32767"));
}

TEST_F(DataEntryTest, NewCaseEmptiesFieldsAndCellsDisarmsTheTablesAndKeepsRowsAndANamePattern) {
    confirm(2, "2");
    enter({"7", "8", "9", "10"}); // the walk leaves table 0 armed after its last cell
    retype(field(0), "name");
    retype(nameField(), "M-4x.INT");
    press("new");
    EXPECT_EQ(nameField()->text(), "*.INT");
    EXPECT_EQ(field(0)->text() + editor()->text(), "");
    EXPECT_EQ(cells(0), (m4::TableText{{"", ""}, {"", ""}}));
    EXPECT_EQ(grid(0)->textMatrix(0, 1), "水库水位(米)");
    // Moving through a disarmed table opens no editor.
    grid(0)->setFocus();
    QTest::keyClick(grid(0), Qt::Key_Down);
    EXPECT_TRUE(editor()->isHidden());

    // A name that still holds "*" stays the name of the next new case.
    retype(nameField(), "M-4*.INT");
    press("new");
    EXPECT_EQ(nameField()->text(), "M-4*.INT");
    EXPECT_EQ(nameField()->selectedText(), "M-4*");
}

TEST_F(DataEntryTest, CountsGrowAndShrinkTablesKeepingTheRowsThatStayAndRefuseNonRowNumbers) {
    confirm(2, "2");
    enter({"1", "2", "3", "4"});
    confirm(2, "5");
    EXPECT_EQ(cells(0), (m4::TableText{{"1", "2"}, {"3", "4"}, {"", ""}, {"", ""}, {"", ""}}));
    confirm(2, "1");
    EXPECT_EQ(cells(0), (m4::TableText{{"1", "2"}}));
    confirm(2, "2"); // a single new row is numbered too
    EXPECT_EQ(grid(0)->model()->headerData(1, Qt::Vertical).toString(), "2");
    confirm(2, "1");

    for (const auto& [i, text, message] :
         {std::tuple{2, "-1", "个数-1不对，应为0至32767的整数"},
          std::tuple{3, "32767", "个数32767不对，应为0至32766的整数"},
          std::tuple{10, "11", "个数11不对，应为0至10的整数"}}) {
        confirm(i, text);
        EXPECT_EQ(takeMessages(), QStringList{message});
        EXPECT_EQ(focus(), field(i)) << text;
    }
    EXPECT_EQ(cells(0).size() + cells(2).size(), 1u);
}

TEST_F(DataEntryTest, PastesThatCannotLandAreRefusedNamingTheCellAndChangeNothing) {
    copyExample();
    click("M-4Example.INT");
    const QString tunnels = QString("1\t2\t3\t4\t5\t6\t7\t8\n").repeated(10);
    using Paste = std::tuple<int, int, QString, QString>; // table, column, text, message
    std::array<m4::TableText, 3> before{cells(0), cells(1), cells(2)};
    for (const auto& [table, col, text, message] :
         {Paste{0, 2, "1,2", "粘贴的数据有2列，表格“水库水位面积”从第2列起只有1列，未作粘贴"},
          // Between tabs a comma is no separator (nor a thousands separator).
          Paste{2, 1, tunnels + "1,2",
                "粘贴到表格“泄洪洞参数”第11行第1列的“1,2”不是数字，未作粘贴"},
          Paste{2, 1, tunnels + tunnels.left(16), "个数11不对，应为0至10的整数"}}) {
        clickCell(table, 1, col);
        QGuiApplication::clipboard()->setText(text);
        keys(QKeySequence::Paste);
        EXPECT_EQ(takeMessages(), QStringList{message});
        EXPECT_EQ((std::array<m4::TableText, 3>{cells(0), cells(1), cells(2)}), before) << message;
    }
    EXPECT_EQ(field(10)->text(), "1");
    EXPECT_FALSE(find<QAction>("undo")->isEnabled());
}

TEST_F(DataEntryTest, CopiesCarryTheHeaderAndPastesFromASpreadsheetGrowTheTableUntilUndone) {
    copyExample();
    click("M-4Example.INT");
    // The whole table, copied as a spreadsheet copies it, into the level-discharge table (two
    // rows): its header is left out, the table grows and its count says so.
    keys(0, QKeySequence::Copy);
    keys(6, QKeySequence::Paste);
    EXPECT_EQ(cells(6), (m4::TableText{{"100", "10"}, {"110", "25"}, {"120", "45"}}));
    EXPECT_EQ(field(14)->text(), "3");
    keys(QKeySequence::Copy); // the pasted block is selected
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "水位ZZ0  \t泄流量QQ  \n100\t10\n110\t25\n120\t45\n");

    // What a spreadsheet copies from a column of 200 inflows. Made with LibreOffice 7.4 from
    // Debian, headless: a CSV of the values, one a line (120 + 3730 x^3 e^(3 (1 - x)),
    // x = i / 36, i = 0..199, one decimal), converted to a workbook and the workbook to text
    // with a tab between cells, as a copy out of it gives:
    //   soffice --headless --convert-to xlsx h.csv
    //   soffice --headless --convert-to "txt:Text - txt - csv (StarCalc):9,34,76,1" h.xlsx
    const QString sheet =
        QString::fromUtf8(m4test::fileBytes(M4_TEST_DATA "/paste/hydrograph-200.txt"));
    m4::TableText pasted{{"50"}};
    for (const QString& line : sheet.split('\n', Qt::SkipEmptyParts)) pasted.push_back({line});
    const m4::TableText loaded = cells(1);
    grid(1)->setCurrentCell(2, 1);
    QGuiApplication::clipboard()->setText(sheet);
    keys(1, QKeySequence::Paste);
    EXPECT_EQ(cells(1), pasted);
    EXPECT_EQ(QStringList({field(3)->text(), lastRowNumber(1)}), QStringList({"200", "200"}));
    keys(QKeySequence::Undo);
    EXPECT_EQ(cells(1), loaded);
    EXPECT_EQ(QStringList({field(3)->text(), lastRowNumber(1)}), QStringList({"2", "2"}));
    keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(field(3)->text(), "200");
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(DataEntryTest, BlocksSelectedByMouseOrShiftArrowsAreCopiedAndEmptiedAndUndoRefillsThem) {
    copyExample();
    click("M-4Example.INT");
    // Shift with the arrows from the editor: what was typed is written, the block is selected;
    // sideways, while part of the text is selected, it selects within the text.
    clickCell(0, 2, 1);
    // A capital typed over the whole text is typed, not taken for a selection.
    editor()->selectAll();
    QTest::keyClick(editor(), 'E', Qt::ShiftModifier);
    EXPECT_EQ(editor()->text(), "E");
    editor()->clear();
    QTest::keyClicks(editor(), "99");
    QTest::keyClick(editor(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(editor()->selectedText(), "9");
    QTest::keyClick(editor(), Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(focus(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_TRUE(editor()->isHidden());
    EXPECT_EQ(focus(), grid(0));
    keys(QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "水库水位(米)\t水面面积(万平方米)\n100\t10\n99\t25\n");

    // A drag from the first cell to below the last selects them all, opening no editor.
    QWidget* cellArea = grid(0)->viewport();
    const QPoint below(cellCentre(0, 3, 2).x(), cellArea->height() - 3);
    QTest::mousePress(cellArea, Qt::LeftButton, {}, cellCentre(0, 1, 1));
    QTest::mouseMove(cellArea, cellCentre(0, 2, 2));
    QTest::mouseMove(cellArea, below);
    QTest::mouseRelease(cellArea, Qt::LeftButton, {}, below);
    EXPECT_TRUE(editor()->isHidden());
    QTest::keyClick(focus(), Qt::Key_Delete);
    EXPECT_EQ(cells(0), (m4::TableText(3, {"", ""})));
    keys(QKeySequence::Undo);
    EXPECT_EQ(cells(0), (m4::TableText{{"100", "10"}, {"99", "25"}, {"120", "45"}}));
    keys(QKeySequence::Undo);
    EXPECT_EQ(cells(0)[1][0], "110");
    // Only the cell undone is selected, so a copy takes the whole table.
    keys(QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "水库水位(米)\t水面面积(万平方米)\n100\t10\n110\t25\n120\t45\n");
    // Shift with a click selects from the current cell to the cell clicked.
    clickCell(0, 1, 2);
    clickCell(0, 2, 2, Qt::ShiftModifier);
    keys(QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "水面面积(万平方米)\n10\n25\n");
}

} // namespace
