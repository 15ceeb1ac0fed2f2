#include "hardening_support.h"

#include "case/file_names.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <exception>

namespace m4::hardening {
namespace {

constexpr unsigned kChildSeconds = 60;  ///< time a forked child gets before it is killed
constexpr int kSmallChartWidthPx = 160; ///< pixels of the charts of these tests
constexpr int kSmallChartHeightPx = 80;

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
    RunRequest request;
    request.casePath = folder;
    request.caseFileName = caseFileName;
    request.chartSize = QSize(kSmallChartWidthPx, kSmallChartHeightPx);
    return request;
}

RunFiles runGoodCase(const QString& folder, const QString& caseFileName,
                     const QString& sourceCase) {
    RunFiles files;
    const QString casePath = joinPath(folder, caseFileName);
    if (!writeBytes(casePath, m4test::fileBytes(sourceCase))) {
        ADD_FAILURE() << "cannot copy " << sourceCase.toStdString();
        return files;
    }
    const Expected<RunOutcome> run = runCaseFile(requestFor(folder, caseFileName));
    if (!run) {
        ADD_FAILURE() << "the good case does not run: " << describe(run.failure()).toStdString();
        return files;
    }
    EXPECT_FALSE(run->laterFailure) << failureText(run->laterFailure).toStdString();
    files.reportPath = run->reportPath;
    files.bitmapPath = run->bitmapPath;
    return filesNow(files);
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
    if (pid == 0) {
        close(fds[0]);
        alarm(kChildSeconds);
        QByteArray out;
        // An exception must not unwind into the test framework: the child would go on running
        // the parent's tests.
        try {
            out = body().toUtf8();
        } catch (const std::exception& e) {
            out = QByteArray("child threw ") + e.what();
        }
        qsizetype written = 0;
        while (written < out.size()) {
            const ssize_t n =
                write(fds[1], out.constData() + written, static_cast<size_t>(out.size() - written));
            if (n <= 0) break;
            written += n;
        }
        close(fds[1]);
        // No destructors, no atexit handlers: they belong to the parent.
        _exit(0);
    }
    close(fds[1]);
    QByteArray out;
    char chunk[4096];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) > 0;) out.append(chunk, n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status))
        return QStringLiteral("child killed by signal %1").arg(WTERMSIG(status));
    return QString::fromUtf8(out);
}

} // namespace m4::hardening
