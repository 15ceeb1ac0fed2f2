#pragma once
// Faults the core reports. The core never shows anything and words nothing: it returns a
// Failure holding the fault and the values it concerns, and the window or the command line
// turns it into text through describe() (messages.cpp words every fault).

#include <QString>

#include <array>
#include <cerrno>
#include <new>
#include <optional>
#include <utility>
#include <variant>

namespace m4 {

enum class Fault {
    // Case file, opening and decoding.
    FileMissing,    ///< the case file does not exist
    FileUnreadable, ///< the case file exists but cannot be opened or read; cause says why
    FileTooLarge,   ///< larger than any legal case can be
    NotGbk,         ///< bytes that are not GBK text (number: the first bad byte, from 1)
    Utf8Bom,        ///< the file starts with a UTF-8 byte-order mark
    // Case file, items.
    TooFewItems,      ///< the file ends before the last item the counts call for
    NotANumber,       ///< text: the item
    NotFinite,        ///< text: the item
    CountNotWhole,    ///< datum: the count; text: the item (negative or fractional)
    CountTooLarge,    ///< datum: the count; text: the item (more than 32767 rows)
    JTooLarge,        ///< datum: "J"; text: the item (the J + 1 rows of the hydrograph too many)
    TunnelsAbove10,   ///< text: the G0 item
    SpillwaysAbove10, ///< text: the H0 item
    LastItemUnended,  ///< the file ends inside its last item: no line end follows it (text: the
                      ///< item)
    // Routing.
    StartOutsideCurve, ///< level: the level looked up first, Z0
    CurveFalls,      ///< Z0 between the curve's levels, but no rising interval holds it. level: Z0;
                     ///< number, other: the first point lower than the one before, and that one;
                     ///< values: their levels
    CurveZeroWidth,  ///< level; number: the first of the two points of the same level, from 1
    AreaNotPositive, ///< area; level where it was looked up, or number: the curve's point
    ResultNotFinite, ///< number: the period
    OutOfMemory,     ///< the run needed more memory than the system gives
    // Files written by a run; cause and text say why.
    ReportNotWritten,
    ChartNotWritten,
    CsvNotWritten,
    ReportNotRead,
    OutputIsCase, ///< writing the output (file) would replace the case file (text), which is
                  ///< the same file or is reached through it by a symbolic link
    // Saving a case.
    CaseNotWritten,   ///< cause and text say why
    NameHasSeparator, ///< the file name holds a folder separator
    FolderMissing,    ///< the folder of the case does not exist (text: the folder)
    // Name test of a run.
    BadRunName, ///< text: the name, which holds "*" or does not end in ".int"
    // What checking a case finds beyond what stops a run. place: the table by its caption.
    RowsDisagree,        ///< datum: the count; number: its value; wanted and found: the rows
    FieldItems,          ///< place: the field's caption; wanted and found: the items on its line
    RowItems,            ///< number: the row as shown; wanted and found: the items on its line
    TrailingLines,       ///< text after the last item a run reads
    LevelsNotIncreasing, ///< number, other: the point and the one before; values: their levels
    LevelRepeated,       ///< number, other: the point and the one before; values: the level
    CurveTooShort,       ///< fewer than two level-area points
    StatesOverlap,       ///< number, other: the rows, the second wins; values: their lower and
                         ///< upper levels, the first row's first
    StatesGap,           ///< values: the levels between which no state applies
    StateEmpty,          ///< number: the row; values: its lower and upper level
    OutletAboveCurve,    ///< edge; number: the row; values: the edge's level and the curve's top
    QaBelowW,            ///< values: QA and W
    PeriodNotPositive,   ///< values: T
};

/// Why a file could not be read or written. The causes of a failed system call carry its
/// errno in Failure::error.
enum class FileCause {
    SystemReason,     ///< text: the reason, already worded
    FolderMissing,    ///< text: the folder that does not exist
    IsFolder,         ///< text: the path, which names a folder
    NotRegular,       ///< number: the file's type (st_mode & S_IFMT): a pipe, a device, a socket
    NoGbkForm,        ///< text: the character that GBK cannot hold
    EmptyImage,       ///< there is no picture to save
    NotBmp,           ///< the picture could not be encoded as BMP
    AccessFailed,     ///< the file or its folder could not be looked up or opened
    ReadFailed,       ///< reading stopped with the system's errno
    TooLarge,         ///< the file holds more bytes than any file of its kind can
    CreateFailed,     ///< no temporary file could be made beside the target
    WriteFailed,      ///< error 0: the system took only part of the bytes and gave no reason
    SyncFailed,       ///< the bytes did not reach the disk; the old file stays
    ReplaceFailed,    ///< the new file could not take the old one's place
    FolderSyncFailed, ///< the file was replaced, but the folder's change did not reach the disk
};

/// The part of an outlet below which it gives nothing.
enum class OutletEdge {
    TunnelInlet,   ///< the tunnel's inlet bottom
    SpillwayCrest, ///< the spillway's crest
    OrificeTop,    ///< the top of an orifice's opening: its sill plus the gate opening
    GateSill,      ///< the sill of a variable-width spillway's gate
};

/// What went wrong and where, with the values its message names. Which values a fault fills
/// is written beside it above.
struct Failure {
    Fault fault;
    QString file = {}; ///< the file concerned
    int line = 0;      ///< line of the case file, 1-based; 0 when none
    QString text = {}; ///< as found: an item, a name, a character, a folder or the system's reason
    FileCause cause = FileCause::SystemReason;
    const char* datum = ""; ///< the count an item was read for: "K", "J", "G0" ...
    const char* place = ""; ///< the table or field concerned, by the caption the window shows
    int number = 0;         ///< a point, a row, a period, a count or a byte, as the fault says
    int other = 0;          ///< a second point or row
    int wanted = 0;         ///< items or rows the case calls for
    int found = 0;          ///< items or rows there are
    double level = 0;       ///< m
    double area = 0;        ///< 10^4 m2
    std::array<double, 4> values{}; ///< the levels and parameters a check names, in its order
    OutletEdge edge = OutletEdge::TunnelInlet;
    int error = 0; ///< errno of the system call that failed, for the causes that carry one
};

/// The user's text for a failure: the message of its fault with its values, then the file.
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

/// work(), or the fault with its cause and ENOMEM when memory runs out on the way: a file read
/// or written whole needs memory of its size, and running short of it is a message, not an end.
template <class Work>
auto orOutOfMemory(Fault fault, const QString& path, FileCause cause, Work&& work)
    -> decltype(work()) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        Failure failure{fault, path};
        failure.cause = cause;
        failure.error = ENOMEM;
        return failure;
    }
}

} // namespace m4
