#pragma once
// Helpers of the hardening tests: case files copied into a temporary folder, runs of them, and
// the bytes of what a run left behind.

#include "common/failure.h"
#include "output/case_run.h"
#include "test_files.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace m4::hardening {

inline constexpr const char* kCaseName = "M-4Case.INT";
inline constexpr const char* kCleanCase = "hardening/M-4Full.INT";
inline constexpr const char* kOtherCase = "hardening/M-4Held.INT";

/// A file of the test data, by its path below tests/data.
QString testData(const QString& relativePath);

/// Writes bytes to path, replacing a file there; false when that fails.
bool writeBytes(const QString& path, const QByteArray& bytes);

/// The names in a folder, sorted, hidden ones included.
QStringList folderEntries(const QString& folder);

/// What a good run left in its folder: the report and the chart, byte for byte.
struct RunFiles {
    QString reportPath;
    QString bitmapPath;
    QByteArray report;
    QByteArray bitmap;
};

/// The chart of these tests is small: its pixels do not matter here, only that it is written.
RunRequest requestFor(const QString& folder, const QString& caseFileName);

/// Copies a case of the test data to path; false when that fails.
bool placeCase(const QString& path, const char* dataFile = kCleanCase);

/// Copies the clean case into the folder under the name, runs it and returns what it wrote;
/// fails the calling test when the run does not succeed.
RunFiles runGoodCase(const QString& folder, const QString& caseFileName);

/// Reads the report and chart again from the paths of an earlier run.
RunFiles filesNow(const RunFiles& earlier);

/// The text of a failure, or of the absence of one, for test messages.
QString failureText(const std::optional<Failure>& failure);

/// Runs body in a forked child and returns what it wrote followed by the failures of the checks
/// it made, or a text saying how the child died. The child has 60 s; a child that hangs is
/// killed.
QString inChild(const std::function<QString()>& body);

} // namespace m4::hardening
