#pragma once
// Every text the window gives the user: message boxes and status panels. One switch, so that a
// new message without its words does not compile (-Wswitch).

#include "common/failure.h"

#include <QString>

namespace m4 {

enum class WindowText {
    AlreadyRunning,        ///< %1 program code
    LockUnavailable,       ///< %1 lock file, %2 reason
    StartupFolderMissing,  ///< %1 folder
    StartupFileMissing,    ///< %1 file
    StartupFileNotGbk,     ///< %1 file
    StartupFileUnreadable, ///< %1 file
    ExpectingInput,
    FileSelected,
    FileRefused,          ///< %1 name
    BadExtension,         ///< %1 text of the name field
    NotModified,          ///< %1 name
    SaveBadName,          ///< %1 name
    SaveNameHasSeparator, ///< %1 name
    SaveFailed,           ///< %1 name
    Saved,                ///< %1 name
    FieldEmpty,           ///< %1 caption, leading blanks kept
    CountMismatch,        ///< %1 caption, %2 count text, %3 page caption, %4 rows
    CountOutOfRange,      ///< %1 caption, %2 count text, %3 largest count
    TextNotStorable,      ///< %1 field or cell
    TextNotEncodable,     ///< %1 field or cell
    CellName,             ///< %1 page caption, %2 row number shown, %3 column
    CountRefused,         ///< %1 count text, %2 largest count
    PasteNotNumber,       ///< %1 cell, %2 its pasted text
    PasteTooWide,         ///< %1 columns pasted, %2 page caption, %3 first column, %4 columns left
    RunBadNameStatus,     ///< %1 name
    RunBadName,           ///< %1 name
    RunNoDataStatus,      ///< %1 name
    RunNoData,            ///< %1 name
    RunModifiedStatus,    ///< %1 name
    RunModified,          ///< %1 name
    RunStarted,           ///< %1 name
    ReportNotGbk,
    NotComputed,
    Printed, ///< %1 base name
    PrinterNotReady,
    DriveNotReady,   ///< %1 drive
    FolderNotOpened, ///< %1 folder
};

/// The text with its placeholders %1, %2, ... still in it.
QString windowText(WindowText id);

/// The text with its placeholders filled in one pass, so a name holding "%2" stays as it is.
template <class... Args> QString say(WindowText id, const Args&... args) {
    if constexpr (sizeof...(Args) == 0)
        return windowText(id);
    else
        return windowText(id).arg(args...);
}

/// The start-up text for a required file that could not be read.
QString startupFileMessage(const Failure& failure);

} // namespace m4
