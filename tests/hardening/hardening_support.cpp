#include "hardening_support.h"

#include "case/file_names.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <exception>

namespace m4::hardening {
namespace {

constexpr unsigned kChildSeconds = 60; ///< time a forked child gets before it is killed

} // namespace

QString testData(const QString& relativePath) {
    return QStringLiteral(M4_TEST_DATA) + u'/' + relativePath;
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

RunRequest requestFor(const QString& folder, const QString& caseFileName) {
    return RunRequest{folder, caseFileName, QSize(160, 80)};
}

bool placeCase(const QString& path, const char* dataFile) {
    return writeBytes(path, m4test::fileBytes(testData(QString::fromUtf8(dataFile))));
}

RunFiles runGoodCase(const QString& folder, const QString& caseFileName) {
    EXPECT_TRUE(placeCase(joinPath(folder, caseFileName)));
    const Expected<RunOutcome> run = runCaseFile(requestFor(folder, caseFileName));
    if (!run) {
        ADD_FAILURE() << "the good case does not run: " << describe(run.failure()).toStdString();
        return {};
    }
    EXPECT_FALSE(run->laterFailure) << failureText(run->laterFailure).toStdString();
    return filesNow({run->reportPath, run->bitmapPath, {}, {}});
}

RunFiles filesNow(const RunFiles& earlier) {
    RunFiles now = earlier;
    now.report = m4test::fileBytes(earlier.reportPath);
    now.bitmap = m4test::fileBytes(earlier.bitmapPath);
    return now;
}

QString failureText(const std::optional<Failure>& failure) {
    return failure ? describe(*failure) : QStringLiteral("(no failure)");
}

QString inChild(const std::function<QString()>& body) {
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
