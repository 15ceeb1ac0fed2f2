#include "grid.h"

#include "case/case_schema.h"
#include "twips.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

namespace m4::ui {
namespace {

/// Height of every grid row, the header row included: the cell editor's height (twips).
constexpr int kRowHeightTwips = 255;
/// Narrowest data column (twips).
constexpr int kMinColumnTwips = 600;
/// The widest row number a table can show: 16-bit row counts.
constexpr const char* kWidestRowNumber = "32767";
/// Room either side of a header text or row number (pixels).
constexpr int kPaddingPx = 6;

size_t at(int i) {
    return static_cast<size_t>(i);
}

} // namespace

GridModel::GridModel(int dataColumns, QObject* parent)
    : QAbstractTableModel(parent), dataColumns_(dataColumns) {}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(cells_.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dataColumns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    return cells_[at(index.row())][at(index.column())];
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return cell(section + 1, 0);
    return cell(0, section + 1);
}

void GridModel::setCells(TableText cells, int table) {
    beginResetModel();
    cells_ = std::move(cells);
    for (auto& row : cells_) row.resize(at(dataColumns_));
    rowNumbers_.resize(cells_.size());
    for (size_t r = 0; r < rowNumbers_.size(); ++r)
        rowNumbers_[r] = QString::number(rowNumberShown(table, static_cast<int>(r) + 1));
    endResetModel();
}

void GridModel::setDataRows(int n) {
    n = std::max(n, 0);
    const int old = rowCount();
    if (n > old) {
        beginInsertRows({}, old, n - 1);
        cells_.resize(at(n), std::vector<QString>(at(dataColumns_)));
        rowNumbers_.resize(at(n));
        endInsertRows();
    } else if (n < old) {
        beginRemoveRows({}, n, old - 1);
        cells_.resize(at(n));
        rowNumbers_.resize(at(n));
        endRemoveRows();
    }
}

void GridModel::clearAll() {
    beginResetModel();
    for (auto& row : cells_) std::fill(row.begin(), row.end(), QString());
    std::fill(rowNumbers_.begin(), rowNumbers_.end(), QString());
    header_.clear();
    endResetModel();
}

QString GridModel::cell(int row, int col) const {
    if (col < 0 || col > dataColumns_ || row < 0 || row > rowCount()) return {};
    if (row == 0) return col < header_.size() ? header_[col] : QString();
    if (col == 0) return rowNumbers_[at(row - 1)];
    return cells_[at(row - 1)][at(col - 1)];
}

void GridModel::setCell(int row, int col, const QString& text) {
    if (col < 0 || col > dataColumns_ || row < 0 || row > rowCount()) return;
    if (row == 0) {
        while (header_.size() <= col) header_.append(QString());
        header_[col] = text;
        if (col > 0) Q_EMIT headerDataChanged(Qt::Horizontal, col - 1, col - 1);
        return;
    }
    if (col == 0) {
        rowNumbers_[at(row - 1)] = text;
        Q_EMIT headerDataChanged(Qt::Vertical, row - 1, row - 1);
        return;
    }
    cells_[at(row - 1)][at(col - 1)] = text;
    const QModelIndex changed = index(row - 1, col - 1);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole});
}

void GridModel::setBlock(int top, int left, const TableText& block) {
    const int bottom = std::min(top + static_cast<int>(block.size()) - 1, rowCount());
    if (top < 1 || left < 1 || left > dataColumns_ || bottom < top) return;
    int right = left;
    for (int r = top; r <= bottom; ++r) {
        const std::vector<QString>& source = block[at(r - top)];
        const int width = std::min(static_cast<int>(source.size()), dataColumns_ - left + 1);
        std::copy_n(source.begin(), width, cells_[at(r - 1)].begin() + left - 1);
        right = std::max(right, left + width - 1);
    }
    Q_EMIT dataChanged(index(top - 1, left - 1), index(bottom - 1, right - 1), {Qt::DisplayRole});
}

void GridModel::numberRows(int first, int last, int table) {
    first = std::max(first, 1);
    last = std::min(last, rowCount());
    if (first > last) return;
    for (int r = first; r <= last; ++r)
        rowNumbers_[at(r - 1)] = QString::number(rowNumberShown(table, r));
    Q_EMIT headerDataChanged(Qt::Vertical, first - 1, last - 1);
}

Grid::Grid(int table, QWidget* parent)
    : QTableView(parent), table_(table), model_(new GridModel(tableInfo(table).columns, this)) {
    setModel(model_);
    // Cells are typed into through the window's floating editor, never Qt's own.
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    // The row numbers are the vertical header: fixed when the grid scrolls sideways, and wide
    // enough for the largest row number whatever the table's size.
    QHeaderView* numbers = verticalHeader();
    numbers->setSectionResizeMode(QHeaderView::Fixed);
    numbers->setMinimumSectionSize(1);
    numbers->setDefaultSectionSize(twips(kRowHeightTwips));
    numbers->setSectionsClickable(false);
    numbers->setHighlightSections(false);
    numbers->setDefaultAlignment(Qt::AlignCenter);
    numbers->setFixedWidth(numbers->fontMetrics().horizontalAdvance(kWidestRowNumber) +
                           2 * kPaddingPx);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setFixedHeight(twips(kRowHeightTwips) + 2);
    horizontalHeader()->setMinimumSectionSize(1);
    // The corner above the row numbers carries the "NO" of the header row.
    setCornerButtonEnabled(false);
    if (auto* corner = findChild<QAbstractButton*>()) corner->installEventFilter(this);
    clearAndHead();
}

void Grid::setRows(int rows) {
    structural_ = true;
    model_->setDataRows(rows - 1);
    structural_ = false;
    syncFromView();
}

void Grid::setCurrentCell(int row, int col) {
    if (row < 1 || row >= rows() || col < 1 || col >= cols()) return;
    if (row == row_ && col == col_ && currentIndex().isValid()) return;
    selectionModel()->setCurrentIndex(model_->index(row - 1, col - 1),
                                      QItemSelectionModel::ClearAndSelect);
}

QRect Grid::cellRect() {
    const QModelIndex current = model_->index(row_ - 1, col_ - 1);
    if (!current.isValid()) return {};
    scrollTo(current);
    return visualRect(current).translated(viewport()->pos());
}

void Grid::clearAndHead() {
    structural_ = true;
    model_->clearAll();
    const QStringList header = QString::fromUtf8(tableInfo(table_).header).split(u'|');
    for (int c = 0; c < header.size(); ++c) model_->setCell(0, c, header[c]);
    structural_ = false;
    fitColumns();
    syncFromView();
}

void Grid::load(TableText cells) {
    structural_ = true;
    model_->setCells(std::move(cells), table_);
    if (model_->rowCount() > 0)
        selectionModel()->setCurrentIndex(model_->index(0, 0), QItemSelectionModel::ClearAndSelect);
    structural_ = false;
    syncFromView();
}

std::optional<CellRange> Grid::selectedBlock() const {
    std::optional<CellRange> block;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (!range.isValid()) continue;
        const CellRange part{range.top() + 1, range.left() + 1, range.bottom() + 1,
                             range.right() + 1};
        if (!block) block = part;
        block->top = std::min(block->top, part.top);
        block->left = std::min(block->left, part.left);
        block->bottom = std::max(block->bottom, part.bottom);
        block->right = std::max(block->right, part.right);
    }
    return block;
}

void Grid::selectBlock(const CellRange& block) {
    const int bottom = std::min(block.bottom, rows() - 1);
    const int right = std::min(block.right, cols() - 1);
    if (block.top < 1 || block.left < 1 || bottom < block.top || right < block.left) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->select(QItemSelection(model_->index(block.top - 1, block.left - 1),
                                            model_->index(bottom - 1, right - 1)),
                             QItemSelectionModel::ClearAndSelect);
}

void Grid::extendTo(int row, int col) {
    if (rows() < 2) return;
    row = std::clamp(row, 1, rows() - 1);
    col = std::clamp(col, 1, cols() - 1);
    const QModelIndex target = model_->index(row - 1, col - 1);
    extending_ = true;
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    extending_ = false;
    selectBlock({std::min(anchorRow_, row), std::min(anchorCol_, col), std::max(anchorRow_, row),
                 std::max(anchorCol_, col)});
    scrollTo(target);
}

void Grid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (structural_) return;
    const int oldRow = row_;
    const int oldCol = col_;
    syncFromView();
    if (row_ == oldRow && col_ == oldCol) return;
    Q_EMIT leaveCell();
    if (!extending_) Q_EMIT enterCell();
}

void Grid::keyPressEvent(QKeyEvent* event) {
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
        switch (event->key()) {
        case Qt::Key_Up:
            return extendTo(row_ - 1, col_);
        case Qt::Key_Down:
            return extendTo(row_ + 1, col_);
        case Qt::Key_Left:
            return extendTo(row_, col_ - 1);
        case Qt::Key_Right:
            return extendTo(row_, col_ + 1);
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

bool Grid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint || watched->parent() != this)
        return QTableView::eventFilter(watched, event);
    auto* corner = static_cast<QWidget*>(watched);
    QPainter painter(corner);
    QStyleOptionHeader option;
    option.initFrom(corner);
    // The corner takes no clicks but reads as a header.
    option.state |= QStyle::State_Enabled;
    option.palette.setCurrentColorGroup(QPalette::Active);
    option.rect = corner->rect();
    option.text = model_->cell(0, 0);
    option.textAlignment = Qt::AlignCenter;
    style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
    return true;
}

void Grid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    pressedOnCell_ = index.isValid() && event->button() == Qt::LeftButton;
    dragging_ = pressedOnCell_;
    if (pressedOnCell_ && event->modifiers().testFlag(Qt::ShiftModifier)) {
        // Shift with a click selects up to the cell clicked; it is no click into the cell.
        pressedOnCell_ = false;
        extendTo(index.row() + 1, index.column() + 1);
        return;
    }
    // The right button inside the selected block keeps it for the menu to work on.
    if (event->button() == Qt::RightButton && index.isValid() &&
        selectionModel()->isSelected(index))
        return;
    QTableView::mousePressEvent(event);
}

void Grid::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !event->buttons().testFlag(Qt::LeftButton)) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    // Dragged past an edge, the block reaches one row or column further with every move, and
    // the grid scrolls with it.
    const QPoint at = event->position().toPoint();
    const QRect area = viewport()->rect();
    const auto reach = [](int cell, int last, int pos, int size) {
        if (cell < 0) cell = last; // beyond the last row or column
        return pos < 0 ? cell - 1 : pos >= size ? cell + 1 : cell;
    };
    const int row =
        reach(rowAt(std::clamp(at.y(), 0, area.height() - 1)), rows() - 2, at.y(), area.height());
    const int col =
        reach(columnAt(std::clamp(at.x(), 0, area.width() - 1)), cols() - 2, at.x(), area.width());
    if (row + 1 == row_ && col + 1 == col_) return;
    pressedOnCell_ = false; // a drag selects; it is no click
    extendTo(row + 1, col + 1);
}

void Grid::mouseReleaseEvent(QMouseEvent* event) {
    const bool left = event->button() == Qt::LeftButton;
    // A press on a selected cell leaves Qt to select the cell under the pointer on release; a
    // block that the press went on to select stays.
    const std::optional<CellRange> selected =
        left && dragging_ && !pressedOnCell_ ? selectedBlock() : std::nullopt;
    if (left) dragging_ = false;
    QTableView::mouseReleaseEvent(event);
    if (selected) selectBlock(*selected);
    if (pressedOnCell_ && left) {
        pressedOnCell_ = false;
        Q_EMIT cellClicked();
    }
}

void Grid::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click is one click on the cell; the second press adds nothing.
    pressedOnCell_ = false;
    event->accept();
}

void Grid::fitColumns() {
    const QFontMetrics metrics = horizontalHeader()->fontMetrics();
    for (int c = 1; c < cols(); ++c) {
        const int textWidth = metrics.horizontalAdvance(model_->cell(0, c)) + 2 * kPaddingPx;
        setColumnWidth(c - 1, std::max(textWidth, twips(kMinColumnTwips)));
    }
}

void Grid::syncFromView() {
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        row_ = current.row() + 1;
        col_ = current.column() + 1;
    } else {
        row_ = std::min(row_, std::max(rows() - 1, 1));
        col_ = std::clamp(col_, 1, cols() - 1);
    }
    if (!extending_) {
        anchorRow_ = row_;
        anchorCol_ = col_;
    }
}

} // namespace m4::ui
