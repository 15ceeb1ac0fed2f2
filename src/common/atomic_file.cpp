#include "atomic_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace m4 {

std::optional<Failure> replaceFile(Fault fault, const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    Failure failure{fault, path};
    if (!info.absoluteDir().exists()) {
        failure.cause = FileCause::FolderMissing;
        failure.text = info.absolutePath();
        return failure;
    }
    if (info.isDir()) {
        failure.cause = FileCause::IsFolder;
        failure.text = path;
        return failure;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        failure.text = file.errorString();
        return failure;
    }
    // The bytes sit in QSaveFile's buffer until flushed, and commit() does not notice a flush
    // that fails (a full disk, a file-size limit): it would replace the old file with a
    // truncated one and report success.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        failure.text = file.errorString();
        file.cancelWriting();
        return failure;
    }
    if (!file.commit()) {
        failure.text = file.errorString();
        return failure;
    }
    return std::nullopt;
}

} // namespace m4
