// Typing a case: the Enter chain through fields and tables, counts, the cell editor, the
// file-name field.

#include "window_fixture.h"

#include <QHeaderView>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTest>

namespace {

class DataEntryTest : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        start();
    }

    /// Row numbers shown in table d.
    QStringList rowNumbers(int table) const {
        QStringList numbers;
        for (int r = 0; r + 1 < grid(table)->rows(); ++r)
            numbers << grid(table)->model()->headerData(r, Qt::Vertical).toString();
        return numbers;
    }
    /// Type a count into its field and confirm it with Enter.
    void confirm(int i, const QString& count) {
        field(i)->setFocus();
        field(i)->selectAll();
        enter({count});
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
    QLineEdit* editor() const { return find<QLineEdit>("Text2"); }
    /// Whether the run command takes the case for modified (it refuses then).
    bool runRefusedAsModified() {
        choose("run");
        const QStringList messages = takeMessages();
        return messages.size() == 1 && messages[0].endsWith("已作修改，请先存盘再计算");
    }
};

TEST_F(DataEntryTest, EnterWalksFieldsAndTablesPassingOverEmptyOnesToTheNameField) {
    enter({"M-4demo"});
    ASSERT_EQ(focus(), field(0));
    enter({"水库", "P=1%", "1"});
    // K = 1: the level-area table, editor on its first cell.
    ASSERT_EQ(focus(), editor());
    EXPECT_EQ(tabs("SSTab1")->tab(), 0);
    enter({"100", "5", "1"}); // J leads to T, not into the hydrograph
    ASSERT_EQ(focus(), field(4));
    EXPECT_EQ(rowNumbers(1), (QStringList{"0", "1"}));
    enter({"3600", "10", "20", "100", "100.5", "0", "1", "500", "0"});
    // No tunnels: straight on to H0, the tunnel page never shown.
    ASSERT_EQ(focus(), field(11));
    EXPECT_EQ(tabs("SSTab1")->tab(), 1);
    enter({"1", "0.45", "12", "99", "0", "0"});
    ASSERT_EQ(focus(), field(14));
    enter({"0"});
    EXPECT_EQ(focus(), nameField());
    EXPECT_EQ(nameField()->selectedText(), "M-4demo.INT");
    EXPECT_TRUE(editor()->isHidden());
    EXPECT_EQ(cells(1), (m4::TableText{{"10"}, {"20"}}));
    EXPECT_EQ(cells(2), m4::TableText{});
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(DataEntryTest, TunnelTableIsWalkedRowByRowAndItsRowNumbersStayInView) {
    confirm(10, "2");
    ASSERT_EQ(tabs("SSTab1")->tab(), 2);
    ASSERT_EQ(focus(), editor());
    for (int i = 1; i <= 16; ++i) enter({QString::number(i)});
    EXPECT_EQ(focus(), field(11));
    EXPECT_EQ(cells(2), (m4::TableText{{"1", "2", "3", "4", "5", "6", "7", "8"},
                                       {"9", "10", "11", "12", "13", "14", "15", "16"}}));
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
    EXPECT_EQ(rowNumbers(0).back(), "32767");
    EXPECT_GE(levels->verticalHeader()->width(),
              levels->verticalHeader()->fontMetrics().horizontalAdvance("32767"));
}

TEST_F(DataEntryTest, CountsGrowAndShrinkTablesKeepingTheRowsThatStay) {
    confirm(2, "2");
    enter({"1", "2", "3", "4"});
    confirm(2, "5");
    EXPECT_EQ(rowNumbers(0), (QStringList{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(cells(0), (m4::TableText{{"1", "2"}, {"3", "4"}, {"", ""}, {"", ""}, {"", ""}}));
    for (int again = 0; again < 2; ++again) {
        confirm(2, "1");
        EXPECT_EQ(cells(0), (m4::TableText{{"1", "2"}}));
    }
    // Halves go to the even neighbour; the hydrograph has one row more than J.
    confirm(11, "2.5");
    EXPECT_EQ(cells(3).size(), 2u);
    confirm(12, "3.5");
    EXPECT_EQ(cells(4).size(), 4u);
    confirm(3, "0");
    EXPECT_EQ(rowNumbers(1), QStringList{"0"});

    // Tab leaves a count unconfirmed: focus moves on, the table keeps its rows.
    field(2)->setFocus();
    QTest::keyClicks(field(2), "4");
    QTest::keyClick(field(2), Qt::Key_Tab);
    EXPECT_EQ(focus(), field(3));
    EXPECT_EQ(cells(0).size(), 1u);
    EXPECT_EQ(field(2)->text(), "14");
}

TEST_F(DataEntryTest, CountsThatCannotBeRowNumbersAreRefusedAndChangeNothing) {
    confirm(2, "3");
    const struct {
        int field;
        const char* text;
        const char* message;
    } refused[] = {
        {2, "-1", "个数-1不对，应为0至32767的整数"},
        {2, "40000", "个数40000不对，应为0至32767的整数"},
        {2, "abc", "个数abc不对，应为0至32767的整数"},
        {3, "32767", "个数32767不对，应为0至32766的整数"},
        {10, "11", "个数11不对，应为0至10的整数"},
        {11, "10.6", "个数10.6不对，应为0至10的整数"},
    };
    for (const auto& r : refused) {
        confirm(r.field, r.text);
        EXPECT_EQ(takeMessages(), QStringList{r.message});
        EXPECT_EQ(focus(), field(r.field)) << r.text;
    }
    EXPECT_EQ(QList<size_t>({cells(0).size(), cells(1).size(), cells(2).size(), cells(3).size()}),
              QList<size_t>({3, 0, 0, 0}));
    confirm(11, "10");
    EXPECT_EQ(cells(3).size(), 10u);
}

TEST_F(DataEntryTest, ClickOpensTheEditorOverTheCellAndPageChangeCommitsIt) {
    confirm(13, "2");
    m4::ui::Grid* variable = grid(5);
    tabs("SSTab1")->setTab(5);
    const QRect cell = variable->visualRect(variable->model()->index(1, 2));
    QTest::mouseClick(variable->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_FALSE(editor()->isHidden());
    EXPECT_EQ(editor()->geometry().topLeft(),
              variable->viewport()->mapTo(find<QWidget>("SSpic"), cell.topLeft()));
    EXPECT_EQ(editor()->width(), cell.width());

    QTest::keyClicks(editor(), "x1");
    auto* pages = tabs("SSTab1");
    QTest::mouseClick(pages, Qt::LeftButton, {}, pages->tabRect(0).center());
    EXPECT_EQ(pages->tab(), 0);
    EXPECT_TRUE(editor()->isHidden());
    EXPECT_EQ(cells(5)[1][2], "x1");
}

TEST_F(DataEntryTest, ScrollingTheGridUnderTheEditorWritesTheCellAndKeepsTheFocusInTheGrid) {
    confirm(14, "200");
    QTest::keyClicks(editor(), "9.5");
    m4::ui::Grid* table = grid(6);
    table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum());
    EXPECT_TRUE(editor()->isHidden());
    EXPECT_EQ(cells(6)[0][0], "9.5");
    // The focus stays where the user works; a Space there changes nothing.
    EXPECT_EQ(focus(), table);
    QTest::keyClick(focus(), Qt::Key_Space);
    EXPECT_EQ(cells(6)[0][0], "9.5");
    EXPECT_EQ(field(14)->text(), "200");

    // Enter walking far down scrolls too, and the editor lands on the cell it walked to.
    table->setCurrentCell(150, 2);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualRect(table->model()->index(149, 1)).center());
    QTest::keyClicks(editor(), "7");
    QTest::keyClick(editor(), Qt::Key_Return);
    ASSERT_FALSE(editor()->isHidden());
    const QRect cell = table->visualRect(table->model()->index(150, 0));
    EXPECT_EQ(editor()->geometry().topLeft(),
              table->viewport()->mapTo(find<QWidget>("SSpic"), cell.topLeft()));
    EXPECT_EQ(cells(6)[149][1], "7");
}

TEST_F(DataEntryTest, KeysThatChangeAFieldMarkTheCaseModifiedAndMovesDoNot) {
    copyExample();
    const struct {
        Qt::Key key;
        bool modified;
    } keys[] = {{Qt::Key_Q, true}, {Qt::Key_Backspace, true}, {Qt::Key_Left, false}};
    for (const auto& k : keys) {
        click("M-4Example.INT");
        QTest::keyClick(field(7), k.key);
        EXPECT_EQ(runRefusedAsModified(), k.modified) << k.key;
    }
    // Chinese from an input method is typing too.
    click("M-4Example.INT");
    QInputMethodEvent chinese;
    chinese.setCommitString("水库");
    QApplication::sendEvent(field(0), &chinese);
    EXPECT_TRUE(runRefusedAsModified());
    EXPECT_EQ(field(0)->text(), "示例水库水库");
}

TEST_F(DataEntryTest, NameFieldChecksTheExtensionOnEveryChange) {
    nameField()->selectAll();
    QTest::keyClicks(nameField(), "M-4a");
    EXPECT_EQ(takeMessages(), (QStringList{"存盘文件扩展名M不对", "存盘文件扩展名M-不对",
                                           "存盘文件扩展名M-4不对", "存盘文件扩展名M-4a不对"}));
    QTest::keyClicks(nameField(), ".int");
    EXPECT_EQ(takeMessages().size(), 3); // ".", ".i", ".in"
    choose("run");
    EXPECT_EQ(takeMessages(), QStringList{"文件M-4a.int已作修改，请先存盘再计算"});

    // Passing through the field without a change leaves a loaded case unmodified.
    copyExample();
    click("M-4Example.INT");
    nameField()->setFocus();
    field(5)->setFocus();
    EXPECT_FALSE(runRefusedAsModified());
    EXPECT_EQ(takeMessages(), QStringList());
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
    EXPECT_TRUE(editor()->isHidden());
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

} // namespace
