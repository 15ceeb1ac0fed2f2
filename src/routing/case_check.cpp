#include "case_check.h"

#include "case/case_file.h"
#include "case/case_layout.h"
#include "case/file_names.h"
#include "routing.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace m4 {
namespace {

constexpr double kAreaUnit = 10000; ///< m2 per 10^4 m2, the unit of the level-area curve
constexpr int kHalvedSteps = 2;     ///< sub-steps a period of the comparison run

// The columns the checks read (0-based data columns).
constexpr std::size_t kLevel = 0;      ///< ZP, ZZ0; the lower level ZZ1, ZZ3 of a state
constexpr std::size_t kUpper = 1;      ///< ZZ2, ZZ4: the upper level of a state
constexpr std::size_t kArea = 1;       ///< F
constexpr std::size_t kTunnelC1 = 2;   ///< inlet bottom elevation
constexpr std::size_t kSpillwayC2 = 2; ///< crest elevation
constexpr std::size_t kOrificeAA = 3;  ///< gate opening
constexpr std::size_t kOrificeVV = 5;  ///< sill elevation
constexpr std::size_t kVariableEE = 4; ///< sill elevation

using Values = std::array<double, 4>;

/// Problems of the data found in the lines of a complete case file.
class DataChecks {
  public:
    DataChecks(const CaseLayout& layout, std::vector<Failure>& problems, const QString& file)
        : layout_(layout), problems_(problems), file_(file) {}

    void run() {
        const auto& curve = rows(kCurveTable);
        if (curve.size() < 2) add(fieldProblem(Fault::CurveTooShort, kFieldK));
        levelsRise(kCurveTable);
        for (std::size_t i = 0; i < curve.size(); ++i) {
            if (curve[i][kArea] > 0) continue;
            Failure problem = rowProblem(Fault::AreaNotPositive, kCurveTable, i);
            problem.area = curve[i][kArea];
            add(std::move(problem));
        }
        startInsideCurve();
        if (field(kFieldT) <= 0 && rows(kHydrographTable).size() > 1)
            add(fieldProblem(Fault::PeriodNotPositive, kFieldT, {field(kFieldT)}));
        if (field(kFieldQA) < field(kFieldW))
            add(fieldProblem(Fault::QaBelowW, kFieldQA, {field(kFieldQA), field(kFieldW)}));
        statesCover(kOrificeTable);
        statesCover(kVariableSpillwayTable);
        levelsRise(kDischargeTable);
        outletsBelowCurveTop();
    }

  private:
    const std::vector<std::vector<double>>& rows(int table) const {
        return layout_.rows[static_cast<std::size_t>(table)];
    }
    int line(int table, std::size_t row) const {
        return layout_.rowLines[static_cast<std::size_t>(table)][row];
    }
    double field(int f) const { return layout_.fields[static_cast<std::size_t>(f)]; }
    int fieldLine(int f) const { return layout_.fieldLines[static_cast<std::size_t>(f)]; }
    /// A problem of a parameter, on its line, with the values its message names.
    Failure fieldProblem(Fault fault, int f, const Values& values = {}) const {
        Failure problem{fault, file_, fieldLine(f)};
        problem.values = values;
        return problem;
    }
    /// A problem of a table on the line of its row at index (from 0), with the values its
    /// message names.
    Failure tableProblem(Fault fault, int table, std::size_t index, const Values& values) const {
        Failure problem{fault, file_, line(table, index)};
        problem.place = tableInfo(table).pageCaption;
        problem.values = values;
        return problem;
    }
    /// A problem of the row or point at index itself: number names it, from 1.
    Failure rowProblem(Fault fault, int table, std::size_t index, const Values& values = {}) const {
        Failure problem = tableProblem(fault, table, index, values);
        problem.number = static_cast<int>(index) + 1;
        return problem;
    }
    /// A line whose items are faulty already has its problem; what its values seem to say
    /// would only repeat it.
    void add(Failure problem) {
        const auto& found = layout_.problems;
        if (std::none_of(found.begin(), found.end(),
                         [&](const Failure& p) { return p.line == problem.line; }))
            problems_.push_back(std::move(problem));
    }

    void levelsRise(int table) {
        const auto& r = rows(table);
        for (std::size_t i = 1; i < r.size(); ++i) {
            const double level = r[i][kLevel];
            const double before = r[i - 1][kLevel];
            if (!(level <= before)) continue;
            Failure problem =
                rowProblem(level < before ? Fault::LevelsNotIncreasing : Fault::LevelRepeated,
                           table, i, {level, before});
            problem.other = static_cast<int>(i);
            add(std::move(problem));
        }
    }

    /// The run needs an interval of the curve holding Z0 for its first area. Between the
    /// curve's lowest and highest level only falling levels leave it none; the run's own
    /// failure says so.
    void startInsideCurve() {
        const auto& curve = rows(kCurveTable);
        const double z0 = field(kFieldZ0);
        for (std::size_t i = 0; i + 1 < curve.size(); ++i)
            if (curve[i][kLevel] <= z0 && z0 <= curve[i + 1][kLevel]) return;
        const auto level = [](const std::vector<double>& row) { return row[kLevel]; };
        const bool between =
            std::any_of(curve.begin(), curve.end(),
                        [&](const auto& r) { return level(r) <= z0; }) &&
            std::any_of(curve.begin(), curve.end(), [&](const auto& r) { return level(r) >= z0; });
        if (between && curve.size() > 1) return;
        Failure problem = fieldProblem(Fault::StartOutsideCurve, kFieldZ0);
        problem.level = z0;
        add(std::move(problem));
    }

    /// States apply from their lower level up to (not including) their upper level; where
    /// several apply the last in the table wins, where none applies the outlet gives nothing.
    void statesCover(int table) {
        struct State {
            double lo, hi;
            std::size_t row;
        };
        std::vector<State> states;
        const auto& r = rows(table);
        for (std::size_t i = 0; i < r.size(); ++i) {
            if (r[i][kLevel] < r[i][kUpper])
                states.push_back({r[i][kLevel], r[i][kUpper], i});
            else
                add(rowProblem(Fault::StateEmpty, table, i, {r[i][kLevel], r[i][kUpper]}));
        }
        std::stable_sort(states.begin(), states.end(),
                         [](const State& a, const State& b) { return a.lo < b.lo; });
        const State* reach = nullptr; // the state reaching highest so far
        for (const State& s : states) {
            if (reach && s.lo < reach->hi) {
                const State& first = reach->row < s.row ? *reach : s;
                const State& second = reach->row < s.row ? s : *reach;
                Failure problem = tableProblem(Fault::StatesOverlap, table, s.row,
                                               {first.lo, first.hi, second.lo, second.hi});
                problem.number = static_cast<int>(first.row) + 1;
                problem.other = static_cast<int>(second.row) + 1;
                add(std::move(problem));
            } else if (reach && s.lo > reach->hi) {
                add(tableProblem(Fault::StatesGap, table, s.row, {reach->hi, s.lo}));
            }
            if (!reach || s.hi > reach->hi) reach = &s;
        }
    }

    /// An outlet whose discharging edge is at or above the top of the curve gives nothing at
    /// any level of the curve.
    void outletsBelowCurveTop() {
        const auto& curve = rows(kCurveTable);
        if (curve.empty()) return;
        double top = curve[0][kLevel];
        for (const auto& point : curve) top = std::max(top, point[kLevel]);
        const auto edges = [&](int table, OutletEdge what, auto edgeOf) {
            const auto& r = rows(table);
            for (std::size_t i = 0; i < r.size(); ++i) {
                const double edge = edgeOf(r[i]);
                if (!(edge >= top)) continue;
                Failure problem = rowProblem(Fault::OutletAboveCurve, table, i, {edge, top});
                problem.edge = what;
                add(std::move(problem));
            }
        };
        edges(kTunnelTable, OutletEdge::TunnelInlet,
              [](const std::vector<double>& row) { return row[kTunnelC1]; });
        edges(kSpillwayTable, OutletEdge::SpillwayCrest,
              [](const std::vector<double>& row) { return row[kSpillwayC2]; });
        edges(kOrificeTable, OutletEdge::OrificeTop,
              [](const std::vector<double>& row) { return row[kOrificeVV] + row[kOrificeAA]; });
        edges(kVariableSpillwayTable, OutletEdge::GateSill,
              [](const std::vector<double>& row) { return row[kVariableEE]; });
    }

    const CaseLayout& layout_;
    std::vector<Failure>& problems_;
    const QString& file_;
};

/// Storage between two levels, m3: the area of the curve (straight lines between points, the
/// end areas beyond the ends) integrated over the level. The curve must rise.
double storageBetween(const std::vector<CurvePoint>& curve, double from, double to) {
    if (to < from) return -storageBetween(curve, to, from);
    const CurvePoint& first = curve.front();
    const CurvePoint& last = curve.back();
    double sum = 0; // 10^4 m2 * m
    if (from < first.ZP) sum += first.F * (std::min(to, first.ZP) - from);
    if (to > last.ZP) sum += last.F * (to - std::max(from, last.ZP));
    for (std::size_t i = 0; i + 1 < curve.size(); ++i) {
        const CurvePoint& a = curve[i];
        const CurvePoint& b = curve[i + 1];
        const double lo = std::max(from, a.ZP);
        const double hi = std::min(to, b.ZP);
        if (!(hi > lo)) continue;
        const auto area = [&](double z) { return a.F + (b.F - a.F) * (z - a.ZP) / (b.ZP - a.ZP); };
        sum += (area(lo) + area(hi)) / 2 * (hi - lo);
    }
    return sum * kAreaUnit;
}

bool rises(const std::vector<CurvePoint>& curve) {
    if (curve.size() < 2) return false;
    for (std::size_t i = 1; i < curve.size(); ++i)
        if (!(curve[i].ZP > curve[i - 1].ZP)) return false;
    return true;
}

/// Volume of a series over the periods by the trapezoid rule, m3.
double trapezoidVolume(const std::vector<double>& flows, double T) {
    double sum = 0;
    for (std::size_t i = 1; i < flows.size(); ++i) sum += T * (flows[i - 1] + flows[i]) / 2;
    return sum;
}

void addUnlessFound(std::vector<Failure>& problems, Failure failure) {
    const bool found = std::any_of(problems.begin(), problems.end(), [&](const Failure& p) {
        return p.fault == failure.fault && p.line == failure.line;
    });
    if (!found) problems.push_back(std::move(failure));
}

} // namespace

std::vector<int> heldPeriods(const RoutingResult& result) {
    std::vector<int> periods;
    for (const PeriodRecord& r : result.records)
        if (r.held) periods.push_back(r.period);
    return periods;
}

std::vector<int> cappedPeriods(const RoutingResult& result) {
    std::vector<int> periods;
    for (const PeriodRecord& r : result.records)
        if (r.capSet) periods.push_back(r.period);
    return periods;
}

RoutingQuality routingQuality(const CaseData& data, const RoutingResult& result) {
    RoutingQuality q;
    q.heldPeriods = heldPeriods(result);
    q.cappedPeriods = cappedPeriods(result);

    CaseData halved = data;
    halved.T = data.T / kHalvedSteps;
    halved.QL.clear();
    for (std::size_t i = 0; i < data.QL.size(); ++i) {
        if (i > 0) halved.QL.push_back((data.QL[i - 1] + data.QL[i]) / 2);
        halved.QL.push_back(data.QL[i]);
    }
    if (const Expected<RoutingResult> fine = route(halved); !fine) {
        q.halvedRunFailure = fine.failure();
    } else {
        q.levelError = 0;
        q.outflowError = 0;
        for (std::size_t i = 1; i < result.Z.size(); ++i) {
            const std::size_t at = kHalvedSteps * i;
            if (const double d = std::abs(result.Z[i] - fine->Z[at]); d > *q.levelError) {
                q.levelError = d;
                q.levelErrorPeriod = static_cast<int>(i);
            }
            if (const double d = std::abs(result.Q[i] - fine->Q[at]); d > *q.outflowError) {
                q.outflowError = d;
                q.outflowErrorPeriod = static_cast<int>(i);
            }
        }
    }

    q.inflowVolume = trapezoidVolume(data.QL, data.T);
    q.outflowVolume = trapezoidVolume(result.Q, data.T);
    if (rises(data.curve) && !result.Z.empty()) {
        q.storageChange = storageBetween(data.curve, data.Z0, result.Z.back());
        if (q.inflowVolume != 0)
            q.continuityPercent =
                100 * (q.inflowVolume - q.outflowVolume - q.storageChange) / q.inflowVolume;
    }
    return q;
}

CaseCheck checkCaseBytes(const QByteArray& bytes, const QString& file) {
    CaseCheck check{file, {}, std::nullopt};
    const Expected<QString> text = decodeCaseFile(bytes, file);
    if (!text) {
        check.problems.push_back(text.failure());
        return check;
    }
    const CaseLayout layout = readCaseLayout(*text, file);
    check.problems = layout.problems;
    if (layout.complete) DataChecks(layout, check.problems, file).run();

    // What the run itself makes of the file, where the walk above did not already say it.
    if (const Expected<CaseData> data = parseCaseData(bytes, file); !data) {
        addUnlessFound(check.problems, data.failure());
    } else if (const Expected<RoutingResult> routed = route(*data); !routed) {
        Failure failure = routed.failure();
        failure.file = file;
        if (failure.fault == Fault::StartOutsideCurve || failure.fault == Fault::CurveFalls)
            failure.line = layout.fieldLines[static_cast<std::size_t>(kFieldZ0)];
        addUnlessFound(check.problems, std::move(failure));
    } else {
        check.quality = routingQuality(*data, *routed);
    }

    std::stable_sort(check.problems.begin(), check.problems.end(),
                     [](const Failure& a, const Failure& b) {
                         const int max = std::numeric_limits<int>::max();
                         return (a.line > 0 ? a.line : max) < (b.line > 0 ? b.line : max);
                     });
    return check;
}

CaseCheck checkCaseFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    if (!isRunnableName(name))
        return CaseCheck{path, {Failure{Fault::BadRunName, path, 0, name}}, std::nullopt};
    const Expected<QByteArray> bytes = readCaseFileBytes(path);
    if (!bytes) return CaseCheck{path, {bytes.failure()}, std::nullopt};
    return checkCaseBytes(*bytes, path);
}

} // namespace m4
