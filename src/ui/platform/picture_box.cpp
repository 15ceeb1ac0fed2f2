#include "picture_box.h"

#include <QPainter>

namespace m4::ui {

PictureBox::PictureBox(QWidget* parent, const QColor& background)
    : QWidget(parent), background_(background) {}

bool PictureBox::loadPicture(const QString& path) {
    QImage loaded;
    if (!loaded.load(path)) return false;
    setImage(loaded);
    return true;
}

void PictureBox::setImage(const QImage& image) {
    image_ = image;
    update();
}

void PictureBox::clear() {
    image_ = QImage();
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    if (!image_.isNull()) painter.drawImage(0, 0, image_);
}

} // namespace m4::ui
