#pragma once
// A table grid over one table of a case. Row 0 is the header row and column 0 the row-number
// column ("NO"), which stays in view when the grid scrolls sideways; data cells are rows 1..
// and columns 1... Changing the current cell, by the user or by the program, raises leaveCell
// then enterCell. A drag or Shift with the arrow keys selects a block of cells instead: the
// current cell moves to its far corner, raising leaveCell only, so no cell is entered for
// typing.

#include "case/case_text.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>

#include <optional>
#include <vector>

namespace m4::ui {

/// The data cells of one table; every write goes through setCell, setBlock or setDataRows, so an
/// undo stack or a paste can be put in front of them.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    GridModel(int dataColumns, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const TableText& cells() const { return cells_; }
    /// Take a table's rows as they are, each numbered as the table numbers its rows.
    void setCells(TableText cells, int table);
    /// Keep the first n data rows, add empty ones up to n.
    void setDataRows(int n);
    /// Empty every cell, the header row and the row numbers; rows stay.
    void clearAll();
    /// Grid coordinates: row 0 is the header, column 0 the row number.
    QString cell(int row, int col) const;
    void setCell(int row, int col, const QString& text);
    /// Write a block of cells from data cell (top, left) on, as far as the table reaches.
    void setBlock(int top, int left, const TableText& block);
    /// Show data rows first..last with their numbers in table's numbering.
    void numberRows(int first, int last, int table);

  private:
    TableText cells_;
    int dataColumns_;
    QStringList header_;
    std::vector<QString> rowNumbers_;
};

/// A block of data cells, grid coordinates, corners included.
struct CellRange {
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;
    int cellCount() const { return (bottom - top + 1) * (right - left + 1); }
};

class Grid : public QTableView {
    Q_OBJECT
  public:
    /// An empty grid of table's columns, headed by the table's header text.
    Grid(int table, QWidget* parent);

    GridModel* gridModel() const { return model_; }
    /// Rows including the header row.
    int rows() const { return model_->rowCount() + 1; }
    void setRows(int rows);
    /// Columns including the row-number column.
    int cols() const { return model_->columnCount() + 1; }
    /// Current cell; (1, 1) while the grid has no data row.
    int row() const { return row_; }
    int col() const { return col_; }
    /// Make a data cell current; raises leaveCell and enterCell when the cell changes.
    void setCurrentCell(int row, int col);
    QString textMatrix(int row, int col) const { return model_->cell(row, col); }
    void setTextMatrix(int row, int col, const QString& text) { model_->setCell(row, col, text); }
    /// The current cell within the grid (left, top, width, height), scrolled into view.
    QRect cellRect();
    /// Empty the grid and show the table's header text again; rows stay.
    void clearAndHead();
    /// Show a table's rows, numbered, and go to cell (1, 1).
    void load(TableText cells);
    /// The block the selected cells span, if any is selected.
    std::optional<CellRange> selectedBlock() const;
    /// Select a block; the current cell stays where it is.
    void selectBlock(const CellRange& block);

  Q_SIGNALS:
    void leaveCell();
    void enterCell();
    void cellClicked();

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    /// Typing into the grid itself goes nowhere: cells are typed into through the editor.
    void keyboardSearch(const QString&) override {}
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void fitColumns();
    /// Structural changes move Qt's current index; they are not cell changes of the grid.
    void syncFromView();
    /// Move the current cell to (row, col), selecting the block from the anchor to it.
    void extendTo(int row, int col);

    int table_;
    GridModel* model_;
    int row_ = 1;
    int col_ = 1;
    /// The corner a selected block grows from: the current cell before the block was begun.
    int anchorRow_ = 1;
    int anchorCol_ = 1;
    bool structural_ = false;
    bool extending_ = false;
    bool pressedOnCell_ = false;
    /// The left button went down on a cell and is still down: moves select a block.
    bool dragging_ = false;
};

} // namespace m4::ui
