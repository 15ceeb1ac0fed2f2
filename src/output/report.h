#pragma once
// The calculation report <base>.out: GBK, CR LF, a fixed-width layout where tab stops count a
// Chinese character as one.

#include "case/case_data.h"
#include "common/failure.h"
#include "common/gbk.h"
#include "format.h"
#include "routing/routing_result.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <limits>
#include <optional>

namespace m4 {

/// Builds the report's GBK bytes in the order a run writes it. Lines end with CR LF.
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
    /// The report's bytes, or the first character written that GBK cannot hold; ends the
    /// writing.
    Expected<QByteArray> takeBytes();

    /// How the input data show one table of outlet works: the count line, the column
    /// headings, the width of each column and what follows the table.
    struct OutletTable {
        QStringView label;
        int tab; ///< where the count's key starts
        QStringView key;
        std::array<QStringView, 3> headings; ///< the null ones are not written
        std::array<int, 8> widths;
        enum class After { EmptyLine, BlankLine, Nothing } after;
    };

  private:
    /// Where the next n bytes go, with room for a number field's slack after them.
    char* room(qsizetype n);
    /// Where a line of number fields goes: it is laid out in place, then closed by endRow.
    char* rowRoom() { return room(kMaxRowBytes); }
    /// Ends the line of fields that ends at end.
    void endRow(char* end);
    /// The last number of a column of a table and its field: coefficients, widths and the held
    /// level repeat row after row, and then the field is copied rather than written again.
    struct LastField {
        double x = std::numeric_limits<double>::quiet_NaN(); ///< none yet: equal to nothing
        int n = 0;
        std::array<char, kFieldSlack> text{};
    };
    /// Writes a field of two decimals at `at` for a column that may repeat; returns the end.
    static char* columnField(LastField& last, char* at, double x, int n);
    void text(QStringView text);
    void endLine();
    void tabTo(int position);
    void blankLine();
    void scalarLine(QStringView label, int tab, QStringView key, double value);
    void sectionTitle(QStringView title);
    void projectLine(QStringView nameLabel, QStringView frequencyLabel, const CaseData& data);
    void writeCurve(const CaseData& data);
    void writeHydrograph(const CaseData& data);
    void writeParameters(const CaseData& data);
    template <class Row, std::size_t N>
    void writeOutletTable(const OutletTable& table, const std::vector<Row>& rows,
                          const std::array<double Row::*, N>& columns);

    /// The longest line of number fields, line end included, with room to spare.
    static constexpr qsizetype kMaxRowBytes = 128;

    /// The report's bytes are out_[0, size_); what follows is room to write in.
    QByteArray out_;
    qsizetype size_ = 0;
    QByteArray encoded_; ///< a text's GBK bytes on their way to out_
    GbkEncoder gbk_;
    std::optional<QString> unencodable_; ///< the first character GBK could not hold
    qsizetype lineChars_ = 0; ///< characters of the line being written, a Chinese one as one
    std::array<LastField, 8> tableColumns_;  ///< of the outlet table being written
    std::array<LastField, 8> periodColumns_; ///< of the period lines after the period
    bool capFlag_ = false;
};

/// The whole report of a routed case as the bytes of its file.
Expected<QByteArray> reportBytes(const CaseData& data, const RoutingResult& result,
                                 const QString& reportName);
/// The same report as text, as it reads back from its file.
QString reportText(const CaseData& data, const RoutingResult& result, const QString& reportName);

} // namespace m4
