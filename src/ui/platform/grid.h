#pragma once
// A table grid over one table of the case text. Row 0 is the header row and column 0 the
// row-number column ("NO"); data cells are rows 1.. and columns 1... Changing the current
// cell, by the user or by the program, raises leaveCell then enterCell.

#include "case/case_text.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>

#include <vector>

namespace m4::ui {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    /// cells must outlive the model; the model resizes it as rows are set.
    GridModel(TableText* cells, int dataColumns, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int dataColumns() const { return dataColumns_; }
    int dataRows() const { return static_cast<int>(cells_->size()); }
    /// Keep the first n data rows, add empty ones up to n.
    void setDataRows(int n);
    /// The header row from a text whose columns are separated by "|".
    void setHeaderText(const QString& header);
    /// Empty every cell, the header row and the row-number column; rows stay.
    void clearAll();
    /// After the table text was replaced: show its rows, numbered.
    void reload(int table);

    /// Grid coordinates: row 0 is the header, column 0 the row number.
    QString cell(int row, int col) const;
    void setCell(int row, int col, const QString& text);

  private:
    TableText* cells_;
    int dataColumns_;
    QStringList header_;
    std::vector<QString> rowNumbers_;
};

class Grid : public QTableView {
    Q_OBJECT
  public:
    Grid(int table, TableText* cells, QWidget* parent);

    int table() const { return table_; }
    GridModel* gridModel() const { return model_; }

    /// Rows including the header row.
    int rows() const { return model_->dataRows() + 1; }
    void setRows(int rows);
    /// Columns including the row-number column.
    int cols() const { return model_->dataColumns() + 1; }

    /// Current cell; (1, 1) while the grid has no data row.
    int row() const { return row_; }
    int col() const { return col_; }
    void setRow(int row) { setCurrentCell(row, col_); }
    void setCol(int col) { setCurrentCell(row_, col); }
    /// Make a data cell current; raises leaveCell and enterCell when the cell changes.
    void setCurrentCell(int row, int col);

    /// Text of the current cell.
    QString text() const { return model_->cell(row_, col_); }
    void setText(const QString& text) { model_->setCell(row_, col_, text); }
    QString textMatrix(int row, int col) const { return model_->cell(row, col); }
    void setTextMatrix(int row, int col, const QString& text) { model_->setCell(row, col, text); }

    /// Left, top, width and height of the current cell within the grid, scrolled into view.
    QRect cellRect();

    /// Empty the grid and show the table's header text again; rows stay.
    void clearAndHead();
    /// After the table text was replaced: show its rows, numbered, and go to cell (1, 1).
    void reload();

  Q_SIGNALS:
    void leaveCell();
    void enterCell();
    void cellClicked();

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    /// Typing into the grid itself goes nowhere: cells are typed into through the editor.
    void keyboardSearch(const QString&) override {}
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void fitColumns();
    /// Structural changes move Qt's current index; they are not cell changes of the grid.
    void syncFromView();

    int table_;
    GridModel* model_;
    int row_ = 1;
    int col_ = 1;
    bool structural_ = false;
    bool pressedOnCell_ = false;
};

} // namespace m4::ui
