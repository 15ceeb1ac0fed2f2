#pragma once
// The calculation report <base>.out: GBK, CR LF, a fixed-width layout where tab stops count a
// Chinese character as one.

#include "case/case_data.h"
#include "routing/routing_result.h"

#include <QString>

#include <string>

namespace m4 {

/// Builds the report text in the order a run writes it. Lines end with CR LF.
class ReportWriter {
  public:
    /// The file line: "文件：" + reportName, then an empty line.
    void OpenReport(const QString& reportName);
    /// The banner and the project line.
    void WriteReportHead(const CaseData& data);
    /// Every datum the run read, with labels, units and column headings.
    void WriteOriginalData(const CaseData& data);
    /// The results title and the two column heading lines.
    void WriteResultsHead();
    /// One period line; reads and clears the cap flag as the layout requires.
    void WritePeriodLine(const CaseData& data, const PeriodRecord& record);
    const QString& text() const { return text_; }

  private:
    void endLine();
    void endRow();
    void tabTo(int position);

    QString text_;
    std::string row_;         ///< an all-ASCII line of numbers being built, kept for its capacity
    qsizetype lineStart_ = 0; ///< where the line being written starts in text_
    bool capFlag_ = false;
};

/// The whole report of a routed case.
QString reportText(const CaseData& data, const RoutingResult& result, const QString& reportName);

} // namespace m4
