// Whole runs against golden reports made by an independent implementation of the method
// (tests/tools/m4_reference.py), and the route command as a user calls it.

#include "case/gbk.h"
#include "output/case_run.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kExample = QStringLiteral(M4_EXAMPLES "/M-4Example.INT");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString dataFile(const QString& name) {
    return QStringLiteral(M4_TEST_DATA "/run/") + name;
}

// Copies a case into dir and returns its new path.
QString place(const QTemporaryDir& dir, const QString& source, const QString& name) {
    const QString target = dir.filePath(name);
    QFile::copy(source, target);
    return target;
}

QByteArray golden(const QString& base, const QTemporaryDir& dir) {
    QByteArray text = readAll(dataFile(base + QStringLiteral(".out")));
    return text.replace("@DIR@", QDir::toNativeSeparators(dir.path()).toLocal8Bit());
}

class GoldenReport : public testing::TestWithParam<const char*> {};

TEST_P(GoldenReport, MatchesTheIndependentImplementationByteForByte) {
    const QString base = QString::fromLatin1(GetParam());
    QTemporaryDir dir;
    place(dir, base == QLatin1String("M-4Example") ? kExample : dataFile(base + ".INT"),
          base + ".INT");
    const auto outcome = m4::runCaseFile({dir.path(), base + QStringLiteral(".INT")});
    ASSERT_TRUE(outcome.ok()) << m4::describe(outcome.failure()).toStdString();
    EXPECT_TRUE(outcome->status.startsWith(QStringLiteral("结果文件%1.out/bmp已存盘").arg(base)));
    const QByteArray report = readAll(dir.filePath(base + QStringLiteral(".out")));
    const QByteArray expected = golden(base, dir);
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(report.toStdString(), expected.toStdString());
    EXPECT_FALSE(QImage(dir.filePath(base + QStringLiteral(".bmp"))).isNull());
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenReport,
                         testing::Values("M-4Example", "M-4Typical", "M-4Capped", "M-4Held",
                                         "M-4Table", "M-4Wide", "M-4Empty"));

TEST(Run, RefusedCaseLeavesThePreviousReportAndChart) {
    QTemporaryDir dir;
    const QString path = place(dir, kExample, QStringLiteral("M-4Run.INT"));
    ASSERT_TRUE(m4::runCaseFile({dir.path(), QStringLiteral("M-4Run.INT")}).ok());
    const QByteArray report = readAll(dir.filePath(QStringLiteral("M-4Run.out")));
    const QByteArray chart = readAll(dir.filePath(QStringLiteral("M-4Run.bmp")));

    // The same case cut short: the reader refuses it before anything is written.
    QByteArray cut = readAll(path);
    cut.chop(30);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(cut);
    }
    const auto refused = m4::runCaseFile({dir.path(), QStringLiteral("M-4Run.INT")});
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.failure().fault, m4::Fault::TooFewItems);
    EXPECT_TRUE(
        m4::describe(refused.failure()).startsWith(QStringLiteral("数据文件不对，数据个数少！")));
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("M-4Run.out"))), report);
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("M-4Run.bmp"))), chart);
}

TEST(Run, NameTestComesFirst) {
    QTemporaryDir dir;
    for (const char* name : {"*.INT", "M-4Example.TXT", "abc"}) {
        const auto refused = m4::runCaseFile({dir.path(), QString::fromLatin1(name)});
        ASSERT_FALSE(refused.ok()) << name;
        EXPECT_EQ(refused.failure().fault, m4::Fault::BadRunName);
        EXPECT_EQ(m4::describe(refused.failure()),
                  QStringLiteral("文件名%1不对！请查实").arg(QString::fromLatin1(name)));
    }
    const auto missing = m4::runCaseFile({dir.path(), QStringLiteral("M-4None.int")});
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().fault, m4::Fault::FileMissing);
}

TEST(Run, CsvHoldsOneRowAPeriod) {
    QTemporaryDir dir;
    place(dir, dataFile(QStringLiteral("M-4Held.INT")), QStringLiteral("M-4Held.INT"));
    m4::RunRequest request{dir.path(), QStringLiteral("M-4Held.INT")};
    request.writeCsv = true;
    ASSERT_TRUE(m4::runCaseFile(request).ok());
    const QList<QByteArray> rows = readAll(dir.filePath(QStringLiteral("M-4Held.csv"))).split('\n');
    ASSERT_EQ(rows.size(), 10); // header, 8 periods, nothing after the last line end
    EXPECT_EQ(rows[0], "period,held,level,inflow,tunnels,spillways,orifices,variable_spillways,"
                       "other,total\r");
    EXPECT_EQ(rows[1], "1,1,100,100,,,,,,100\r");
    EXPECT_EQ(rows[7], "7,0,100.36,200,0,0,0,0,489.72,494.72\r");
}

// The route command as installed: bin/m4 route.
TEST(RouteCommand, RoutesSeveralCasesAndReportsEachFailure) {
    QTemporaryDir dir;
    place(dir, kExample, QStringLiteral("M-4A.INT"));
    place(dir, dataFile(QStringLiteral("M-4Table.INT")), QStringLiteral("M-4B.int"));
    QProcess p;
    p.start(QStringLiteral(M4_PROGRAM),
            {QStringLiteral("route"), dir.filePath(QStringLiteral("M-4A.INT")),
             dir.filePath(QStringLiteral("M-4Missing.INT")),
             dir.filePath(QStringLiteral("M-4B.int"))});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(out, QStringLiteral("结果文件M-4A.out/bmp已存盘\n结果文件M-4B.out/bmp已存盘\n"));
    EXPECT_TRUE(err.contains(QStringLiteral("M-4Missing.INT"))) << err.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("M-4A.out"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("M-4B.bmp"))));
}

TEST(RouteCommand, WritesTheSameReportAsTheLibraryAndHonoursOptions) {
    QTemporaryDir dir;
    place(dir, dataFile(QStringLiteral("M-4Typical.INT")), QStringLiteral("M-4Typical.INT"));
    QProcess p;
    p.start(QStringLiteral(M4_PROGRAM),
            {QStringLiteral("route"), QStringLiteral("--csv"), QStringLiteral("--chart-size"),
             QStringLiteral("300x200"), dir.filePath(QStringLiteral("M-4Typical.INT"))});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("M-4Typical.out"))),
              golden(QStringLiteral("M-4Typical"), dir));
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("M-4Typical.bmp"))).size(), QSize(300, 200));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("M-4Typical.csv"))));
}

TEST(RouteCommand, UsageErrors) {
    for (const QStringList& args :
         {QStringList{}, QStringList{QStringLiteral("--bogus"), QStringLiteral("x.INT")},
          QStringList{QStringLiteral("--chart-size"), QStringLiteral("0x5"),
                      QStringLiteral("x.INT")}}) {
        QProcess p;
        p.start(QStringLiteral(M4_PROGRAM), QStringList{QStringLiteral("route")} + args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(u' ').toStdString();
    }
}

} // namespace
