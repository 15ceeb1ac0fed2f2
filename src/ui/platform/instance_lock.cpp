#include "instance_lock.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace m4::ui {
namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

int openLock(const QByteArray& path) {
    return ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
}

} // namespace

InstanceLock::InstanceLock(QString path) {
    const QByteArray native = QFile::encodeName(path);
    fd_ = openLock(native);
    if (fd_ < 0 && errno != ENOENT) {
        // A lock file this user cannot open (another owner, no permission, a link) is not a
        // running program: it goes, and a fresh one takes its place.
        ::unlink(native.constData());
        fd_ = openLock(native);
    }
    if (fd_ < 0) {
        reason_ = systemReason(errno);
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        if (error == EWOULDBLOCK) {
            state_ = State::TakenByOther;
        } else {
            reason_ = systemReason(error);
        }
        return;
    }
    // The owner's process number, for a person looking at the file; nothing reads it.
    const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
    if (::ftruncate(fd_, 0) == 0 &&
        ::write(fd_, pid.constData(), static_cast<size_t>(pid.size())) < 0)
        reason_ = systemReason(errno);
    state_ = State::Held;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

QString InstanceLock::displayName() {
    const QString platform = QGuiApplication::platformName();
    QString display;
    if (platform == QLatin1String("xcb")) {
        display = qEnvironmentVariable("DISPLAY");
        // host:display.screen; every screen of one display is one desktop.
        const qsizetype colon = display.lastIndexOf(u':');
        const qsizetype dot = display.indexOf(u'.', colon + 1);
        if (colon >= 0 && dot > colon) display.truncate(dot);
    } else if (platform.startsWith(QLatin1String("wayland"))) {
        display = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    }
    if (display.isEmpty()) display = platform;
    display.replace(u'/', u'_');
    return display;
}

QString InstanceLock::defaultFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) return runtime;
    // Without a runtime folder: one of the user's own, never a folder every user shares.
    const QString folder = QDir::tempPath() + QStringLiteral("/m4-%1").arg(::getuid());
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    return folder;
}

QString InstanceLock::pathIn(const QString& folder, const QString& programCode) {
    return folder + u'/' + programCode + u'-' + displayName() + QStringLiteral(".lock");
}

} // namespace m4::ui
