#pragma once
// Files the program reads whole: only a regular file is read, and it is opened without
// blocking, so a pipe or a device named like a case or a report cannot hang the program.

#include "failure.h"

#include <QByteArray>
#include <QString>

namespace m4 {

/// The bytes of the regular file at path, at most limit of them. On failure, the given fault
/// with the cause: AccessFailed (errno ENOENT when the file is missing), ReadFailed, IsFolder,
/// NotRegular, or TooLarge when the file holds more than limit bytes.
Expected<QByteArray> readRegularFile(Fault fault, const QString& path, qsizetype limit);

} // namespace m4
