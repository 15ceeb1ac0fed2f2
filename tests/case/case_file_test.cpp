#include "case/case_file.h"
#include "case/gbk.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <tuple>

#include <gtest/gtest.h>

using namespace m4;

namespace {

const QString kExample = QStringLiteral(M4_EXAMPLES "/M-4Example.INT");

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray gbk(const QString& text) {
    return encodeGbk(text).value();
}

/// A case with every kind of outlet, one list entry a line, as the window writes it.
QStringList fullCaseLines() {
    return QStringLiteral("示例水库|1%|3|100,10|110,25|120,45|2|600|50|120|200|105|108|50|5|500|"
                          "1|4,5,100,0.9,4,5,100,300|1|0.48,20,112|1|106,109,3,2,0.6,104|"
                          "1|108,111,0.45,12,107|2|100,0|120,800")
        .split(u'|');
}

QByteArray caseBytes(const QStringList& lines, const QString& lineEnd = "\r\n") {
    return gbk(lines.join(lineEnd) + lineEnd + lineEnd);
}

/// The lines with line n (1-based) replaced.
QStringList withLine(QStringList lines, int n, const QString& text) {
    lines[n - 1] = text;
    return lines;
}

void expectFailure(const Failure& f, Fault fault, int line, const QString& detail = {}) {
    EXPECT_EQ(f.fault, fault);
    EXPECT_EQ(f.line, line);
    EXPECT_EQ(f.file, "case.INT");
    if (!detail.isNull()) {
        EXPECT_EQ(f.detail, detail);
    }
}

Failure runFailure(const QStringList& lines) {
    auto data = parseCaseData(caseBytes(lines), "case.INT");
    EXPECT_FALSE(data);
    return data ? Failure{} : data.failure();
}

Failure loadFailure(const QStringList& lines) {
    auto text = parseCaseText(caseBytes(lines), "case.INT");
    EXPECT_FALSE(text);
    return text ? Failure{} : text.failure();
}

} // namespace

TEST(CaseFile, ExampleLoadsAndWritesBackTheSameBytes) {
    const QByteArray bytes = fileBytes(kExample);
    ASSERT_FALSE(bytes.isEmpty());
    const auto text = loadCaseText(kExample);
    ASSERT_TRUE(text) << describe(text.failure()).toStdString();
    EXPECT_EQ(text->fields[0], "示例水库");
    EXPECT_EQ(text->rows(1), 3);
    EXPECT_EQ(checkForSave(*text), std::nullopt);
    EXPECT_EQ(gbk(caseFileText(*text)), bytes);
}

TEST(CaseFile, ExampleReadForARun) {
    const auto data = readCaseData(kExample);
    ASSERT_TRUE(data) << describe(data.failure()).toStdString();
    EXPECT_EQ(data->projectName + data->frequency, "示例水库1%");
    ASSERT_EQ(data->K(), 3);
    EXPECT_EQ(data->curve[2].ZP + data->curve[2].F, 120 + 45);
    EXPECT_EQ(data->QL, (std::vector<double>{50, 120, 200}));
    EXPECT_EQ((std::vector<double>{data->T, data->ZM, data->Z0, data->Q0, data->W, data->QA}),
              (std::vector<double>{600, 105, 108, 50, 5, 500}));
    ASSERT_EQ((std::vector<int>{data->G0(), data->H0(), data->KK1(), data->KK0(), data->KK2()}),
              (std::vector<int>{1, 1, 0, 0, 2}));
    EXPECT_EQ(data->tunnels[0].M11, 0.9);
    EXPECT_EQ(data->spillways[0].C2, 112);
    EXPECT_EQ(data->dischargeTable[1].QQ, 800);
    // The two outlets whose states change with the level each keep their own coefficient.
    const auto full = parseCaseData(caseBytes(fullCaseLines()), "case.INT");
    ASSERT_TRUE(full && full->KK1() == 1 && full->KK0() == 1);
    EXPECT_EQ(full->orifices[0].MM, 0.6);
    EXPECT_EQ(full->variableSpillways[0].MM, 0.45);
    EXPECT_EQ(full->variableSpillways[0].EE, 107);
}

TEST(CaseFile, LineEndsOfEveryKindReadAlike) {
    const QStringList lines = fullCaseLines();
    const QString reference = caseFileText(parseCaseText(caseBytes(lines), "case.INT").value());
    QString mixed;
    for (int i = 0; i < lines.size(); ++i)
        mixed += lines[i] + QStringList{"\r\n", "\n", "\r"}[i % 3];
    for (const QByteArray& bytes : {caseBytes(lines, "\n"), caseBytes(lines, "\r"), gbk(mixed)})
        EXPECT_EQ(caseFileText(parseCaseText(bytes, "case.INT").value()), reference);
    // Without the final empty line and line end, and all on one line: items are what count.
    const auto bare = parseCaseData(gbk(fullCaseLines().join("\r\n")), "case.INT");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->dischargeTable[1].QQ, 800);
    const auto oneLine = parseCaseData(gbk(fullCaseLines().join(",")), "case.INT");
    ASSERT_TRUE(oneLine);
    EXPECT_EQ(oneLine->variableSpillways[0].MM, 0.45);
}

TEST(CaseFile, ItemsQuotedBlankedAndEmpty) {
    QStringList lines = fullCaseLines();
    lines[0] = R"(  "水库,甲" dropped)";
    lines[1] = "1% ";            // trailing blanks stay with an unquoted item
    lines[3] = "100, 10";        // blanks before an item are skipped
    lines[4] = "1.50abc,\"25\""; // cells become the number's cell text
    lines[17] = ",,,,,,,";       // eight empty cells
    const auto text = parseCaseText(caseBytes(lines), "case.INT");
    ASSERT_TRUE(text) << describe(text.failure()).toStdString();
    EXPECT_EQ(text->fields[0], "水库,甲");
    EXPECT_EQ(text->fields[1], "1% ");
    EXPECT_EQ(text->tables[0][0], (std::vector<QString>{"100", "10"}));
    EXPECT_EQ(text->tables[0][1], (std::vector<QString>{"1.5", "25"}));
    EXPECT_EQ(text->tables[2][0], std::vector<QString>(8, "0"));

    lines[4] = "110,25"; // the run refuses what is not a number
    const auto data = parseCaseData(caseBytes(lines), "case.INT");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->projectName, "水库,甲");
    EXPECT_EQ(data->frequency, "1% ");
    EXPECT_EQ(data->curve[0].F, 10);
    EXPECT_EQ(data->tunnels[0].GM, 0);
    // A quote that is never closed runs to the end of its line, commas included.
    const auto open = parseCaseData(caseBytes(withLine(fullCaseLines(), 2, "\"1%,x")), "case.INT");
    ASSERT_TRUE(open);
    EXPECT_EQ(open->frequency, "1%,x");
    EXPECT_EQ(open->K(), 3);
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
    const QStringList fields{"库", "2%", "1", "0", "60", "1", "2", "3",
                             "4",  "5",  "0", "0", "0",  "0", "0"};
    for (int f = 0; f < kFieldCount; ++f) text.fields[static_cast<std::size_t>(f)] = fields[f];
    text.tables[0] = {{"100", "10"}};
    text.tables[1] = {{"7"}};
    EXPECT_EQ(checkForSave(text), std::nullopt);
    EXPECT_EQ(
        caseFileText(text),
        "库\r\n2%\r\n1\r\n100,10\r\n0\r\n60\r\n7\r\n1\r\n2\r\n3\r\n4\r\n5\r\n0\r\n0\r\n0\r\n0\r\n"
        "0\r\n\r\n");
    const auto data = parseCaseData(gbk(caseFileText(text)), "case.INT");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->J(), 0);
    EXPECT_EQ(data->QL, std::vector<double>{7});
}

TEST(CaseFile, ShortFilesStopAtTheirLastLine) {
    const QByteArray cut = gbk(fullCaseLines().mid(0, 20).join("\r\n") + "\r\n");
    auto data = parseCaseData(cut, "case.INT");
    ASSERT_FALSE(data);
    expectFailure(data.failure(), Fault::TooFewItems, 20);
    auto text = parseCaseText(cut, "case.INT");
    ASSERT_FALSE(text);
    expectFailure(text.failure(), Fault::TooFewItems, 20);
    // Without its last row the empty line stands in for one item, then the file ends.
    expectFailure(runFailure(fullCaseLines().mid(0, 26)), Fault::TooFewItems, 27);
    auto empty = parseCaseData(QByteArray(), "case.INT");
    ASSERT_FALSE(empty);
    expectFailure(empty.failure(), Fault::TooFewItems, 1);
}

TEST(CaseFile, RunRefusesItemsThatAreNotNumbers) {
    expectFailure(runFailure(withLine(fullCaseLines(), 8, "6o0")), Fault::NotANumber, 8, "6o0");
    expectFailure(runFailure(withLine(fullCaseLines(), 18, "4,5,100,0.9,4,5,100,3 00")),
                  Fault::NotANumber, 18, "3 00");
    expectFailure(runFailure(withLine(fullCaseLines(), 9, " 1e999 ")), Fault::NotFinite, 9,
                  "1e999");
    // The window keeps a field as typed but cannot show an overflowing cell.
    EXPECT_TRUE(parseCaseText(caseBytes(withLine(fullCaseLines(), 8, "6o0")), "case.INT"));
    expectFailure(loadFailure(withLine(fullCaseLines(), 9, "1e999")), Fault::NotFinite, 9, "1e999");
}

TEST(CaseFile, RunRefusesCountsThatCannotSizeATable) {
    const auto lines = fullCaseLines();
    expectFailure(runFailure(withLine(lines, 17, "2.5")), Fault::CountNotWhole, 17, "G0=“2.5”");
    expectFailure(runFailure(withLine(lines, 3, "-3")), Fault::CountNotWhole, 3, "K=“-3”");
    expectFailure(runFailure(withLine(lines, 7, "32767")), Fault::CountTooLarge, 7, "J=“32767”");
    expectFailure(runFailure(withLine(lines, 25, "32768")), Fault::CountTooLarge, 25,
                  "KK2=“32768”");
    expectFailure(runFailure(withLine(lines, 17, "11")), Fault::TunnelsAbove10, 17, "11");
    expectFailure(runFailure(withLine(lines, 19, "1.1e1")), Fault::SpillwaysAbove10, 19, "1.1e1");
}

TEST(CaseFile, WindowRefusesCountsThatCannotSizeATable) {
    const auto lines = fullCaseLines();
    expectFailure(loadFailure(withLine(lines, 3, "-3")), Fault::CountNotWhole, 3, "K=“-3”");
    expectFailure(loadFailure(withLine(lines, 7, "32767")), Fault::CountTooLarge, 7, "J=“32767”");
    expectFailure(loadFailure(withLine(lines, 21, "1e999")), Fault::CountTooLarge, 21,
                  "KK1=“1e999”");
    // Eleven tunnels load as they stand; saving refuses them later.
    QStringList eleven = withLine(lines, 17, "11");
    for (int i = 0; i < 10; ++i) eleven.insert(17, "1,1,1,1,1,1,1,1");
    const auto text = parseCaseText(caseBytes(eleven), "case.INT");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->rows(2), 11);
    EXPECT_EQ(checkForSave(*text)->kind, SaveProblem::Kind::TooManyTunnels);
}

TEST(CaseFile, EncodingFaultsAreRefused) {
    auto bom = parseCaseText("\xEF\xBB\xBF" + caseBytes(fullCaseLines()), "case.INT");
    ASSERT_FALSE(bom);
    expectFailure(bom.failure(), Fault::Utf8Bom, 1);
    QByteArray bad = caseBytes(fullCaseLines());
    bad.insert(bad.indexOf("600"), '\xFF');
    auto notGbk = parseCaseData(bad, "case.INT");
    ASSERT_FALSE(notGbk);
    expectFailure(notGbk.failure(), Fault::NotGbk, 8, QString::number(bad.indexOf('\xFF') + 1));
}

TEST(CaseFile, FilesThatCannotBeRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto missing = readCaseData(dir.filePath("none.INT"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.failure().fault, Fault::FileMissing);
    EXPECT_EQ(missing.failure().file, dir.filePath("none.INT"));
    auto folder = loadCaseText(dir.path());
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.failure().fault, Fault::FileUnreadable);
    EXPECT_FALSE(folder.failure().detail.isEmpty());
    QFile huge(dir.filePath("huge.INT"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(64 * 1024 * 1024 + 1));
    huge.close();
    auto tooLarge = readCaseData(huge.fileName());
    ASSERT_FALSE(tooLarge);
    EXPECT_EQ(tooLarge.failure().fault, Fault::FileTooLarge);
}

TEST(CaseSave, ProblemsComeInFieldAndTableOrder) {
    using Kind = SaveProblem::Kind;
    using P = std::tuple<Kind, int, int, int, int>; // kind, field, table, row, column
    const CaseText good = parseCaseText(caseBytes(fullCaseLines()), "case.INT").value();
    auto problem = [&](std::initializer_list<std::pair<int, QString>> fields, auto change) {
        CaseText text = good;
        for (const auto& [f, value] : fields) text.fields[static_cast<std::size_t>(f)] = value;
        change(text);
        const auto p = checkForSave(text);
        return p ? P(p->kind, p->field, p->table, p->row, p->column)
                 : P(Kind::EmptyField, -9, 0, 0, 0);
    };
    auto fields = [&](std::initializer_list<std::pair<int, QString>> f) {
        return problem(f, [](CaseText&) {});
    };
    const P none(Kind::EmptyField, -9, 0, 0, 0);
    EXPECT_EQ(fields({}), none);
    EXPECT_EQ(fields({{9, ""}, {4, ""}}), P(Kind::EmptyField, 4, -1, -1, -1));
    EXPECT_EQ(fields({{10, ""}, {2, "x"}}), P(Kind::EmptyField, 10, -1, -1, -1));
    EXPECT_EQ(fields({{2, "2.5"}}), P(Kind::CountInvalid, 2, 0, -1, -1));
    EXPECT_EQ(fields({{2, "3x"}}), P(Kind::CountInvalid, 2, 0, -1, -1));
    EXPECT_EQ(fields({{3, "32767"}}), P(Kind::CountInvalid, 3, 1, -1, -1));
    EXPECT_EQ(fields({{14, "-1"}}), P(Kind::CountInvalid, 14, 6, -1, -1));
    EXPECT_EQ(fields({{10, "11"}}), P(Kind::TooManyTunnels, 10, 2, -1, -1));
    EXPECT_EQ(fields({{11, "12"}}), P(Kind::TooManySpillways, 11, 3, -1, -1));
    // A count typed without confirming it leaves the table at its old size.
    EXPECT_EQ(fields({{2, "4"}}), P(Kind::CountMismatch, 2, 0, -1, -1));
    EXPECT_EQ(fields({{3, "3"}}), P(Kind::CountMismatch, 3, 1, -1, -1));
    EXPECT_EQ(fields({{12, ""}}), P(Kind::CountMismatch, 12, 4, -1, -1));
    EXPECT_EQ(problem({{12, ""}}, [](CaseText& t) { t.resizeTable(4, 0); }), none);
    // Texts that would read back as other items, in fields and in cells.
    EXPECT_EQ(fields({{0, "水库,甲"}}), P(Kind::BadText, 0, -1, -1, -1));
    EXPECT_EQ(fields({{1, " \"1%"}}), P(Kind::BadText, 1, -1, -1, -1));
    EXPECT_EQ(fields({{0, "a\nb"}}), P(Kind::BadText, 0, -1, -1, -1));
    EXPECT_EQ(fields({{4, "6,5"}}), P(Kind::BadText, 4, -1, -1, -1));
    EXPECT_EQ(problem({}, [](CaseText& t) { t.tables[2][0][3] = "0,9"; }),
              P(Kind::BadText, -1, 2, 0, 3));
    EXPECT_EQ(fields({{0, "水库😀"}}), P(Kind::NotEncodable, 0, -1, -1, -1));
    EXPECT_EQ(problem({}, [](CaseText& t) { t.tables[6][1][0] = "1२"; }),
              P(Kind::NotEncodable, -1, 6, 1, 0));
}

TEST(CaseSave, WritesReplacesAndRefusesWithoutHarm) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const CaseText text = loadCaseText(kExample).value();
    const QString path = dir.filePath("M-4copy.INT");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(4096, 'x')); // longer than the case: nothing of it may remain
    }
    EXPECT_EQ(writeCaseFile(path, text), std::nullopt);
    EXPECT_EQ(fileBytes(path), fileBytes(kExample));

    const auto noFolder = writeCaseFile(dir.filePath("gone/M-4a.INT"), text);
    ASSERT_TRUE(noFolder);
    EXPECT_EQ(noFolder->fault, Fault::FolderMissing);
    EXPECT_EQ(noFolder->detail, dir.filePath("gone"));

    ASSERT_TRUE(QDir(dir.path()).mkdir("M-4dir.INT"));
    const auto onFolder = writeCaseFile(dir.filePath("M-4dir.INT"), text);
    ASSERT_TRUE(onFolder);
    EXPECT_EQ(onFolder->fault, Fault::CaseNotWritten);
    EXPECT_FALSE(onFolder->detail.isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath("M-4dir.INT")).isDir());

    for (const QString name : {"sub/M-4a.INT", "sub\\M-4a.INT"}) {
        const auto separator = writeCaseFile(dir.path(), name, text);
        ASSERT_TRUE(separator);
        EXPECT_EQ(separator->fault, Fault::NameHasSeparator);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              (QStringList{"M-4copy.INT", "M-4dir.INT"}));
}
