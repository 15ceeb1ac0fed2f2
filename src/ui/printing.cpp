#include "printing.h"

#include "case/file_names.h"
#include "vemoM4.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <utility>

namespace m4 {
namespace {

/// Columns of a character outside ASCII: two bytes in GBK, two cells on paper.
constexpr int kWideColumns = 2;
const QString kNotComputed = QStringLiteral("尚未计算,无文本和图形打印");
const QString kPrinterNotReady = QStringLiteral("打印机未准备好");
/// Families tried in order; the first has Latin glyphs exactly half as wide as Chinese ones.
const QStringList kReportFamilies{QStringLiteral("WenQuanYi Micro Hei Mono"),
                                  QStringLiteral("Noto Sans Mono CJK SC"),
                                  QStringLiteral("Sarasa Mono SC"), QStringLiteral("monospace")};

bool isWide(QChar c) {
    return c.unicode() >= 0x80;
}

QStringList linesOf(const QString& text) {
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QChar(u'\r'), QChar(u'\n'));
    // QTextEdit hands paragraphs over with U+2029 when asked for its raw text.
    plain.replace(QChar(0x2029), QChar(u'\n'));
    QStringList lines = plain.split(QChar(u'\n'));
    // A text that ends with a line end has no line after it.
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace

QFont reportFont(double pointSize) {
    QFont font;
    font.setFamilies(kReportFamilies);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(pointSize);
    return font;
}

void setReportText(QTextDocument& document, const QString& text, const QFont& font) {
    document.clear();
    document.setDefaultFont(font);
    const QFontMetricsF metrics(font);
    const double cell = metrics.horizontalAdvance(QLatin1Char('0'));
    const double wide = metrics.horizontalAdvance(QChar(0x6C34)); // 水
    QTextCharFormat narrowFormat;
    narrowFormat.setFont(font);
    QTextCharFormat wideFormat = narrowFormat;
    wideFormat.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    wideFormat.setFontLetterSpacing(kWideColumns * cell - wide);

    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (plain.endsWith(u'\n')) plain.chop(1); // the last line end closes the last line
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    // Runs of one kind go in at once: the period lines of a long report are one run.
    qsizetype start = 0;
    while (start < plain.size()) {
        const bool wideRun = isWide(plain.at(start));
        qsizetype end = start + 1;
        while (end < plain.size() && isWide(plain.at(end)) == wideRun) ++end;
        cursor.insertText(plain.mid(start, end - start), wideRun ? wideFormat : narrowFormat);
        start = end;
    }
    cursor.endEditBlock();
}

QtReportPrinter::QtReportPrinter(QString documentName) : documentName_(std::move(documentName)) {}

QtReportPrinter::~QtReportPrinter() {
    // A document left open is abandoned rather than sent half-printed.
    if (painter_ && painter_->isActive()) {
        printer_->abort();
        painter_->end();
    }
}

bool QtReportPrinter::beginDocument(int scaleLeftTwips, int topTwips) {
    if (painter_) return false; // one document per printer object
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return false;
    printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // Without a print system Qt falls back to writing a PDF file; that is no printer.
    if (!printer_->isValid() || printer_->outputFormat() != QPrinter::NativeFormat) return false;
    printer_->setDocName(documentName_);
    printer_->setFullPage(false);
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) return false;
    const double dpi = printer_->resolution();
    left_ = -scaleLeftTwips / kTwipsPerInch * dpi;
    top_ = topTwips / kTwipsPerInch * dpi;
    if (left_ < 0) left_ = 0; // the first column stays on the paper
    y_ = top_;
    painter_->setFont(reportFont(kPrintFontPoints));
    const QFontMetricsF metrics(painter_->font(), printer_.get());
    lineHeight_ = metrics.lineSpacing();
    ascent_ = metrics.ascent();
    cellWidth_ = metrics.horizontalAdvance(QLatin1Char('0'));
    return true;
}

bool QtReportPrinter::printLine(const QString& line) {
    if (!painter_ || !painter_->isActive()) return false;
    const double pageHeight = printer_->pageRect(QPrinter::DevicePixel).height();
    if (y_ + lineHeight_ > pageHeight && y_ > top_) {
        if (!printer_->newPage()) return false;
        y_ = top_;
    }
    // Columns as the report counts them: a Chinese character takes two, so it is drawn in
    // two cells whatever the font's own width for it.
    const double baseline = y_ + ascent_;
    int column = 0;
    qsizetype runStart = 0;
    const auto flushRun = [&](qsizetype end, int runColumn) {
        if (end > runStart)
            painter_->drawText(QPointF(left_ + runColumn * cellWidth_, baseline),
                               line.mid(runStart, end - runStart));
    };
    int runColumn = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (!isWide(c)) {
            ++column;
            continue;
        }
        flushRun(i, runColumn);
        const qsizetype width = c.isHighSurrogate() && i + 1 < line.size() ? 2 : 1;
        painter_->drawText(QPointF(left_ + column * cellWidth_, baseline), line.mid(i, width));
        i += width - 1;
        column += kWideColumns;
        runStart = i + 1;
        runColumn = column;
    }
    flushRun(line.size(), runColumn);
    y_ += lineHeight_;
    return printer_->printerState() != QPrinter::Error &&
           printer_->printerState() != QPrinter::Aborted;
}

bool QtReportPrinter::emptyLine() {
    return printLine(QString());
}

bool QtReportPrinter::text(const QString& text) {
    for (const QString& line : linesOf(text))
        if (!printLine(line)) return false;
    return true;
}

bool QtReportPrinter::endDocument() {
    if (!painter_ || !painter_->isActive()) return false;
    const bool ended = painter_->end();
    return ended && printer_->printerState() != QPrinter::Error &&
           printer_->printerState() != QPrinter::Aborted;
}

bool printResults(ReportPrinter& printer, const QString& paneText, const QString& reportBase,
                  const PrintFeedback& feedback) {
    if (paneText.isEmpty()) {
        feedback.status(kNotComputed);
        feedback.message(kNotComputed);
        return false;
    }
    bool allDone = true;
    // Each failed step is reported and the next one still tried; the final text claims the
    // report printed only when every step went through.
    const auto step = [&](bool done) {
        if (done) return;
        allDone = false;
        feedback.status(kPrinterNotReady);
        feedback.message(kPrinterNotReady);
    };
    step(printer.beginDocument(kPrintScaleLeftTwips, kPrintTopTwips));
    step(printer.emptyLine());
    step(printer.emptyLine());
    step(printer.text(paneText));
    step(printer.endDocument());
    if (allDone)
        feedback.status(QStringLiteral("结果文件") + reportBase + QStringLiteral(".out/bmp已打印"));
    return allDone;
}

void vemoM4::PrintResults() {
    const QString documentName = reportBase_ + QStringLiteral(".out");
    const std::unique_ptr<ReportPrinter> printer =
        printerFactory ? printerFactory(documentName)
                       : std::make_unique<QtReportPrinter>(documentName);
    // The pane gives its lines back joined by LF; the report's own line ends are CR LF.
    QString paneText = RichTextBox1->toPlainText();
    paneText.replace(u'\n', QLatin1String("\r\n"));
    if (!paneText.isEmpty()) paneText += QLatin1String("\r\n");
    const PrintFeedback feedback{[this](const QString& text) { setStatus(3, text); },
                                 [this](const QString& text) { messages().critical(text); }};
    printResults(*printer, paneText, reportBase_, feedback);
}

} // namespace m4
