#pragma once
// Blocks of table cells as text on the clipboard: read from what a spreadsheet or a text editor
// copies, written as a spreadsheet takes it back.

#include "case/case_text.h"

#include <QStringList>
#include <QStringView>

#include <optional>
#include <variant>

namespace m4 {

/// The rows and cells of a copied text. Lines end with CR LF, LF or CR, and a line end after
/// the last line ends that line rather than starting an empty one; cells are separated by tabs,
/// or by commas when the text holds no tab. Short rows are filled up with empty cells.
TableText splitBlock(QStringView text);

/// A pasted cell that is not a number: where it stands in the block (0-based) and its text.
struct NotANumber {
    int row = 0;
    int column = 0;
    QString text;
};

/// The cells a paste writes: each a number, with blanks and enclosing double quotes dropped,
/// or empty. A first line of nothing but column headers of the tables, as a copy out of a
/// table starts, is left out.
std::variant<TableText, NotANumber> pastedCells(QStringView text);

/// A header row and the cells below it, tab-separated, each line ended by a line feed.
QString joinBlock(const QStringList& header, const TableText& rows);

/// A changed part of a table: its rows after the change, a block of cells written from row
/// top, column left (grid coordinates), and the text its count field shows, when the change
/// sets it.
struct TableChange {
    int table = 0;
    int rows = 0;
    int top = 1;
    int left = 1;
    TableText cells;
    std::optional<QString> countText;
};

} // namespace m4
