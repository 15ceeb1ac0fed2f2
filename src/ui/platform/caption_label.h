#pragma once
// A field caption: wrapped between any two Chinese characters, lines set as tightly as the
// font's size so that two or three lines fit the small caption boxes of the data panel, each
// line right-aligned against the field it names. A caption too long for its box at the
// window's font is set a size smaller rather than cut.

#include <QLabel>

namespace m4::ui {

class CaptionLabel : public QLabel {
    Q_OBJECT
  public:
    CaptionLabel(const QString& text, QWidget* parent);

    /// Keep the text right of this x (pixels): a field of the neighbouring column reaches into
    /// the caption's box there.
    void setTextLeft(int left);

    /// The caption's lines at the current width (leading and trailing blanks dropped).
    QStringList lines() const;
    /// Height the lines take.
    int linesHeight() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    /// The largest font, up to the window's, at which every line fits the box.
    void fitFont();
    int linePitch() const;
    int textWidth() const { return width() - textLeft_; }

    int textLeft_ = 0;
};

} // namespace m4::ui
