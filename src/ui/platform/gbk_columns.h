#pragma once
// Lays text out on the column grid of GBK text: a character of one byte takes one column, one
// of two bytes (Chinese characters, full-width signs, box-drawing lines) takes two. Monospaced
// Chinese fonts give Latin letters more than half the width of a Chinese character and
// box-drawing lines only one column; this stretches each kind to its share, so banners and
// tables drawn for a fixed-width GBK screen line up.

#include <QSyntaxHighlighter>

namespace m4::ui {

class GbkColumns : public QSyntaxHighlighter {
    Q_OBJECT
  public:
    /// Applies to document, measured with font (the font the document is shown in).
    GbkColumns(QTextDocument* document, const QFont& font);

    /// Columns a character takes on a GBK screen.
    static int columnsOf(QChar c);

  protected:
    void highlightBlock(const QString& text) override;

  private:
    int narrowStretch_ = 100;
    int boxStretch_ = 100;
};

} // namespace m4::ui
