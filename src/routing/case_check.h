#pragma once
// Looking at a case without writing anything: every problem of its file and data, each with
// its line, and how well one Runge-Kutta step a period solves it.

#include "case/case_data.h"
#include "common/failure.h"
#include "routing_result.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace m4 {

struct RoutingQuality {
    /// Step doubling: the case routed again with every period split into two half steps
    /// (inflow linear within the period, everything else as in the run). The largest
    /// difference at the period ends estimates the error of the run's own step.
    std::optional<double> levelError;   ///< m
    std::optional<double> outflowError; ///< m3/s
    int levelErrorPeriod = 0;
    int outflowErrorPeriod = 0;
    std::optional<Failure> halvedRunFailure; ///< why the half-step run has no result

    /// Volumes over the run, m3: inflow and outflow by the trapezoid rule over the periods,
    /// storage change by integrating the level-area curve from Z0 to the last level.
    double inflowVolume = 0;
    double outflowVolume = 0;
    double storageChange = 0;
    /// (inflow - outflow - storage change) / inflow, %; absent when there is no inflow volume
    /// or the curve does not rise from point to point.
    std::optional<double> continuityPercent;

    std::vector<int> heldPeriods;   ///< held at ZM: water is made up to hold the level
    std::vector<int> cappedPeriods; ///< an evaluation cut the outflow to QA
};

struct CaseCheck {
    QString file;
    std::vector<Failure> problems;         ///< in line order, those without a line last
    std::optional<RoutingQuality> quality; ///< when the case routes
};

/// Check the case file at path.
CaseCheck checkCaseFile(const QString& path);
/// Check the bytes of a case file; file names it.
CaseCheck checkCaseBytes(const QByteArray& bytes, const QString& file);

/// The quality of a routed case (the run's result of that case's data).
RoutingQuality routingQuality(const CaseData& data, const RoutingResult& result);

/// Periods held at ZM, and periods in which an evaluation cut the outflow to QA (1-based).
std::vector<int> heldPeriods(const RoutingResult& result);
std::vector<int> cappedPeriods(const RoutingResult& result);

} // namespace m4
