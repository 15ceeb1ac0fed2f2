#pragma once
// What a case holds and in which order: fifteen parameter fields and seven tables, walked in
// seven sections by the window, the case file and the run alike.

#include <QString>

#include <array>
#include <string_view>

namespace m4 {

inline constexpr int kFieldCount = 15;
inline constexpr int kTableCount = 7;
inline constexpr int kSectionCount = 7;
/// Data columns per table, one digit a table.
inline constexpr std::string_view kGridLayout = "2183652";
/// Grids hold row counts as 16-bit numbers.
inline constexpr int kMaxRows = 32767;
/// The hydrograph holds J + 1 rows, so J tops out one below the row limit.
inline constexpr int kMaxJ = kMaxRows - 1;
/// The run keeps tunnels and spillways in arrays of 11 entries and uses 1..count.
inline constexpr int kMaxTunnels = 10;
inline constexpr int kMaxSpillways = 10;

/// The tables, numbered in section order.
inline constexpr int kCurveTable = 0;
inline constexpr int kHydrographTable = 1;
inline constexpr int kTunnelTable = 2;
inline constexpr int kSpillwayTable = 3;
inline constexpr int kOrificeTable = 4;
inline constexpr int kVariableSpillwayTable = 5;
inline constexpr int kDischargeTable = 6;

/// The count fields and the parameters a check reads, numbered as the parameter fields.
inline constexpr int kFieldK = 2;
inline constexpr int kFieldJ = 3;
inline constexpr int kFieldT = 4;
inline constexpr int kFieldZ0 = 6;
inline constexpr int kFieldW = 8;
inline constexpr int kFieldQA = 9;
inline constexpr int kFieldG0 = 10;
inline constexpr int kFieldH0 = 11;
inline constexpr int kFieldKK1 = 12;
inline constexpr int kFieldKK0 = 13;
inline constexpr int kFieldKK2 = 14;

enum class FieldKind { Text, Number, Count };

struct FieldInfo {
    const char* name;    ///< ProjectName, K, ...
    const char* caption; ///< the label left of the field, leading blanks included
    FieldKind kind;
    const char* tooltip; ///< where Enter or Tab leads
};

struct TableInfo {
    const char* name;
    const char* pageCaption;
    const char* header; ///< column headers separated by "|", the row-number column first
    int columns;        ///< data columns
    std::array<const char*, 8> columnNames;
};

struct SectionInfo {
    int firstField;
    int lastField; ///< also the count field of the section's table
    int table;
};

const FieldInfo& fieldInfo(int field);
const TableInfo& tableInfo(int table);
const SectionInfo& sectionInfo(int section);

/// The caption as a QString (leading blanks kept).
QString fieldCaption(int field);
/// The count field that sizes the table.
int countFieldOf(int table);
/// The table a count field sizes, or -1 when the field is not a count field.
int tableOfCountField(int field);
/// The number shown in the row-number column of data row r (1-based): r - 1 in the
/// hydrograph, r elsewhere.
int rowNumberShown(int table, int dataRow);
/// Data rows of a table whose count field holds count: the hydrograph has one more.
int rowsOfCount(int table, int count);
/// The largest count the table's count field takes: 10 tunnels or spillways, J = 32766, and
/// 32767 rows for the other tables.
int largestCount(int table);

} // namespace m4
