#pragma once
// The data-entry panel SSpic on page 0 of the main tab control: the fifteen parameter fields,
// the seven table grids on the grid tab control SSTab1, the floating cell editor Text2, and the
// file-name field with its captions. It owns the case text: a load hands it a case, a save
// asks it for the case as the user left it. Enter walks the fields and the table cells in one
// chain; a count confirmed with Enter resizes its table. Blocks of cells are pasted, copied
// and emptied, and every change of a table's cells or rows can be undone.
//
// Every edit of a table is one step (a cell typed, a count confirmed, a paste, cells emptied)
// applied through applyChange, so that undoing it applies the state before. A load or a new
// case writes the tables directly and forgets the steps.

#include "case/case_text.h"
#include "cell_block.h"

#include <QWidget>

#include <array>

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QUndoStack;

namespace m4 {
namespace ui {
class CaptionLabel;
class Grid;
struct CellRange;
class MessageBoxService;
class TabControl;
} // namespace ui

class DataEntry : public QWidget {
    Q_OBJECT
  public:
    DataEntry(ui::MessageBoxService& messages, QWidget* parent);

    /// Show a loaded case: its fields, its tables with rows numbered; the editor closes unwritten.
    void setCaseText(const CaseText& text);
    /// The case as the fields and tables hold it now.
    CaseText caseText() const;
    /// A new case: every field and cell emptied; each table keeps its rows.
    void clearCase();
    /// Write an editor that holds text into its cell, close it and disarm every table, so that
    /// what is saved is what the user typed.
    void commitForSave();
    /// Close the editor without writing it and disarm every table (a file was picked).
    void discardEditor();
    /// Show page d of the grid tab control.
    void showTable(int table);
    /// Give parameter field i (0..14) the focus with its whole text selected.
    void focusField(int field);
    /// Text12, the file-name field, and Label1(1), the folder a save writes to.
    QLineEdit* nameField() const { return Text12; }
    QLabel* folderCaption() const { return Label1_1; }
    /// The window's commands, offered in the tables' right-click menu after the table's own.
    void setMenuCommands(const QList<QAction*>& commands);
    /// Forget the steps to undo: the case was saved.
    void clearHistory();

  Q_SIGNALS:
    /// A key in a field or a click into a table: the case is modified.
    void edited();
    /// Enter after the last field or table leads on to the file-name field.
    void nameFieldRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildFields();
    void buildGrids();
    void ClearForm();
    void Text3_KeyPress(int Index, int KeyAscii);
    void MSFlexGrid1_Click(int Index);
    void MSFlexGrid1_EnterCell(int Index);
    void MSFlexGrid1_LeaveCell(int Index);
    void SSTab1_Click(int PreviousTab);
    void Text2_KeyPress(int KeyAscii);
    void NextCell(int Index, int Columns, int NextField);
    void GoToTable(int Index);
    /// Confirm the count typed into field; false when it was refused.
    bool confirmCount(int field);
    /// Write an open editor into the cell it was opened on and hide it.
    void commitEditor();
    /// Hide the editor; the focus stays in its grid rather than wander off.
    void hideEditor();
    /// A field 0..14, or the file-name field after the last one.
    void moveTo(int field);
    int GridRows(int table) const;

    // Blocks of cells and the steps to undo (table_edits.cpp).
    void buildEditActions();
    /// Do a change and keep it, with the state before, as a step to undo.
    void changeTable(TableChange before, TableChange after);
    void applyChange(const TableChange& change);
    TableText cellsOf(int table, const ui::CellRange& block) const;
    /// The cell a paste starts at: the editor's, the selected block's first, or the current.
    ui::CellRange pasteOrigin(int table) const;
    void pasteBlock(const QString& text);
    void copyBlock();
    void emptyCells();
    void stepHistory(bool forward);
    /// Keys of the cell editor that act on the table; false leaves the key to the editor.
    bool editorShortcut(const QKeyEvent* key);

    ui::MessageBoxService& messages_;
    QLabel* Label1_1 = nullptr;                             ///< the folder a save writes to
    QLineEdit* Text12 = nullptr;                            ///< the file-name field
    std::array<QLineEdit*, kFieldCount> Text3{};            ///< the parameter fields
    std::array<ui::CaptionLabel*, kFieldCount> captions_{}; ///< Label1(i + 2), field i's caption
    ui::TabControl* SSTab1 = nullptr;                       ///< one page for each table
    std::array<ui::Grid*, kTableCount> MSFlexGrid1{};       ///< the tables
    QLineEdit* Text2 = nullptr;                             ///< the cell editor over a grid cell
    /// Tables armed so that the editor opens on whichever of their cells becomes current.
    std::array<bool, kTableCount> EditPending{};
    int EditRow = 1; ///< the cell the walk is at
    int EditCol = 1;
    /// The cell the editor was opened on: a commit writes there and nowhere else, even after
    /// EditRow and EditCol have moved on to the next cell.
    int editorTable_ = 0;
    int editorRow_ = 1;
    int editorCol_ = 1;
    /// The count field text each table's rows were last set from: what undoing a step that
    /// resizes the table shows there again.
    std::array<QString, kTableCount> countText_{};
    QUndoStack* history_ = nullptr; ///< the steps to undo and redo
    QMenu* MnuGrid = nullptr;       ///< right-click menu of the tables and the cell editor
};

} // namespace m4
