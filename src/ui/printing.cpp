#include "printing.h"

#include "platform/report_view.h"
#include "window_text.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <utility>

namespace m4 {
namespace {

constexpr double kTwipsPerInch = 1440.0;
/// Resolution the document is drawn at, dots per inch.
constexpr int kPdfResolution = 600;
/// Families tried in order; the first has Latin glyphs exactly half as wide as Chinese ones.
const QStringList kReportFamilies{QStringLiteral("WenQuanYi Micro Hei Mono"),
                                  QStringLiteral("Noto Sans Mono CJK SC"),
                                  QStringLiteral("Sarasa Mono SC"), QStringLiteral("monospace")};

QStringList linesOf(const QString& text) {
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QChar(u'\r'), QChar(u'\n'));
    QStringList lines = plain.split(QChar(u'\n'));
    // A text that ends with a line end has no line after it.
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

/// The paper the destination is set up for; A4 when it does not say.
QPageSize pageSizeOf(const cups_dest_t& dest) {
    const char* media = cupsGetOption("media", dest.num_options, dest.options);
    pwg_media_t* size = media != nullptr ? pwgMediaForPWG(media) : nullptr;
    if (size == nullptr && media != nullptr) size = pwgMediaForLegacy(media);
    if (size == nullptr) return QPageSize(QPageSize::A4);
    // PWG sizes are in hundredths of millimetres.
    return QPageSize(QSizeF(size->width / 100.0, size->length / 100.0), QPageSize::Millimeter);
}

} // namespace

QFont reportFont() {
    QFont font;
    font.setFamilies(kReportFamilies);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(kReportFontPoints);
    return font;
}

/// One document being drawn: the default destination, the PDF file and the pen's place.
struct CupsReportPrinter::Document {
    cups_dest_t* dest = nullptr;
    QTemporaryFile pdf;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    double left = 0; ///< device pixels from the printable area's left edge
    double top = 0;  ///< device pixels from the printable area's top edge
    double y = 0;    ///< top of the next line, device pixels
    double lineHeight = 0;
    double ascent = 0;
    double cellWidth = 0; ///< width of one report column, device pixels

    ~Document() {
        if (painter.isActive()) painter.end();
        cupsFreeDests(1, dest);
    }
};

CupsReportPrinter::CupsReportPrinter(QString documentName)
    : documentName_(std::move(documentName)) {}

CupsReportPrinter::~CupsReportPrinter() = default;

bool CupsReportPrinter::beginDocument(int scaleLeftTwips, int topTwips) {
    if (document_) return false; // one document per printer object
    auto doc = std::make_unique<Document>();
    doc->dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (doc->dest == nullptr) {
        reason_ = QString::fromUtf8(cupsLastErrorString());
        return false;
    }
    doc->pdf.setFileTemplate(QDir::tempPath() + QStringLiteral("/m4-print-XXXXXX.pdf"));
    if (!doc->pdf.open()) {
        reason_ = doc->pdf.errorString();
        return false;
    }
    doc->writer = std::make_unique<QPdfWriter>(&doc->pdf);
    doc->writer->setTitle(documentName_);
    doc->writer->setResolution(kPdfResolution);
    doc->writer->setPageSize(pageSizeOf(*doc->dest));
    if (!doc->painter.begin(doc->writer.get())) {
        reason_ = QStringLiteral("PDF");
        return false;
    }
    const double dpi = kPdfResolution;
    doc->left = std::max(0.0, -scaleLeftTwips / kTwipsPerInch * dpi); // first column on paper
    doc->top = topTwips / kTwipsPerInch * dpi;
    doc->y = doc->top;
    doc->painter.setFont(reportFont());
    const QFontMetricsF metrics(doc->painter.font(), doc->writer.get());
    doc->lineHeight = metrics.lineSpacing();
    doc->ascent = metrics.ascent();
    doc->cellWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    document_ = std::move(doc);
    return true;
}

bool CupsReportPrinter::printLine(const QString& line) {
    if (!document_ || !document_->painter.isActive()) return false;
    Document& doc = *document_;
    const double pageHeight = doc.writer->height();
    if (doc.y + doc.lineHeight > pageHeight && doc.y > doc.top) {
        if (!doc.writer->newPage()) return false;
        doc.y = doc.top;
    }
    ui::drawReportLine(doc.painter, doc.left, doc.y + doc.ascent, doc.cellWidth, line);
    doc.y += doc.lineHeight;
    return true;
}

bool CupsReportPrinter::emptyLine() {
    return printLine(QString());
}

bool CupsReportPrinter::text(const QString& text) {
    for (const QString& line : linesOf(text))
        if (!printLine(line)) return false;
    return true;
}

bool CupsReportPrinter::endDocument() {
    if (!document_ || !document_->painter.isActive()) return false;
    Document& doc = *document_;
    if (!doc.painter.end() || !doc.pdf.flush()) {
        reason_ = doc.pdf.errorString();
        return false;
    }
    // A job number is the spooler's word that it took the job; 0 is a refusal (a queue that
    // does not accept jobs, a printer that is gone), with the reason in the last error.
    const int job = cupsPrintFile2(
        CUPS_HTTP_DEFAULT, doc.dest->name, QFile::encodeName(doc.pdf.fileName()).constData(),
        documentName_.toUtf8().constData(), doc.dest->num_options, doc.dest->options);
    if (job == 0) reason_ = QString::fromUtf8(cupsLastErrorString());
    return job != 0;
}

bool printResults(ReportPrinter& printer, const QString& paneText, const QString& reportBase,
                  const PrintFeedback& feedback) {
    if (paneText.isEmpty()) {
        feedback.status(say(WindowText::NotComputed));
        feedback.message(say(WindowText::NotComputed));
        return false;
    }
    bool allDone = true;
    // Each failed step is reported and the next one still tried; the final text claims the
    // report printed only when every step went through.
    const auto step = [&](bool done) {
        if (done) return;
        allDone = false;
        feedback.status(say(WindowText::PrinterNotReady));
        feedback.message(say(WindowText::PrinterNotReady));
    };
    step(printer.beginDocument(kPrintScaleLeftTwips, kPrintTopTwips));
    step(printer.emptyLine());
    step(printer.emptyLine());
    step(printer.text(paneText));
    step(printer.endDocument());
    if (allDone) feedback.status(say(WindowText::Printed, reportBase));
    return allDone;
}

} // namespace m4
