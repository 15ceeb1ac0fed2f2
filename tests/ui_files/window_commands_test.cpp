// The toolbar, the right-click menu, exit and printing from the window.

#include "files_fixture.h"

#include "ui/platform/picture_box.h"
#include "ui/platform/twips.h"
#include "ui/printing.h"

#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace {

const QStringList kKeys{"new", "save", "run", "print", "exit"};

QToolButton* button(m4::vemoM4& w, const QString& key) {
    return w.Toolbar1->findChild<QToolButton*>(key);
}

/// A printer that keeps what it is given, or fails every step.
class ScriptedPrinter : public m4::ReportPrinter {
  public:
    ScriptedPrinter(QStringList* log, bool ready) : log_(log), ready_(ready) {}
    bool beginDocument(int left, int top) override {
        return note(QStringLiteral("begin %1 %2").arg(left).arg(top));
    }
    bool emptyLine() override { return note(QStringLiteral("empty")); }
    bool text(const QString& text) override { return note(text); }
    bool endDocument() override { return note(QStringLiteral("end")); }

  private:
    bool note(const QString& call) {
        *log_ << call;
        return ready_;
    }
    QStringList* log_;
    bool ready_;
};

TEST_F(FilesWindow, ToolbarButtonsStandInOrderWithTheirGapsAndNameTheCommandInPanel2) {
    m4::vemoM4& w = start();
    const QStringList captions{"新建", "存盘", "计算", "打印", "退出"};
    const QStringList tooltips{"新建数据文件", "数据文件存盘", "运行计算作图", "打印文本图形",
                               "退出应用程序"};
    const int gaps[] = {1700, 0, 300, 0, 2260}; // twips before each button
    int previousRight = 0;
    for (qsizetype i = 0; i < kKeys.size(); ++i) {
        QToolButton* b = button(w, kKeys[i]);
        ASSERT_NE(b, nullptr) << kKeys[i].toStdString();
        EXPECT_EQ(b->text(), captions[i]);
        EXPECT_EQ(b->toolTip(), tooltips[i]);
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_NEAR(b->x() - previousRight, m4::ui::twips(gaps[i]), 1) << kKeys[i].toStdString();
        previousRight = b->x() + b->width();
    }

    // The toolbar names its command in panel 2; the menu runs the same command and does not.
    QTest::mouseClick(button(w, QStringLiteral("run")), Qt::LeftButton);
    EXPECT_EQ(w.statusText(2), QStringLiteral("运行计算作图"));
    EXPECT_EQ(takeMessages(), QStringList{QStringLiteral("文件名*.INT不对！请查实")});
    w.setStatus(2, QStringLiteral("before"));
    w.MnuItem_Click(3);
    EXPECT_EQ(w.statusText(2), QStringLiteral("before"));
    EXPECT_EQ(takeMessages(), QStringList{QStringLiteral("文件名*.INT不对！请查实")});
}

TEST_F(FilesWindow, RightButtonOpensTheMenuOnItsAreasOnly) {
    m4::vemoM4& w = start();
    ASSERT_NE(w.MnuRight, nullptr);
    EXPECT_EQ(w.MnuRight->title(), QStringLiteral("右键菜单"));
    QStringList items;
    for (QAction* a : w.MnuRight->actions()) items << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(items, (QStringList{"新建", "存盘", "-", "计算", "打印", "-", "退出"}));

    const auto opens = [&](QWidget* area, Qt::MouseButton mouse) {
        QTest::mouseClick(area, mouse, {}, QPoint(5, 5));
        const bool shown = w.MnuRight->isVisible();
        w.MnuRight->hide();
        return shown;
    };
    for (int page : {1, 2}) {
        w.SSTab2->setTab(page);
        QWidget* area = page == 1 ? w.RichTextBox1->viewport() : static_cast<QWidget*>(w.Picture1);
        EXPECT_TRUE(opens(area, Qt::RightButton)) << page;
        EXPECT_FALSE(opens(area, Qt::LeftButton)) << page;
    }
    w.SSTab2->setTab(0);
    EXPECT_TRUE(opens(w.File1->viewport(), Qt::RightButton));
    EXPECT_FALSE(opens(w.MSFlexGrid1[0]->viewport(), Qt::RightButton));
    EXPECT_FALSE(opens(w.Text3[0], Qt::RightButton));
    EXPECT_FALSE(opens(w.Label1[2], Qt::RightButton));

    // Separators do nothing; exit ends at once, unsaved edits or not, from either place.
    const QString panel3 = w.statusText(3);
    w.MnuItem_Click(2);
    w.MnuItem_Click(5);
    EXPECT_EQ(w.statusText(3), panel3);
    EXPECT_EQ(quits_, 0);
    w.DataState = m4::kStateModified;
    w.MnuItem_Click(6);
    EXPECT_EQ(quits_, 1);
    QTest::mouseClick(button(w, QStringLiteral("exit")), Qt::LeftButton);
    EXPECT_EQ(quits_, 2);
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(FilesWindow, PrintSendsThePaneAndReportsEachFailedStep) {
    ASSERT_TRUE(QFile::copy(example(), use(QStringLiteral("M-4Example.INT"))));
    ASSERT_TRUE(QFile::copy(example(QStringLiteral("M-4Typical.INT")),
                            use(QStringLiteral("M-4Typical.INT"))));
    m4::vemoM4& w = start();
    QStringList log;
    bool ready = true;
    w.printerFactory = [&](const QString&) {
        return std::make_unique<ScriptedPrinter>(&log, ready);
    };
    const QString notComputed = QStringLiteral("尚未计算,无文本和图形打印");

    QTest::mouseClick(button(w, QStringLiteral("print")), Qt::LeftButton);
    EXPECT_EQ(w.statusText(2), QStringLiteral("打印文本图形"));
    EXPECT_EQ(takeMessages(), QStringList{notComputed});
    EXPECT_EQ(w.statusText(3), notComputed);
    EXPECT_TRUE(log.isEmpty());

    doubleClick(QStringLiteral("M-4Example.INT"));
    w.PrintResults();
    const QString report = gbkFile(use(QStringLiteral("M-4Example.out")));
    EXPECT_EQ(log, (QStringList{"begin -600 300", "empty", "empty", report, "end"}));
    EXPECT_EQ(w.statusText(3), QStringLiteral("结果文件M-4Example.out/bmp已打印"));

    // A printer that is not there: one message a step, and no claim that anything printed.
    ready = false;
    w.PrintResults();
    EXPECT_EQ(takeMessages(), QStringList(5, QStringLiteral("打印机未准备好")));
    EXPECT_EQ(w.statusText(3), QStringLiteral("打印机未准备好"));

    // Another case loaded after the run: the pane still holds, and the status names, the
    // report of the case that was run.
    ready = true;
    log.clear();
    click(QStringLiteral("M-4Typical.INT"));
    w.PrintResults();
    ASSERT_EQ(log.size(), 5);
    EXPECT_EQ(log[3], report);
    EXPECT_EQ(w.statusText(3), QStringLiteral("结果文件M-4Example.out/bmp已打印"));
}

} // namespace
