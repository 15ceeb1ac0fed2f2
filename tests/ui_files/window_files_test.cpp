// Loading, saving and running case files through the window, as the user does it.

#include "files_fixture.h"

#include "case/file_names.h"
#include "output/case_run.h"
#include "ui/platform/picture_box.h"

#include <QImage>
#include <QLabel>

namespace {

/// The report's lines after the first, which names the folder it was written in.
QString afterFileLine(const QString& report) {
    return report.section("\r\n", 1);
}

TEST_F(FilesWindow, TypedCaseIsSavedAsTheExampleFileAndRunsAsTheCommandRunsIt) {
    start();
    enter({"M-4demo", "示例水库", "1%",  "3",   "100", "10",  "110", "25",  "120", "45",
           "2",       "600",      "50",  "120", "200", "105", "108", "50",  "5",   "500",
           "1",       "4",        "5",   "100", "0.9", "4",   "5",   "100", "300", "1",
           "0.48",    "20",       "112", "0",   "0",   "2",   "100", "0",   "120", "800"});
    EXPECT_EQ(QApplication::focusWidget(), w->Text12); // the chain ends at the name field

    press("save");
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(w->statusText(3), "数据文件M-4demo.INT已存盘");
    EXPECT_EQ(w->DataState, m4::kStateSaved);
    EXPECT_EQ(bytesOf(use("M-4demo.INT")), bytesOf(example()));

    press("run");
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(w->statusText(2) + "|" + w->statusText(3),
              "运行计算作图|结果文件M-4demo.out/bmp已存盘");
    EXPECT_EQ(w->SSTab2->tab(), 1);

    // The command's run of the same file elsewhere writes the same report but for its folder.
    QTemporaryDir other;
    ASSERT_TRUE(QFile::copy(example(), other.filePath("M-4demo.INT")));
    ASSERT_TRUE(m4::runCaseFile({other.path(), "M-4demo.INT"}).ok());
    const QString report = gbkFile(use("M-4demo.out"));
    EXPECT_TRUE(
        report.startsWith("文件：" + QDir::toNativeSeparators(use("M-4demo.out")) + "\r\n\r\n"));
    EXPECT_EQ(afterFileLine(report), afterFileLine(gbkFile(other.filePath("M-4demo.out"))));
    EXPECT_EQ(paneText(), report);
    // The chart is drawn at the picture's size and saved so.
    EXPECT_EQ(QImage(use("M-4demo.bmp")).size(), w->Picture1->size());
    EXPECT_EQ(w->Picture1->image().size(), w->Picture1->size());
}

TEST_F(FilesWindow, LoadedCaseSavesOnlyAfterAChangeAndThenRewritesTheSameFile) {
    copyExample();
    start();
    click("M-4Example.INT");
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(w->DataState, m4::kStateSaved);
    EXPECT_EQ(w->Text3[0]->text() + "|" + w->MSFlexGrid1[2]->textMatrix(1, 4), "示例水库|0.9");
    EXPECT_EQ(w->GridRows(1), 3);
    EXPECT_EQ(w->Text12->text(), "M-4Example.INT");
    EXPECT_EQ(w->Label1[1]->text(), w->CasePath);
    EXPECT_EQ(w->statusText(2), "选择数据文件");
    EXPECT_EQ(w->statusText(3), m4::shortCasePath(w->CasePath, w->CaseFileName));

    press("save");
    EXPECT_EQ(takeMessages(), QStringList{"文件M-4Example.INT未修改，不必存盘"});
    EXPECT_EQ(w->statusText(3), "文件M-4Example.INT未修改，不必存盘");

    // One click into a table marks the case modified; the save rewrites the same lines.
    ASSERT_TRUE(QFile::remove(use("M-4Example.INT")));
    m4::ui::Grid* grid = w->MSFlexGrid1[0];
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(1, 1)).center());
    EXPECT_EQ(w->DataState, m4::kStateModified);
    press("save");
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(bytesOf(use("M-4Example.INT")), bytesOf(example()));
}

TEST_F(FilesWindow, RefusedOrUnreadableFilesLeaveTheCurrentCaseAndItsName) {
    copyExample();
    ASSERT_TRUE(QFile::copy(example(), use("M-4demo-.INT")));
    ASSERT_TRUE(QFile::copy(example(), use("M-4gone.INT")));
    QFile shortFile(use("M-4short.INT"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(bytesOf(example()).left(30)); // ends inside the level-area table
    shortFile.close();
    start();
    click("M-4Example.INT");
    const auto named = [&] {
        return QStringList{w->CaseFileName, w->CaseFullPath, w->Text12->text(),
                           w->Label1[1]->text(), w->Text3[0]->text()};
    };
    const QStringList loaded = named();
    ASSERT_TRUE(QFile::remove(use("M-4gone.INT")));
    const std::pair<const char*, const char*> refused[] = {
        {"M-4demo-.INT", "选择的数据文件 M-4demo-.INT 不符合！"},
        {"M-4short.INT", "数据文件不对，数据个数少！"},
        {"M-4gone.INT", "找不到数据文件"}}; // each message's start
    for (const auto& [file, message] : refused) {
        w->File1->setFileName(file);
        w->File1_Click(); // the list no longer holds M-4gone.INT after a refresh
        const QStringList messages = takeMessages();
        ASSERT_EQ(messages.size(), 1) << file;
        EXPECT_TRUE(messages[0].startsWith(message)) << messages[0].toStdString();
        EXPECT_EQ(named(), loaded);
        EXPECT_EQ(w->DataState, m4::kStateSaved);
        EXPECT_EQ(w->GridRows(0), 3);
    }

    // A double click still runs a refused file, then the window's case keeps its own name:
    // a later save writes the loaded case back, never over the refused file.
    click("M-4demo-.INT", true);
    EXPECT_EQ(takeMessages(), QStringList{"选择的数据文件 M-4demo-.INT 不符合！"});
    EXPECT_EQ(w->statusText(3), "结果文件M-4demo-.out/bmp已存盘");
    EXPECT_TRUE(QFile::exists(use("M-4demo-.out")));
    EXPECT_EQ(w->CaseFileName, "M-4Example.INT");
    w->Text3[0]->setText("改过的水库");
    w->DataState = m4::kStateModified;
    w->SaveCase();
    EXPECT_EQ(w->statusText(3), "数据文件M-4Example.INT已存盘");
    EXPECT_EQ(bytesOf(use("M-4demo-.INT")), bytesOf(example()));
}

TEST_F(FilesWindow, SaveRefusesWhatTheFileCouldNotHoldAndWritesNothing) {
    start();
    const auto saveFails = [&](const QString& name, const QString& message) {
        w->DataState = m4::kStateModified;
        w->CaseFileName = name;
        w->SaveCase();
        EXPECT_EQ(takeMessages(), QStringList{message});
        EXPECT_EQ(w->statusText(3), "有错，文件" + name + "还没有存盘");
        EXPECT_EQ(w->DataState, m4::kStateModified);
        EXPECT_EQ(QDir(use()).entryList(QDir::Files), QStringList());
    };
    saveFails("*.INT", "文件名*.INT不对");
    saveFails("M-4x.TXT", "文件名M-4x.TXT不对");
    saveFails("sub/M-4x.INT", "文件名sub/M-4x.INT不对，不能含有文件夹分隔符");
    saveFails("M-4x.INT", "   工程名未输入");

    const char* fields[] = {"示例水库", "1%", "0", "2", "600", "105", "108", "50", "5", "500", "0"};
    for (size_t i = 0; i < std::size(fields); ++i) w->Text3[i]->setText(fields[i]);
    // J typed but never confirmed with Enter: the hydrograph has no rows for it.
    saveFails("M-4x.INT", "洪水过程时段数J“2”与表格“洪水过程”的行数0不符，请在该栏按Enter确认");
    w->setGridRows(1, 3);
    w->setGridRows(2, 11);
    for (const char* count : {"11", "-1"}) {
        w->Text3[10]->setText(count);
        saveFails("M-4x.INT", QString("泄洪洞个数GO“%1”不对，应为0至10的整数").arg(count));
    }
    w->Text3[10]->setText("0");
    w->setGridRows(2, 0);
    w->Text3[0]->setText("甲,乙");
    saveFails("M-4x.INT", "工程名不能含有逗号或换行，也不能以双引号开头");
    w->Text3[0]->setText("示例水库");
    w->MSFlexGrid1[1]->setTextMatrix(2, 1, "\"120");
    saveFails("M-4x.INT", "表格“洪水过程”第1行第1列不能含有逗号或换行，也不能以双引号开头");
    w->MSFlexGrid1[1]->setTextMatrix(2, 1, "120");

    // The case folder gone: a message, the case stays, nothing anywhere.
    ASSERT_TRUE(QDir(use()).removeRecursively());
    w->SaveCase();
    const QStringList messages = takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("文件夹不存在"));
    EXPECT_EQ(w->DataState, m4::kStateModified);
    ASSERT_TRUE(QDir().mkpath(use()));
    w->SaveCase();
    EXPECT_EQ(takeMessages(), QStringList());
    const QByteArray saved = bytesOf(use("M-4x.INT"));
    EXPECT_FALSE(saved.isEmpty());

    // A refused save leaves the file saved before as it was.
    w->Text3[1]->setText("1%\n");
    w->DataState = m4::kStateModified;
    w->SaveCase();
    EXPECT_EQ(takeMessages(), QStringList{"洪水频率不能含有逗号或换行，也不能以双引号开头"});
    EXPECT_EQ(bytesOf(use("M-4x.INT")), saved);
}

TEST_F(FilesWindow, BrowsingFoldersNeverMovesTheCurrentCase) {
    ASSERT_TRUE(QDir(use()).mkpath("other"));
    start();
    w->Dir1->setPath(use("other"));
    EXPECT_EQ(w->File1->path(), use("other"));
    EXPECT_EQ(w->CasePath + "|" + w->Label1[1]->text(), use() + "|" + use());
    w->Dir1->setPath(use("missing"));
    EXPECT_EQ(takeMessages(), QStringList{"文件夹" + use("missing") + "无法打开"});
    EXPECT_EQ(w->File1->path(), use("other"));
}

TEST_F(FilesWindow, RunRefusesUnsavedCasesAndReportsFailedRuns) {
    copyExample();
    start();
    const auto refused = [&](const QString& status, const QString& message) {
        press("run");
        EXPECT_EQ(takeMessages(), QStringList{message});
        EXPECT_EQ(w->statusText(3), status);
        EXPECT_EQ(w->SSTab2->tab(), 0);
    };
    refused("文件名*.INT不对！无法运行", "文件名*.INT不对！请查实");
    w->CaseFileName = "M-4Example.int"; // any letter case passes the name test
    w->DataState = m4::kStateNew;
    refused("数据文件M-4Example.int无数据，请先输入", "数据M-4Example.int无数据，请先输入");
    w->DataState = m4::kStateModified;
    refused("文件M-4Example.int已作修改，请先存盘", "文件M-4Example.int已作修改，请先存盘再计算");

    // New after a loaded and run case: the name is the placeholder again and the run refuses.
    click("M-4Example.INT", true);
    EXPECT_EQ(takeMessages(), QStringList());
    const QString report = paneText();
    ASSERT_FALSE(report.isEmpty());
    press("new");
    EXPECT_EQ(w->CaseFileName, "*.INT");
    refused("文件名*.INT不对！无法运行", "文件名*.INT不对！请查实");

    // A run that fails, on a file it cannot use or a report or chart it cannot write: the
    // message names the fault; the pane and chart stay unless the report was written.
    QFile bad(use("M-4bad.INT"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(bytesOf(example()).replace("\r\n1\r\n4,5", "\r\n11\r\n4,5")); // G0 = 11
    bad.close();
    const QImage chart = w->Picture1->image();
    ASSERT_TRUE(QFile::remove(use("M-4Example.out")));
    ASSERT_TRUE(QDir(use()).mkdir("M-4Example.out"));
    const struct {
        const char* file;
        qsizetype messages;  ///< the bad file's load is refused before its run
        const char* message; ///< the last one's start; the status shows its first line
        QString pane;
    } failed[] = {{"M-4bad.INT", 2, "泄洪洞个数G0=11超过10", report},
                  {"M-4Example.INT", 1, "结果文件无法写入", report},
                  {"M-4Example.INT", 1, "图形文件无法保存", QString()}};
    for (const auto& f : failed) {
        if (f.pane.isEmpty()) {
            ASSERT_TRUE(QDir(use()).rmdir("M-4Example.out"));
            ASSERT_TRUE(QFile::remove(use("M-4Example.bmp")));
            ASSERT_TRUE(QDir(use()).mkdir("M-4Example.bmp"));
        }
        click(f.file, true);
        const QStringList messages = takeMessages();
        ASSERT_EQ(messages.size(), f.messages) << f.message;
        EXPECT_TRUE(messages.back().startsWith(f.message)) << messages.back().toStdString();
        EXPECT_EQ(w->statusText(3), messages.back().section('\n', 0, 0)) << f.message;
        EXPECT_EQ(paneText(), f.pane.isEmpty() ? gbkFile(use("M-4Example.out")) : f.pane);
        if (!f.pane.isEmpty()) {
            EXPECT_EQ(w->Picture1->image(), chart) << f.message;
        }
    }
    EXPECT_FALSE(QFile::exists(use("M-4bad.out")));
}

} // namespace
