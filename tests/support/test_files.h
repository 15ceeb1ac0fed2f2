#pragma once
// Files as tests see them: the bytes on disk, or a marker when there is no file to read; and
// files written whole; the lines of a sound case.

#include "common/gbk.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace m4test {

/// A case with every kind of outlet and no problem, one list entry a line, as the window writes it.
inline QStringList fullCaseLines(const QString& name = "示例水库") {
    return (name + "|1%|3|100,10|110,25|120,45|2|600|50|120|200|105|108|50|5|500|1|"
                   "4,5,100,0.9,4,5,100,300|1|0.48,20,112|1|106,109,3,2,0.6,104|1|"
                   "108,111,0.45,12,107|2|100,0|120,800")
        .split(u'|');
}

/// Lines as a case file holds them: GBK, each ended by CR LF, then the writer's empty line.
inline QByteArray caseBytes(const QStringList& lines) {
    return m4::encodeGbk(lines.join("\r\n") + "\r\n\r\n").value();
}

/// The whole file, or "(missing)" when it cannot be read, so that a missing file never
/// compares equal to an empty one.
inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

/// Writes the bytes as the whole file; false when any of it could not be written.
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace m4test
