#pragma once
// Faults the core reports. The core never shows anything: it returns a Failure, and the
// window or the command line turns it into text through describe() (messages.cpp holds
// every text in one table).

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace m4 {

enum class Fault {
    // Case file, opening and decoding.
    FileMissing,    ///< the case file does not exist
    FileUnreadable, ///< the case file exists but cannot be opened or read
    FileTooLarge,   ///< larger than any legal case can be
    NotGbk,         ///< bytes that are not GBK text (detail: byte offset)
    Utf8Bom,        ///< the file starts with a UTF-8 byte-order mark
    // Case file, items.
    TooFewItems,      ///< the file ends before the last item the counts call for
    NotANumber,       ///< detail: the item text
    NotFinite,        ///< detail: the item text
    CountNotWhole,    ///< detail: count name and text (negative or fractional)
    CountTooLarge,    ///< detail: count name and text (more than 32767 rows)
    TunnelsAbove10,   ///< detail: the G0 text
    SpillwaysAbove10, ///< detail: the H0 text
    // Routing.
    StartOutsideCurve, ///< detail: Z0
    CurveZeroWidth,    ///< detail: the level and the two point numbers
    AreaNotPositive,   ///< detail: the level and the area
    ResultNotFinite,   ///< detail: the period
    // Files written by a run.
    ReportNotWritten, ///< detail: the reason from the file system
    ChartNotWritten,  ///< detail: the reason from the file system
    CsvNotWritten,    ///< detail: the reason from the file system
    ReportNotRead,    ///< detail: the reason from the file system
    // Saving a case.
    CaseNotWritten,   ///< detail: the reason from the file system
    NameHasSeparator, ///< the file name holds a folder separator
    FolderMissing,    ///< the folder of the case does not exist
    // Name test of a run.
    BadRunName, ///< the name holds "*" or does not end in ".int"
    // Case file, items (continued).
    JTooLarge, ///< detail: the J text (the hydrograph's J + 1 rows exceed the row limit)
    // What checking a case finds beyond what stops a run.
    RowsDisagree,        ///< detail: the count and the rows that follow it
    ItemsOnLine,         ///< detail: what the line should hold and what it holds
    TrailingLines,       ///< text after the last item a run reads
    LevelsNotIncreasing, ///< detail: the table, the point and its level
    LevelRepeated,       ///< detail: the table, the point and its level
    CurveTooShort,       ///< fewer than two level-area points
    StatesOverlap,       ///< detail: the two rows, their common range and the winner
    StatesGap,           ///< detail: the levels no state covers
    StateEmpty,          ///< detail: the row whose lower level is not below its upper level
    OutletAboveCurve,    ///< detail: the outlet and the level from which it discharges
    QaBelowW,            ///< detail: QA and W
    PeriodNotPositive,   ///< detail: the T text
};

/// What went wrong and where: the file, the line of the case file (1-based, 0 when none) and a
/// detail such as the offending item.
struct Failure {
    Fault fault;
    QString file;
    int line = 0;
    QString detail;
};

/// The user's text for a failure: the message of its fault with the detail, then the file.
QString describe(const Failure& failure);

/// A value or the failure that prevented it.
template <class T> class Expected {
  public:
    Expected(T value) : state_(std::move(value)) {}
    Expected(Failure failure) : state_(std::move(failure)) {}
    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    const Failure& failure() const { return std::get<1>(state_); }

  private:
    std::variant<T, Failure> state_;
};

} // namespace m4
