#include "report_view.h"

#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace m4::ui {
namespace {

/// Room around the text (pixels).
constexpr int kMargin = 4;

} // namespace

int reportColumns(QChar c) {
    return c.unicode() < 0x80 ? 1 : 2;
}

void drawReportLine(QPainter& painter, double x, double y, double cellWidth, QStringView line) {
    // Runs of ASCII are drawn whole; each wider character in its own two cells.
    int column = 0;
    qsizetype runStart = 0;
    int runColumn = 0;
    const auto flush = [&](qsizetype end) {
        if (end > runStart)
            painter.drawText(QPointF(x + runColumn * cellWidth, y),
                             line.mid(runStart, end - runStart).toString());
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (reportColumns(line[i]) == 1) {
            ++column;
            continue;
        }
        flush(i);
        const qsizetype width = line[i].isHighSurrogate() && i + 1 < line.size() ? 2 : 1;
        painter.drawText(QPointF(x + column * cellWidth, y), line.mid(i, width).toString());
        i += width - 1;
        column += 2;
        runStart = i + 1;
        runColumn = column;
    }
    flush(line.size());
}

ReportView::ReportView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

void ReportView::setText(const QString& text) {
    text_ = text;
    starts_.clear();
    anchor_ = cursor_ = -1;
    widestColumns_ = 0;
    int columns = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text_.size(); ++i) {
        const QChar c = text_[i];
        if (c == u'\n') {
            starts_.push_back(start);
            widestColumns_ = std::max(widestColumns_, columns);
            columns = 0;
            start = i + 1;
        } else if (c != u'\r') {
            columns += reportColumns(c);
        }
    }
    if (start < text_.size()) {
        starts_.push_back(start);
        widestColumns_ = std::max(widestColumns_, columns);
    }
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

QStringView ReportView::line(int i) const {
    const qsizetype start = starts_[static_cast<size_t>(i)];
    qsizetype end = static_cast<size_t>(i) + 1 < starts_.size()
                        ? starts_[static_cast<size_t>(i) + 1] - 1
                        : text_.size();
    QStringView view = QStringView(text_).mid(start, std::max<qsizetype>(end - start, 0));
    if (view.endsWith(u'\n')) view.chop(1);
    if (view.endsWith(u'\r')) view.chop(1);
    return view;
}

QString ReportView::selectedText() const {
    const int first = anchor_ < 0 ? 0 : std::min(anchor_, cursor_);
    const int last = anchor_ < 0 ? lineCount() - 1 : std::max(anchor_, cursor_);
    QString out;
    for (int i = first; i <= last; ++i) {
        out += line(i);
        out += u'\n';
    }
    return out;
}

int ReportView::lineAt(int y) const {
    return std::clamp((y - kMargin) / lineHeight_ + verticalScrollBar()->value(), 0,
                      std::max(lineCount() - 1, 0));
}

void ReportView::updateScrollBars() {
    const QFontMetricsF metrics(font());
    lineHeight_ = std::max(1, qRound(metrics.lineSpacing()));
    cellWidth_ = metrics.horizontalAdvance(QLatin1Char('0'));
    const int visibleLines = std::max(1, (viewport()->height() - 2 * kMargin) / lineHeight_);
    verticalScrollBar()->setRange(0, std::max(0, lineCount() - visibleLines));
    verticalScrollBar()->setPageStep(visibleLines);
    verticalScrollBar()->setSingleStep(1);
    const int textWidth = qRound(widestColumns_ * cellWidth_) + 2 * kMargin;
    horizontalScrollBar()->setRange(0, std::max(0, textWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(qRound(cellWidth_));
}

void ReportView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ReportView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QFontMetricsF metrics(font());
    const int first = verticalScrollBar()->value();
    const int last = std::min(lineCount() - 1, first + viewport()->height() / lineHeight_ + 1);
    const double x = kMargin - horizontalScrollBar()->value();
    const int selFirst = std::min(anchor_, cursor_);
    const int selLast = std::max(anchor_, cursor_);
    for (int i = first; i <= last; ++i) {
        const int top = kMargin + (i - first) * lineHeight_;
        const bool selected = anchor_ >= 0 && i >= selFirst && i <= selLast;
        if (selected)
            painter.fillRect(0, top, viewport()->width(), lineHeight_, palette().highlight());
        painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
        drawReportLine(painter, x, top + metrics.ascent(), cellWidth_, line(i));
    }
}

void ReportView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(selectedText());
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        anchor_ = 0;
        cursor_ = lineCount() - 1;
        viewport()->update();
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_Up:
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Down:
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Home:
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    case Qt::Key_Left:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
}

void ReportView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || lineCount() == 0) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    anchor_ = cursor_ = lineAt(qRound(event->position().y()));
    viewport()->update();
}

void ReportView::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) == 0 || anchor_ < 0) return;
    cursor_ = lineAt(qRound(event->position().y()));
    viewport()->update();
}

} // namespace m4::ui
