#pragma once
// The print command: the report text of the last run goes to the default printer. The printer
// sits behind a small interface so the command can be driven against one that fails.

#include <QFont>
#include <QString>

#include <functional>
#include <memory>

namespace m4 {

/// Placement of the printed text in twips: the page's left edge is at -600, so the first column
/// starts 600 twips inside the printable area; the first line starts 300 twips below its top.
inline constexpr int kPrintScaleLeftTwips = -600;
inline constexpr int kPrintTopTwips = 300;
/// Report font size, points: 78 columns of the report fit a portrait A4 or Letter page.
inline constexpr double kReportFontPoints = 10.0;

/// What the print command needs of a printer; every step says whether it succeeded.
class ReportPrinter {
  public:
    virtual ~ReportPrinter() = default;
    /// Open a document with the text placed by the two placement values (twips).
    virtual bool beginDocument(int scaleLeftTwips, int topTwips) = 0;
    virtual bool emptyLine() = 0;
    /// Lines separated by line ends, each from the left margin.
    virtual bool text(const QString& text) = 0;
    /// Hand the document to the spooler; true only when the spooler accepted the job.
    virtual bool endDocument() = 0;
};

/// The system's default CUPS destination, without a dialog. The document is drawn as a PDF and
/// submitted as one job, so the spooler's answer (a job number, or why it refused) is known.
class CupsReportPrinter final : public ReportPrinter {
  public:
    /// documentName becomes the spooler's job title.
    explicit CupsReportPrinter(QString documentName);
    ~CupsReportPrinter() override;
    CupsReportPrinter(const CupsReportPrinter&) = delete;
    CupsReportPrinter& operator=(const CupsReportPrinter&) = delete;

    bool beginDocument(int scaleLeftTwips, int topTwips) override;
    bool emptyLine() override;
    bool text(const QString& text) override;
    bool endDocument() override;
    /// Why the last step failed, as the spooler said it; empty when it did not fail there.
    QString reason() const { return reason_; }

  private:
    bool printLine(const QString& line);

    struct Document;
    QString documentName_;
    std::unique_ptr<Document> document_;
    QString reason_;
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
QFont reportFont();

} // namespace m4
