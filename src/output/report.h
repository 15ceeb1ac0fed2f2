#pragma once
// The calculation report <base>.out: GBK, CR LF, a fixed-width layout where tab stops count a
// Chinese character as one.

#include "case/case_data.h"
#include "routing/routing_result.h"

#include <QString>

namespace m4 {

/// Builds the report text in the order a run writes it. Lines end with CR LF.
class ReportWriter {
  public:
    /// The file line: "文件：" + reportName, then an empty line.
    void OpenReport(const QString& reportName);
    void WriteReportHead(const CaseData& data);
    void WriteOriginalData(const CaseData& data);
    void WriteResultsHead();
    /// One period line; reads and clears the cap flag as the layout requires.
    void WritePeriodLine(const CaseData& data, const PeriodRecord& record);
    const QString& text() const { return text_; }

  private:
    QString text_;
    QString line_;
    bool capFlag_ = false;
};

/// The whole report of a routed case.
QString reportText(const CaseData& data, const RoutingResult& result, const QString& reportName);

} // namespace m4
