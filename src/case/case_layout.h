#pragma once
// A case file read line by line, the way its writer laid it out: each parameter on its own
// line, each table row on its own line. Where the run's reader stops at the first fault, this
// walk goes on to the end and finds every fault it can, finding the rows of each table from
// the lines themselves when a count disagrees with them.

#include "case_schema.h"
#include "common/failure.h"

#include <QStringView>

#include <array>
#include <vector>

namespace m4 {

struct CaseLayout {
    /// Numeric value of each parameter field (0 for the two texts and for items that are not
    /// numbers), and its line (0 when the file ended before it).
    std::array<double, kFieldCount> fields{};
    std::array<int, kFieldCount> fieldLines{};
    /// For each table, the values of each row as the lines hold them (missing cells 0), and
    /// the line of each row.
    std::array<std::vector<std::vector<double>>, kTableCount> rows;
    std::array<std::vector<int>, kTableCount> rowLines;
    /// Every fault found, with its line.
    std::vector<Failure> problems;
    bool complete = false; ///< every field and table was found before the file ended
};

/// Walk the decoded text of a case file; file names it in the problems.
CaseLayout readCaseLayout(QStringView text, const QString& file);

} // namespace m4
