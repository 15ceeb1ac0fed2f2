#include "status_panels.h"

#include "desktop.h"
#include "twips.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>

#ifdef M4_WITH_X11
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#endif

namespace m4::ui {
namespace {

/// The bar's height: the size rules leave the bar 320 twips below the pages (twips).
constexpr int kBarHeight = 320;
/// Widths of the three text panels in twips; the lock panels hold a short key name.
constexpr std::array<int, 3> kTextPanelWidths{2400, 2100, 4200};
constexpr int kLockPanelWidth = 700;

struct PanelStart {
    const char* name; ///< object name, for finding the panel
    const char* text;
    const char* toolTip;
};
constexpr std::array<PanelStart, 5> kPanels{{
    {"hint", "双击文件计算作图", "鼠标操作提示"},
    {"command", "选择功能按钮", "当前的功能按钮"},
    {"result", "操作状态", "操作完成后的状态"},
    {"numLock", "NUM", "Num Lock 键状态"},
    {"capsLock", "CAPS", "Caps Lock 键状态"},
}};

size_t indexOf(StatusPanel panel) {
    return static_cast<size_t>(panel);
}

} // namespace

/// Calls back whenever the X server reports a change of the keyboard's state (XKB
/// StateNotify, which the platform plugin selects for its own use).
class StatusPanels::KeyboardWatch : public QAbstractNativeEventFilter {
  public:
    explicit KeyboardWatch(std::function<void()> changed) : changed_(std::move(changed)) {
#ifdef M4_WITH_X11
        int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
        auto* display = static_cast<Display*>(x11Display());
        if (display != nullptr &&
            XkbQueryExtension(display, &opcode, &eventBase_, &error, &major, &minor))
            QCoreApplication::instance()->installNativeEventFilter(this);
#endif
    }
    ~KeyboardWatch() override {
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    KeyboardWatch(const KeyboardWatch&) = delete;
    KeyboardWatch& operator=(const KeyboardWatch&) = delete;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || eventBase_ < 0) return false;
        // An XKB event: the extension's event code, then the XKB event type.
        const auto* bytes = static_cast<const unsigned char*>(message);
        constexpr int kStateNotify = 2;
        if ((bytes[0] & 0x7f) == eventBase_ && bytes[1] == kStateNotify) changed_();
        return false;
    }

  private:
    std::function<void()> changed_;
    int eventBase_ = -1;
};

std::optional<bool> readDisplayLock(LockKey key) {
#ifdef M4_WITH_X11
    auto* display = static_cast<Display*>(x11Display());
    if (display == nullptr) return std::nullopt;
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) return std::nullopt;
    const unsigned mask =
        key == LockKey::CapsLock ? LockMask : XkbKeysymToModifiers(display, XK_Num_Lock);
    if (mask == 0) return std::nullopt;
    return (state.locked_mods & mask) != 0;
#else
    Q_UNUSED(key);
    return std::nullopt;
#endif
}

StatusPanels::StatusPanels(QWidget* parent, LockStateReader reader)
    : QStatusBar(parent), reader_(std::move(reader)) {
    setObjectName("StatusBar1");
    setSizeGripEnabled(true);
    setFixedHeight(twips(kBarHeight));
    for (size_t i = 0; i < kPanels.size(); ++i) {
        auto* panel = new QLabel(QString::fromUtf8(kPanels[i].text), this);
        panel->setObjectName(kPanels[i].name);
        panel->setToolTip(QString::fromUtf8(kPanels[i].toolTip));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setIndent(3);
        if (i < kTextPanelWidths.size()) {
            panel->setMinimumWidth(twips(kTextPanelWidths[i]));
        } else {
            panel->setFixedWidth(twips(kLockPanelWidth));
            panel->setAlignment(Qt::AlignCenter);
        }
        // The result panel takes what the window has to spare.
        addPermanentWidget(panel, i == indexOf(StatusPanel::Result) ? 1 : 0);
        panels_[i] = panel;
    }
    watch_ = std::make_unique<KeyboardWatch>([this] { refreshLocks(); });
    refreshLocks();
}

StatusPanels::~StatusPanels() = default;

QLabel* StatusPanels::label(StatusPanel panel) const {
    return panels_.at(indexOf(panel));
}

void StatusPanels::setText(StatusPanel panel, const QString& text) {
    label(panel)->setText(text);
}

QString StatusPanels::text(StatusPanel panel) const {
    return label(panel)->text();
}

void StatusPanels::refreshLocks() {
    for (const auto& [key, panel] : {std::pair{LockKey::NumLock, StatusPanel::NumLock},
                                     std::pair{LockKey::CapsLock, StatusPanel::CapsLock}}) {
        const std::optional<bool> on = reader_ ? reader_(key) : std::nullopt;
        // Off greys the key name out, as a keyboard light; a state the display does not tell
        // shows no name at all rather than claim the key is on.
        label(panel)->setText(on ? QString::fromUtf8(kPanels[indexOf(panel)].text) : QString());
        label(panel)->setEnabled(on.value_or(false));
    }
}

} // namespace m4::ui
