#include "case/case_file.h"
#include "common/gbk.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <tuple>

#include <gtest/gtest.h>

using namespace m4;
using m4test::caseBytes, m4test::fileBytes, m4test::fullCaseLines;

namespace {

const QString kExample = QStringLiteral(M4_EXAMPLES "/M-4Example.INT");

/// The full case with line n (1-based) replaced.
QByteArray withLine(int n, const QString& text) {
    QStringList lines = fullCaseLines();
    lines[n - 1] = text;
    return caseBytes(lines);
}

std::string failure(Fault fault, int line, const QString& message) {
    return QString("%1 %2: %3").arg(int(fault)).arg(line).arg(message).toStdString();
}

/// A failure as "fault line: message", or "loads" when there is none.
template <typename T> std::string failureOf(const Expected<T>& read) {
    if (read) return "loads";
    const Failure& f = read.failure();
    return failure(f.fault, f.line, describe(f).section(u'\n', 0, 0));
}

} // namespace

TEST(CaseFile, ItemsQuotedBlankedAndEmpty) {
    QStringList lines = fullCaseLines();
    lines[0] = R"(  "水库,甲" dropped)";
    lines[1] = "1% ";            // trailing blanks stay with an unquoted item
    lines[3] = "100, 10";        // blanks before an item are skipped
    lines[4] = "1.50abc,\"25\""; // cells become the number's cell text
    lines[17] = ",,,,,,,";       // eight empty cells
    const auto text = parseCaseText(caseBytes(lines), "case.INT");
    ASSERT_TRUE(text) << describe(text.failure()).toStdString();
    EXPECT_EQ(text->fields[0] + "|" + text->fields[1], "水库,甲|1% ");
    EXPECT_EQ(text->tables[0][0], (std::vector<QString>{"100", "10"}));
    EXPECT_EQ(text->tables[0][1], (std::vector<QString>{"1.5", "25"}));
    EXPECT_EQ(text->tables[2][0], std::vector<QString>(8, "0"));

    lines[4] = "110,25"; // the run refuses what is not a number
    const auto data = parseCaseData(caseBytes(lines), "case.INT");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->projectName + "|" + data->frequency, "水库,甲|1% ");
    EXPECT_EQ(data->curve[0].F, 10);
    EXPECT_EQ(data->tunnels[0].GM, 0);
    // A quoted item runs to the next quote across line ends; a tab before an item is its own.
    lines[0] = "\"水库\r\n甲,乙\"";
    lines[1] = "\t\"1%\"";
    const auto quoted = parseCaseData(caseBytes(lines), "case.INT");
    ASSERT_TRUE(quoted) << describe(quoted.failure()).toStdString();
    EXPECT_EQ(quoted->projectName + "|" + quoted->frequency, "水库\r\n甲,乙|\t\"1%\"");
    EXPECT_EQ(quoted->curve[0].F, 10);
    lines[11] = "\t105";
    EXPECT_EQ(failureOf(parseCaseText(caseBytes(lines), "case.INT")), "loads");
    lines[11] = "\t\"105\"";
    EXPECT_EQ(failureOf(parseCaseData(caseBytes(lines), "case.INT")),
              failure(Fault::NotANumber, 13, "数据项“\"105\"”不是数值"));
    // A quote never closed takes every item after it; the message names its line.
    EXPECT_EQ(failureOf(parseCaseText(withLine(2, "\"1%,x"), "case.INT")),
              failure(Fault::TooFewItems, 2, "数据文件不对，数据个数少！"));
}

TEST(CaseFile, WindowCountsFollowTheCountRule) {
    // J = 1.5 gives 2.5 rows, which goes to the even 2; the loader keeps the field's text.
    QStringList lines = fullCaseLines();
    lines[6] = "1.5";
    lines.removeAt(10);
    const auto text = parseCaseText(caseBytes(lines), "case.INT");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->fields[3], "1.5");
    EXPECT_EQ(text->rows(1), 2);
    EXPECT_EQ(text->fields[5], "105");
}

TEST(CaseFile, CasesWithoutVariableOutletsEndInThreeZeroCounts) {
    CaseText text;
    const QStringList fields = QString("库|2%|1|0|60|1|2|3|4|5|0|0|0|0|0").split(u'|');
    for (int f = 0; f < kFieldCount; ++f) text.fields[static_cast<std::size_t>(f)] = fields[f];
    text.tables[0] = {{"100", "10"}};
    text.tables[1] = {{"7"}};
    EXPECT_EQ(checkForSave(text), std::nullopt);
    EXPECT_EQ(caseFileText(text),
              "库\r\n2%\r\n1\r\n100,10\r\n0\r\n60\r\n7\r\n1\r\n2\r\n3\r\n4\r\n5\r\n"
              "0\r\n0\r\n0\r\n0\r\n0\r\n\r\n");
    const auto data = parseCaseData(encodeGbk(caseFileText(text)).value(), "case.INT");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->QL, std::vector<double>{7});
}

// What the catalogue of bad files does not show: where a fault is found within its line.
TEST(CaseFile, RefusedFilesNameTheFaultAndWhereItStands) {
    QByteArray badByte = caseBytes(fullCaseLines());
    badByte.insert(badByte.indexOf("600"), '\xFF');
    const QString badAt = QString::number(badByte.indexOf('\xFF') + 1);
    // Saved as UTF-8 without a byte-order mark, lines ended by CR alone: refused where the
    // first Chinese stands.
    const QByteArray utf8 =
        ("Dam\r" + fullCaseLines().mid(1).join("\r").replace("1%", "百年一遇")).toUtf8();
    for (const auto& [bytes, expected] : {
             std::pair{badByte, failure(Fault::NotGbk, 8,
                                        "数据文件含有不是GBK编码的字节（第" + badAt + "字节）")},
             {utf8, failure(Fault::Utf8Bom, 2, "数据文件是UTF-8编码，请存为GBK编码")},
         }) {
        EXPECT_EQ(failureOf(parseCaseData(bytes, "case.INT")), expected);
        EXPECT_EQ(failureOf(parseCaseText(bytes, "case.INT")), expected);
    }
    // The window cannot show an overflowing count's table; the run reads no such table.
    EXPECT_EQ(failureOf(parseCaseText(withLine(21, "1e999"), "case.INT")),
              failure(Fault::CountTooLarge, 21, "KK1=“1e999”超过表格的最大行数32767"));
    EXPECT_EQ(failureOf(parseCaseData(withLine(21, "1e999"), "case.INT")),
              failure(Fault::NotFinite, 21, "数值“1e999”超出范围"));
}

// A file too large to be a case is refused at once by both readers, not read.
TEST(CaseFile, OversizedFilesAreNotRead) {
    QTemporaryDir dir;
    QFile huge(dir.filePath("huge.INT"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(64 * 1024 * 1024 + 1));
    huge.close();
    EXPECT_EQ(readCaseData(huge.fileName()).failure().fault, Fault::FileTooLarge);
    EXPECT_EQ(loadCaseText(huge.fileName()).failure().fault, Fault::FileTooLarge);
}

TEST(CaseSave, ProblemsComeInFieldAndTableOrder) {
    using Kind = SaveProblem::Kind;
    const CaseText good = parseCaseText(caseBytes(fullCaseLines()), "case.INT").value();
    using P = std::optional<std::tuple<Kind, int, int, int, int>>; // field, table, row, column
    const auto problemOf = [](const CaseText& text) -> P {
        const auto p = checkForSave(text);
        return p ? P({p->kind, p->field, p->table, p->row, p->column}) : std::nullopt;
    };
    const auto problem = [](Kind kind, int field, int table = -1, int row = -1, int column = -1) {
        return P({kind, field, table, row, column});
    };
    const struct {
        std::vector<std::pair<int, QString>> fields;
        P expected;
    } cases[] = {
        {{}, std::nullopt},
        {{{9, ""}, {4, ""}}, problem(Kind::EmptyField, 4)},
        {{{10, ""}, {2, "x"}}, problem(Kind::EmptyField, 10)},
        {{{2, "2.5"}}, problem(Kind::CountInvalid, 2, 0)},
        {{{2, "3x"}}, problem(Kind::CountInvalid, 2, 0)},
        {{{3, "32767"}}, problem(Kind::CountInvalid, 3, 1)},
        {{{14, "-1"}}, problem(Kind::CountInvalid, 14, 6)},
        {{{11, "12"}}, problem(Kind::CountInvalid, 11, 3)},
        // A count typed without confirming it leaves the table at its old size.
        {{{2, "4"}}, problem(Kind::CountMismatch, 2, 0)},
        {{{3, "3"}}, problem(Kind::CountMismatch, 3, 1)},
        {{{12, ""}}, problem(Kind::CountMismatch, 12, 4)},
        // Texts that would read back as other items.
        {{{0, "水库,甲"}}, problem(Kind::BadText, 0)},
        {{{1, " \"1%"}}, problem(Kind::BadText, 1)},
        {{{0, "a\nb"}}, problem(Kind::BadText, 0)},
        {{{4, "6,5"}}, problem(Kind::BadText, 4)},
        {{{0, "水库😀"}}, problem(Kind::NotEncodable, 0)},
    };
    for (const auto& c : cases) {
        CaseText text = good;
        for (const auto& [f, value] : c.fields) text.fields[static_cast<std::size_t>(f)] = value;
        EXPECT_EQ(problemOf(text), c.expected);
    }
    CaseText text = good;
    text.fields[12] = "";
    text.resizeTable(4, 0);
    EXPECT_EQ(problemOf(text), std::nullopt);
    text = good;
    text.tables[2][0][3] = "0,9";
    EXPECT_EQ(problemOf(text), problem(Kind::BadText, -1, 2, 0, 3));
    text = good;
    text.tables[6][1][0] = "1२";
    EXPECT_EQ(problemOf(text), problem(Kind::NotEncodable, -1, 6, 1, 0));
}

TEST(CaseSave, ReplacesTheWholeFileOrWritesNothing) {
    QTemporaryDir dir;
    const CaseText text = loadCaseText(kExample).value();
    EXPECT_EQ(checkForSave(text), std::nullopt);
    const QString path = dir.filePath("M-4copy.INT");
    // Longer than the case: nothing of it may remain.
    ASSERT_TRUE(m4test::writeFile(path, QByteArray(4096, 'x')));
    EXPECT_EQ(writeCaseFile(path, text), std::nullopt);
    EXPECT_EQ(fileBytes(path), fileBytes(kExample));
    // The character GBK cannot hold is named whole, both halves of its surrogate pair.
    CaseText beyondGbk = text;
    beyondGbk.fields[0] = "水库😀";
    EXPECT_EQ(writeCaseFile(path, beyondGbk).value_or(Failure{}).text, "😀");
    EXPECT_EQ(fileBytes(path), fileBytes(kExample));
    const Failure noFolder = writeCaseFile(dir.filePath("gone/M-4a.INT"), text).value_or(Failure{});
    EXPECT_EQ(noFolder.fault, Fault::FolderMissing);
    EXPECT_EQ(noFolder.text, dir.filePath("gone"));
    for (const QString name : {"sub/M-4a.INT", "sub\\M-4a.INT"})
        EXPECT_EQ(writeCaseFile(dir.path(), name, text).value_or(Failure{}).fault,
                  Fault::NameHasSeparator);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"M-4copy.INT"});
}
