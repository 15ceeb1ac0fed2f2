#pragma once
// Files as tests see them: the bytes on disk, or a marker when there is no file to read.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace m4test {

/// The whole file, or "(missing)" when it cannot be read, so that a missing file never
/// compares equal to an empty one.
inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace m4test
