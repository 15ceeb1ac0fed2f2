// Whole runs against golden reports made by an independent implementation of the method
// (tests/tools/m4_reference.py), and the route command as a user calls it.

#include "output/case_run.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kExample = QStringLiteral(M4_EXAMPLES "/M-4Example.INT");

using m4test::fileBytes;

QString dataFile(const QString& name) {
    return QStringLiteral(M4_TEST_DATA "/run/") + name;
}

/// The golden report of the case name run in dir under the name base.
QByteArray golden(const char* name, const QTemporaryDir& dir, const QString& base) {
    return fileBytes(dataFile(QLatin1String(name) + ".out"))
        .replace("@DIR@", QDir::toNativeSeparators(dir.path()).toLocal8Bit())
        .replace(name, base.toLocal8Bit());
}

class GoldenReport : public testing::TestWithParam<const char*> {};

TEST_P(GoldenReport, MatchesTheIndependentImplementationByteForByte) {
    const QString base = QString::fromLatin1(GetParam());
    QTemporaryDir dir;
    QFile::copy(base == "M-4Example" ? kExample : dataFile(base + ".INT"),
                dir.filePath(base + ".INT"));
    const auto outcome = m4::runCaseFile({dir.path(), base + QStringLiteral(".INT")});
    ASSERT_TRUE(outcome.ok()) << m4::describe(outcome.failure()).toStdString();
    EXPECT_EQ(fileBytes(dir.filePath(base + ".out")).toStdString(),
              golden(GetParam(), dir, base).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenReport,
                         testing::Values("M-4Example", "M-4Typical", "M-4Capped", "M-4Held",
                                         "M-4Table", "M-4Wide", "M-4Empty"),
                         [](const testing::TestParamInfo<const char*>& p) {
                             return std::string(p.param + 3);
                         });

// The report shows the case's folder, so a folder name GBK has no form for fails the report.
TEST(Run, AReportThatCannotHoldItsFolderNameIsNamedAndNotWritten) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("水库😀");
    ASSERT_TRUE(QDir().mkdir(folder) && QFile::copy(kExample, folder + "/M-4A.INT"));
    const auto run = m4::runCaseFile({folder, "M-4A.INT"});
    ASSERT_FALSE(run.ok());
    EXPECT_EQ(m4::describe(run.failure()),
              "结果文件无法写入：字符“😀”无法用GBK编码\n文件：" + folder + "/M-4A.out");
    EXPECT_FALSE(QFile::exists(folder + "/M-4A.out"));
}

TEST(Run, CsvHoldsPeriodZeroAndEveryPeriodAsTheReportRoundsThem) {
    QTemporaryDir dir;
    QStringList rows;
    for (const char* name : {"M-4Capped", "M-4Held"}) {
        QFile::copy(dataFile(QLatin1String(name) + ".INT"),
                    dir.filePath(QLatin1String(name) + ".INT"));
        m4::RunRequest request{dir.path(), QLatin1String(name) + ".INT"};
        request.writeCsv = true;
        const auto outcome = m4::runCaseFile(request);
        ASSERT_TRUE(outcome.ok());
        EXPECT_EQ(outcome->status, QStringLiteral("结果文件%1.out/bmp/csv已存盘").arg(name));
        const QByteArray csv = fileBytes(dir.filePath(QLatin1String(name) + ".csv"));
        ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF")); // spreadsheets then read UTF-8
        rows += QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"));
    }
    EXPECT_EQ(rows[0],
              QStringLiteral("时段,水位(m),来水流量(m³/s),泄洪洞流量(m³/s),溢洪道流量(m³/s),"
                             "泄流孔流量(m³/s),变宽溢洪道流量(m³/s),其它泄流量(m³/s),"
                             "下泄总流量(m³/s),削减至QA(是=1),水位保持在ZM(是=1)"));
    EXPECT_EQ(rows[1], "0,176.3,932.05,,,,,,1800,0,0");
    // The sum of rounded flows is 2127.8199999999997 in binary.
    EXPECT_EQ(rows[6], "5,172.55,2662.17,1357.68,0,591.81,0,58.33,2127.82,0,0");
    EXPECT_EQ(rows[12], "11,184.05,6332.01,1923.33,249.58,1124.34,1041.89,197.3,4200,1,0");
    const qsizetype held = rows.indexOf(QStringLiteral("0,100,0,,,,,,15,0,0"));
    ASSERT_GT(held, 0);
    EXPECT_EQ(rows[held + 1], "1,100,100,,,,,,100,1,1");
    EXPECT_EQ(rows[held + 7], "7,100.36,200,0,0,0,0,489.72,494.72,1,0");
}

struct Call {
    int exitCode;
    QString out, err;
};

// m4 as a user without a display calls it.
Call m4Call(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(M4_PROGRAM), args);
    if (!p.waitForFinished(60000)) return {-1, {}, {}};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

TEST(CommandLine, AnswersWithoutADisplayAndNamesEveryWrongWord) {
    const struct {
        QStringList args;
        int exitCode;
        const char* says; ///< on stdout for 0, on stderr otherwise
    } cases[] = {
        {{"--help"}, 0, "m4 check [选项] 数据文件.INT"},
        {{"--version"}, 0, "m4 3"},
        {{"route", "--help"}, 0, "-q, --quiet"},
        {{"check", "--help"}, 0, "--json"},
        {{}, 2, "窗口需要图形显示"},
        {{"--bogus"}, 2, "未知选项“--bogus”"},
        {{"M-4A.INT"}, 2, "m4 route M-4A.INT"},
        {{"route"}, 2, "没有给出数据文件"},
        {{"route", "--bogus", "x.INT"}, 2, "未知选项“--bogus”"},
        {{"route", "--chart-size"}, 2, "选项“--chart-size”缺少取值"},
        {{"route", "--chart-size", "9999x9999", "x.INT"}, 2, "宽100至4000像素，高60至4000像素"},
        {{"route", "--chart-size", "99x60", "x.INT"}, 2, "超出范围"},
        {{"route", "--chart-size", "100x59", "x.INT"}, 2, "超出范围"},
        {{"route", "--chart-size", "big", "x.INT"}, 2, "宽x高"},
        {{"check"}, 2, "没有给出数据文件"},
        {{"check", "-x", "x.INT"}, 2, "未知选项“-x”"},
    };
    for (const auto& c : cases) {
        const Call call = m4Call(c.args);
        const std::string args = c.args.join(u' ').toStdString();
        EXPECT_EQ(call.exitCode, c.exitCode) << args;
        EXPECT_TRUE((c.exitCode == 0 ? call.out : call.err).contains(QString::fromUtf8(c.says)))
            << args << "\n"
            << call.out.toStdString() << call.err.toStdString();
    }
}

// The route command as installed: bin/m4 route, several cases, one missing, with options.
TEST(RouteCommand, RoutesEachCaseReportsEachFailureAndHonoursOptions) {
    QTemporaryDir dir;
    QFile::copy(kExample, dir.filePath("M-4A.INT"));
    QFile::copy(dataFile("M-4Typical.INT"), dir.filePath("M-4B.int"));
    const Call call = m4Call({"route", "--csv", "--chart-size", "300x200", dir.filePath("M-4A.INT"),
                              dir.filePath("M-4Missing.INT"), dir.filePath("M-4B.int")});
    EXPECT_EQ(call.exitCode, 1);
    EXPECT_TRUE(call.out.startsWith(
        QStringLiteral(
            "结果文件M-4A.out/bmp/csv已存盘\n"
            "  最高水位 Zmax=108.00 米，最大下泄流量 Qmax=399.58 立方米/秒，发生在第1个时段\n"
            "  水位保持在ZM的时段0个，下泄流量削减至QA的时段0个\n"
            "  写出 %1\n  写出 %2\n  写出 %3\n结果文件M-4B.out/bmp/csv已存盘\n")
            .arg(QDir::toNativeSeparators(dir.filePath("M-4A.out")),
                 QDir::toNativeSeparators(dir.filePath("M-4A.bmp")),
                 QDir::toNativeSeparators(dir.filePath("M-4A.csv")))))
        << call.out.toStdString();
    EXPECT_TRUE(call.err.contains(QStringLiteral("M-4Missing.INT"))) << call.err.toStdString();
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("M-4B.out"))),
              golden("M-4Typical", dir, "M-4B"));
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("M-4B.bmp"))).size(), QSize(300, 200));

    const Call quiet =
        m4Call({"route", "--quiet", "--chart-size", "4000x4000", dir.filePath("M-4A.INT")});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out, QString());
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("M-4A.bmp"))).size(), QSize(4000, 4000));
}

TEST(CheckCommand, TextAndJsonAndItsExitStatus) {
    QTemporaryDir dir;
    QFile::copy(kExample, dir.filePath("M-4A.INT"));
    const QString bad = QStringLiteral(M4_TEST_DATA "/bad/curve-descending.INT");
    const Call good = m4Call({"check", dir.filePath("M-4A.INT")});
    EXPECT_EQ(good.exitCode, 0) << good.out.toStdString();
    EXPECT_TRUE(good.out.startsWith(dir.filePath("M-4A.INT") + QStringLiteral("：未发现问题\n")));
    EXPECT_TRUE(good.out.contains(QStringLiteral("水量平衡误差："))) << good.out.toStdString();
    // Held and capped periods as runs of consecutive periods, and a problem on its line.
    const Call text = m4Call({"check", dataFile(QStringLiteral("M-4Held.INT")), bad});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_TRUE(text.out.contains(QStringLiteral(
                    "水位保持在ZM的时段：1～5\n  下泄流量削减至QA的时段：1～5、7\n")) &&
                text.out.contains(QStringLiteral(
                    "：发现5个问题\n  "
                    "第5行：水位没有逐点升高：水库水位面积第2点水位115低于第1点水位120\n")))
        << text.out.toStdString();

    const Call json = m4Call({"check", "--json", dir.filePath("M-4A.INT"), bad});
    EXPECT_EQ(json.exitCode, 1);
    const QStringList lines = json.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QJsonObject first = QJsonDocument::fromJson(lines[0].toUtf8()).object();
    const QJsonObject second = QJsonDocument::fromJson(lines[1].toUtf8()).object();
    EXPECT_TRUE(first.value("problems").toArray().isEmpty());
    EXPECT_TRUE(first.value("levelErrorEstimate").isDouble());
    const QJsonObject problem = second.value("problems").toArray().at(0).toObject();
    EXPECT_EQ(problem.value("line").toInt(), 5);
    EXPECT_EQ(problem.value("message").toString(),
              QStringLiteral("水位没有逐点升高：水库水位面积第2点水位115低于第1点水位120"));
    EXPECT_TRUE(second.value("levelErrorEstimate").isNull());
}

} // namespace
