#pragma once
// The text form of a case: what the window holds and the case file stores, item for item.

#include "case_schema.h"

#include <QString>

#include <array>
#include <vector>

namespace m4 {

/// One table's data cells, row by row; every row has the table's column count of cells.
/// The number of rows is the table's GridRows entry.
using TableText = std::vector<std::vector<QString>>;

struct CaseText {
    std::array<QString, kFieldCount> fields;
    std::array<TableText, kTableCount> tables;

    /// GridRows entry of table d.
    int rows(int table) const {
        return static_cast<int>(tables.at(static_cast<size_t>(table)).size());
    }
    /// Resize table d to n data rows, keeping the rows that remain and adding empty ones.
    void resizeTable(int table, int n);
};

} // namespace m4
