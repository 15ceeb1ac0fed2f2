#pragma once
// Modal message boxes with one OK button. Tests set a hook to see the messages instead of
// blocking on a dialog.

#include <QString>

#include <functional>

class QWidget;

namespace m4::ui {

enum class MessageIcon { Critical, Information };

struct Message {
    QString text;
    QString title;
    MessageIcon icon;
};

class MessageBoxService {
  public:
    using Hook = std::function<void(const Message&)>;

    explicit MessageBoxService(QWidget* parent, QString title);

    /// While a hook is set, messages go to it and no dialog is shown.
    void setHook(Hook hook) { hook_ = std::move(hook); }

    /// Show text with the critical-error icon; returns when the box is closed.
    void critical(const QString& text) { show(text, MessageIcon::Critical); }
    /// Show text with the information icon; returns when the box is closed.
    void information(const QString& text) { show(text, MessageIcon::Information); }
    void show(const QString& text, MessageIcon icon);

    const QString& title() const { return title_; }

  private:
    QWidget* parent_;
    QString title_;
    Hook hook_;
};

} // namespace m4::ui
