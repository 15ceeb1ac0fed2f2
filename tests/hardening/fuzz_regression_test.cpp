// Inputs the fuzz targets found faults with, replayed in the ordinary build (and so under the
// sanitizers of CI's sanitizer build), together with the fault each one showed.

#include "hardening_support.h"

#include "case/case_file.h"
#include "case/text_convert.h"
#include "common/gbk.h"
#include "output/chart.h"
#include "output/report.h"
#include "routing/routing.h"

#include <QDirIterator>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace m4::hardening {
namespace {

QStringList corpusFiles(const QString& target) {
    QStringList files;
    QDirIterator it(QStringLiteral(M4_FUZZ_CORPUS) + u'/' + target, QDir::Files);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
}

// The largest doubles rounded to 15 digits went past the largest double: a curve point of
// -1.7976931348623157e308 loaded into the cell text -1.79769313486232E+308, which reads back as
// minus infinity, so the case saved from the window could no longer be loaded or run.
TEST(FuzzRegressions, LargestDoublesStayFiniteAsCellTexts) {
    constexpr double kMax = std::numeric_limits<double>::max();
    for (const double v : {kMax, -kMax, std::nextafter(kMax, 0.0), 1.797693134862315e308}) {
        const QString text = cellText(v);
        EXPECT_TRUE(std::isfinite(numericValue(text))) << text.toStdString();
        EXPECT_NEAR(numericValue(text) / v, 1, 1e-14) << text.toStdString();
    }
    EXPECT_EQ(cellText(-kMax), QStringLiteral("-1.79769313486231E+308"));

    const QByteArray clean = readBytes(testData(QStringLiteral("hardening/M-4Full.INT")));
    QByteArray file = clean;
    file.replace("100,10\r\n", "-1.7976931348623157e308,10\r\n");
    const Expected<CaseText> loaded = parseCaseText(file, QStringLiteral("M-4Big.INT"));
    ASSERT_TRUE(loaded.ok()) << describe(loaded.failure()).toStdString();
    ASSERT_FALSE(checkForSave(*loaded).has_value());
    const std::optional<QByteArray> saved = encodeGbk(caseFileText(*loaded));
    ASSERT_TRUE(saved.has_value());
    EXPECT_TRUE(parseCaseText(*saved, QStringLiteral("again.INT")).ok());
    const Expected<CaseData> forRun = parseCaseData(*saved, QStringLiteral("again.INT"));
    ASSERT_TRUE(forRun.ok()) << describe(forRun.failure()).toStdString();
    EXPECT_TRUE(std::isfinite(forRun->curve[0].ZP));
}

TEST(FuzzRegressions, CaseCorporaLoadAndRunWithoutFault) {
    for (const QString& target : {QStringLiteral("case_text"), QStringLiteral("case_run")}) {
        const QStringList files = corpusFiles(target);
        EXPECT_FALSE(files.isEmpty()) << target.toStdString();
        for (const QString& path : files) {
            SCOPED_TRACE(path.toStdString());
            const QByteArray bytes = readBytes(path);
            const Expected<CaseText> loaded = parseCaseText(bytes, path);
            if (!loaded) {
                EXPECT_FALSE(describe(loaded.failure()).isEmpty());
            }
            const Expected<CaseData> read = parseCaseData(bytes, path);
            if (!read) continue;
            const Expected<RoutingResult> routed = route(*read);
            if (!routed) continue;
            const QString report = reportText(*read, *routed, QStringLiteral("/c/r.out"));
            EXPECT_TRUE(encodeGbk(report).has_value());
            const ChartGeometry chart = chartGeometry(*read, *routed, QStringLiteral("/c/r.bmp"));
            for (const ChartSegment& s : chart.segments)
                EXPECT_TRUE(std::isfinite(s.y1) && std::isfinite(s.y2));
        }
    }
}

TEST(FuzzRegressions, NumericCorpusReadsBack) {
    for (const QString& path : corpusFiles(QStringLiteral("numeric"))) {
        const QString text = QString::fromUtf8(readBytes(path));
        const double value = numericValue(text);
        if (!std::isfinite(value)) continue;
        EXPECT_TRUE(std::isfinite(numericValue(cellText(value)))) << path.toStdString();
    }
}

} // namespace
} // namespace m4::hardening
