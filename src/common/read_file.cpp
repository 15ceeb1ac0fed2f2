#include "read_file.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace m4 {
namespace {

Failure failed(Fault fault, const QString& path, FileCause cause, int error = 0) {
    Failure failure{fault, path};
    failure.cause = cause;
    failure.error = error;
    failure.text = path;
    return failure;
}

std::optional<Failure> refusedType(Fault fault, const QString& path, const struct stat& s) {
    if (S_ISREG(s.st_mode)) return std::nullopt;
    Failure failure =
        failed(fault, path, S_ISDIR(s.st_mode) ? FileCause::IsFolder : FileCause::NotRegular);
    failure.number = static_cast<int>(s.st_mode & S_IFMT);
    return failure;
}

} // namespace

Expected<QByteArray> readRegularFile(Fault fault, const QString& path, qsizetype limit) {
    const QByteArray name = QFile::encodeName(path);
    struct stat s {};
    if (stat(name.constData(), &s) != 0) return failed(fault, path, FileCause::AccessFailed, errno);
    if (std::optional<Failure> refused = refusedType(fault, path, s)) return *refused;
    if (s.st_size > limit) return failed(fault, path, FileCause::TooLarge);
    // Without blocking: what is opened may have been swapped for a pipe since the look above.
    const int fd = open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return failed(fault, path, FileCause::AccessFailed, errno);
    const auto closed = [fd](auto result) {
        close(fd);
        return result;
    };
    if (fstat(fd, &s) != 0) return closed(failed(fault, path, FileCause::AccessFailed, errno));
    if (std::optional<Failure> refused = refusedType(fault, path, s)) return closed(*refused);
    // The size of a growing file cannot be trusted: the buffer starts one byte past it and
    // doubles while the file keeps giving, up to one byte past the limit. Reserving the limit
    // itself would ask for hundreds of MiB of address space for every small report.
    QByteArray bytes(std::min<qsizetype>(s.st_size, limit) + 1, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > limit) break;
            bytes.resize(std::min(2 * size, limit + 1));
        }
        const ssize_t got =
            read(fd, bytes.data() + size, static_cast<std::size_t>(bytes.size() - size));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return closed(failed(fault, path, FileCause::ReadFailed, errno));
        if (got == 0) break;
        size += got;
    }
    close(fd);
    if (size > limit) return failed(fault, path, FileCause::TooLarge);
    bytes.truncate(size);
    bytes.squeeze();
    return bytes;
}

} // namespace m4
