#include "period_csv.h"

#include "format.h"

#include <QString>

namespace m4 {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kHeader[] = "时段,水位(m),来水流量(m³/s),泄洪洞流量(m³/s),溢洪道流量(m³/s),"
                           "泄流孔流量(m³/s),变宽溢洪道流量(m³/s),其它泄流量(m³/s),"
                           "下泄总流量(m³/s),削减至QA(是=1),水位保持在ZM(是=1)\r\n";
/// Wide enough that no value loses a digit to the field.
constexpr int kWideField = 40;

/// The shortest text of a value with the given digits after the point: trailing zeros and a
/// bare point go, and so does the sign of a value that shows as zero.
QByteArray shortest(const QString& fixed) {
    QByteArray text = fixed.trimmed().toLatin1();
    if (text.contains('.')) {
        while (text.endsWith('0')) text.chop(1);
        if (text.endsWith('.')) text.chop(1);
    }
    if (text == "-0") text = "0";
    return text;
}

/// A table column of the report: Using2's two decimals.
QByteArray column(double v) {
    return shortest(Using2(v, kWideField));
}

/// A single number of the report: Round2, at most 15 significant digits.
QByteArray single(double v) {
    return shortest(NumPlain(Round2(v)));
}

} // namespace

QByteArray periodCsv(const CaseData& data, const RoutingResult& result) {
    QByteArray out = kBom;
    out += kHeader;
    out.reserve(static_cast<qsizetype>(result.records.size()) * 64 + out.size());
    if (!data.QL.empty() && !result.Q.empty())
        out += "0," + single(data.Z0) + ',' + column(data.QL[0]) + ",,,,,," + single(result.Q[0]) +
               ",0,0\r\n";
    for (const PeriodRecord& r : result.records) {
        out += QByteArray::number(r.period);
        out += ',' + column(r.level) + ',' + column(r.inflow);
        for (double flow : {r.tunnels, r.spillways, r.orifices, r.variableSpillways, r.other}) {
            out += ',';
            if (!r.held) out += column(flow);
        }
        out += ',' + column(r.total);
        out += r.capSet ? ",1" : ",0";
        out += r.held ? ",1\r\n" : ",0\r\n";
    }
    return out;
}

} // namespace m4
