#pragma once
// The routing result as a spreadsheet table: period 0 and one row a period, the numbers as the
// report rounds them.

#include "case/case_data.h"
#include "routing/routing_result.h"

#include <QByteArray>

namespace m4 {

/// UTF-8 with a byte-order mark (spreadsheets then read the Chinese header), CR LF line ends.
/// Columns: period, level (m), inflow and the five outlet flows and the total (m3/s), then 1/0
/// for "an evaluation of the period cut the outflow to QA" and for "the level was held at ZM".
/// A held period leaves its outlet columns empty, as the report does; so does period 0, which
/// holds Z0, QL(0) and Q0.
QByteArray periodCsv(const CaseData& data, const RoutingResult& result);

} // namespace m4
