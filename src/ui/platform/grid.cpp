#include "grid.h"

#include "case/case_schema.h"
#include "twips.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPalette>

#include <algorithm>

namespace m4::ui {
namespace {

/// Height of every grid row, the header row included: the cell editor's height (twips).
constexpr int kRowHeightTwips = 255;
/// Narrowest data column and the row-number column's width (twips).
constexpr int kMinColumnTwips = 600;
constexpr int kNumberColumnTwips = 450;
/// Room either side of a header text (pixels).
constexpr int kHeaderPaddingPx = 10;

size_t at(int i) {
    return static_cast<size_t>(i);
}

} // namespace

GridModel::GridModel(TableText* cells, int dataColumns, QObject* parent)
    : QAbstractTableModel(parent), cells_(cells), dataColumns_(dataColumns),
      rowNumbers_(cells->size()) {}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dataRows();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : dataColumns_ + 1;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return cell(index.row() + 1, index.column());
    if (index.column() == 0) {
        // The row-number column is fixed, drawn like the header.
        if (role == Qt::BackgroundRole) return QPalette().brush(QPalette::Button);
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    }
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return cell(0, section);
}

void GridModel::setDataRows(int n) {
    n = std::max(n, 0);
    const int old = dataRows();
    if (n > old) {
        beginInsertRows({}, old, n - 1);
        cells_->resize(at(n), std::vector<QString>(at(dataColumns_)));
        rowNumbers_.resize(at(n));
        endInsertRows();
    } else if (n < old) {
        beginRemoveRows({}, n, old - 1);
        cells_->resize(at(n));
        rowNumbers_.resize(at(n));
        endRemoveRows();
    }
}

void GridModel::setHeaderText(const QString& header) {
    header_ = header.split('|');
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, dataColumns_);
}

void GridModel::clearAll() {
    beginResetModel();
    for (auto& row : *cells_) std::fill(row.begin(), row.end(), QString());
    std::fill(rowNumbers_.begin(), rowNumbers_.end(), QString());
    header_.clear();
    endResetModel();
}

void GridModel::reload(int table) {
    beginResetModel();
    for (auto& row : *cells_) row.resize(at(dataColumns_));
    rowNumbers_.resize(cells_->size());
    for (size_t r = 0; r < rowNumbers_.size(); ++r)
        rowNumbers_[r] = QString::number(rowNumberShown(table, static_cast<int>(r) + 1));
    endResetModel();
}

QString GridModel::cell(int row, int col) const {
    if (col < 0 || col > dataColumns_ || row < 0 || row > dataRows()) return {};
    if (row == 0) return col < header_.size() ? header_[col] : QString();
    if (col == 0) return rowNumbers_[at(row - 1)];
    return (*cells_)[at(row - 1)][at(col - 1)];
}

void GridModel::setCell(int row, int col, const QString& text) {
    if (col < 0 || col > dataColumns_ || row < 0 || row > dataRows()) return;
    if (row == 0) {
        while (header_.size() <= col) header_.append(QString());
        header_[col] = text;
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    QString& target = col == 0 ? rowNumbers_[at(row - 1)] : (*cells_)[at(row - 1)][at(col - 1)];
    target = text;
    const QModelIndex changed = index(row - 1, col);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole});
}

Grid::Grid(int table, TableText* cells, QWidget* parent)
    : QTableView(parent), table_(table),
      model_(new GridModel(cells, tableInfo(table).columns, this)) {
    setModel(model_);
    // Cells are typed into through the window's floating editor, never Qt's own.
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(twips(kRowHeightTwips));
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setFixedHeight(twips(kRowHeightTwips) + 2);
    horizontalHeader()->setMinimumSectionSize(1);
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
    selectionModel()->setCurrentIndex(model_->index(row - 1, col),
                                      QItemSelectionModel::ClearAndSelect);
}

QRect Grid::cellRect() {
    const QModelIndex current = model_->index(row_ - 1, col_);
    if (!current.isValid()) return {};
    scrollTo(current);
    return visualRect(current).translated(viewport()->pos());
}

void Grid::clearAndHead() {
    structural_ = true;
    model_->clearAll();
    model_->setHeaderText(QString::fromUtf8(tableInfo(table_).header));
    structural_ = false;
    fitColumns();
    syncFromView();
}

void Grid::reload() {
    structural_ = true;
    model_->reload(table_);
    if (model_->dataRows() > 0)
        selectionModel()->setCurrentIndex(model_->index(0, 1), QItemSelectionModel::ClearAndSelect);
    structural_ = false;
    syncFromView();
}

void Grid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (structural_) return;
    const int oldRow = row_;
    const int oldCol = col_;
    syncFromView();
    if (row_ == oldRow && col_ == oldCol) return;
    Q_EMIT leaveCell();
    Q_EMIT enterCell();
}

QModelIndex Grid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    QModelIndex next = QTableView::moveCursor(action, modifiers);
    // The row-number column is fixed: the cursor never lands on it.
    if (next.isValid() && next.column() == 0) next = model_->index(next.row(), 1);
    return next;
}

void Grid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex hit = indexAt(event->position().toPoint());
    pressedOnCell_ = hit.isValid() && hit.column() > 0 && event->button() == Qt::LeftButton;
    if (hit.isValid() && hit.column() == 0) return;
    QTableView::mousePressEvent(event);
}

void Grid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (pressedOnCell_ && event->button() == Qt::LeftButton) {
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
    setColumnWidth(0, twips(kNumberColumnTwips));
    for (int c = 1; c < cols(); ++c) {
        const int textWidth = metrics.horizontalAdvance(model_->cell(0, c)) + 2 * kHeaderPaddingPx;
        setColumnWidth(c, std::max(textWidth, twips(kMinColumnTwips)));
    }
}

void Grid::syncFromView() {
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.column() > 0) {
        row_ = current.row() + 1;
        col_ = current.column();
    } else {
        row_ = std::min(row_, std::max(rows() - 1, 1));
        col_ = std::clamp(col_, 1, cols() - 1);
    }
}

} // namespace m4::ui
