#pragma once
// The current case file: where it lives, its name and whether the window holds what it holds.

#include "case/file_names.h"

#include <QString>

namespace m4 {

/// DataState: whether the window's case matches its file.
enum class CaseState {
    New = 1,     ///< a new case, nothing saved yet
    Saved = 2,   ///< the window holds exactly what the case file holds
    Modified = 3 ///< changed since it was loaded or saved
};

/// One value, saved and restored whole; the window changes it in one place.
struct CurrentCase {
    QString CasePath;     ///< folder
    QString CaseFileName; ///< name with extension
    CaseState DataState{CaseState::New};

    /// Folder and name joined; computed, so it can never disagree with them.
    QString CaseFullPath() const { return joinPath(CasePath, CaseFileName); }
    bool operator==(const CurrentCase&) const = default;
};

} // namespace m4
