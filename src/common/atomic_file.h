#pragma once
// Files the program writes replace their old version in one step: the bytes go to a temporary
// file beside the target, reach the disk, and only then take the target's name. A failure at
// any point leaves the old file as it was. The name itself is replaced, never followed: a
// symbolic link named like the target is replaced by the new file, and the file it pointed to
// stays untouched.

#include "failure.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace m4 {

/// Write bytes to path through a temporary file renamed over it. On failure, the given fault
/// with the cause: the folder missing, the name taken by a folder, or the step that failed
/// with the system's errno. A temporary file left by an earlier writer of the same path that
/// was killed is removed first.
std::optional<Failure> replaceFile(Fault fault, const QString& path, const QByteArray& bytes);

/// Remove the temporary files that writers of path killed before they finished left beside
/// it. Files of a writer still running are kept.
void removeLeftovers(const QString& path);

/// Whether replacing the name path would replace or unlink the file source names: path is the
/// same file (a hard link of it) or one of the symbolic links source goes through.
bool replacingReaches(const QString& path, const QString& source);

} // namespace m4
