// The toolbar and menu commands, the focus after commands, exit and printing from the window.

#include "window_fixture.h"

#include <QAbstractScrollArea>

namespace {

using m4::ui::StatusPanel;
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
    // Tab walks on from the last field to the folders, never onto a toolbar button.
    field(14)->setFocus();
    QTest::keyClick(field(14), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), find<QWidget>("Drive1"));
    click("M-4Example.INT");
    field(5)->setFocus();
    press("run");
    ASSERT_FALSE(pane().isEmpty());
    EXPECT_EQ(qobject_cast<QToolButton*>(QApplication::focusWidget()), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(field(0)->text(), "示例水库");
    // Back on the data page, the focus is where the user left it.
    auto* pages = tabs("SSTab2");
    QTest::mouseClick(pages, Qt::LeftButton, {}, pages->tabRect(0).center());
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
    for (const auto& [ok, load, said] :
         {std::tuple{true, "", "结果文件M-4Example.out/bmp已打印"},
          std::tuple{false, "", "打印机未准备好"},
          std::tuple{true, "M-4Typical.INT", "结果文件M-4Example.out/bmp已打印"}}) {
        ready = ok;
        log.clear();
        if (*load) click(load);
        choose("print");
        EXPECT_EQ(log, (QStringList{"begin -600 300", "empty", "empty",
                                    gbkFile(use("M-4Example.out")), "end"}));
        EXPECT_EQ(takeMessages(), ok ? QStringList() : QStringList(5, "打印机未准备好"));
        EXPECT_EQ(status(StatusPanel::Result), said);
    }
}

} // namespace
