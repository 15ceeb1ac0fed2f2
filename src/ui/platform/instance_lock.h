#pragma once
// One running instance per user and display: a lock file held open with flock() for the
// program's whole life. The kernel drops the lock when its owner ends, however it ends, so a
// file left behind by a killed program (empty, half written, naming a process long gone) never
// keeps the user out.

#include <QString>

namespace m4::ui {

class InstanceLock {
  public:
    enum class State {
        Held,         ///< this program holds the lock
        TakenByOther, ///< a running program holds it
        Unavailable   ///< the lock file cannot be made; reason() says why
    };

    /// Try to take the lock at path.
    explicit InstanceLock(QString path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    State state() const { return state_; }
    QString reason() const { return reason_; }

    /// The user's runtime folder, or a folder of the user's own under the temporary folder.
    static QString defaultFolder();
    /// The lock of this program on this display in folder: its name holds the display.
    static QString pathIn(const QString& folder, const QString& programCode);
    /// The display the program shows on, as part of a file name (":0.0" and ":0" alike).
    static QString displayName();

  private:
    int fd_ = -1;
    State state_ = State::Unavailable;
    QString reason_;
};

} // namespace m4::ui
