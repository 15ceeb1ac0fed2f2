#pragma once
// The window's status bar: five panels. The last two show whether Num Lock and Caps Lock are
// on, read from the keyboard of the display the window is on.

#include <QStatusBar>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QLabel;

namespace m4::ui {

/// The panels, left to right.
enum class StatusPanel { Hint, Command, Result, NumLock, CapsLock };

enum class LockKey { NumLock, CapsLock };

/// Whether a lock key is on; nullopt when the display does not tell.
using LockStateReader = std::function<std::optional<bool>(LockKey)>;

/// The lock state of the display's keyboard (XKB on X11); nullopt on other platforms.
std::optional<bool> readDisplayLock(LockKey key);

class StatusPanels : public QStatusBar {
    Q_OBJECT
  public:
    /// Reads the lock keys now and again whenever the display's keyboard state changes.
    explicit StatusPanels(QWidget* parent, LockStateReader reader = readDisplayLock);
    ~StatusPanels() override;

    void setText(StatusPanel panel, const QString& text);
    QString text(StatusPanel panel) const;
    /// Read the lock keys again and show their state.
    void refreshLocks();

  private:
    QLabel* label(StatusPanel panel) const;

    std::array<QLabel*, 5> panels_{};
    LockStateReader reader_;
    class KeyboardWatch;
    std::unique_ptr<KeyboardWatch> watch_;
};

} // namespace m4::ui
