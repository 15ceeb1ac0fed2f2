// The print command against a real spooler: a CUPS queue that writes PDF files (set up by
// cups-setup.sh). The PDF must hold the report text.

#include "common/gbk.h"
#include "output/case_run.h"
#include "ui/printing.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

/// The queue cups-setup.sh adds.
const QString kQueue = "M4PDF";
/// How long a job may take from spooling to its PDF, ms.
constexpr int kJobTimeoutMs = 60000;
constexpr int kPollMs = 250;

QString run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(10000) || process.exitCode() != 0) return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

/// The folders cups-pdf writes to: its Out setting for a named user, and the one for anonymous
/// jobs.
QStringList pdfFolders() {
    QString out = "/var/spool/cups-pdf/${USER}";
    QString anonymous = "/var/spool/cups-pdf/ANONYMOUS";
    for (const QString& line : run("cat", {"/etc/cups/cups-pdf.conf"}).split('\n')) {
        const QStringList words = line.simplified().split(' ');
        if (words.size() == 2 && words[0] == "Out") out = words[1];
        if (words.size() == 2 && words[0] == "AnonDirName") anonymous = words[1];
    }
    out.replace("${HOME}", QDir::homePath());
    out.replace("${USER}", qEnvironmentVariable("USER", "root"));
    return {out, anonymous};
}

/// The PDF whose name holds token, once the queue has no job left; empty on time-out.
QString waitForPdf(const QString& token) {
    QDeadlineTimer deadline(kJobTimeoutMs);
    while (!deadline.hasExpired()) {
        const bool queueEmpty = run("lpstat", {"-o", kQueue}).trimmed().isEmpty();
        for (const QString& folder : pdfFolders()) {
            const QFileInfoList found =
                QDir(folder).entryInfoList({"*" + token + "*.pdf"}, QDir::Files);
            if (queueEmpty && !found.isEmpty() && found.front().size() > 0)
                return found.front().absoluteFilePath();
        }
        QThread::msleep(kPollMs);
    }
    return QString();
}

/// Characters of wanted found in got in the same order (longest common subsequence).
qsizetype inOrder(const QString& wanted, const QString& got) {
    std::vector<qsizetype> previous(static_cast<size_t>(got.size()) + 1, 0);
    std::vector<qsizetype> current(previous.size(), 0);
    for (QChar w : wanted) {
        for (qsizetype j = 0; j < got.size(); ++j) {
            const auto k = static_cast<size_t>(j);
            current[k + 1] = w == got[j] ? previous[k] + 1 : std::max(previous[k + 1], current[k]);
        }
        std::swap(previous, current);
    }
    return previous.back();
}

TEST(PrintSpool, TheReportOfARunReachesThePdfQueue) {
    if (QPrinterInfo::defaultPrinter().isNull() ||
        QPrinterInfo::defaultPrinter().printerName() != kQueue)
        GTEST_SKIP() << "no CUPS default queue " << kQueue.toStdString()
                     << " (cups-setup.sh could not start cupsd or add the cups-pdf queue)";
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";

    QTemporaryDir dir;
    const QString caseName = "M-4Example.INT";
    ASSERT_TRUE(QFile::copy(QStringLiteral(M4_EXAMPLES "/") + caseName, dir.filePath(caseName)));
    auto outcome = m4::runCaseFile({dir.path(), caseName});
    ASSERT_TRUE(outcome.ok()) << m4::describe(outcome.failure()).toStdString();
    QFile reportFile(outcome->reportPath);
    ASSERT_TRUE(reportFile.open(QIODevice::ReadOnly));
    const auto report = m4::decodeGbk(reportFile.readAll());
    ASSERT_TRUE(report.has_value());
    const QString token = QString("M4SpoolTest%1").arg(QDateTime::currentMSecsSinceEpoch());
    m4::QtReportPrinter printer(token);
    QStringList events;
    const m4::PrintFeedback feedback{[&](const QString& s) { events << s; },
                                     [&](const QString& s) { events << "box " + s; }};
    ASSERT_TRUE(m4::printResults(printer, *report, "M-4Example", feedback));
    EXPECT_EQ(events, QStringList{"结果文件M-4Example.out/bmp已打印"});

    const QString pdf = waitForPdf(token);
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF for job " << token.toStdString() << " within "
                                << kJobTimeoutMs / 1000 << " s in "
                                << pdfFolders().join(u' ').toStdString();
    // The report fits one page, in the report font.
    EXPECT_TRUE(run("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+1\\b")));
    EXPECT_TRUE(run("pdffonts", {pdf}).contains("WenQuanYiMicroHeiMono"));
    // The queue converts the PDF to PostScript and back, which keeps a text layer for only part
    // of the glyphs; most of the report must still read back, in order. (Each Chinese character
    // sits in its own two columns, which extraction turns into blanks: compare without them.)
    const QRegularExpression blanks("\\s");
    const QString wanted = QString(*report).remove(blanks);
    const QString printed = run("pdftotext", {pdf, "-"}).remove(blanks);
    EXPECT_GE(inOrder(wanted, printed) * 2, wanted.size())
        << "printed text: " << printed.toStdString();
    QFile::remove(pdf);
}

} // namespace
