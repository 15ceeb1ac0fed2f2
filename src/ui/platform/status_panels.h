#pragma once
// The window's status bar: five panels numbered 1 to 5. Panels 4 and 5 show whether Num Lock
// and Caps Lock are on.

#include <QStatusBar>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QTimer;

namespace m4::ui {

enum class LockKey { NumLock, CapsLock };

/// Whether a lock key is on; nullopt when the system does not tell.
using LockStateReader = std::function<std::optional<bool>(LockKey)>;

/// Reads the keyboard LEDs the kernel exposes under /sys/class/leds.
std::optional<bool> readLockLed(LockKey key);

class StatusPanels : public QStatusBar {
    Q_OBJECT
  public:
    static constexpr int kPanelCount = 5;

    explicit StatusPanels(QWidget* parent, LockStateReader reader = readLockLed);

    /// Text of panel 1..5.
    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;
    QString panelToolTip(int panel) const;
    /// Whether panel 4 or 5 shows its key as on (or the state is unknown).
    bool lockShownOn(LockKey key) const;
    /// Read the lock keys again and show their state in panels 4 and 5.
    void refreshLocks();

  private:
    QLabel* label(int panel) const;

    std::array<QLabel*, kPanelCount> panels_{};
    LockStateReader reader_;
    QTimer* poll_ = nullptr;
};

} // namespace m4::ui
