#include "status_panels.h"

#include "twips.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTimer>

namespace m4::ui {
namespace {

/// Widths of panels 1..3 in twips; 4 and 5 hold a short key name.
constexpr std::array<int, 3> kTextPanelWidths{2400, 2100, 4200};
constexpr int kLockPanelWidth = 700;
/// How often the lock keys are read again, in milliseconds.
constexpr int kLockPollMs = 400;

struct PanelStart {
    const char* text;
    const char* toolTip;
};
constexpr std::array<PanelStart, StatusPanels::kPanelCount> kPanels{{
    {"双击文件计算作图", "鼠标操作提示"},
    {"选择功能按钮", "当前的功能按钮"},
    {"操作状态", "操作完成后的状态"},
    {"NUM", "Num Lock 键状态"},
    {"CAPS", "Caps Lock 键状态"},
}};

} // namespace

std::optional<bool> readLockLed(LockKey key) {
    const QString suffix = key == LockKey::NumLock ? "::numlock" : "::capslock";
    const QDir leds("/sys/class/leds");
    const QStringList names = leds.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!name.endsWith(suffix)) continue;
        QFile brightness(leds.filePath(name + "/brightness"));
        if (!brightness.open(QIODevice::ReadOnly)) continue;
        return brightness.readAll().trimmed() != "0";
    }
    return std::nullopt;
}

StatusPanels::StatusPanels(QWidget* parent, LockStateReader reader)
    : QStatusBar(parent), reader_(std::move(reader)) {
    setSizeGripEnabled(true);
    for (int i = 0; i < kPanelCount; ++i) {
        auto* panel = new QLabel(QString::fromUtf8(kPanels[static_cast<size_t>(i)].text), this);
        panel->setToolTip(QString::fromUtf8(kPanels[static_cast<size_t>(i)].toolTip));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setIndent(3);
        if (i < 3)
            panel->setMinimumWidth(twips(kTextPanelWidths[static_cast<size_t>(i)]));
        else {
            panel->setFixedWidth(twips(kLockPanelWidth));
            panel->setAlignment(Qt::AlignCenter);
        }
        // The third panel takes what the window has to spare.
        addPermanentWidget(panel, i == 2 ? 1 : 0);
        panels_[static_cast<size_t>(i)] = panel;
    }
    poll_ = new QTimer(this);
    connect(poll_, &QTimer::timeout, this, &StatusPanels::refreshLocks);
    poll_->start(kLockPollMs);
    refreshLocks();
}

QLabel* StatusPanels::label(int panel) const {
    return panels_.at(static_cast<size_t>(panel - 1));
}

void StatusPanels::setPanelText(int panel, const QString& text) {
    label(panel)->setText(text);
}

QString StatusPanels::panelText(int panel) const {
    return label(panel)->text();
}

QString StatusPanels::panelToolTip(int panel) const {
    return label(panel)->toolTip();
}

bool StatusPanels::lockShownOn(LockKey key) const {
    return label(key == LockKey::NumLock ? 4 : 5)->isEnabled();
}

void StatusPanels::refreshLocks() {
    for (const LockKey key : {LockKey::NumLock, LockKey::CapsLock}) {
        QLabel* panel = label(key == LockKey::NumLock ? 4 : 5);
        const std::optional<bool> on = reader_ ? reader_(key) : std::nullopt;
        // An unknown state shows the key name plainly; off greys it out, as a keyboard LED.
        panel->setEnabled(!on.has_value() || *on);
    }
}

} // namespace m4::ui
