// The run of one case over arbitrary bytes: the run's reader, the routing, the report text and
// the chart geometry, in the order a run takes them. Whatever the file holds, a run either
// refuses it with a message or produces finite levels and flows, a report whose period lines
// keep their width, and a chart whose every point can be drawn.

#include "fuzz_check.h"

#include "case/case_file.h"
#include "common/gbk.h"
#include "output/chart.h"
#include "output/report.h"
#include "routing/routing.h"

#include <QStringList>

#include <cmath>

namespace {

using m4::fuzz::check;

constexpr int kPeriodLineWidth = 75; ///< characters of every period line of the report

void checkResult(const m4::CaseData& data, const m4::RoutingResult& result) {
    const auto periods = static_cast<size_t>(data.J());
    check(result.Z.size() == periods + 1 && result.Q.size() == periods + 1, "series sizes");
    check(result.records.size() == periods, "one record a period");
    check(result.Z[0] == data.Z0 && result.Q[0] == data.Q0, "start of the series");
    for (size_t i = 0; i <= periods; ++i) {
        check(std::isfinite(result.Z[i]) && std::isfinite(result.Q[i]), "finite series",
              QString::number(i));
        if (i == 0) continue;
        // The level is never left below ZM at the end of a period.
        check(result.Z[i] >= data.ZM, "level held at ZM", QString::number(i));
        const m4::PeriodRecord& r = result.records[i - 1];
        for (double v : {r.level, r.inflow, r.tunnels, r.spillways, r.orifices, r.variableSpillways,
                         r.other, r.total})
            check(std::isfinite(v), "finite record", QString::number(i));
        check(r.total == result.Q[i], "record total is the series' outflow");
        if (r.held)
            check(r.total == data.QL[i] && r.level == data.ZM && r.tunnels == 0 &&
                      r.spillways == 0 && r.orifices == 0 && r.variableSpillways == 0 &&
                      r.other == 0,
                  "a held period passes the inflow, through no outlet");
        else
            check(r.total <= data.QA, "a normal period's outflow is capped at QA");
    }
}

void checkReport(const m4::CaseData& data, const QString& report) {
    check(report.endsWith(QStringLiteral("\r\n")), "the report ends with a line end");
    check(m4::encodeGbk(report).has_value(), "the report can be written as GBK");
    const QStringList lines = report.split(QStringLiteral("\r\n"));
    const qsizetype periods = data.J();
    check(lines.size() > periods + 1, "the report holds every period line");
    for (qsizetype i = lines.size() - 1 - periods; i < lines.size() - 1; ++i)
        check(lines[i].size() == kPeriodLineWidth, "period line width", lines[i]);
    // Finite data print as digits. The file line and the lines of the user's names may hold
    // any text.
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString line = lines[i].toLower();
        if (!line.contains(QStringLiteral("工程名:")))
            check(!line.contains(QLatin1String("inf")) && !line.contains(QLatin1String("nan")),
                  "numbers print as digits", lines[i]);
    }
}

void checkChart(const m4::ChartGeometry& chart) {
    for (const m4::ChartSegment& s : chart.segments)
        check(std::isfinite(s.x1) && std::isfinite(s.y1) && std::isfinite(s.x2) &&
                  std::isfinite(s.y2),
              "chart segment finite");
    for (const m4::ChartText& t : chart.texts) {
        check(std::isfinite(t.x) && std::isfinite(t.y) && !t.text.isEmpty(), "chart text");
        check(!t.text.contains(QLatin1String("inf")) && !t.text.contains(QLatin1String("nan")),
              "chart numbers print as digits", t.text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const m4::Expected<m4::CaseData> read =
        m4::parseCaseData(m4::fuzz::inputBytes(data, size), QStringLiteral("fuzz.INT"));
    if (!read) {
        check(!m4::describe(read.failure()).isEmpty(), "a refused file has a message");
        return 0;
    }
    const m4::Expected<m4::RoutingResult> routed = m4::route(*read);
    if (!routed) {
        check(!m4::describe(routed.failure()).isEmpty(), "a refused run has a message");
        return 0;
    }
    checkResult(*read, *routed);
    checkReport(*read, m4::reportText(*read, *routed, QStringLiteral("/cases/fuzz.out")));
    checkChart(m4::chartGeometry(*read, *routed, QStringLiteral("/cases/fuzz.bmp")));
    return 0;
}
