#include "atomic_file.h"

#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <vector>

namespace m4 {
namespace {

/// Bytes of the target's name that a temporary file's name repeats, so a user who finds one
/// sees whose it is; the rest of the name is short, so it fits whatever the target's length.
constexpr qsizetype kKeptNameBytes = 40;
constexpr mode_t kNewFileMode = 0666; ///< before the umask, as any new file
constexpr mode_t kPermissionBits = 07777;
constexpr int kMaxLinkSteps = 40; ///< as the kernel follows at most
constexpr std::uint64_t kFnvOffset = 14695981039346656037ULL;
constexpr std::uint64_t kFnvPrime = 1099511628211ULL;
constexpr int kHashDigits = 16;
constexpr QByteArrayView kTemporaryEnd(".tmp");
constexpr qsizetype kMaxPidDigits = 10;

/// A file descriptor closed when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    /// Closes now; 0, or -1 with errno set.
    int close() {
        if (fd_ < 0) return 0;
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

  private:
    int fd_;
};

QByteArray nameHash(const QByteArray& name) {
    std::uint64_t hash = kFnvOffset;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kFnvPrime;
    }
    return QByteArray::number(static_cast<qulonglong>(hash), 16).rightJustified(kHashDigits, '0');
}

/// How the names of name's temporary files begin: a dot (hidden, and never a case the file list
/// offers), the first bytes of name cut before a UTF-8 continuation byte, "~", the hash of the
/// whole name, "~". The writer's process id and ".tmp" follow.
QByteArray temporaryHead(const QByteArray& name) {
    qsizetype keep = std::min(name.size(), kKeptNameBytes);
    while (keep > 0 && keep < name.size() &&
           (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return '.' + name.left(keep) + '~' + nameHash(name) + '~';
}

/// The process id in a name that begins with head, when the name is one of its temporary files.
std::optional<pid_t> temporaryOwner(QByteArrayView entry, QByteArrayView head) {
    if (!entry.startsWith(head) || !entry.endsWith(kTemporaryEnd)) return std::nullopt;
    const QByteArrayView digits =
        entry.sliced(head.size(), entry.size() - head.size() - kTemporaryEnd.size());
    if (digits.isEmpty() || digits.size() > kMaxPidDigits ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const qlonglong pid = digits.toLongLong();
    if (pid <= 0 || pid > INT_MAX) return std::nullopt;
    return static_cast<pid_t>(pid);
}

bool processGone(pid_t pid) {
    return pid == getpid() || (kill(pid, 0) != 0 && errno == ESRCH);
}

/// Removes name's temporary files in the folder whose writers are gone. A writer holds a lock
/// on its file until it closes it, so a file still locked is never taken from a live writer,
/// also one on another machine sharing the folder.
void removeLeftovers(int folder, const QByteArray& name) {
    const int listing = dup(folder);
    if (listing < 0) return;
    DIR* dir = fdopendir(listing);
    if (dir == nullptr) {
        ::close(listing);
        return;
    }
    const QByteArray head = temporaryHead(name);
    std::vector<QByteArray> gone;
    while (const dirent* entry = readdir(dir)) {
        const QByteArrayView entryName(entry->d_name);
        if (const std::optional<pid_t> owner = temporaryOwner(entryName, head);
            owner && processGone(*owner))
            gone.emplace_back(entryName.toByteArray());
    }
    closedir(dir);
    for (const QByteArray& leftover : gone) {
        const Descriptor file(
            openat(folder, leftover.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (file.valid() && flock(file.get(), LOCK_EX | LOCK_NB) == 0)
            unlinkat(folder, leftover.constData(), 0);
    }
}

/// Writes all bytes; -1 when they were written, otherwise the errno (0 when the system took
/// none of the rest without saying why).
int writeAll(int fd, const QByteArray& bytes) {
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, static_cast<std::size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        at += n;
        left -= n;
    }
    return -1;
}

int syncData(int fd) {
    int result = 0;
    do {
        result = fdatasync(fd);
    } while (result != 0 && errno == EINTR);
    return result;
}

std::optional<QByteArray> linkTarget(const QByteArray& link) {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t n = readlink(link.constData(), buffer.data(), buffer.size());
    if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) return std::nullopt;
    return QByteArray(buffer.data(), n);
}

} // namespace

std::optional<Failure> replaceFile(Fault fault, const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    Failure failure{fault, path};
    const auto failed = [&failure](FileCause cause, int error) {
        failure.cause = cause;
        failure.error = error;
        return failure;
    };
    const Descriptor folder(
        open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        if (errno != ENOENT && errno != ENOTDIR) return failed(FileCause::AccessFailed, errno);
        failure.cause = FileCause::FolderMissing;
        failure.text = info.absolutePath();
        return failure;
    }
    const QByteArray name = QFile::encodeName(info.fileName());
    struct stat old {};
    const bool exists = fstatat(folder.get(), name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT) return failed(FileCause::AccessFailed, errno);
    if (exists && S_ISDIR(old.st_mode)) {
        failure.cause = FileCause::IsFolder;
        failure.text = path;
        return failure;
    }

    removeLeftovers(folder.get(), name);
    const QByteArray temporary =
        temporaryHead(name) + QByteArray::number(getpid()) + kTemporaryEnd.toByteArray();
    Descriptor file(openat(folder.get(), temporary.constData(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode));
    if (!file.valid()) return failed(FileCause::CreateFailed, errno);
    flock(file.get(), LOCK_EX | LOCK_NB); // a fresh file: nobody else holds it
    // The new version keeps the old one's permissions; a replaced link gives no permissions.
    if (exists && S_ISREG(old.st_mode)) fchmod(file.get(), old.st_mode & kPermissionBits);
    const auto abandon = [&](FileCause cause, int error) {
        file.close();
        unlinkat(folder.get(), temporary.constData(), 0);
        return failed(cause, error);
    };
    if (const int error = writeAll(file.get(), bytes); error >= 0)
        return abandon(FileCause::WriteFailed, error);
    // Bytes that never reach the disk must not take the old file's place.
    if (syncData(file.get()) != 0) return abandon(FileCause::SyncFailed, errno);
    if (file.close() != 0) return abandon(FileCause::WriteFailed, errno);
    if (renameat(folder.get(), temporary.constData(), folder.get(), name.constData()) != 0)
        return abandon(FileCause::ReplaceFailed, errno);
    // The new name itself must survive a crash. Some file systems cannot sync a folder (EINVAL).
    if (fsync(folder.get()) != 0 && errno != EINVAL)
        return failed(FileCause::FolderSyncFailed, errno);
    return std::nullopt;
}

void removeLeftovers(const QString& path) {
    const QFileInfo info(path);
    const Descriptor folder(
        open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) removeLeftovers(folder.get(), QFile::encodeName(info.fileName()));
}

bool replacingReaches(const QString& path, const QString& source) {
    struct stat target {};
    if (lstat(QFile::encodeName(path).constData(), &target) != 0) return false;
    QByteArray step = QFile::encodeName(source);
    for (int i = 0; i < kMaxLinkSteps; ++i) {
        struct stat s {};
        if (lstat(step.constData(), &s) != 0) return false;
        if (s.st_dev == target.st_dev && s.st_ino == target.st_ino) return true;
        if (!S_ISLNK(s.st_mode)) return false;
        const std::optional<QByteArray> next = linkTarget(step);
        if (!next || next->isEmpty()) return false;
        if (next->startsWith('/')) {
            step = *next;
        } else {
            const qsizetype slash = step.lastIndexOf('/');
            step = (slash < 0 ? QByteArray() : step.left(slash + 1)) + *next;
        }
    }
    return false;
}

} // namespace m4
