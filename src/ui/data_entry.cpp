// Typing a case: Enter walks the parameter fields and the table cells in one chain, a count
// confirmed with Enter resizes its table, and the floating cell editor takes the typing for the
// current cell and writes it back when the cell is left.

#include "case/text_convert.h"
#include "platform/grid.h"
#include "platform/tab_control.h"
#include "vemoM4.h"

#include <QLineEdit>

namespace m4 {
namespace {

constexpr int kEnter = 13;
/// Where Enter leads after the last cell of each table.
constexpr std::array<int, kTableCount> kFieldAfterTable{3, 5, 11, 12, 13, 14, kNameField};
/// Data rows for a count text, or nullopt when the text is no count the table can take.
std::optional<int> acceptedRows(int table, const QString& text) {
    if (!itemNumber(text)) return std::nullopt;
    const std::optional<int> rows = rowsFromCount(table, text);
    const int fewest = table == kHydrographTable ? 1 : 0;
    if (!rows || *rows < fewest || *rows - fewest > largestCount(table)) return std::nullopt;
    return rows;
}

size_t at(int i) {
    return static_cast<size_t>(i);
}

} // namespace

void vemoM4::Text3_KeyPress(int Index, int KeyAscii) {
    DataState = kStateModified;
    if (KeyAscii != kEnter) return;
    if (tableOfCountField(Index) >= 0 && !confirmCount(Index)) {
        focusField(Index);
        return;
    }
    // Fields 2 and 4 lead into their tables, fields 10 to 14 into theirs; an empty table is
    // passed over to the next field.
    int table = -1;
    if (Index == 2) table = 0;
    if (Index == 4) table = kHydrographTable;
    if (Index >= 10 && Index <= 14) table = Index - 8;
    if (table >= 0 && GridRows(table) >= 1)
        GoToTable(table);
    else
        focusField(Index + 1);
}

bool vemoM4::confirmCount(int field) {
    const int table = tableOfCountField(field);
    const QString text = Text3.at(at(field))->text();
    const std::optional<int> rows = acceptedRows(table, text);
    if (!rows) {
        messages_.critical(QString::fromUtf8("个数") + text + QString::fromUtf8("不对，应为0至") +
                           QString::number(largestCount(table)) + QString::fromUtf8("的整数"));
        return false;
    }
    // An open editor is written first: its cell may be among the rows that go.
    commitEditor();
    const int old = GridRows(table);
    setGridRows(table, *rows);
    if (*rows > old) {
        EditPending.at(at(table)) = false;
        ui::Grid* grid = MSFlexGrid1.at(at(table));
        for (int r = old + 1; r <= *rows; ++r)
            grid->setTextMatrix(r, 0, QString::number(rowNumberShown(table, r)));
    }
    return true;
}

void vemoM4::MSFlexGrid1_Click(int Index) {
    const ui::Grid* grid = MSFlexGrid1.at(at(Index));
    EditRow = grid->row();
    EditCol = grid->col();
    EditPending.at(at(Index)) = true;
    MSFlexGrid1_EnterCell(Index);
    DataState = kStateModified;
}

void vemoM4::MSFlexGrid1_EnterCell(int Index) {
    if (!EditPending.at(at(Index))) return;
    ui::Grid* grid = MSFlexGrid1.at(at(Index));
    if (grid->rows() < 2) return; // no data cell to edit
    EditRow = grid->row();
    EditCol = grid->col();
    EditTable = Index;
    EditorRow = EditRow;
    EditorCol = EditCol;
    Text2->setText(grid->text());
    // The editor lies on the data panel; the grid lies on the grid tab control.
    const QRect cell = grid->cellRect();
    Text2->setGeometry(SSTab1->x() + grid->x() + cell.left(), SSTab1->y() + grid->y() + cell.top(),
                       cell.width(), Text2->height());
    Text2->show();
    Text2->raise();
    Text2->setFocus();
    Text2->selectAll();
}

void vemoM4::MSFlexGrid1_LeaveCell(int) {
    commitEditor();
}

void vemoM4::SSTab1_Click(int) {
    commitEditor();
}

void vemoM4::Text2_KeyPress(int KeyAscii) {
    if (KeyAscii != kEnter) return;
    const int table = SSTab1->tab();
    NextCell(table, tableInfo(table).columns, kFieldAfterTable.at(at(table)));
}

void vemoM4::NextCell(int Index, int Columns, int NextField) {
    ui::Grid* grid = MSFlexGrid1.at(at(Index));
    if (EditCol < Columns) {
        EditCol = EditCol + 1;
        grid->setCurrentCell(EditRow, EditCol);
        return;
    }
    if (EditRow >= grid->rows() - 1) {
        EditPending.at(at(Index)) = true;
        commitEditor();
        focusField(NextField);
        return;
    }
    const int nextRow = EditRow + 1;
    EditCol = 1;
    grid->setCurrentCell(EditRow, 1);
    EditRow = nextRow;
    grid->setCurrentCell(nextRow, 1);
}

void vemoM4::GoToTable(int Index) {
    SSTab1->setTab(Index);
    MSFlexGrid1.at(at(Index))->setCurrentCell(1, 1);
    MSFlexGrid1_Click(Index);
}

void vemoM4::commitEditor() {
    if (Text2->isHidden()) return;
    MSFlexGrid1.at(at(EditTable))->setTextMatrix(EditorRow, EditorCol, Text2->text());
    Text2->hide();
}

void vemoM4::hideEditor(bool clearText) {
    Text2->hide();
    if (clearText) Text2->clear();
}

void vemoM4::focusField(int field) {
    QLineEdit* target = field == kNameField ? Text12 : Text3.at(at(field));
    target->selectAll();
    target->setFocus();
}

} // namespace m4
