#pragma once
// Files the program writes replace their old version in one step: a failure midway leaves the
// old file as it was.

#include "failure.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace m4 {

/// Write bytes to path through a temporary file renamed over it. On failure, the given fault
/// with the cause: the folder missing, the name taken by a folder, or the file system's reason
/// (not writable, the disk full).
std::optional<Failure> replaceFile(Fault fault, const QString& path, const QByteArray& bytes);

} // namespace m4
