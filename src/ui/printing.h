#pragma once
// The print command: the report text of the last run goes to the default printer. The printer
// sits behind a small interface so the command can be driven against one that fails.

#include <QFont>
#include <QString>

#include <functional>
#include <memory>

class QPainter;
class QPrinter;
class QTextDocument;

namespace m4 {

/// Placement of the printed text in twips: the page's left edge is at -600, so the first column
/// starts 600 twips inside the printable area; the first line starts 300 twips below its top.
inline constexpr int kPrintScaleLeftTwips = -600;
inline constexpr int kPrintTopTwips = 300;
inline constexpr double kTwipsPerInch = 1440.0;
/// Report font size on paper, points: 78 columns of the report fit a portrait A4 or Letter page.
inline constexpr double kPrintFontPoints = 10.0;
/// Report font size in the result pane, points.
inline constexpr double kScreenFontPoints = 10.0;

/// What the print command needs of a printer; every step says whether it succeeded.
class ReportPrinter {
  public:
    virtual ~ReportPrinter() = default;
    /// Open a document with the text placed by the two placement values (twips).
    virtual bool beginDocument(int scaleLeftTwips, int topTwips) = 0;
    virtual bool emptyLine() = 0;
    /// Lines separated by line ends, each from the left margin.
    virtual bool text(const QString& text) = 0;
    /// Hand the document to the spooler.
    virtual bool endDocument() = 0;
};

/// The system's default printer through QPrinter and QPainter, without a dialog.
class QtReportPrinter final : public ReportPrinter {
  public:
    /// documentName becomes the spooler's job title.
    explicit QtReportPrinter(QString documentName);
    ~QtReportPrinter() override;
    QtReportPrinter(const QtReportPrinter&) = delete;
    QtReportPrinter& operator=(const QtReportPrinter&) = delete;

    bool beginDocument(int scaleLeftTwips, int topTwips) override;
    bool emptyLine() override;
    bool text(const QString& text) override;
    bool endDocument() override;

  private:
    bool printLine(const QString& line);

    QString documentName_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    double left_ = 0; ///< device pixels from the printable area's left edge
    double top_ = 0;  ///< device pixels from the printable area's top edge
    double y_ = 0;    ///< top of the next line, device pixels
    double lineHeight_ = 0;
    double ascent_ = 0;
    double cellWidth_ = 0; ///< width of one report column, device pixels
};

/// Where the print command reports: status panel 3, and a modal message box.
struct PrintFeedback {
    std::function<void(const QString&)> status;
    std::function<void(const QString&)> message;
};

/// The print command. Prints nothing when paneText is empty; otherwise the two empty lines and
/// the text, reporting every failed step. reportBase names the printed report in the final
/// status. True when the whole document reached the spooler.
bool printResults(ReportPrinter& printer, const QString& paneText, const QString& reportBase,
                  const PrintFeedback& feedback);

/// A fixed-pitch font that shows Chinese characters.
QFont reportFont(double pointSize);

/// Put the report text into a document in font, each Chinese character spaced to exactly two
/// columns, so the report's columns line up whatever the font's own Chinese width.
void setReportText(QTextDocument& document, const QString& text, const QFont& font);

} // namespace m4
