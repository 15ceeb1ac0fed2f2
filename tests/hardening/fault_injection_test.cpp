// Saving a case and writing a run's report and chart when the file system fails: a missing
// folder, the target name taken by a folder, a read-only folder, a full disk and a file-size
// limit. Each time the previous file stays byte for byte as it was and the failure has a
// message that names the file.
//
// We run as root, for whom permission bits do not stop a write; read-only folders and full disks
// are real ones, a small tmpfs mounted in a forked child's own mount namespace (skipped where the
// child may not mount). The file-size limit (RLIMIT_FSIZE, SIGXFSZ ignored) needs no privilege.

#include "hardening_support.h"

#include "case/case_file.h"
#include "case/file_names.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace m4::hardening {
namespace {

constexpr const char* kCaseName = "M-4Case.INT";
constexpr const char* kCleanCase = "hardening/M-4Full.INT";
constexpr const char* kOtherCase = "hardening/M-4Held.INT";
constexpr qint64 kTmpfsBytes = 2 * 1024 * 1024; ///< the small disk of a child
constexpr qint64 kRoomForReport = 16 * 1024;    ///< free space that holds a report, not a chart
constexpr rlim_t kLimitBelowCase = 100;         ///< bytes: less than any case file
constexpr rlim_t kLimitBelowChart = 16 * 1024;  ///< bytes: a report fits, the chart does not
constexpr const char* kSkip = "skip: ";

/// What a child found wrong, one line each; empty when all held.
class Problems {
  public:
    void expect(bool holds, const QString& what) {
        if (!holds) text_ += what + u'\n';
    }
    const QString& text() const { return text_; }

  private:
    QString text_;
};

void fillDisk(const QString& folder, qint64 leaveFree, Problems& problems) {
    // A reserve file holds the room to leave; the filler takes the rest, then the reserve goes.
    const QString reserve = joinPath(folder, QStringLiteral(".reserve"));
    if (leaveFree > 0)
        problems.expect(writeBytes(reserve, QByteArray(leaveFree, 'r')), "reserve written");
    QFile filler(joinPath(folder, QStringLiteral(".filler")));
    problems.expect(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered), "filler opened");
    const QByteArray page(4096, 'f');
    while (filler.write(page) == page.size()) {
    }
    while (filler.write("f", 1) == 1) {
    }
    filler.close();
    if (leaveFree > 0) QFile::remove(reserve);
}

/// Runs body in a child with a tmpfs of kTmpfsBytes on folder, seen by the child alone.
QString onTmpfs(const QString& folder, const std::function<QString()>& body) {
    return inChild([&]() -> QString {
        if (unshare(CLONE_NEWNS) != 0)
            return kSkip + QStringLiteral("no mount namespace: ") +
                   QString::fromUtf8(std::strerror(errno));
        if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return kSkip + QStringLiteral("mounts not private: ") +
                   QString::fromUtf8(std::strerror(errno));
        const QByteArray options = "size=" + QByteArray::number(kTmpfsBytes);
        if (mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs", 0, options.constData()) != 0)
            return kSkip + QStringLiteral("no tmpfs: ") + QString::fromUtf8(std::strerror(errno));
        return body();
    });
}

bool remountReadOnly(const QString& folder) {
    return mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                 nullptr) == 0;
}

/// Runs body in a child whose files may not grow beyond limit bytes.
QString withFileSizeLimit(rlim_t limit, const std::function<QString()>& body) {
    return inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        setrlimit(RLIMIT_FSIZE, &small);
        return body();
    });
}

void expectChildClean(const QString& childText) {
    if (childText.startsWith(QLatin1String(kSkip))) GTEST_SKIP() << childText.toStdString();
    EXPECT_EQ(childText.toStdString(), "");
}

CaseText caseTextOf(const QString& dataFile) {
    const Expected<CaseText> text = parseCaseText(readBytes(testData(dataFile)), dataFile);
    EXPECT_TRUE(text.ok());
    return text.ok() ? *text : CaseText{};
}

// ---- Saving a case -------------------------------------------------------------------------

/// Saves the other case over a saved clean case and checks that the failure leaves the file.
QString saveFailsAndKeepsFile(const QString& folder, const std::function<void(Problems&)>& spoil,
                              Fault expected) {
    Problems problems;
    const QString path = joinPath(folder, kCaseName);
    const CaseText clean = caseTextOf(kCleanCase);
    problems.expect(!writeCaseFile(path, clean), "the clean case saved");
    const QByteArray before = readBytes(path);
    spoil(problems);
    const QStringList entries = folderEntries(folder);
    const std::optional<Failure> failure = writeCaseFile(path, caseTextOf(kOtherCase));
    problems.expect(failure.has_value(), "the save failed");
    if (failure) {
        problems.expect(failure->fault == expected, "fault: " + describe(*failure));
        problems.expect(describe(*failure).contains(path),
                        "message names the file: " + describe(*failure));
    }
    problems.expect(readBytes(path) == before, "the saved case is unchanged");
    problems.expect(folderEntries(folder) == entries,
                    "no stray files: " + folderEntries(folder).join(u' '));
    return problems.text();
}

TEST(SaveFaults, SoundSaveReplacesTheFile) {
    // The control for the tests below: the same save in a sound folder does change the file.
    QTemporaryDir dir;
    const QString path = joinPath(dir.path(), kCaseName);
    ASSERT_FALSE(writeCaseFile(path, caseTextOf(kCleanCase)));
    const QByteArray before = readBytes(path);
    ASSERT_FALSE(writeCaseFile(path, caseTextOf(kOtherCase)));
    EXPECT_NE(readBytes(path), before);
    EXPECT_EQ(folderEntries(dir.path()), QStringList{kCaseName});
}

TEST(SaveFaults, MissingFolderIsNamed) {
    QTemporaryDir dir;
    const QString path = joinPath(joinPath(dir.path(), QStringLiteral("gone")), kCaseName);
    const std::optional<Failure> failure = writeCaseFile(path, caseTextOf(kCleanCase));
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->fault, Fault::FolderMissing);
    EXPECT_TRUE(folderEntries(dir.path()).isEmpty());
}

TEST(SaveFaults, NameTakenByFolderLeavesTheFolder) {
    QTemporaryDir dir;
    const QString path = joinPath(dir.path(), kCaseName);
    ASSERT_TRUE(QDir(dir.path()).mkdir(kCaseName));
    ASSERT_TRUE(writeBytes(joinPath(path, QStringLiteral("inside.txt")), "kept"));
    const std::optional<Failure> failure = writeCaseFile(path, caseTextOf(kCleanCase));
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->fault, Fault::CaseNotWritten);
    EXPECT_TRUE(describe(*failure).contains(path)) << describe(*failure).toStdString();
    EXPECT_EQ(readBytes(joinPath(path, QStringLiteral("inside.txt"))), "kept");
    EXPECT_EQ(folderEntries(dir.path()), QStringList{kCaseName});
}

TEST(SaveFaults, NameWithFolderSeparatorIsRefused) {
    QTemporaryDir dir;
    const std::optional<Failure> failure =
        writeCaseFile(joinPath(dir.path(), QStringLiteral("M-4a\\b.INT")), caseTextOf(kCleanCase));
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->fault, Fault::NameHasSeparator);
    EXPECT_TRUE(folderEntries(dir.path()).isEmpty());
}

TEST(SaveFaults, FullDiskKeepsTheSavedCase) {
    QTemporaryDir dir;
    expectChildClean(onTmpfs(dir.path(), [&] {
        return saveFailsAndKeepsFile(
            dir.path(), [&](Problems& p) { fillDisk(dir.path(), 0, p); }, Fault::CaseNotWritten);
    }));
}

TEST(SaveFaults, ReadOnlyFolderKeepsTheSavedCase) {
    QTemporaryDir dir;
    expectChildClean(onTmpfs(dir.path(), [&] {
        return saveFailsAndKeepsFile(
            dir.path(),
            [&](Problems& p) { p.expect(remountReadOnly(dir.path()), "remounted read-only"); },
            Fault::CaseNotWritten);
    }));
}

TEST(SaveFaults, FileSizeLimitKeepsTheSavedCase) {
    QTemporaryDir dir;
    // The clean case is saved before the limit applies; the child only tries the new one.
    const QString path = joinPath(dir.path(), kCaseName);
    ASSERT_FALSE(writeCaseFile(path, caseTextOf(kCleanCase)));
    const QByteArray before = readBytes(path);
    expectChildClean(withFileSizeLimit(kLimitBelowCase, [&] {
        Problems problems;
        const std::optional<Failure> failure = writeCaseFile(path, caseTextOf(kOtherCase));
        problems.expect(failure && failure->fault == Fault::CaseNotWritten,
                        "save failed: " + failureText(failure));
        return problems.text();
    }));
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(folderEntries(dir.path()), QStringList{kCaseName});
}

// ---- The files of a run --------------------------------------------------------------------

/// Replaces the run's case with the other case, so that a run that did write would change both
/// files.
void switchCase(const QString& folder, Problems& problems) {
    problems.expect(writeBytes(joinPath(folder, kCaseName), readBytes(testData(kOtherCase))),
                    "case switched");
}

TEST(RunFaults, ReportNameTakenByFolderWritesNothing) {
    QTemporaryDir dir;
    const RunFiles before = runGoodCase(dir.path(), kCaseName, testData(kCleanCase));
    ASSERT_TRUE(QFile::remove(before.reportPath));
    ASSERT_TRUE(QDir().mkdir(before.reportPath));
    Problems problems;
    switchCase(dir.path(), problems);
    ASSERT_EQ(problems.text(), "");

    const Expected<RunOutcome> run = runCaseFile(requestFor(dir.path(), kCaseName));
    ASSERT_FALSE(run.ok());
    EXPECT_EQ(run.failure().fault, Fault::ReportNotWritten);
    EXPECT_TRUE(describe(run.failure()).contains(before.reportPath))
        << describe(run.failure()).toStdString();
    EXPECT_TRUE(QFileInfo(before.reportPath).isDir());
    EXPECT_EQ(readBytes(before.bitmapPath), before.bitmap) << "no chart without its report";
}

TEST(RunFaults, ChartNameTakenByFolderIsReported) {
    QTemporaryDir dir;
    const RunFiles before = runGoodCase(dir.path(), kCaseName, testData(kCleanCase));
    ASSERT_TRUE(QFile::remove(before.bitmapPath));
    ASSERT_TRUE(QDir().mkdir(before.bitmapPath));

    const Expected<RunOutcome> run = runCaseFile(requestFor(dir.path(), kCaseName));
    ASSERT_TRUE(run.ok()) << describe(run.failure()).toStdString();
    ASSERT_TRUE(run->laterFailure.has_value()) << "a chart not saved is not a success";
    EXPECT_EQ(run->laterFailure->fault, Fault::ChartNotWritten);
    EXPECT_TRUE(describe(*run->laterFailure).contains(before.bitmapPath))
        << describe(*run->laterFailure).toStdString();
    EXPECT_TRUE(QFileInfo(before.bitmapPath).isDir());
}

TEST(RunFaults, MissingCaseFolderOrFileWritesNothing) {
    QTemporaryDir dir;
    const QString gone = joinPath(dir.path(), QStringLiteral("gone"));
    const Expected<RunOutcome> noFolder = runCaseFile(requestFor(gone, kCaseName));
    ASSERT_FALSE(noFolder.ok());
    EXPECT_EQ(noFolder.failure().fault, Fault::FileMissing);
    EXPECT_TRUE(describe(noFolder.failure()).contains(kCaseName));

    ASSERT_TRUE(QDir(dir.path()).mkdir(kCaseName)); // the case name taken by a folder
    const Expected<RunOutcome> folderCase = runCaseFile(requestFor(dir.path(), kCaseName));
    ASSERT_FALSE(folderCase.ok());
    EXPECT_EQ(folderCase.failure().fault, Fault::FileUnreadable)
        << describe(folderCase.failure()).toStdString();
    EXPECT_EQ(folderEntries(dir.path()), QStringList{kCaseName});
}

/// In a child: a good run, then the disk is spoiled and the other case is run.
/// reportWritable says whether the spoiled disk still takes a report.
QString runOnSpoiledDisk(const QString& folder, const std::function<void(Problems&)>& spoil,
                         bool reportWritable) {
    Problems problems;
    const RunFiles before = runGoodCase(folder, kCaseName, testData(kCleanCase));
    switchCase(folder, problems);
    spoil(problems);
    const QStringList entries = folderEntries(folder);
    const Expected<RunOutcome> run = runCaseFile(requestFor(folder, kCaseName));
    const RunFiles after = filesNow(before);
    problems.expect(after.bitmap == before.bitmap, "the chart is unchanged");
    problems.expect(folderEntries(folder) == entries,
                    "no stray files: " + folderEntries(folder).join(u' '));
    if (reportWritable) {
        problems.expect(run.ok(), "the run itself succeeds");
        if (!run.ok()) return problems.text();
        problems.expect(after.report != before.report, "the new report is written");
        problems.expect(run->laterFailure && run->laterFailure->fault == Fault::ChartNotWritten,
                        "chart failure reported: " + failureText(run->laterFailure));
        if (run->laterFailure)
            problems.expect(describe(*run->laterFailure).contains(before.bitmapPath),
                            "message names the chart");
    } else {
        problems.expect(!run.ok(), "the run fails");
        problems.expect(after.report == before.report, "the report is unchanged");
        if (!run.ok()) {
            problems.expect(run.failure().fault == Fault::ReportNotWritten,
                            "fault: " + describe(run.failure()));
            problems.expect(describe(run.failure()).contains(before.reportPath),
                            "message names the report");
        }
    }
    return problems.text();
}

TEST(RunFaults, FullDiskKeepsReportAndChart) {
    QTemporaryDir dir;
    expectChildClean(onTmpfs(dir.path(), [&] {
        return runOnSpoiledDisk(
            dir.path(), [&](Problems& p) { fillDisk(dir.path(), 0, p); }, false);
    }));
}

TEST(RunFaults, DiskFullAfterTheReportKeepsTheChart) {
    QTemporaryDir dir;
    expectChildClean(onTmpfs(dir.path(), [&] {
        return runOnSpoiledDisk(
            dir.path(), [&](Problems& p) { fillDisk(dir.path(), kRoomForReport, p); }, true);
    }));
}

TEST(RunFaults, ReadOnlyFolderKeepsReportAndChart) {
    QTemporaryDir dir;
    expectChildClean(onTmpfs(dir.path(), [&] {
        return runOnSpoiledDisk(
            dir.path(),
            [&](Problems& p) { p.expect(remountReadOnly(dir.path()), "remounted read-only"); },
            false);
    }));
}

TEST(RunFaults, FileSizeLimitKeepsReportAndChart) {
    QTemporaryDir dir;
    const RunFiles before = runGoodCase(dir.path(), kCaseName, testData(kCleanCase));
    Problems problems;
    switchCase(dir.path(), problems);
    ASSERT_EQ(problems.text(), "");
    for (const rlim_t limit : {kLimitBelowCase, kLimitBelowChart}) {
        SCOPED_TRACE(limit);
        expectChildClean(withFileSizeLimit(limit, [&] {
            Problems inChildProblems;
            const Expected<RunOutcome> run = runCaseFile(requestFor(dir.path(), kCaseName));
            const bool reportFits = limit == kLimitBelowChart;
            inChildProblems.expect(run.ok() == reportFits, run.ok()
                                                               ? QStringLiteral("the run succeeded")
                                                               : "run: " + describe(run.failure()));
            if (run.ok())
                inChildProblems.expect(run->laterFailure &&
                                           run->laterFailure->fault == Fault::ChartNotWritten,
                                       "chart failure: " + failureText(run->laterFailure));
            return inChildProblems.text();
        }));
        EXPECT_EQ(readBytes(before.bitmapPath), before.bitmap);
        if (limit == kLimitBelowCase) {
            EXPECT_EQ(readBytes(before.reportPath), before.report);
        }
        EXPECT_EQ(folderEntries(dir.path()).size(), 3)
            << folderEntries(dir.path()).join(u' ').toStdString();
    }
}

} // namespace
} // namespace m4::hardening
