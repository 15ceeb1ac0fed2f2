#include "caption_label.h"

#include <QFontInfo>
#include <QPainter>

namespace m4::ui {
namespace {

/// Pieces a line may break between: a run of Latin letters and digits, one blank, or any other
/// single character.
QStringList pieces(const QString& text) {
    QStringList out;
    QString word;
    for (const QChar c : text) {
        if (c.unicode() < 0x80 && c.isLetterOrNumber()) {
            word += c;
            continue;
        }
        if (!word.isEmpty()) out << word;
        word.clear();
        out << QString(c);
    }
    if (!word.isEmpty()) out << word;
    return out;
}

} // namespace

/// The smallest type a caption is set in (pixels).
constexpr int kSmallestPixels = 8;

CaptionLabel::CaptionLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void CaptionLabel::setTextLeft(int left) {
    textLeft_ = left;
    fitFont();
    update();
}

void CaptionLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fitFont();
}

void CaptionLabel::fitFont() {
    QFont fitted = parentWidget() != nullptr ? parentWidget()->font() : font();
    setFont(fitted);
    while (linesHeight() > height() && QFontInfo(fitted).pixelSize() > kSmallestPixels) {
        fitted.setPixelSize(QFontInfo(fitted).pixelSize() - 1);
        setFont(fitted);
    }
}

int CaptionLabel::linePitch() const {
    return QFontInfo(font()).pixelSize() + 1;
}

QStringList CaptionLabel::lines() const {
    const QFontMetrics metrics = fontMetrics();
    QStringList out;
    QString line;
    for (const QString& piece : pieces(text().trimmed())) {
        const QString longer = line + piece;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer.trimmed()) > textWidth()) {
            out << line.trimmed();
            line = piece.trimmed();
        } else {
            line = longer;
        }
    }
    if (!line.trimmed().isEmpty()) out << line.trimmed();
    return out;
}

int CaptionLabel::linesHeight() const {
    return static_cast<int>(lines().size()) * linePitch();
}

void CaptionLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QStringList all = lines();
    const int pitch = linePitch();
    int top = (height() - static_cast<int>(all.size()) * pitch) / 2;
    for (const QString& line : all) {
        painter.drawText(QRect(textLeft_, top, textWidth(), pitch),
                         Qt::AlignRight | Qt::AlignVCenter, line);
        top += pitch;
    }
}

} // namespace m4::ui
