// Loading, saving and running case files through the window, as the user does it; the toolbar
// and menu commands, the focus after commands, exit and printing from the window.

#include "ui/platform/picture_box.h"
#include "window_fixture.h"

#include <QAbstractScrollArea>
#include <QStorageInfo>

#include <dlfcn.h>
#include <fcntl.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>

/// While set, every open for reading of a path that ends with it fails, as a failing disk does.
static std::atomic<const char*> failingRead{nullptr};

extern "C" int open(const char* path, int flags, ...) {
    static auto* next = reinterpret_cast<int (*)(const char*, int, ...)>(dlsym(RTLD_NEXT, "open"));
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(args, mode_t) : 0;
    va_end(args);
    const char* failing = failingRead;
    if (failing && (flags & O_ACCMODE) == O_RDONLY && QByteArray(path).endsWith(failing))
        return errno = EIO, -1;
    return next(path, flags, mode);
}

namespace {

using FilesWindow = WindowFixture;

TEST_F(FilesWindow, TypedCaseIsSavedAsTheExampleFileAndRunsAsTheCommandRunsIt) {
    start();
    // The last cell confirmed, Enter hands the case its name.
    const QString items =
        "M-4demo 示例水库 1% 3 100 10 110 25 120 45 2 600 50 120 200 105 108 50 5 "
        "500 1 4 5 100 0.9 4 5 100 300 1 0.48 20 112 0 0 2 100 0 120 800";
    enter(items.split(' '));
    EXPECT_EQ(QApplication::focusWidget(), nameField());
    EXPECT_EQ(nameField()->selectedText(), "M-4demo.INT");
    tabs("SSTab1")->setTab(3);
    press("save");
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(status(StatusPanel::Result), "数据文件M-4demo.INT已存盘");
    EXPECT_EQ(m4test::fileBytes(use("M-4demo.INT")), m4test::fileBytes(example()));
    // The save shows the first table and lists the new file.
    EXPECT_EQ(tabs("SSTab1")->tab(), 0);
    EXPECT_FALSE(
        find<m4::ui::FileList>("File1")->findItems("M-4demo.INT", Qt::MatchExactly).isEmpty());
    press("save");
    EXPECT_EQ(takeMessages(), QStringList{"文件M-4demo.INT未修改，不必存盘"});

    press("run");
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(tabs("SSTab2")->tab(), 1);
    EXPECT_EQ(pane(), gbkFile(use("M-4demo.out")));

    // The pane draws the chart at its own size, also after the window grows.
    auto* chart = find<m4::ui::PictureBox>("Picture1");
    EXPECT_EQ(chart->image().size(), chart->size());
    w->resize(w->size() + QSize(200, 100));
    tabs("SSTab2")->setTab(2);
    QApplication::processEvents();
    EXPECT_EQ(chart->image().size(), chart->size());
}

TEST_F(FilesWindow, RefusedOrUnreadableFilesLeaveTheCurrentCaseAndItsName) {
    copyExample();
    ASSERT_TRUE(QFile::copy(example(), use("M-4demo-.INT")));
    start();
    click("M-4Example.INT");
    const auto named = [&] { return nameField()->text() + "|" + field(0)->text(); };
    const QString loaded = named();
    // An editor open when a file is picked is dropped, not written into the case kept.
    clickCell(0, 1, 1);
    QTest::keyClicks(find<QLineEdit>("Text2"), "999");
    click("M-4demo-.INT");
    EXPECT_EQ(takeMessages(), QStringList()) << "no box within the double-click time";
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    EXPECT_EQ(takeMessages(), QStringList{"选择的数据文件 M-4demo-.INT 不符合！"});
    EXPECT_EQ(named(), loaded);
    EXPECT_EQ(cells(0)[0][0], "100");
    EXPECT_TRUE(find<QLineEdit>("Text2")->isHidden());

    // A double click on a refused file runs it; then the window's case keeps its own name, also
    // after the case was renamed without a click, so a later save writes the window's case
    // under its own name, never over the refused file.
    retype(nameField(), "M-4Renamed.INT");
    takeMessages();
    click("M-4demo-.INT", true);
    EXPECT_EQ(takeMessages(), QStringList{"选择的数据文件 M-4demo-.INT 不符合！"});
    EXPECT_EQ(status(StatusPanel::Result), "结果文件M-4demo-.out/bmp已存盘");
    click("M-4Example.INT", true, true);
    EXPECT_EQ(nameField()->text(), "M-4Renamed.INT");
    retype(field(0), "改过的水库");
    press("save");
    EXPECT_EQ(status(StatusPanel::Result), "数据文件M-4Renamed.INT已存盘");
    EXPECT_EQ(m4test::fileBytes(use("M-4demo-.INT")), m4test::fileBytes(example()));
    EXPECT_EQ(m4test::fileBytes(use("M-4Example.INT")), m4test::fileBytes(example()));
}

TEST_F(FilesWindow, SaveRefusesWhatTheFileCouldNotHoldAndKeepsTheFileSavedBefore) {
    start();
    QByteArray saved = "(missing)"; // what the last save that succeeded wrote
    const auto saveFails = [&](const QString& name, const QString& message) {
        press("save");
        EXPECT_EQ(takeMessages(), QStringList{message});
        EXPECT_EQ(status(StatusPanel::Result), "有错，文件" + name + "还没有存盘");
        EXPECT_EQ(m4test::fileBytes(use("M-4x.INT")), saved);
    };
    saveFails("*.INT", "文件名*.INT不对");
    retype(nameField(), "M-4x.INT");
    takeMessages();
    const char* fields[] = {"示例水库", "1%", "0", "2", "600", "105", "108", "50", "5", "500", "0"};
    for (int i = 0; i < 11; ++i) retype(field(i), fields[i]);
    // J typed but never confirmed with Enter: the hydrograph has no rows for it.
    saveFails("M-4x.INT", "洪水过程时段数J“2”与表格“洪水过程”的行数0不符，请在该栏按Enter确认");
    field(3)->setFocus();
    enter({"2", "600", "100", "110"});
    // The last cell typed but not confirmed: the save takes it all the same.
    QTest::keyClicks(QApplication::focusWidget(), "120");
    press("save");
    EXPECT_EQ(takeMessages(), QStringList());
    saved = m4test::fileBytes(use("M-4x.INT"));
    EXPECT_TRUE(saved.contains("\r\n120\r\n"));
    retype(field(0), "甲,乙");
    saveFails("M-4x.INT", "工程名不能含有逗号或换行，也不能以双引号开头");
}

TEST_F(FilesWindow, BrowsingFoldersNeverMovesTheCurrentCase) {
    ASSERT_TRUE(QDir(use()).mkpath("other"));
    start();
    auto* folders = find<m4::ui::FolderList>("Dir1");
    folders->setPath(use("other"));
    EXPECT_EQ(find<m4::ui::FileList>("File1")->path(), use("other"));
    EXPECT_EQ(find<QLabel>("Label1(1)")->text(), use());
    // Arrows move in the list; Enter opens the folder they reach.
    folders->setCurrentRow(0);
    QTest::keyClick(folders, Qt::Key_Down);
    EXPECT_EQ(folders->path(), use("other"));
    QTest::keyClick(folders, Qt::Key_Return);
    EXPECT_NE(folders->path(), use("other"));
    folders->setPath(use("other"));
    folders->setPath(use("missing"));
    EXPECT_EQ(takeMessages(), QStringList{"文件夹" + use("missing") + "无法打开"});
    EXPECT_EQ(find<m4::ui::FileList>("File1")->path(), use("other"));
    // Choosing a volume opens its top folder.
    auto* drives = find<m4::ui::DriveList>("Drive1");
    for (const Qt::Key key : {Qt::Key_Home, Qt::Key_End}) {
        QTest::keyClick(drives, key);
        const QString drive = drives->drive();
        EXPECT_TRUE(drive == QStorageInfo(use()).rootPath() || folders->path() == drive);
    }
    EXPECT_EQ(find<QLabel>("Label1(1)")->text(), use());
}

TEST_F(FilesWindow, RunRefusesUnsavedCasesAndAFailedRunLeavesNoResultsShown) {
    copyExample();
    start();
    retype(nameField(), "M-4Example.int"); // any letter case passes the name test
    takeMessages();
    press("run");
    EXPECT_EQ(takeMessages(), QStringList{"文件M-4Example.int已作修改，请先存盘再计算"});
    EXPECT_EQ(status(StatusPanel::Result), "文件M-4Example.int已作修改，请先存盘");
    EXPECT_EQ(tabs("SSTab2")->tab(), 0);

    // A run that fails, on a file it cannot use or a chart it cannot write: the message names
    // the fault, and no earlier report or chart stays shown as this one's.
    ASSERT_TRUE(QFile::copy(M4_TEST_DATA "/bad/tunnels-11.INT", use("M-4bad.INT")));
    click("M-4Example.INT", true); // a report shown before
    ASSERT_FALSE(pane().isEmpty());
    ASSERT_TRUE(QFile::remove(use("M-4Example.bmp")) && QDir(use()).mkdir("M-4Example.bmp"));
    // The bad file's load is refused before its run; the status shows the fault's first line.
    for (const auto& [file, message] : {std::pair{"M-4bad.INT", "泄洪洞个数G0=11超过10"},
                                        std::pair{"M-4Example.INT", "图形文件无法保存"}}) {
        click(file, true);
        const QStringList messages = takeMessages();
        ASSERT_FALSE(messages.isEmpty());
        EXPECT_TRUE(messages.back().startsWith(message)) << messages.back();
        EXPECT_EQ(status(StatusPanel::Result), messages.back().section('\n', 0, 0));
        // The report written before the chart failed is this run's; without one the empty
        // chart page stays shown.
        const bool reported = QString(message) == "图形文件无法保存";
        EXPECT_EQ(pane(), reported ? gbkFile(use("M-4Example.out")) : QString()) << message;
        EXPECT_EQ(tabs("SSTab2")->tab(), reported ? 1 : 2) << message;
        EXPECT_EQ(find<m4::ui::PictureBox>("Picture1")->image().isNull(), !reported);
    }
    EXPECT_FALSE(QFile::exists(use("M-4bad.out")));

    // A run whose report cannot be read back says so, naming the report, and shows none.
    ASSERT_TRUE(QDir(use()).rmdir("M-4Example.bmp"));
    failingRead = "M-4Example.out";
    click("M-4Example.INT", true);
    failingRead = nullptr;
    const QString message = takeMessages().join('|');
    EXPECT_TRUE(message.startsWith("结果文件无法读取：") &&
                message.endsWith("\n文件：" + QDir::toNativeSeparators(use("M-4Example.out"))))
        << message;
    EXPECT_EQ(status(StatusPanel::Result), message.section('\n', 0, 0));
    EXPECT_EQ(pane(), QString());
}

using CommandsWindow = WindowFixture;

/// A printer that keeps what it is given, or fails every step.
struct ScriptedPrinter : m4::ReportPrinter {
    ScriptedPrinter(QStringList* log, bool ready) : log_(log), ready_(ready) {}
    bool beginDocument(int l, int t) override { return note(QString("begin %1 %2").arg(l).arg(t)); }
    bool emptyLine() override { return note("empty"); }
    bool text(const QString& text) override { return note(text); }
    bool endDocument() override { return note("end"); }
    bool note(const QString& call) { return log_->append(call), ready_; }
    QStringList* log_;
    bool ready_;
};

TEST_F(CommandsWindow, ToolbarAndMenuRunTheSameCommandsAndOnlyTheToolbarNamesItInPanel2) {
    start();
    // Each command from either place; the toolbar names it in panel 2, the menu does not.
    for (const auto& [key, panel2, message] :
         {std::tuple{"run", "运行计算作图", "文件名*.INT不对！请查实"},
          std::tuple{"print", "打印文本图形", "尚未计算,无文本和图形打印"}}) {
        press(key);
        EXPECT_EQ(status(StatusPanel::Command), panel2);
        EXPECT_EQ(takeMessages(), QStringList{message});
        find<QLabel>("command")->setText("before");
        choose(key);
        EXPECT_EQ(status(StatusPanel::Command), "before");
        EXPECT_EQ(takeMessages(), QStringList{message});
    }
    // Exit ends at once, unsaved edits or not, from either place, and so does closing; New
    // empties the case.
    retype(field(0), "unsaved");
    choose("exit");
    EXPECT_EQ(quits_, 1);
    press("exit");
    w->close();
    EXPECT_EQ(quits_, 3);
    choose("new");
    EXPECT_EQ(field(0)->text(), "");
}

TEST_F(CommandsWindow, RightButtonOpensTheMenuOverItsAreasOnly) {
    start();
    auto* menu = find<QMenu>("MnuRight");
    EXPECT_EQ(menu->title(), "右键菜单");
    // A click on the control, or inside the frame of one that scrolls.
    const auto opens = [&](int page, const char* name, Qt::MouseButton mouse) {
        tabs("SSTab2")->setTab(page);
        QWidget* area = find<QWidget>(name);
        if (auto* scrolls = qobject_cast<QAbstractScrollArea*>(area)) area = scrolls->viewport();
        QTest::mouseClick(area, mouse, {}, QPoint(3, 3));
        const bool shown = menu->isVisible();
        menu->hide();
        return shown;
    };
    const std::pair<int, const char*> areas[] = {
        {0, "client"}, {0, "Picture2"},     {0, "Picture3"}, {0, "Dir1"},        {0, "File1"},
        {0, "SSpic"},  {1, "RichTextBox1"}, {2, "Picture1"}, {3, "RichTextBox2"}};
    for (const auto& [page, name] : areas) {
        EXPECT_TRUE(opens(page, name, Qt::RightButton)) << name;
        EXPECT_FALSE(opens(page, name, Qt::LeftButton)) << name;
    }
    for (const char* other : {"MSFlexGrid1(0)", "Text3(0)", "Label1(2)", "Drive1", "new"})
        EXPECT_FALSE(opens(0, other, Qt::RightButton)) << other;
}

TEST_F(CommandsWindow, FocusStaysWithTheUserSoASpaceNeverRunsACommand) {
    copyExample();
    start();
    // Tab walks on from the last field to the folders and round, never onto a toolbar button.
    field(14)->setFocus();
    QTest::keyClick(field(14), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), find<QWidget>("Drive1"));
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(qobject_cast<QToolButton*>(QApplication::focusWidget()), nullptr) << i;
    }
    click("M-4Example.INT");
    field(5)->setFocus();
    press("run");
    ASSERT_FALSE(pane().isEmpty());
    EXPECT_EQ(qobject_cast<QToolButton*>(QApplication::focusWidget()), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(field(0)->text(), "示例水库");
    // Back on the data page, the focus is where the user left it.
    QTest::mouseClick(tabs("SSTab2"), Qt::LeftButton, {}, tabs("SSTab2")->tabRect(0).center());
    EXPECT_EQ(QApplication::focusWidget(), field(5));
}

TEST_F(CommandsWindow, PrintSendsThePaneAndReportsEachFailedStep) {
    copyExample();
    copyExample("M-4Typical.INT");
    start();
    QStringList log;
    bool ready = true;
    printer_ = [&](const QString&) { return std::make_unique<ScriptedPrinter>(&log, ready); };

    click("M-4Example.INT", true);
    // Then a printer that is not there: every step still tried, one message a step, and no
    // claim that anything printed. Then another case loaded after the run: the pane still
    // holds, and the status names, the report of the case that was run.
    for (const auto& [ok, load] : {std::pair{true, ""}, {false, ""}, {true, "M-4Typical.INT"}}) {
        ready = ok;
        log.clear();
        if (*load) click(load);
        choose("print");
        EXPECT_EQ(log, (QStringList{"begin -600 300", "empty", "empty",
                                    gbkFile(use("M-4Example.out")), "end"}));
        EXPECT_EQ(takeMessages(), ok ? QStringList() : QStringList(5, "打印机未准备好"));
        EXPECT_EQ(status(StatusPanel::Result),
                  ok ? "结果文件M-4Example.out/bmp已打印" : "打印机未准备好");
    }
}

} // namespace
