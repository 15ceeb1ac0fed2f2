#pragma once
// Files the program writes replace their old version in one step: a failure midway leaves the
// old file as it was.

#include <QByteArray>
#include <QString>

#include <optional>

namespace m4 {

/// Write bytes to path through a temporary file renamed over it; the file system's reason on
/// failure (the folder missing, not writable, the name taken by a folder, the disk full).
std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes);

} // namespace m4
