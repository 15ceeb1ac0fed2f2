// The catalogue of bad case files (tests/data/bad): for each the fault and the message a run
// gives, what the window's loader does with it, and that a refused run writes nothing. Files
// that only look odd (other line ends, quoted numbers, trailing rubbish) run like the clean case.

#include "hardening_support.h"

#include "case/case_file.h"
#include "routing/case_check.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace m4::hardening {
namespace {

struct BadCase {
    const char* file;
    std::optional<Fault> fault; ///< nullopt: the run succeeds with the clean case's report
    const char* message;        ///< part of the run's message
    int line;                   ///< line of the case file the message names, 0 when none
    bool loaderRefuses;         ///< the window's loader refuses it too, or loads it
};

void PrintTo(const BadCase& c, std::ostream* out) {
    *out << c.file;
}

constexpr const char* kTooFew = "数据文件不对，数据个数少！";

const BadCase kCatalogue[] = {
    // Files that end too early, in every section.
    {"truncated-name", Fault::TooFewItems, kTooFew, 0, true},
    {"truncated-tunnel-row", Fault::TooFewItems, kTooFew, 0, true},
    {"truncated-discharge-table", Fault::TooFewItems, kTooFew, 0, true},
    {"empty", Fault::TooFewItems, kTooFew, 0, true},
    {"blank-lines", Fault::TooFewItems, kTooFew, 0, true},
    // Ends inside its last item: a writer always ends the file with a line end, so the file
    // may have been cut there (a cut 150 would read as 15 or 1).
    {"no-final-line-end", Fault::LastItemUnended, "最后一个数据项“150”后面没有换行", 42, true},
    {"cut-after-last-comma", Fault::LastItemUnended, "最后一个数据项是空的，后面没有换行", 42,
     true},
    // Counts out of range.
    {"count-negative", Fault::CountNotWhole, "K=“-1”不是非负整数", 3, true},
    {"count-J-negative", Fault::CountNotWhole, "J=“-1”不是非负整数", 9, true},
    {"count-fractional", Fault::CountNotWhole, "G0=“1.5”不是非负整数", 27, false},
    {"count-J-too-large", Fault::JTooLarge, "J=“32767”超过上限32766", 9, true},
    {"count-huge", Fault::CountTooLarge, "KK2=“1e9”超过表格的最大行数", 39, true},
    {"tunnels-11", Fault::TunnelsAbove10, "泄洪洞个数G0=11超过10", 27, false},
    {"spillways-12", Fault::SpillwaysAbove10, "溢洪道个数H0=12超过10", 30, false},
    // Items that are not numbers.
    {"item-not-number", Fault::NotANumber, "数据项“abc”不是数值", 5, false},
    {"item-trailing-letters", Fault::NotANumber, "数据项“3600s”不是数值", 10, false},
    {"item-quoted-comma", Fault::NotANumber, "数据项“100,5”不是数值", 4, false},
    {"item-nan", Fault::NotANumber, "数据项“nan”不是数值", 25, false},
    {"item-nul", Fault::NotANumber, "不是数值", 3, false},
    {"item-infinite", Fault::NotFinite, "数值“1e999”超出范围", 26, false},
    {"item-long-number", Fault::NotFinite, "超出范围", 22, false},
    // Bytes that are not GBK text.
    {"gbk-bad-trail", Fault::NotGbk, "不是GBK编码的字节", 0, true},
    {"binary-garbage", Fault::NotGbk, "不是GBK编码的字节", 0, true},
    {"utf8-bom", Fault::Utf8Bom, "数据文件是UTF-8编码，请存为GBK编码", 0, true},
    // Curves the routing cannot use.
    {"curve-descending", Fault::CurveFalls,
     "水位~面积曲线的水位没有逐点升高：第2点水位115低于第1点水位120，"
     "查不到调洪起始水位Z0=105处的面积",
     0, false},
    {"curve-duplicate-levels", Fault::CurveZeroWidth, "无法插值", 0, false},
    {"curve-one-point", Fault::StartOutsideCurve, "不在水位~面积曲线范围内", 0, false},
    {"curve-no-points", Fault::StartOutsideCurve, "不在水位~面积曲线范围内", 0, false},
    {"start-outside-curve", Fault::StartOutsideCurve, "调洪起始水位Z0=90不在", 0, false},
    {"area-zero", Fault::AreaNotPositive, "水面面积必须大于零", 0, false},
    {"overflow", Fault::ResultNotFinite, "第1时段的计算结果溢出，请检查数据", 0, false},
    // Odd but sound: the same case as the clean file.
    {"line-ends-lf", {}, "", 0, false},
    {"line-ends-cr", {}, "", 0, false},
    {"item-quoted-numbers", {}, "", 0, false},
    {"extra-items", {}, "", 0, false},
};

QString badFile(const char* name) {
    return testData(QStringLiteral("bad/%1.INT").arg(QLatin1String(name)));
}

class BadCaseCatalogue : public testing::TestWithParam<BadCase> {};

TEST_P(BadCaseCatalogue, RunGivesItsMessageAndWritesNothingAndTheLoaderAgrees) {
    const BadCase& entry = GetParam();
    QTemporaryDir dir;
    const QString casePath = joinPath(dir.path(), kCaseName);
    const QByteArray bytes = m4test::fileBytes(badFile(entry.file));
    // The window's loader: a file of shifted items may fail it otherwise than the run.
    EXPECT_EQ(parseCaseText(bytes, badFile(entry.file)).ok(), !entry.loaderRefuses);
    if (!entry.fault) {
        const RunFiles clean = runGoodCase(dir.path(), kCaseName);
        ASSERT_TRUE(m4test::writeFile(casePath, bytes));
        const Expected<RunOutcome> run = runCaseFile(requestFor(dir.path(), kCaseName));
        ASSERT_TRUE(run.ok()) << describe(run.failure()).toStdString();
        EXPECT_FALSE(run->laterFailure) << failureText(run->laterFailure).toStdString();
        EXPECT_EQ(filesNow(clean).report, clean.report);
        EXPECT_EQ(filesNow(clean).bitmap, clean.bitmap);
        return;
    }
    ASSERT_TRUE(m4test::writeFile(casePath, bytes));
    for (const char* earlier : {"M-4Case.out", "M-4Case.bmp"})
        ASSERT_TRUE(m4test::writeFile(joinPath(dir.path(), earlier), "earlier"));
    const Expected<RunOutcome> run = runCaseFile(requestFor(dir.path(), kCaseName));
    ASSERT_FALSE(run.ok()) << "the run accepted " << entry.file;
    const Failure& failure = run.failure();
    const QString message = describe(failure);
    EXPECT_EQ(failure.fault, *entry.fault) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(entry.message)))
        << message.toStdString() << "\nexpected to contain " << entry.message;
    EXPECT_EQ(entry.line > 0 ? failure.line : 0, entry.line) << message.toStdString();
    EXPECT_TRUE(message.contains(casePath)) << message.toStdString();
    for (const char* earlier : {"M-4Case.out", "M-4Case.bmp"})
        EXPECT_EQ(m4test::fileBytes(joinPath(dir.path(), earlier)), "earlier");
    EXPECT_EQ(folderEntries(dir.path()).size(), 3) << "no stray files";
    // m4 check names what the run refuses, whatever else it finds.
    const CaseCheck check = checkCaseBytes(bytes, kCaseName);
    EXPECT_TRUE(std::any_of(check.problems.begin(), check.problems.end(), [&](const Failure& p) {
        return p.fault == failure.fault;
    })) << "m4 check misses it";
}

INSTANTIATE_TEST_SUITE_P(Files, BadCaseCatalogue, testing::ValuesIn(kCatalogue),
                         [](const testing::TestParamInfo<BadCase>& param) {
                             std::string name = param.param.file;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// Counts above 10 load into the window as they stand, so the user sees them, but such a case
// cannot be saved: the run could not hold it. Ten of each can.
TEST(BadCaseCatalogue, OutletCountsAboveTenLoadButAreNotSaved) {
    for (const char* file : {"tunnels-11", "spillways-12"}) {
        const QString path = badFile(file);
        CaseText text = parseCaseText(m4test::fileBytes(path), path).value();
        const std::optional<SaveProblem> problem = checkForSave(text);
        ASSERT_TRUE(problem && problem->kind == SaveProblem::Kind::CountInvalid) << file;
        text.fields[static_cast<std::size_t>(problem->field)] = QStringLiteral("10");
        text.resizeTable(problem->table, 10);
        EXPECT_FALSE(checkForSave(text).has_value()) << file;
    }
}

} // namespace
} // namespace m4::hardening
