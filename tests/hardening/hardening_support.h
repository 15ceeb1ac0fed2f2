#pragma once
// Helpers of the hardening tests: case files copied into a temporary folder, runs of them, and
// the bytes of what a run left behind.

#include "case/file_names.h"
#include "common/failure.h"
#include "output/case_run.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <functional>

namespace m4::hardening {

inline constexpr const char* kCaseName = "M-4Case.INT";
inline constexpr const char* kCleanCase = "hardening/M-4Full.INT";
inline constexpr const char* kOtherCase = "hardening/M-4Held.INT";
inline constexpr unsigned kChildSeconds = 60; ///< time a forked child gets before it is killed

/// A file of the test data, by its path below tests/data.
inline QString testData(const QString& relativePath) {
    return QStringLiteral(M4_TEST_DATA) + u'/' + relativePath;
}

/// The names in a folder, sorted, hidden ones included.
inline QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

/// What a good run left in its folder: the report and the chart, byte for byte.
struct RunFiles {
    QString reportPath;
    QString bitmapPath;
    QByteArray report;
    QByteArray bitmap;
};

/// The chart of these tests is small: its pixels do not matter here, only that it is written.
inline RunRequest requestFor(const QString& folder, const QString& caseFileName) {
    return RunRequest{folder, caseFileName, QSize(160, 80)};
}

/// Copies a case of the test data to path; false when that fails.
inline bool placeCase(const QString& path, const char* dataFile = kCleanCase) {
    return m4test::writeFile(path, m4test::fileBytes(testData(QString::fromUtf8(dataFile))));
}

/// Reads the report and chart again from the paths of an earlier run.
inline RunFiles filesNow(const RunFiles& earlier) {
    RunFiles now = earlier;
    now.report = m4test::fileBytes(earlier.reportPath);
    now.bitmap = m4test::fileBytes(earlier.bitmapPath);
    return now;
}

/// The text of a failure, or of the absence of one, for test messages.
inline QString failureText(const std::optional<Failure>& failure) {
    return failure ? describe(*failure) : QStringLiteral("(no failure)");
}

/// Copies the clean case into the folder under the name, runs it and returns what it wrote;
/// fails the calling test when the run does not succeed.
inline RunFiles runGoodCase(const QString& folder, const QString& caseFileName) {
    EXPECT_TRUE(placeCase(joinPath(folder, caseFileName)));
    const Expected<RunOutcome> run = runCaseFile(requestFor(folder, caseFileName));
    if (!run) {
        ADD_FAILURE() << "the good case does not run: " << describe(run.failure()).toStdString();
        return {};
    }
    EXPECT_FALSE(run->laterFailure) << failureText(run->laterFailure).toStdString();
    return filesNow({run->reportPath, run->bitmapPath, {}, {}});
}

/// Runs body in a forked child and returns what it wrote followed by the failures of the checks
/// it made, or a text saying how the child died. The child has 60 s; a child that hangs is
/// killed.
inline QString inChild(const std::function<QString()>& body) {
    int fds[2];
    if (pipe(fds) != 0) return QStringLiteral("no pipe");
    const pid_t pid = fork();
    if (pid < 0) return QStringLiteral("no fork");
    QFile pipeEnd;
    if (pid == 0) {
        alarm(kChildSeconds);
        QByteArray out;
        // An exception must not unwind into the test framework: the child would go on running
        // the parent's tests.
        testing::TestPartResultArray failures;
        try {
            const testing::ScopedFakeTestPartResultReporter reporter(
                testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &failures);
            out = body().toUtf8();
        } catch (const std::exception& e) {
            out = QByteArray("child threw ") + e.what();
        }
        for (int i = 0; i < failures.size(); ++i) {
            const testing::TestPartResult& failure = failures.GetTestPartResult(i);
            out += "line " + QByteArray::number(failure.line_number()) + ": " + failure.message() +
                   '\n';
        }
        if (pipeEnd.open(fds[1], QIODevice::WriteOnly | QIODevice::Unbuffered)) pipeEnd.write(out);
        // No destructors, no atexit handlers: they belong to the parent.
        _exit(0);
    }
    close(fds[1]);
    pipeEnd.open(fds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray out = pipeEnd.readAll();
    pipeEnd.close();
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status))
        return QStringLiteral("child killed by signal %1").arg(WTERMSIG(status));
    return QString::fromUtf8(out);
}

} // namespace m4::hardening
