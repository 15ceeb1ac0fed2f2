// Typing a case: the Enter chain through fields and tables, counts, the cell editor, the
// file-name field.

#include "window_fixture.h"

#include <QInputMethodEvent>
#include <QScrollBar>

namespace {

using m4::kStateModified;
using m4::kStateSaved;

class DataEntryTest : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        start();
    }

    /// Row numbers shown in table d.
    QStringList rowNumbers(int table) const {
        QStringList numbers;
        const auto* grid = w->MSFlexGrid1[static_cast<size_t>(table)];
        for (int r = 1; r < grid->rows(); ++r) numbers << grid->textMatrix(r, 0);
        return numbers;
    }

    /// Type a count into its field and confirm it with Enter.
    void confirm(int field, const QString& count) {
        w->Text3[static_cast<size_t>(field)]->setFocus();
        w->Text3[static_cast<size_t>(field)]->selectAll();
        enter({count});
    }

    QWidget* focus() const { return QApplication::focusWidget(); }
};

TEST_F(DataEntryTest, EnterWalksFieldsAndTablesPassingOverEmptyOnesToTheNameField) {
    enter({"M-4demo"});
    EXPECT_EQ(w->CaseFileName, "M-4demo.INT");
    ASSERT_EQ(focus(), w->Text3[0]);
    enter({"水库", "P=1%", "1"});
    // K = 1: the level-area table, editor on its first cell.
    ASSERT_EQ(focus(), w->Text2);
    EXPECT_EQ(w->SSTab1->tab(), 0);
    enter({"100", "5", "1"}); // J leads to T, not into the hydrograph
    ASSERT_EQ(focus(), w->Text3[4]);
    EXPECT_EQ(rowNumbers(1), (QStringList{"0", "1"}));
    enter({"3600", "10", "20", "100", "100.5", "0", "1", "500", "0"});
    // No tunnels: straight on to H0, the tunnel page never shown.
    ASSERT_EQ(focus(), w->Text3[11]);
    EXPECT_EQ(w->SSTab1->tab(), 1);
    enter({"1", "0.45", "12", "99", "0", "0"});
    ASSERT_EQ(focus(), w->Text3[14]);
    enter({"0"});
    EXPECT_EQ(focus(), w->Text12);
    EXPECT_EQ(w->Text12->selectedText(), "M-4demo.INT");
    EXPECT_TRUE(w->Text2->isHidden());
    EXPECT_EQ(w->caseText.tables[1], (m4::TableText{{"10"}, {"20"}}));
    EXPECT_EQ(w->caseText.tables[2], m4::TableText{});
    EXPECT_EQ(w->DataState, kStateModified);
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(DataEntryTest, TunnelTableIsWalkedRowByRowThroughItsEightColumns) {
    confirm(10, "2");
    ASSERT_EQ(w->SSTab1->tab(), 2);
    ASSERT_EQ(focus(), w->Text2);
    for (int i = 1; i <= 16; ++i) enter({QString::number(i)});
    EXPECT_EQ(focus(), w->Text3[11]);
    EXPECT_EQ(w->caseText.tables[2],
              (m4::TableText{{"1", "2", "3", "4", "5", "6", "7", "8"},
                             {"9", "10", "11", "12", "13", "14", "15", "16"}}));
    // Leaving the table after its last cell arms it for the next click.
    EXPECT_TRUE(w->EditPending[2]);
}

TEST_F(DataEntryTest, CountsGrowAndShrinkTablesKeepingTheRowsThatStay) {
    confirm(2, "2");
    enter({"1", "2", "3", "4"});
    confirm(2, "5");
    EXPECT_EQ(rowNumbers(0), (QStringList{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(w->caseText.tables[0],
              (m4::TableText{{"1", "2"}, {"3", "4"}, {"", ""}, {"", ""}, {"", ""}}));
    for (int again = 0; again < 2; ++again) {
        w->commitEditor();
        confirm(2, "1");
        EXPECT_EQ(w->caseText.tables[0], (m4::TableText{{"1", "2"}}));
    }
    // Halves go to the even neighbour; the hydrograph has one row more than J.
    confirm(11, "2.5");
    EXPECT_EQ(w->GridRows(3), 2);
    confirm(12, "3.5");
    EXPECT_EQ(w->GridRows(4), 4);
    confirm(3, "0");
    EXPECT_EQ(rowNumbers(1), QStringList{"0"});
    EXPECT_EQ(takeMessages(), QStringList());

    // Tab leaves a count unconfirmed: focus moves on, the table keeps its rows.
    w->Text3[2]->setFocus();
    QTest::keyClicks(w->Text3[2], "4");
    QTest::keyClick(w->Text3[2], Qt::Key_Tab);
    EXPECT_EQ(focus(), w->Text3[3]);
    EXPECT_EQ(w->GridRows(0), 1);
    EXPECT_EQ(w->caseText.fields[2], "14");
}

TEST_F(DataEntryTest, CountsThatCannotBeRowNumbersAreRefusedAndChangeNothing) {
    confirm(2, "3");
    w->commitEditor();
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
    };
    for (const auto& r : refused) {
        confirm(r.field, r.text);
        EXPECT_EQ(takeMessages(), QStringList{r.message});
        EXPECT_EQ(focus(), w->Text3[static_cast<size_t>(r.field)]) << r.text;
    }
    EXPECT_EQ(QList<int>({w->GridRows(0), w->GridRows(1), w->GridRows(2)}), QList<int>({3, 0, 0}));
}

TEST_F(DataEntryTest, ClickOpensTheEditorOverTheCellAndPageChangeCommitsIt) {
    confirm(13, "2");
    w->commitEditor();
    w->DataState = kStateSaved;
    auto* grid = w->MSFlexGrid1[5];
    w->SSTab1->setTab(5);
    const QRect cell = grid->visualRect(grid->model()->index(1, 3));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(w->DataState, kStateModified);
    ASSERT_FALSE(w->Text2->isHidden());
    EXPECT_EQ(QPoint(w->EditRow, w->EditCol), QPoint(2, 3));
    EXPECT_EQ(w->Text2->geometry().topLeft(), grid->viewport()->mapTo(w->SSpic, cell.topLeft()));
    EXPECT_EQ(w->Text2->width(), cell.width());

    QTest::keyClicks(w->Text2, "x1");
    QTest::mouseClick(w->SSTab1, Qt::LeftButton, {}, w->SSTab1->tabRect(0).center());
    EXPECT_EQ(w->SSTab1->tab(), 0);
    EXPECT_TRUE(w->Text2->isHidden());
    EXPECT_EQ(w->caseText.tables[5][1][2], "x1");
}

TEST_F(DataEntryTest, ScrollingTheGridUnderTheEditorWritesTheCellAndClosesIt) {
    confirm(14, "200");
    QTest::keyClicks(w->Text2, "9.5");
    auto* grid = w->MSFlexGrid1[6];
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    EXPECT_TRUE(w->Text2->isHidden());
    EXPECT_EQ(w->caseText.tables[6][0][0], "9.5");

    // Enter walking far down scrolls too, and the editor lands on the cell it walked to.
    grid->setCurrentCell(150, 2);
    w->MSFlexGrid1_Click(6);
    QTest::keyClicks(w->Text2, "7");
    QTest::keyClick(w->Text2, Qt::Key_Return);
    ASSERT_FALSE(w->Text2->isHidden());
    EXPECT_EQ(w->EditRow, 151);
    const QRect cell = grid->visualRect(grid->model()->index(150, 1));
    EXPECT_EQ(w->Text2->geometry().topLeft(), grid->viewport()->mapTo(w->SSpic, cell.topLeft()));
    EXPECT_EQ(w->caseText.tables[6][149][1], "7");
}

TEST_F(DataEntryTest, ShrinkingTheTableUnderAnOpenEditorKeepsEverythingConsistent) {
    confirm(2, "4");
    enter({"a"});
    w->MSFlexGrid1[0]->setCurrentCell(4, 2);
    ASSERT_EQ(w->EditRow, 4);
    QTest::keyClicks(w->Text2, "lost");
    confirm(2, "2");
    EXPECT_EQ(w->caseText.tables[0], (m4::TableText{{"a", ""}, {"", ""}}));
    // Enter in K went on into the shrunken table.
    EXPECT_EQ(w->EditRow, 1);
    EXPECT_EQ(focus(), w->Text2);
}

TEST_F(DataEntryTest, KeysThatChangeAFieldMarkTheCaseModifiedAndMovesDoNot) {
    const struct {
        Qt::Key key;
        int state;
    } keys[] = {{Qt::Key_Q, kStateModified},
                {Qt::Key_Backspace, kStateModified},
                {Qt::Key_Left, kStateSaved}};
    for (const auto& k : keys) {
        w->DataState = kStateSaved;
        QTest::keyClick(w->Text3[7], k.key);
        EXPECT_EQ(w->DataState, k.state) << k.key;
    }
    // Chinese from an input method is typing too.
    QInputMethodEvent chinese;
    chinese.setCommitString("水库");
    QApplication::sendEvent(w->Text3[0], &chinese);
    EXPECT_EQ(w->DataState, kStateModified);
    EXPECT_EQ(w->caseText.fields[0], "水库");
}

TEST_F(DataEntryTest, NameFieldChecksTheExtensionOnEveryChange) {
    w->Text12->selectAll();
    QTest::keyClicks(w->Text12, "M-4a");
    EXPECT_EQ(takeMessages(), (QStringList{"存盘文件扩展名M不对", "存盘文件扩展名M-不对",
                                           "存盘文件扩展名M-4不对", "存盘文件扩展名M-4a不对"}));
    EXPECT_EQ(w->CaseFileName, "*.INT");
    QTest::keyClicks(w->Text12, ".int");
    EXPECT_EQ(w->CaseFileName, "M-4a.int");
    EXPECT_EQ(takeMessages().size(), 3); // ".", ".i", ".in"

    // Passing through the field without a change leaves a loaded case unmodified.
    w->DataState = kStateSaved;
    w->Text12->setFocus();
    w->Text3[5]->setFocus();
    EXPECT_EQ(w->DataState, kStateSaved);
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(DataEntryTest, NewCaseEmptiesFieldsAndCellsButKeepsRowsAndANamePattern) {
    confirm(2, "2");
    enter({"7"});
    w->Text3[0]->setText("name");
    w->Text12->setText("M-4x.INT");
    w->NewdataForm();
    EXPECT_EQ(w->Text12->text(), "*.INT");
    EXPECT_EQ(w->Text3[0]->text() + w->caseText.fields[0] + w->Text2->text(), "");
    EXPECT_EQ(w->caseText.tables[0], (m4::TableText{{"", ""}, {"", ""}}));
    EXPECT_EQ(w->MSFlexGrid1[0]->textMatrix(0, 1), "水库水位(米)");
    EXPECT_TRUE(w->Text2->isHidden());

    // A name that still holds "*" stays the name of the next new case.
    w->Text12->setText("M-4*.INT");
    w->NewdataForm();
    EXPECT_EQ(w->Text12->text(), "M-4*.INT");
    EXPECT_EQ(w->Text12->selectedText(), "M-4*");
}

} // namespace
