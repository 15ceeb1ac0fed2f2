#pragma once
// A read-only pane for a long fixed-width report. Each line is drawn on a column grid where a
// character outside ASCII takes two columns, as in the GBK file, so the report's columns line
// up whatever the font's own Chinese width. Only the lines in view are drawn: a report of tens
// of thousands of lines shows as fast as a short one. Lines are selected with the mouse, the
// selection (or everything) copied with Ctrl+C.

#include <QAbstractScrollArea>
#include <QString>

#include <vector>

class QPainter;

namespace m4::ui {

/// Columns a character takes in a GBK report: two for anything outside ASCII.
int reportColumns(QChar c);

/// Draw line with its first column's left edge at x and its baseline at y, every column
/// cellWidth wide.
void drawReportLine(QPainter& painter, double x, double y, double cellWidth, QStringView line);

class ReportView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    explicit ReportView(QWidget* parent);

    /// The text, lines separated by CR LF or LF.
    void setText(const QString& text);
    /// The text as given.
    const QString& text() const { return text_; }
    void clear() { setText(QString()); }
    int lineCount() const { return static_cast<int>(starts_.size()); }
    /// The selected lines' text, each ended by a line end; everything when nothing is selected.
    QString selectedText() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QStringView line(int i) const;
    int lineAt(int y) const;
    void updateScrollBars();

    QString text_;
    std::vector<qsizetype> starts_; ///< where each line starts in text_
    int widestColumns_ = 0;
    int lineHeight_ = 1;
    double cellWidth_ = 1;
    int anchor_ = -1; ///< first and last line of the selection, -1 without one
    int cursor_ = -1;
};

} // namespace m4::ui
