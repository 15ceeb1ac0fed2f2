#include "atomic_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace m4 {

std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return QStringLiteral("文件夹%1不存在").arg(QDir::toNativeSeparators(info.absolutePath()));
    if (info.isDir()) return QStringLiteral("%1是一个文件夹").arg(QDir::toNativeSeparators(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    // The bytes sit in QSaveFile's buffer until flushed, and commit() does not notice a flush
    // that fails (a full disk, a file-size limit): it would replace the old file with a
    // truncated one and report success.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) return file.errorString();
    return std::nullopt;
}

} // namespace m4
