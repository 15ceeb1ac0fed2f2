#include "report.h"

#include "format.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace m4 {
namespace {

/// Widths of the period line's fields, in characters.
constexpr int kPeriodWidth = 4;
constexpr int kLevelWidth = 8;
constexpr int kFlowWidth = 9;
/// Level-area points on one line, and the widths of the first point's and the others' fields.
constexpr int kPointsPerLine = 2;
constexpr int kFirstLevelWidth = 9;
constexpr int kCurveWidth = 15;
/// Values of the hydrograph on one line after the first, which holds QL(0) alone.
constexpr int kInflowsPerLine = 7;
constexpr int kInflowWidth = 10;
/// Where the two section titles start.
constexpr int kTitleTab = 30;

/// Bytes a report takes at most, for reserving it in one piece.
constexpr qsizetype kFixedPartBytes = 6000;
constexpr qsizetype kCharsPerPoint = 27;
constexpr qsizetype kCharsPerInflow = 11;
constexpr qsizetype kCharsPerTableRow = 80;
constexpr qsizetype kCharsPerPeriod = 77;

constexpr QStringView kStarLine =
    u" ************************************************************************";
constexpr std::string_view kFourDashGroups = "  -------  -------  -------  -------";
constexpr std::string_view kFiveDashGroups = "  -------  -------  -------  -------  -------";

using OutletTable = ReportWriter::OutletTable;
using After = OutletTable::After;

constexpr OutletTable kTunnelTable{
    u" 泄洪洞个数",
    37,
    u"G0=",
    {u" 进口宽    进口高  进口高程   流量系数   闸门宽    闸门高 闸门底高程 限泄流量 ",
     u"  (米)      (米)     (米)                 (米)      (米)     (米)  (立方米/秒)",
     u"   B1        A1       C1        M11       B11       A11       C11      GM     "},
    {6, 10, 10, 10, 10, 10, 10, 10},
    After::EmptyLine};
constexpr OutletTable kSpillwayTable{
    u" 溢洪道数", 38,
    u"H0=",       {u" 流量系数   底宽(米)  底高程(米)", u"    M2         B2        C2"},
    {8, 10, 10},  After::BlankLine};
constexpr OutletTable kOrificeTable{
    u" 变宽变高的泄流孔状况数",
    31,
    u"KK1=",
    {u" 下限水位(米) 上限水位(米) 闸门宽(米) 开启高(米) 流量系数 闸底高程(米)",
     u"      ZZ1          ZZ2         BB         AA         MM         VV"},
    {10, 13, 11, 11, 11, 11},
    After::BlankLine};
// The heading names a sixth column, VV, that the rows leave empty.
constexpr OutletTable kVariableSpillwayTable{
    u" 变宽的溢洪道状况数",
    33,
    u"KK0=",
    {u" 下限水位(米) 上限水位(米)  流量系数  闸孔宽(米) 闸底高程(米)",
     u"      ZZ3          ZZ4         MM         DD         EE         VV"},
    {10, 13, 11, 11, 11},
    After::BlankLine};
constexpr OutletTable kDischargeTable{
    u" 其它泄流方式,水位～泄流量曲线点数",
    26,
    u"KK2=",
    {u" 水库水位(米)  下泄流量(立方米/秒)", u"       ZZ0         QQ"},
    {11, 11},
    After::Nothing};

qsizetype reportSizeEstimate(const CaseData& data) {
    const qsizetype rows = data.G0() + data.H0() + data.KK1() + data.KK0() + data.KK2();
    return kFixedPartBytes + 4 * (data.projectName.size() + data.frequency.size()) +
           kCharsPerPoint * data.K() + kCharsPerInflow * static_cast<qsizetype>(data.QL.size()) +
           kCharsPerTableRow * rows + kCharsPerPeriod * static_cast<qsizetype>(data.QL.size());
}

bool isAscii(QStringView text) {
    for (QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

/// A number of the report's tables, all of which have two decimals.
char* decimalsField(char* at, double x, int n) {
    return writeUsing2(at, x, n);
}

char* textField(char* at, std::string_view text) {
    return std::copy(text.begin(), text.end(), at);
}

char* lineEnd(char* at) {
    *at++ = '\r';
    *at++ = '\n';
    return at;
}

} // namespace

char* ReportWriter::room(qsizetype n) {
    const qsizetype needed = size_ + n + kFieldSlack;
    if (needed > out_.size()) out_.resize(std::max(needed, 2 * out_.size()));
    return out_.data() + size_;
}

char* ReportWriter::columnField(LastField& last, char* at, double x, int n) {
    // The same number in the same width is the same text; -0 and 0 both read 0.00.
    if (x == last.x && n == last.n) {
        std::memcpy(at, last.text.data(), last.text.size());
        return at + n;
    }
    char* const end = decimalsField(at, x, n);
    if (n > kFieldSlack) return end;
    std::memcpy(last.text.data(), at, last.text.size());
    last.x = x;
    last.n = n;
    return end;
}

void ReportWriter::endRow(char* end) {
    size_ = lineEnd(end) - out_.data();
    lineChars_ = 0;
}

void ReportWriter::text(QStringView text) {
    lineChars_ += text.size();
    if (isAscii(text)) {
        char* at = room(text.size());
        for (QChar c : text) *at++ = static_cast<char>(c.unicode());
        size_ += text.size();
        return;
    }
    qsizetype bad = 0;
    encoded_.clear();
    if (!gbk_.append(text, encoded_, &bad)) {
        if (!unencodable_) unencodable_ = characterAt(text, bad);
        return;
    }
    std::copy(encoded_.cbegin(), encoded_.cend(), room(encoded_.size()));
    size_ += encoded_.size();
}

void ReportWriter::endLine() {
    size_ = lineEnd(room(2)) - out_.data();
    lineChars_ = 0;
}

void ReportWriter::tabTo(int position) {
    // Every character counts one, a Chinese character included; a line already past the stop
    // gets nothing.
    const qsizetype blanks = position - 1 - lineChars_;
    if (blanks <= 0) return;
    std::fill_n(room(blanks), blanks, ' ');
    size_ += blanks;
    lineChars_ += blanks;
}

void ReportWriter::blankLine() {
    text(u" ");
    endLine();
}

/// A labelled number: the label, a tab stop that puts the key at one display column in every
/// such line, the key and the value.
void ReportWriter::scalarLine(QStringView label, int tab, QStringView key, double value) {
    text(label);
    tabTo(tab);
    text(key);
    text(NumItem(Round2(value)));
    endLine();
}

/// Two empty lines, the title of a section at its tab stop, one empty line.
void ReportWriter::sectionTitle(QStringView title) {
    endLine();
    endLine();
    tabTo(kTitleTab);
    text(title);
    endLine();
    endLine();
}

void ReportWriter::projectLine(QStringView nameLabel, QStringView frequencyLabel,
                               const CaseData& data) {
    text(nameLabel);
    text(data.projectName);
    text(frequencyLabel);
    text(data.frequency);
    endLine();
}

void ReportWriter::OpenReport(const QString& reportName) {
    text(u"文件：");
    text(reportName);
    endLine();
    endLine();
}

void ReportWriter::WriteReportHead(const CaseData& data) {
    text(kStarLine);
    endLine();
    text(u" *****                 青岚七号综合分析器计算书 M-4G                *****");
    endLine();
    text(kStarLine);
    endLine();
    projectLine(u"     工程名:", u"       频率:", data);
}

void ReportWriter::WriteOriginalData(const CaseData& data) {
    room(reportSizeEstimate(data));
    sectionTitle(u"一.原始数据:");
    projectLine(u" 工程名:", u"   频率:", data);
    blankLine();
    writeCurve(data);
    writeHydrograph(data);
    writeParameters(data);
    writeOutletTable(kTunnelTable, data.tunnels, kTunnelColumns);
    writeOutletTable(kSpillwayTable, data.spillways, kSpillwayColumns);
    writeOutletTable(kOrificeTable, data.orifices, kOrificeColumns);
    writeOutletTable(kVariableSpillwayTable, data.variableSpillways, kVariableSpillwayColumns);
    writeOutletTable(kDischargeTable, data.dischargeTable, kDischargeColumns);
}

void ReportWriter::writeCurve(const CaseData& data) {
    text(u" 水位~水面面积关系曲线结点数 K=");
    text(NumItem(Round2(data.K())));
    endLine();
    text(u" 水位(米) 水面面积(万平方米)   水位(米) 水面面积(万平方米)");
    endLine();
    text(u"     ZP            F               ZP            F");
    endLine();
    char* at = rowRoom();
    for (std::size_t i = 0; i < data.curve.size(); ++i) {
        // Points are numbered from 1: odd points open a line, even ones close it.
        const bool opensLine = i % kPointsPerLine == 0;
        at = decimalsField(at, data.curve[i].ZP, opensLine ? kFirstLevelWidth : kCurveWidth);
        at = decimalsField(at, data.curve[i].F, kCurveWidth);
        if (!opensLine) {
            endRow(at);
            at = rowRoom();
        }
    }
    endRow(at);
    blankLine();
}

void ReportWriter::writeHydrograph(const CaseData& data) {
    scalarLine(u" 洪水过程时段数", 35, u"J=", data.J());
    scalarLine(u" 时段间隔(秒)", 37, u"T=", data.T);
    text(u" 洪水过程(立方米/秒):");
    endLine();
    char* at = rowRoom();
    for (std::size_t i = 0; i < data.QL.size(); ++i) {
        at = decimalsField(at, data.QL[i], kInflowWidth);
        if (i % kInflowsPerLine == 0) {
            endRow(at);
            at = rowRoom();
        }
    }
    endRow(at);
    blankLine();
}

void ReportWriter::writeParameters(const CaseData& data) {
    scalarLine(u" 防洪下限水位(米)", 35, u"ZM=", data.ZM);
    scalarLine(u" 调洪起始水位(米)", 35, u"Z0=", data.Z0);
    scalarLine(u" 泄洪起始流量(立方米/秒)", 32, u"a1Q(0)=", data.Q0);
    scalarLine(u" 电站常流量(立方米/秒)", 33, u"W=", data.W);
    scalarLine(u" 下游安全限制泄量(立方米/秒)", 30, u"QA=", data.QA);
    blankLine();
    blankLine();
}

template <class Row, std::size_t N>
void ReportWriter::writeOutletTable(const OutletTable& table, const std::vector<Row>& rows,
                                    const std::array<double Row::*, N>& columns) {
    scalarLine(table.label, table.tab, table.key, static_cast<double>(rows.size()));
    tableColumns_ = {};
    if (!rows.empty()) {
        for (QStringView heading : table.headings) {
            if (heading.isNull()) continue;
            text(heading);
            endLine();
        }
        for (const Row& row : rows) {
            char* at = rowRoom();
            for (std::size_t c = 0; c < N; ++c)
                at = columnField(tableColumns_[c], at, row.*columns[c], table.widths[c]);
            endRow(at);
        }
    }
    switch (table.after) {
    case After::EmptyLine:
        endLine();
        break;
    case After::BlankLine:
        blankLine();
        break;
    case After::Nothing:
        break;
    }
}

void ReportWriter::WriteResultsHead() {
    sectionTitle(u"二.计算结果:");
    text(u" 时段  水位     河道    泄洪洞   溢洪道   泄流孔   变宽溢    其它     下泄");
    endLine();
    text(u"               来水量    流量     流量     流量    洪流量   泄流量   总流量");
    endLine();
}

void ReportWriter::WritePeriodLine(const CaseData& data, const PeriodRecord& record) {
    // The run may have cut the total to QA in any evaluation of this period, also one that
    // ends held; the flag then waits for the next period that is not held.
    capFlag_ = capFlag_ || record.capSet;
    char* at = writeUsing(rowRoom(), record.period, kPeriodWidth);
    // The columns after the period, each of which may repeat from line to line.
    enum Column { Level, Inflow, Tunnels, Spillways, Orifices, VariableSpillways, Other, Total };
    const auto field = [&](Column c, double x, int n) {
        at = columnField(periodColumns_[c], at, x, n);
    };
    if (record.held) {
        field(Level, data.ZM, kLevelWidth);
        field(Inflow, record.inflow, kFlowWidth);
        at = textField(at, kFiveDashGroups);
        field(Total, record.inflow, kFlowWidth);
        endRow(at);
        return;
    }
    field(Level, record.level, kLevelWidth);
    field(Inflow, record.inflow, kFlowWidth);
    const bool onlyTableOutlets =
        data.G0() == 0 && data.H0() == 0 && data.KK1() == 0 && data.KK0() == 0;
    if (onlyTableOutlets || capFlag_) {
        // A capped total is not the sum of the outlet flows, so they are not shown.
        at = textField(at, kFourDashGroups);
        capFlag_ = false;
    } else {
        field(Tunnels, record.tunnels, kFlowWidth);
        field(Spillways, record.spillways, kFlowWidth);
        field(Orifices, record.orifices, kFlowWidth);
        field(VariableSpillways, record.variableSpillways, kFlowWidth);
    }
    field(Other, record.other, kFlowWidth);
    field(Total, record.total, kFlowWidth);
    endRow(at);
}

Expected<QByteArray> ReportWriter::takeBytes() {
    if (unencodable_) {
        Failure failure{Fault::ReportNotWritten, {}, 0, *unencodable_};
        failure.cause = FileCause::NoGbkForm;
        return failure;
    }
    out_.truncate(size_);
    return std::move(out_);
}

Expected<QByteArray> reportBytes(const CaseData& data, const RoutingResult& result,
                                 const QString& reportName) {
    ReportWriter writer;
    writer.OpenReport(reportName);
    writer.WriteReportHead(data);
    writer.WriteOriginalData(data);
    writer.WriteResultsHead();
    for (const PeriodRecord& record : result.records) writer.WritePeriodLine(data, record);
    return writer.takeBytes();
}

QString reportText(const CaseData& data, const RoutingResult& result, const QString& reportName) {
    const Expected<QByteArray> bytes = reportBytes(data, result, reportName);
    return bytes ? decodeGbk(*bytes).value_or(QString()) : QString();
}

} // namespace m4
