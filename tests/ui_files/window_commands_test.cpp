// The toolbar, the right-click menu, exit and printing from the window.

#include "files_fixture.h"

#include "ui/platform/picture_box.h"
#include "ui/platform/twips.h"
#include "ui/printing.h"

#include <QLabel>
#include <QMenu>

namespace {

/// A printer that keeps what it is given, or fails every step.
class ScriptedPrinter : public m4::ReportPrinter {
  public:
    ScriptedPrinter(QStringList* log, bool ready) : log_(log), ready_(ready) {}
    bool beginDocument(int left, int top) override {
        return note(QString("begin %1 %2").arg(left).arg(top));
    }
    bool emptyLine() override { return note("empty"); }
    bool text(const QString& text) override { return note(text); }
    bool endDocument() override { return note("end"); }

  private:
    bool note(const QString& call) {
        *log_ << call;
        return ready_;
    }
    QStringList* log_;
    bool ready_;
};

TEST_F(FilesWindow, ToolbarButtonsStandInOrderWithTheirGapsAndNameTheCommandInPanel2) {
    start();
    const QStringList keys{"new", "save", "run", "print", "exit"};
    const int gaps[] = {1700, 0, 300, 0, 2260}; // twips before each button
    QStringList captions;
    int previousRight = 0;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        auto* b = w->Toolbar1->findChild<QToolButton*>(keys[i]);
        ASSERT_NE(b, nullptr) << keys[i].toStdString();
        captions << b->text() + "|" + b->toolTip();
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_NEAR(b->x() - previousRight, m4::ui::twips(gaps[i]), 1) << keys[i].toStdString();
        previousRight = b->x() + b->width();
    }
    EXPECT_EQ(captions, (QStringList{"新建|新建数据文件", "存盘|数据文件存盘", "计算|运行计算作图",
                                     "打印|打印文本图形", "退出|退出应用程序"}));

    // The toolbar names its command in panel 2; the menu runs the same command and does not.
    press("run");
    EXPECT_EQ(w->statusText(2), "运行计算作图");
    EXPECT_EQ(takeMessages(), QStringList{"文件名*.INT不对！请查实"});
    w->setStatus(2, "before");
    w->MnuItem_Click(3);
    EXPECT_EQ(w->statusText(2), "before");
    EXPECT_EQ(takeMessages(), QStringList{"文件名*.INT不对！请查实"});
}

TEST_F(FilesWindow, RightButtonOpensTheMenuOnItsAreasOnlyAndExitEndsAtOnce) {
    start();
    ASSERT_NE(w->MnuRight, nullptr);
    EXPECT_EQ(w->MnuRight->title(), "右键菜单");
    QStringList items;
    for (QAction* a : w->MnuRight->actions()) items << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(items, (QStringList{"新建", "存盘", "-", "计算", "打印", "-", "退出"}));

    const auto opens = [&](int page, QWidget* area, Qt::MouseButton mouse) {
        w->SSTab2->setTab(page);
        QTest::mouseClick(area, mouse, {}, QPoint(5, 5));
        const bool shown = w->MnuRight->isVisible();
        w->MnuRight->hide();
        return shown;
    };
    EXPECT_TRUE(opens(1, w->RichTextBox1->viewport(), Qt::RightButton));
    EXPECT_FALSE(opens(1, w->RichTextBox1->viewport(), Qt::LeftButton));
    EXPECT_TRUE(opens(2, w->Picture1, Qt::RightButton));
    EXPECT_FALSE(opens(2, w->Picture1, Qt::LeftButton));
    EXPECT_TRUE(opens(0, w->File1->viewport(), Qt::RightButton));
    EXPECT_FALSE(opens(0, w->MSFlexGrid1[0]->viewport(), Qt::RightButton));
    EXPECT_FALSE(opens(0, w->Text3[0], Qt::RightButton));
    EXPECT_FALSE(opens(0, w->Label1[2], Qt::RightButton));

    // Separators do nothing; exit ends at once, unsaved edits or not, from either place.
    const QString panel3 = w->statusText(3);
    w->MnuItem_Click(2);
    w->MnuItem_Click(5);
    EXPECT_EQ(w->statusText(3), panel3);
    EXPECT_EQ(quits_, 0);
    w->DataState = m4::kStateModified;
    w->MnuItem_Click(6);
    EXPECT_EQ(quits_, 1);
    press("exit");
    EXPECT_EQ(quits_, 2);
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(FilesWindow, PrintSendsThePaneAndReportsEachFailedStep) {
    copyExample();
    copyExample("M-4Typical.INT");
    start();
    QStringList log;
    bool ready = true;
    w->printerFactory = [&](const QString&) {
        return std::make_unique<ScriptedPrinter>(&log, ready);
    };

    press("print");
    EXPECT_EQ(w->statusText(2), "打印文本图形");
    EXPECT_EQ(takeMessages(), QStringList{"尚未计算,无文本和图形打印"});
    EXPECT_EQ(w->statusText(3), "尚未计算,无文本和图形打印");
    EXPECT_TRUE(log.isEmpty());

    click("M-4Example.INT", true);
    w->PrintResults();
    const QString report = gbkFile(use("M-4Example.out"));
    EXPECT_EQ(log, (QStringList{"begin -600 300", "empty", "empty", report, "end"}));
    EXPECT_EQ(w->statusText(3), "结果文件M-4Example.out/bmp已打印");

    // A printer that is not there: one message a step, and no claim that anything printed.
    ready = false;
    w->PrintResults();
    EXPECT_EQ(takeMessages(), QStringList(5, "打印机未准备好"));
    EXPECT_EQ(w->statusText(3), "打印机未准备好");

    // Another case loaded after the run: the pane still holds, and the status names, the
    // report of the case that was run.
    ready = true;
    log.clear();
    click("M-4Typical.INT");
    w->PrintResults();
    EXPECT_EQ(log, (QStringList{"begin -600 300", "empty", "empty", report, "end"}));
    EXPECT_EQ(w->statusText(3), "结果文件M-4Example.out/bmp已打印");
}

} // namespace
