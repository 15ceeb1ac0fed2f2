// The print command against a real spooler: a CUPS scheduler of the test's own (its own
// configuration, spool and socket, CUPS_SERVER pointing at it, stopped afterwards), with one
// queue whose jobs' documents the scheduler keeps in its spool. The machine's printers and the
// user's default printer are never touched.

#include "window_fixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <csignal>
#include <sys/prctl.h>

namespace {

const QString kQueue = "M4Test";

QString program(const QString& name) {
    return QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/bin", "/sbin", "/bin"});
}

class PrintSpool : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"cupsd", "lpadmin", "cupsreject", "lpstat", "pdftotext"})
            if (program(tool).isEmpty()) GTEST_SKIP() << tool << " is not installed";
        // The CUPS tools, and the program under test, find this scheduler and queue as any
        // program would.
        qputenv("CUPS_SERVER", dir_.filePath("cups.sock").toLocal8Bit());
        qputenv("PRINTER", kQueue.toLocal8Bit());
        for (const char* sub : {"spool", "cache", "state", "tmp"}) QDir(dir_.path()).mkpath(sub);
        // The configuration, %1 standing for the test's folder.
        for (const auto& [name, text] :
             {std::pair{"cupsd.conf", "Listen %1/cups.sock\nWebInterface No\nDefaultAuthType None\n"
                                      "PreserveJobFiles Yes\n<Policy default>\n<Limit All>\n"
                                      "Order deny,allow\n</Limit>\n</Policy>\n"},
              std::pair{"cups-files.conf",
                        "FileDevice Yes\nServerRoot %1\nRequestRoot %1/spool\n"
                        "CacheDir %1/cache\nStateDir %1/state\nTempDir %1/tmp\n"
                        "AccessLog %1/log\nErrorLog %1/log\nPageLog %1/log\n"}}) {
            QFile file(dir_.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) &&
                        file.write(QString(text).arg(dir_.path()).toUtf8()) > 0);
        }
        // The scheduler ends with the test (QProcess kills it), also when the test is killed.
        scheduler_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        scheduler_.start(program("cupsd"), {"-f", "-c", dir_.filePath("cupsd.conf"), "-s",
                                            dir_.filePath("cups-files.conf")});
        ASSERT_TRUE(
            QTest::qWaitFor([] { return run("lpstat", {"-r"}).contains("is running"); }, 30000))
            << "no scheduler: " << m4test::fileBytes(dir_.filePath("log")).toStdString();
        run("lpadmin", {"-p", kQueue, "-E", "-v", "file:///dev/null"});
    }

    /// A tool's output.
    static QString run(const QString& tool, const QStringList& args) {
        QProcess process;
        process.start(program(tool), args);
        process.waitForFinished(10000);
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }
    /// Print through the default printer: the feedback the command gave.
    QStringList print(const QString& report) {
        m4::CupsReportPrinter printer("M-4Example.out");
        QStringList said;
        m4::printResults(
            printer, report, "M-4Example",
            {[&](const QString& s) { said << s; }, [&](const QString& s) { said << "box " + s; }});
        return said;
    }

    QTemporaryDir dir_;
    QProcess scheduler_; // after dir_, so that it ends before its folder goes
};

TEST_F(PrintSpool, AnAcceptedJobPrintsTheReportAndARefusedOneIsNoPrint) {
    const QString report = *m4::decodeGbk(m4test::fileBytes(M4_TEST_DATA "/run/M-4Example.out"));

    EXPECT_EQ(print(report), QStringList{"结果文件M-4Example.out/bmp已打印"});
    // The job's document as the spooler took it.
    const QStringList documents = QDir(dir_.filePath("spool")).entryList({"d*-001"}, QDir::Files);
    ASSERT_EQ(documents.size(), 1);
    const QString boxes = run("pdftotext", {"-bbox", dir_.filePath("spool/" + documents[0]), "-"});
    // Each word with its box in points. Extraction spaces out the Chinese characters, each in
    // its two columns: compare without blanks. The name, the first and the last period's levels
    // and outflows.
    QString printed;
    double left = 1e9, top = 1e9;
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)</word>)re");
    for (const auto& m : word.globalMatch(boxes)) {
        left = std::min(left, m.captured(1).toDouble());
        top = std::min(top, m.captured(2).toDouble());
        printed += m.captured(3);
    }
    // The first column stands clear of the paper's edge; the first line is below the top margin
    // and the two empty lines printed before the report (points).
    EXPECT_TRUE(left > 18 && top > 40) << left << ", " << top;
    for (const char* wanted : {"工程名:示例水库", "107.03", "106.38", "399.58", "354.10"})
        EXPECT_TRUE(printed.contains(wanted)) << wanted << " in " << printed;

    // A queue that does not accept jobs: the spooler says no, and so does the command.
    run("cupsreject", {kQueue});
    EXPECT_EQ(print(report), (QStringList{"打印机未准备好", "box 打印机未准备好"}));
}

} // namespace
