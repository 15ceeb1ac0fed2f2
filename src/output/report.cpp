#include "report.h"

#include "format.h"

#include <string_view>

namespace m4 {
namespace {

/// Widths of the period line's fields, in characters.
constexpr int kPeriodWidth = 4;
constexpr int kLevelWidth = 8;
constexpr int kFlowWidth = 9;
/// Values of the hydrograph on one line after the first, which holds QL(0) alone.
constexpr int kInflowsPerLine = 7;
constexpr int kInflowWidth = 10;

/// Characters a report line takes at most, for reserving the text in one piece.
constexpr qsizetype kFixedPartChars = 4000;
constexpr qsizetype kCurvePointChars = 28;
constexpr qsizetype kInflowChars = 11;
constexpr qsizetype kTunnelChars = 78;
constexpr qsizetype kSpillwayChars = 30;
constexpr qsizetype kOrificeChars = 69;
constexpr qsizetype kVariableSpillwayChars = 58;
constexpr qsizetype kDischargePointChars = 24;
constexpr qsizetype kPeriodLineChars = 77;

constexpr QStringView kCrLf = u"\r\n";
constexpr QStringView kStarLine =
    u" ************************************************************************";
constexpr std::string_view kFourDashGroups = "  -------  -------  -------  -------";
constexpr std::string_view kFiveDashGroups = "  -------  -------  -------  -------  -------";

qsizetype reportSizeEstimate(const CaseData& data) {
    return kFixedPartChars + 2 * (data.projectName.size() + data.frequency.size()) +
           kCurvePointChars * data.K() + kInflowChars * static_cast<qsizetype>(data.QL.size()) +
           kTunnelChars * data.G0() + kSpillwayChars * data.H0() + kOrificeChars * data.KK1() +
           kVariableSpillwayChars * data.KK0() + kDischargePointChars * data.KK2() +
           kPeriodLineChars * static_cast<qsizetype>(data.QL.size());
}

} // namespace

void ReportWriter::endLine() {
    text_.append(kCrLf);
    lineStart_ = text_.size();
}

void ReportWriter::endRow() {
    text_.append(QLatin1String(row_.data(), static_cast<qsizetype>(row_.size())));
    row_.clear();
    endLine();
}

void ReportWriter::tabTo(int position) {
    // Every character counts one, a Chinese character included; a line already past the stop
    // gets nothing.
    const qsizetype blanks = position - 1 - (text_.size() - lineStart_);
    if (blanks > 0) text_.resize(text_.size() + blanks, QLatin1Char(' '));
}

void ReportWriter::OpenReport(const QString& reportName) {
    text_.append(u"文件：");
    text_.append(reportName);
    endLine();
    endLine();
}

void ReportWriter::WriteReportHead(const CaseData& data) {
    text_.append(kStarLine);
    endLine();
    text_.append(u" *****                 青岚七号综合分析器计算书 M-4G                *****");
    endLine();
    text_.append(kStarLine);
    endLine();
    text_.append(u"     工程名:");
    text_.append(data.projectName);
    text_.append(u"       频率:");
    text_.append(data.frequency);
    endLine();
}

void ReportWriter::WriteOriginalData(const CaseData& data) {
    text_.reserve(text_.size() + reportSizeEstimate(data));
    // A labelled scalar: the label, a tab stop that puts the key at one display column in
    // every such line, the key and the value.
    const auto scalarLine = [this](QStringView label, int tab, QStringView key, double value) {
        text_.append(label);
        tabTo(tab);
        text_.append(key);
        appendNumItem(text_, Round2(value));
        endLine();
    };
    const auto blankLine = [this] {
        text_.append(u" ");
        endLine();
    };

    endLine();
    endLine();
    tabTo(30);
    text_.append(u"一.原始数据:");
    endLine();
    endLine();
    text_.append(u" 工程名:");
    text_.append(data.projectName);
    text_.append(u"   频率:");
    text_.append(data.frequency);
    endLine();
    blankLine();

    text_.append(u" 水位~水面面积关系曲线结点数 K=");
    appendNumItem(text_, Round2(data.K()));
    endLine();
    text_.append(u" 水位(米) 水面面积(万平方米)   水位(米) 水面面积(万平方米)");
    endLine();
    text_.append(u"     ZP            F               ZP            F");
    endLine();
    for (int i = 0; i < data.K(); ++i) {
        const CurvePoint& p = data.curve[static_cast<std::size_t>(i)];
        // Points are numbered from 1: odd points open a line, even ones close it.
        const bool opensLine = i % 2 == 0;
        appendUsingDecimals(row_, p.ZP, 2, opensLine ? 9 : 15);
        appendUsingDecimals(row_, p.F, 2, 15);
        if (!opensLine) endRow();
    }
    endRow();
    blankLine();

    scalarLine(u" 洪水过程时段数", 35, u"J=", data.J());
    scalarLine(u" 时段间隔(秒)", 37, u"T=", data.T);
    text_.append(u" 洪水过程(立方米/秒):");
    endLine();
    for (std::size_t i = 0; i < data.QL.size(); ++i) {
        appendUsingDecimals(row_, data.QL[i], 2, kInflowWidth);
        if (i % kInflowsPerLine == 0) endRow();
    }
    endRow();
    blankLine();

    scalarLine(u" 防洪下限水位(米)", 35, u"ZM=", data.ZM);
    scalarLine(u" 调洪起始水位(米)", 35, u"Z0=", data.Z0);
    scalarLine(u" 泄洪起始流量(立方米/秒)", 32, u"a1Q(0)=", data.Q0);
    scalarLine(u" 电站常流量(立方米/秒)", 33, u"W=", data.W);
    scalarLine(u" 下游安全限制泄量(立方米/秒)", 30, u"QA=", data.QA);
    blankLine();
    blankLine();

    scalarLine(u" 泄洪洞个数", 37, u"G0=", data.G0());
    if (data.G0() != 0) {
        text_.append(
            u" 进口宽    进口高  进口高程   流量系数   闸门宽    闸门高 闸门底高程 限泄流量 ");
        endLine();
        text_.append(
            u"  (米)      (米)     (米)                 (米)      (米)     (米)  (立方米/秒)");
        endLine();
        text_.append(
            u"   B1        A1       C1        M11       B11       A11       C11      GM     ");
        endLine();
        for (const Tunnel& t : data.tunnels) {
            appendUsingDecimals(row_, t.B1, 2, 6);
            for (double v : {t.A1, t.C1, t.M11, t.B11, t.A11, t.C11, t.GM})
                appendUsingDecimals(row_, v, 2, 10);
            endRow();
        }
    }
    endLine();

    scalarLine(u" 溢洪道数", 38, u"H0=", data.H0());
    if (data.H0() != 0) {
        text_.append(u" 流量系数   底宽(米)  底高程(米)");
        endLine();
        text_.append(u"    M2         B2        C2");
        endLine();
        for (const Spillway& s : data.spillways) {
            appendUsingDecimals(row_, s.M2, 2, 8);
            appendUsingDecimals(row_, s.B2, 2, 10);
            appendUsingDecimals(row_, s.C2, 2, 10);
            endRow();
        }
    }
    blankLine();

    scalarLine(u" 变宽变高的泄流孔状况数", 31, u"KK1=", data.KK1());
    if (data.KK1() != 0) {
        text_.append(u" 下限水位(米) 上限水位(米) 闸门宽(米) 开启高(米) 流量系数 闸底高程(米)");
        endLine();
        text_.append(u"      ZZ1          ZZ2         BB         AA         MM         VV");
        endLine();
        for (const OrificeState& o : data.orifices) {
            appendUsingDecimals(row_, o.ZZ1, 2, 10);
            appendUsingDecimals(row_, o.ZZ2, 2, 13);
            for (double v : {o.BB, o.AA, o.MM, o.VV}) appendUsingDecimals(row_, v, 2, 11);
            endRow();
        }
    }
    blankLine();

    scalarLine(u" 变宽的溢洪道状况数", 33, u"KK0=", data.KK0());
    if (data.KK0() != 0) {
        text_.append(u" 下限水位(米) 上限水位(米)  流量系数  闸孔宽(米) 闸底高程(米)");
        endLine();
        // The heading names a sixth column, VV, that the rows leave empty.
        text_.append(u"      ZZ3          ZZ4         MM         DD         EE         VV");
        endLine();
        for (const VariableSpillwayState& s : data.variableSpillways) {
            appendUsingDecimals(row_, s.ZZ3, 2, 10);
            appendUsingDecimals(row_, s.ZZ4, 2, 13);
            for (double v : {s.MM, s.DD, s.EE}) appendUsingDecimals(row_, v, 2, 11);
            endRow();
        }
    }
    blankLine();

    scalarLine(u" 其它泄流方式,水位～泄流量曲线点数", 26, u"KK2=", data.KK2());
    if (data.KK2() != 0) {
        text_.append(u" 水库水位(米)  下泄流量(立方米/秒)");
        endLine();
        text_.append(u"       ZZ0         QQ");
        endLine();
        for (const DischargePoint& p : data.dischargeTable) {
            appendUsingDecimals(row_, p.ZZ0, 2, 11);
            appendUsingDecimals(row_, p.QQ, 2, 11);
            endRow();
        }
    }
}

void ReportWriter::WriteResultsHead() {
    endLine();
    endLine();
    tabTo(30);
    text_.append(u"二.计算结果:");
    endLine();
    endLine();
    text_.append(u" 时段  水位     河道    泄洪洞   溢洪道   泄流孔   变宽溢    其它     下泄");
    endLine();
    text_.append(u"               来水量    流量     流量     流量    洪流量   泄流量   总流量");
    endLine();
}

void ReportWriter::WritePeriodLine(const CaseData& data, const PeriodRecord& record) {
    // The run may have cut the total to QA in any evaluation of this period, also one that
    // ends held; the flag then waits for the next period that is not held.
    capFlag_ = capFlag_ || record.capSet;
    appendUsing(row_, record.period, kPeriodWidth);
    if (record.held) {
        appendUsingDecimals(row_, data.ZM, 2, kLevelWidth);
        appendUsingDecimals(row_, record.inflow, 2, kFlowWidth);
        row_.append(kFiveDashGroups);
        appendUsingDecimals(row_, record.inflow, 2, kFlowWidth);
        endRow();
        return;
    }
    appendUsingDecimals(row_, record.level, 2, kLevelWidth);
    appendUsingDecimals(row_, record.inflow, 2, kFlowWidth);
    const bool onlyTableOutlets =
        data.G0() == 0 && data.H0() == 0 && data.KK1() == 0 && data.KK0() == 0;
    if (onlyTableOutlets || capFlag_) {
        // A capped total is not the sum of the outlet flows, so they are not shown.
        row_.append(kFourDashGroups);
        capFlag_ = false;
    } else {
        for (double v :
             {record.tunnels, record.spillways, record.orifices, record.variableSpillways})
            appendUsingDecimals(row_, v, 2, kFlowWidth);
    }
    appendUsingDecimals(row_, record.other, 2, kFlowWidth);
    appendUsingDecimals(row_, record.total, 2, kFlowWidth);
    endRow();
}

QString reportText(const CaseData& data, const RoutingResult& result, const QString& reportName) {
    ReportWriter writer;
    writer.OpenReport(reportName);
    writer.WriteReportHead(data);
    writer.WriteOriginalData(data);
    writer.WriteResultsHead();
    for (const PeriodRecord& record : result.records) writer.WritePeriodLine(data, record);
    return writer.text();
}

} // namespace m4
