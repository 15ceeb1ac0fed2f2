// Blocks of cells: pasted from a spreadsheet or a text editor, copied out, emptied; selected
// with the mouse and Shift with the arrow keys; and every change of a table undone and redone.

#include "data_entry.h"
#include "platform/grid.h"
#include "platform/message_box.h"
#include "platform/tab_control.h"
#include "window_text.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QUndoStack>

namespace m4 {
namespace {

/// Steps kept to undo; a paste of a whole table is one step.
constexpr int kUndoSteps = 1000;

size_t at(int i) {
    return static_cast<size_t>(i);
}

/// The count field's number for a table of that many rows.
int countForRows(int table, int rows) {
    return table == kHydrographTable ? rows - 1 : rows;
}

/// The block a change writes, from its first cell over its rows and widest row.
ui::CellRange blockOf(const TableChange& change) {
    int width = 0;
    for (const auto& row : change.cells) width = std::max(width, static_cast<int>(row.size()));
    return {change.top, change.left, change.top + static_cast<int>(change.cells.size()) - 1,
            change.left + width - 1};
}

/// One undoable step: a table as it was before and after a change.
class TableEdit : public QUndoCommand {
  public:
    TableEdit(TableChange before, TableChange after, std::function<void(const TableChange&)> apply)
        : before_(std::move(before)), after_(std::move(after)), apply_(std::move(apply)) {}
    void undo() override { apply_(before_); }
    void redo() override { apply_(after_); }
    const TableChange& change(bool forward) const { return forward ? after_ : before_; }

  private:
    TableChange before_;
    TableChange after_;
    std::function<void(const TableChange&)> apply_;
};

} // namespace

void DataEntry::buildEditActions() {
    history_ = new QUndoStack(this);
    history_->setUndoLimit(kUndoSteps);
    MnuGrid = new QMenu(QStringLiteral("表格菜单"), this);
    MnuGrid->setObjectName("MnuGrid");
    // The keys work where the tables have the focus; the cell editor has keys of its own.
    const auto add = [this](const char* key, const char* text, QList<QKeySequence> keys,
                            const auto& run) {
        auto* action = new QAction(QString::fromUtf8(text), this);
        action->setObjectName(key);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, run);
        for (ui::Grid* grid : MSFlexGrid1) grid->addAction(action);
        MnuGrid->addAction(action);
        return action;
    };
    QAction* undo = add("undo", "撤销", {QKeySequence::Undo}, [this] { stepHistory(false); });
    QAction* redo = add("redo", "重做", {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z},
                        [this] { stepHistory(true); });
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(history_, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(history_, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    MnuGrid->addSeparator();
    add("copy", "复制", {QKeySequence::Copy}, [this] { copyBlock(); });
    add("paste", "粘贴", {QKeySequence::Paste},
        [this] { pasteBlock(QGuiApplication::clipboard()->text()); });
    add("delete", "删除", {QKeySequence::Delete}, [this] { emptyCells(); });
    // The editor lies over a cell: its menu is the table's.
    const auto offerMenu = [this](QWidget* area, QWidget* source) {
        source->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(source, &QWidget::customContextMenuRequested, this,
                [this, area](const QPoint& at) { MnuGrid->popup(area->mapToGlobal(at)); });
    };
    for (ui::Grid* grid : MSFlexGrid1) offerMenu(grid->viewport(), grid);
    offerMenu(Text2, Text2);
}

void DataEntry::setMenuCommands(const QList<QAction*>& commands) {
    MnuGrid->addSeparator();
    MnuGrid->addActions(commands);
}

void DataEntry::clearHistory() {
    history_->clear();
}

void DataEntry::changeTable(TableChange before, TableChange after) {
    history_->push(new TableEdit(std::move(before), std::move(after),
                                 [this](const TableChange& change) { applyChange(change); }));
}

void DataEntry::applyChange(const TableChange& change) {
    ui::Grid* grid = MSFlexGrid1.at(at(change.table));
    const int old = GridRows(change.table);
    if (change.rows != old) {
        grid->setRows(change.rows + 1);
        grid->gridModel()->numberRows(old + 1, change.rows, change.table);
    }
    grid->gridModel()->setBlock(change.top, change.left, change.cells);
    if (change.countText) {
        countText_[at(change.table)] = *change.countText;
        QLineEdit* count = Text3.at(at(countFieldOf(change.table)));
        if (count->text() != *change.countText) count->setText(*change.countText);
    }
    Q_EMIT edited();
}

TableText DataEntry::cellsOf(int table, const ui::CellRange& block) const {
    const TableText& all = MSFlexGrid1.at(at(table))->gridModel()->cells();
    TableText part;
    for (int r = block.top; r <= std::min(block.bottom, static_cast<int>(all.size())); ++r) {
        const std::vector<QString>& row = all[at(r - 1)];
        part.emplace_back(row.begin() + block.left - 1, row.begin() + block.right);
    }
    return part;
}

ui::CellRange DataEntry::pasteOrigin(int table) const {
    const ui::Grid* grid = MSFlexGrid1.at(at(table));
    if (GridRows(table) < 1) return {};
    if (!Text2->isHidden() && editorTable_ == table)
        return {editorRow_, editorCol_, editorRow_, editorCol_};
    if (const std::optional<ui::CellRange> selected = grid->selectedBlock()) return *selected;
    return {grid->row(), grid->col(), grid->row(), grid->col()};
}

void DataEntry::pasteBlock(const QString& text) {
    const int table = SSTab1->tab();
    const QString page = QString::fromUtf8(tableInfo(table).pageCaption);
    const ui::CellRange origin = pasteOrigin(table);
    std::variant<TableText, NotANumber> pasted = pastedCells(text);
    if (const auto* bad = std::get_if<NotANumber>(&pasted)) {
        const QString cell = say(WindowText::CellName, page,
                                 QString::number(rowNumberShown(table, origin.top + bad->row)),
                                 QString::number(origin.left + bad->column));
        messages_.critical(say(WindowText::PasteNotNumber, cell, bad->text));
        return;
    }
    TableText cells = std::get<TableText>(std::move(pasted));
    if (cells.empty()) return;
    const ui::CellRange block{origin.top, origin.left,
                              origin.top + static_cast<int>(cells.size()) - 1,
                              origin.left + static_cast<int>(cells.front().size()) - 1};
    const int columns = tableInfo(table).columns;
    if (block.right > columns) {
        messages_.critical(
            say(WindowText::PasteTooWide, QString::number(block.right - block.left + 1), page,
                QString::number(block.left), QString::number(columns - block.left + 1)));
        return;
    }
    // Rows past the last grow the table as a count typed and confirmed would.
    const int old = GridRows(table);
    const int rows = std::max(old, block.bottom);
    std::optional<QString> count;
    if (rows > old) {
        const int needed = countForRows(table, rows);
        if (needed > largestCount(table)) {
            messages_.critical(say(WindowText::CountRefused, QString::number(needed),
                                   QString::number(largestCount(table))));
            return;
        }
        count = QString::number(needed);
    }
    // The editor's cell is the block's first: the paste takes its place.
    hideEditor();
    changeTable({table, old, block.top, block.left, cellsOf(table, block),
                 count ? std::optional(countText_[at(table)]) : std::nullopt},
                {table, rows, block.top, block.left, std::move(cells), count});
    ui::Grid* grid = MSFlexGrid1.at(at(table));
    grid->selectBlock(block);
    grid->setFocus();
}

void DataEntry::copyBlock() {
    commitEditor();
    const int table = SSTab1->tab();
    std::optional<ui::CellRange> block = MSFlexGrid1.at(at(table))->selectedBlock();
    // One cell is where the user stands, not a choice: the whole table goes.
    if (!block || block->cellCount() < 2)
        block = ui::CellRange{1, 1, GridRows(table), tableInfo(table).columns};
    const QStringList header = QString::fromUtf8(tableInfo(table).header)
                                   .split(u'|')
                                   .mid(block->left, block->right - block->left + 1);
    QGuiApplication::clipboard()->setText(joinBlock(header, cellsOf(table, *block)));
}

void DataEntry::emptyCells() {
    commitEditor();
    const int table = SSTab1->tab();
    const ui::Grid* grid = MSFlexGrid1.at(at(table));
    const int rows = GridRows(table);
    if (rows < 1) return;
    const ui::CellRange block = grid->selectedBlock().value_or(
        ui::CellRange{grid->row(), grid->col(), grid->row(), grid->col()});
    TableText before = cellsOf(table, block);
    TableText after(before.size(), std::vector<QString>(at(block.right - block.left + 1)));
    if (before == after) return;
    changeTable({table, rows, block.top, block.left, std::move(before), {}},
                {table, rows, block.top, block.left, std::move(after), {}});
}

void DataEntry::stepHistory(bool forward) {
    commitEditor();
    const auto* step = static_cast<const TableEdit*>(
        history_->command(forward ? history_->index() : history_->index() - 1));
    if (step == nullptr) return;
    const TableChange& change = step->change(forward);
    // The step is undone where the user can see it.
    showTable(change.table);
    if (forward)
        history_->redo();
    else
        history_->undo();
    ui::Grid* grid = MSFlexGrid1.at(at(change.table));
    const ui::CellRange block = blockOf(change);
    grid->selectBlock(block);
    if (block.bottom >= block.top) grid->scrollTo(grid->model()->index(block.top - 1, 0));
    grid->setFocus();
}

bool DataEntry::editorShortcut(const QKeyEvent* key) {
    if (key->matches(QKeySequence::Paste)) {
        const QString text = QGuiApplication::clipboard()->text();
        const TableText cells = splitBlock(text);
        // One value is typed into the editor; a block lands on the table.
        if (cells.size() == 1 && cells.front().size() == 1)
            Text2->insert(cells.front().front());
        else
            pasteBlock(text);
        return true;
    }
    // Typing in the editor is undone in the editor first, then the table's steps.
    if (key->matches(QKeySequence::Undo)) {
        if (Text2->isUndoAvailable()) return false;
        stepHistory(false);
        return true;
    }
    if (key->matches(QKeySequence::Redo) ||
        key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y)) {
        if (Text2->isRedoAvailable())
            Text2->redo();
        else
            stepHistory(true);
        return true;
    }
    // Shift with an arrow key selects cells, unless the user is selecting within the text.
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::ShiftModifier) return false;
    const bool wholeText = Text2->selectedText() == Text2->text();
    const bool vertical = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
    const bool sideways = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right;
    if (!vertical && !(sideways && wholeText)) return false;
    QKeyEvent again(key->type(), key->key(), key->modifiers());
    QApplication::sendEvent(MSFlexGrid1.at(at(editorTable_)), &again);
    return true;
}

} // namespace m4
