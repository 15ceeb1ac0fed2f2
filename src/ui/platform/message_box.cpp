#include "message_box.h"

#include <QMessageBox>

namespace m4::ui {

MessageBoxService::MessageBoxService(QWidget* parent, QString title)
    : parent_(parent), title_(std::move(title)) {}

void MessageBoxService::show(const QString& text, MessageIcon icon) {
    if (hook_) {
        hook_(Message{text, title_, icon});
        return;
    }
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical
                                                  : QMessageBox::Information,
                    title_, text, QMessageBox::Ok, parent_);
    box.exec();
}

} // namespace m4::ui
