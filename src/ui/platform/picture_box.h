#pragma once
// A picture control: shows an image from its top left corner, clipped to the control, on a
// background colour.

#include <QImage>
#include <QWidget>

namespace m4::ui {

class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget* parent, const QColor& background = Qt::white);

    /// Load a bitmap file; false when it cannot be read.
    bool loadPicture(const QString& path);
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }
    void clear();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
    QColor background_;
};

} // namespace m4::ui
