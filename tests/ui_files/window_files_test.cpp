// Loading, saving and running case files through the window, as the user does it.

#include "files_fixture.h"

#include "case/file_names.h"
#include "output/case_run.h"
#include "ui/platform/picture_box.h"

#include <QImage>
#include <QLabel>
#include <QToolButton>

namespace {

void press(m4::vemoM4& window, const char* key) {
    auto* button = window.Toolbar1->findChild<QToolButton*>(QString::fromUtf8(key));
    ASSERT_NE(button, nullptr) << key;
    QTest::mouseClick(button, Qt::LeftButton);
}

/// The report's lines after the first, which names the folder it was written in.
QString afterFileLine(const QString& report) {
    return report.section(QStringLiteral("\r\n"), 1);
}

TEST_F(FilesWindow, TypedCaseIsSavedAsTheExampleFileAndRunsAsTheCommandRunsIt) {
    m4::vemoM4& w = start();
    // The name part is selected: typing replaces it and keeps the extension, without messages.
    type(w.Text12, QStringLiteral("M-4demo"));
    EXPECT_EQ(w.CaseFileName, QStringLiteral("M-4demo.INT"));
    QTest::keyClick(w.Text12, Qt::Key_Return);
    for (const char* item :
         {"示例水库", "1%",  "3",   "100", "10",  "110", "25",  "120", "45",  "2",
          "600",      "50",  "120", "200", "105", "108", "50",  "5",   "500", "1",
          "4",        "5",   "100", "0.9", "4",   "5",   "100", "300", "1",   "0.48",
          "20",       "112", "0",   "0",   "2",   "100", "0",   "120", "800"})
        typeAndEnter(QString::fromUtf8(item));
    EXPECT_EQ(QApplication::focusWidget(), w.Text12); // the chain ends at the name field

    press(w, "save");
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(w.statusText(3), QStringLiteral("数据文件M-4demo.INT已存盘"));
    EXPECT_EQ(w.DataState, m4::kStateSaved);
    EXPECT_EQ(bytesOf(use(QStringLiteral("M-4demo.INT"))), bytesOf(example()));

    press(w, "run");
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(w.statusText(2), QStringLiteral("运行计算作图"));
    EXPECT_EQ(w.statusText(3), QStringLiteral("结果文件M-4demo.out/bmp已存盘"));
    EXPECT_EQ(w.SSTab2->tab(), 1);

    // The command's run of the same file elsewhere writes the same report but for its folder.
    QTemporaryDir other;
    ASSERT_TRUE(QFile::copy(example(), other.filePath(QStringLiteral("M-4demo.INT"))));
    ASSERT_TRUE(m4::runCaseFile({other.path(), QStringLiteral("M-4demo.INT")}).ok());
    const QString windowReport = gbkFile(use(QStringLiteral("M-4demo.out")));
    EXPECT_TRUE(windowReport.startsWith(
        QStringLiteral("文件：") + QDir::toNativeSeparators(use(QStringLiteral("M-4demo.out"))) +
        QStringLiteral("\r\n\r\n")));
    EXPECT_EQ(afterFileLine(windowReport),
              afterFileLine(gbkFile(other.filePath(QStringLiteral("M-4demo.out")))));
    EXPECT_EQ(paneText(), windowReport);

    // The chart is drawn at the picture's size and saved so.
    const QImage saved(use(QStringLiteral("M-4demo.bmp")));
    EXPECT_EQ(saved.size(), w.Picture1->size());
    EXPECT_EQ(w.Picture1->image().size(), w.Picture1->size());
}

TEST_F(FilesWindow, LoadedCaseSavesOnlyAfterAChangeAndThenRewritesTheSameFile) {
    ASSERT_TRUE(QFile::copy(example(), use(QStringLiteral("M-4Example.INT"))));
    m4::vemoM4& w = start();
    click(QStringLiteral("M-4Example.INT"));
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(w.DataState, m4::kStateSaved);
    EXPECT_EQ(w.Text3[0]->text(), QStringLiteral("示例水库"));
    EXPECT_EQ(w.GridRows(1), 3);
    EXPECT_EQ(w.MSFlexGrid1[2]->textMatrix(1, 4), QStringLiteral("0.9"));
    EXPECT_EQ(w.Text12->text(), QStringLiteral("M-4Example.INT"));
    EXPECT_EQ(w.Label1[1]->text(), w.CasePath);
    EXPECT_EQ(w.statusText(2), QStringLiteral("选择数据文件"));
    EXPECT_EQ(w.statusText(3), m4::shortCasePath(w.CasePath, w.CaseFileName));

    press(w, "save");
    const QString unchanged = QStringLiteral("文件M-4Example.INT未修改，不必存盘");
    EXPECT_EQ(takeMessages(), QStringList{unchanged});
    EXPECT_EQ(w.statusText(3), unchanged);

    // One click into a table marks the case modified; the save rewrites the same lines.
    ASSERT_TRUE(QFile::remove(use(QStringLiteral("M-4Example.INT"))));
    m4::ui::Grid* grid = w.MSFlexGrid1[0];
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(1, 1)).center());
    EXPECT_EQ(w.DataState, m4::kStateModified);
    press(w, "save");
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(bytesOf(use(QStringLiteral("M-4Example.INT"))), bytesOf(example()));
}

TEST_F(FilesWindow, RefusedOrUnreadableFilesLeaveTheCurrentCaseAndItsName) {
    ASSERT_TRUE(QFile::copy(example(), use(QStringLiteral("M-4Example.INT"))));
    ASSERT_TRUE(QFile::copy(example(), use(QStringLiteral("M-4demo-.INT"))));
    QFile shortFile(use(QStringLiteral("M-4short.INT")));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(bytesOf(example()).left(30)); // ends inside the level-area table
    shortFile.close();
    ASSERT_TRUE(QFile::copy(example(), use(QStringLiteral("M-4gone.INT"))));
    m4::vemoM4& w = start();
    click(QStringLiteral("M-4Example.INT"));
    const m4::vemoM4::CurrentFile loaded = w.currentFile();
    ASSERT_TRUE(QFile::remove(use(QStringLiteral("M-4gone.INT"))));

    const struct {
        const char* file;
        const char* message; ///< the start of the message
    } refused[] = {{"M-4demo-.INT", "选择的数据文件 M-4demo-.INT 不符合！"},
                   {"M-4short.INT", "数据文件不对，数据个数少！"},
                   {"M-4gone.INT", "找不到数据文件"}};
    for (const auto& r : refused) {
        w.File1->setFileName(QString::fromUtf8(r.file));
        w.File1_Click(); // the list no longer holds M-4gone.INT after a refresh
        const QStringList messages = takeMessages();
        ASSERT_EQ(messages.size(), 1) << r.file;
        EXPECT_TRUE(messages[0].startsWith(QString::fromUtf8(r.message)))
            << messages[0].toStdString();
        EXPECT_EQ(w.CaseFileName, loaded.caseFileName);
        EXPECT_EQ(w.CaseFullPath, loaded.caseFullPath);
        EXPECT_EQ(w.Text12->text(), loaded.nameField);
        EXPECT_EQ(w.Label1[1]->text(), loaded.folderCaption);
        EXPECT_EQ(w.DataState, m4::kStateSaved);
        EXPECT_EQ(w.Text3[0]->text(), QStringLiteral("示例水库"));
        EXPECT_EQ(w.GridRows(0), 3);
    }

    // A double click still runs a refused file, then the window's case keeps its own name:
    // a later save writes the loaded case back, never over the refused file.
    doubleClick(QStringLiteral("M-4demo-.INT"));
    EXPECT_EQ(takeMessages(), QStringList{QStringLiteral("选择的数据文件 M-4demo-.INT 不符合！")});
    EXPECT_EQ(w.statusText(3), QStringLiteral("结果文件M-4demo-.out/bmp已存盘"));
    EXPECT_TRUE(QFile::exists(use(QStringLiteral("M-4demo-.out"))));
    EXPECT_EQ(w.CaseFileName, QStringLiteral("M-4Example.INT"));
    w.Text3[0]->setText(QStringLiteral("改过的水库"));
    w.DataState = m4::kStateModified;
    w.SaveCase();
    EXPECT_EQ(w.statusText(3), QStringLiteral("数据文件M-4Example.INT已存盘"));
    EXPECT_EQ(bytesOf(use(QStringLiteral("M-4demo-.INT"))), bytesOf(example()));
}

TEST_F(FilesWindow, SaveRefusesWhatTheFileCouldNotHoldAndWritesNothing) {
    m4::vemoM4& w = start();
    const auto saveFails = [&](const QString& name, const QString& message) {
        w.DataState = m4::kStateModified;
        w.CaseFileName = name;
        w.SaveCase();
        EXPECT_EQ(takeMessages(), QStringList{message});
        EXPECT_EQ(w.statusText(3),
                  QStringLiteral("有错，文件") + name + QStringLiteral("还没有存盘"));
        EXPECT_EQ(w.DataState, m4::kStateModified);
        EXPECT_EQ(QDir(use()).entryList(QDir::Files), QStringList());
    };
    saveFails(QStringLiteral("*.INT"), QStringLiteral("文件名*.INT不对"));
    saveFails(QStringLiteral("M-4x.TXT"), QStringLiteral("文件名M-4x.TXT不对"));
    saveFails(QStringLiteral("sub/M-4x.INT"),
              QStringLiteral("文件名sub/M-4x.INT不对，不能含有文件夹分隔符"));
    saveFails(QStringLiteral("M-4x.INT"), QStringLiteral("   工程名未输入"));

    const char* fields[] = {"示例水库", "1%", "0", "2", "600", "105", "108", "50", "5", "500", "0"};
    for (int i = 0; i < 11; ++i)
        w.Text3[static_cast<size_t>(i)]->setText(QString::fromUtf8(fields[i]));
    // J typed but never confirmed with Enter: the hydrograph has no rows for it.
    saveFails(QStringLiteral("M-4x.INT"),
              QStringLiteral("洪水过程时段数J“2”与表格“洪水过程”的行数0不符，请在该栏按Enter确认"));
    w.setGridRows(1, 3);
    w.Text3[10]->setText(QStringLiteral("11"));
    w.setGridRows(2, 11);
    saveFails(QStringLiteral("M-4x.INT"), QStringLiteral("泄洪洞个数GO“11”不对，应为0至10的整数"));
    w.Text3[10]->setText(QStringLiteral("-1"));
    saveFails(QStringLiteral("M-4x.INT"), QStringLiteral("泄洪洞个数GO“-1”不对，应为0至10的整数"));
    w.Text3[10]->setText(QStringLiteral("0"));
    w.setGridRows(2, 0);
    w.Text3[0]->setText(QStringLiteral("甲,乙"));
    saveFails(QStringLiteral("M-4x.INT"),
              QStringLiteral("工程名不能含有逗号或换行，也不能以双引号开头"));
    w.Text3[0]->setText(QStringLiteral("示例水库"));
    w.MSFlexGrid1[1]->setTextMatrix(2, 1, QStringLiteral("\"120"));
    saveFails(QStringLiteral("M-4x.INT"),
              QStringLiteral("表格“洪水过程”第1行第1列不能含有逗号或换行，也不能以双引号开头"));
    w.MSFlexGrid1[1]->setTextMatrix(2, 1, QStringLiteral("120"));

    // The case folder gone: a message, the case stays, nothing anywhere.
    ASSERT_TRUE(QDir(use()).removeRecursively());
    w.DataState = m4::kStateModified;
    w.SaveCase();
    const QStringList messages = takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("文件夹不存在")));
    EXPECT_EQ(w.DataState, m4::kStateModified);
    ASSERT_TRUE(QDir().mkpath(use()));
    w.SaveCase();
    EXPECT_EQ(takeMessages(), QStringList());
    const QByteArray saved = bytesOf(use(QStringLiteral("M-4x.INT")));
    EXPECT_FALSE(saved.isEmpty());

    // A refused save leaves the file saved before as it was.
    w.Text3[1]->setText(QStringLiteral("1%\n"));
    w.DataState = m4::kStateModified;
    w.SaveCase();
    EXPECT_EQ(takeMessages(),
              QStringList{QStringLiteral("洪水频率不能含有逗号或换行，也不能以双引号开头")});
    EXPECT_EQ(bytesOf(use(QStringLiteral("M-4x.INT"))), saved);
}

TEST_F(FilesWindow, BrowsingFoldersNeverMovesTheCurrentCase) {
    ASSERT_TRUE(QDir(use()).mkpath(QStringLiteral("other")));
    m4::vemoM4& w = start();
    w.Dir1->setPath(use(QStringLiteral("other")));
    EXPECT_EQ(w.File1->path(), use(QStringLiteral("other")));
    EXPECT_EQ(w.CasePath, use());
    EXPECT_EQ(w.Label1[1]->text(), use());
    w.Dir1->setPath(use(QStringLiteral("missing")));
    EXPECT_EQ(takeMessages(),
              QStringList{QStringLiteral("文件夹") + use(QStringLiteral("missing")) +
                          QStringLiteral("无法打开")});
    EXPECT_EQ(w.File1->path(), use(QStringLiteral("other")));
}

TEST_F(FilesWindow, RunRefusesUnsavedCasesAndReportsFailedRuns) {
    ASSERT_TRUE(QFile::copy(example(), use(QStringLiteral("M-4Example.INT"))));
    m4::vemoM4& w = start();
    const auto refused = [&](const QString& status, const QString& message) {
        press(w, "run");
        EXPECT_EQ(takeMessages(), QStringList{message});
        EXPECT_EQ(w.statusText(3), status);
        EXPECT_EQ(w.SSTab2->tab(), 0);
    };
    refused(QStringLiteral("文件名*.INT不对！无法运行"), QStringLiteral("文件名*.INT不对！请查实"));
    w.CaseFileName = QStringLiteral("M-4Example.int"); // any letter case passes the name test
    w.DataState = m4::kStateNew;
    refused(QStringLiteral("数据文件M-4Example.int无数据，请先输入"),
            QStringLiteral("数据M-4Example.int无数据，请先输入"));
    w.DataState = m4::kStateModified;
    refused(QStringLiteral("文件M-4Example.int已作修改，请先存盘"),
            QStringLiteral("文件M-4Example.int已作修改，请先存盘再计算"));

    // New after a loaded and run case: the name is the placeholder again and the run refuses.
    doubleClick(QStringLiteral("M-4Example.INT"));
    EXPECT_EQ(takeMessages(), QStringList());
    const QString report = paneText();
    ASSERT_FALSE(report.isEmpty());
    press(w, "new");
    EXPECT_EQ(w.CaseFileName, QStringLiteral("*.INT"));
    refused(QStringLiteral("文件名*.INT不对！无法运行"), QStringLiteral("文件名*.INT不对！请查实"));

    // A file the run cannot use: the message names the fault; the pane and chart stay.
    QFile bad(use(QStringLiteral("M-4bad.INT")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(bytesOf(example()).replace("\r\n1\r\n4,5", "\r\n11\r\n4,5")); // G0 = 11
    bad.close();
    const QImage chart = w.Picture1->image();
    doubleClick(QStringLiteral("M-4bad.INT"));
    const QStringList messages = takeMessages();
    ASSERT_EQ(messages.size(), 2); // the click's load, then the run
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("泄洪洞个数G0=11超过10")))
        << messages[1].toStdString();
    EXPECT_EQ(w.statusText(3), messages[1].section(u'\n', 0, 0));
    EXPECT_EQ(paneText(), report);
    EXPECT_EQ(w.Picture1->image(), chart);
    EXPECT_FALSE(QFile::exists(use(QStringLiteral("M-4bad.out"))));

    // A report that cannot be written stops the run; a chart that cannot be saved is reported
    // after the report is shown, never as a saved chart.
    ASSERT_TRUE(QFile::remove(use(QStringLiteral("M-4Example.out"))));
    ASSERT_TRUE(QDir(use()).mkdir(QStringLiteral("M-4Example.out")));
    doubleClick(QStringLiteral("M-4Example.INT"));
    QStringList failed = takeMessages();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].startsWith(QStringLiteral("结果文件无法写入")))
        << failed[0].toStdString();
    EXPECT_EQ(paneText(), report);
    ASSERT_TRUE(QDir(use()).rmdir(QStringLiteral("M-4Example.out")));
    ASSERT_TRUE(QFile::remove(use(QStringLiteral("M-4Example.bmp"))));
    ASSERT_TRUE(QDir(use()).mkdir(QStringLiteral("M-4Example.bmp")));
    doubleClick(QStringLiteral("M-4Example.INT"));
    failed = takeMessages();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].startsWith(QStringLiteral("图形文件无法保存")))
        << failed[0].toStdString();
    EXPECT_EQ(w.statusText(3), failed[0].section(u'\n', 0, 0));
    EXPECT_EQ(paneText(), gbkFile(use(QStringLiteral("M-4Example.out"))));
}

} // namespace
