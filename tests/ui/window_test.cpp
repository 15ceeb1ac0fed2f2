// Start-up, the single instance, missing installation files and the size rules.

#include "ui/platform/file_browser.h"
#include "ui/platform/grid.h"
#include "ui/platform/picture_box.h"
#include "ui/platform/status_panels.h"
#include "ui/platform/tab_control.h"
#include "ui/platform/twips.h"
#include "window_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

using m4::ui::twips;

namespace {

using StartupTest = WindowFixture;

TEST_F(StartupTest, ShowsANewEmptyCaseReadyForItsName) {
    auto w = startWindow();
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(w->windowTitle(), "青岚七号综合分析器 v3.0");
    EXPECT_EQ(w->Label3->text(), "M-4");
    EXPECT_EQ(w->Dir1->path(), use());
    EXPECT_EQ(w->File1->path(), use());
    EXPECT_EQ(w->File1->pattern(), "M-4*.int");
    EXPECT_EQ(w->resourceFolder(), root_ + "/rtf");

    const QStringList texts{"双击文件计算作图", "新建数据文件", "期待数据输入后存盘..."};
    const QStringList tips{"鼠标操作提示", "当前的功能按钮", "操作完成后的状态", "Num Lock 键状态",
                           "Caps Lock 键状态"};
    for (int panel = 1; panel <= 5; ++panel) {
        if (panel <= 3) {
            EXPECT_EQ(w->statusText(panel), texts[panel - 1]) << panel;
        }
        EXPECT_EQ(w->StatusBar1->panelToolTip(panel), tips[panel - 1]) << panel;
    }

    // The name field changed from empty to "*.INT": a change that passes the name check.
    EXPECT_EQ(w->Text12->text(), "*.INT");
    EXPECT_EQ(w->Text12->selectedText(), "*");
    EXPECT_EQ(QApplication::focusWidget(), w->Text12);
    EXPECT_EQ(w->CaseFileName, "*.INT");
    EXPECT_EQ(w->DataState, m4::kStateModified);
    EXPECT_EQ(w->CasePath, use());
    EXPECT_EQ(w->Label1[1]->text(), use());
    EXPECT_EQ(w->SSTab2->tab(), 0);
    EXPECT_EQ(w->SSTab1->tab(), 0);
    for (bool pending : w->EditPending) EXPECT_FALSE(pending);
    EXPECT_TRUE(w->Text2->isHidden());
}

TEST_F(StartupTest, LaysOutPagesGridsAndHeadersAsDesigned) {
    auto w = startWindow();
    const QStringList pages{"数据来源", "文本结果", "图形结果", "程序说明", "使用帮助"};
    ASSERT_EQ(w->SSTab2->count(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(w->SSTab2->caption(i), pages[i]);
    EXPECT_EQ(w->SSTab1->caption(6), "泄流曲线");

    EXPECT_EQ(w->MSFlexGrid1[2]->cols(), 9);
    EXPECT_EQ(w->MSFlexGrid1[2]->textMatrix(0, 0), "NO ");
    EXPECT_EQ(w->MSFlexGrid1[2]->textMatrix(0, 8), "限泄流量");
    EXPECT_EQ(w->MSFlexGrid1[6]->textMatrix(0, 2), "泄流量QQ  ");

    EXPECT_EQ(w->Label1[0]->text(), "文件名");
    EXPECT_EQ(w->Label1[2]->text(), "   工程名");
    EXPECT_EQ(w->Text3[9]->toolTip(), "Enter,Tab至泄洪洞个数GO");
    EXPECT_EQ(w->Text3[12]->geometry(), m4::ui::twipsRect(8235, 4215, 700, 270));
    EXPECT_EQ(w->SSTab1->geometry(), m4::ui::twipsRect(60, 510, 5790, 5100));
    EXPECT_EQ(w->MSFlexGrid1[4]->geometry(), m4::ui::twipsRect(60, 540, 5610, 4470));
    EXPECT_EQ(w->Picture3->geometry(), m4::ui::twipsRect(0, 310, 1605, 495));
    EXPECT_EQ(w->Text12->geometry(), m4::ui::twipsRect(5040, 90, 1455, 270));

    // Tab order: the name field, then the fields in index order.
    EXPECT_EQ(w->Text12->nextInFocusChain(), w->Text3[0]);
    EXPECT_EQ(w->Text3[13]->nextInFocusChain(), w->Text3[14]);

    // Num Lock on, Caps Lock off, as the fixture's keyboard says.
    EXPECT_TRUE(w->StatusBar1->lockShownOn(m4::ui::LockKey::NumLock));
    EXPECT_FALSE(w->StatusBar1->lockShownOn(m4::ui::LockKey::CapsLock));
    EXPECT_EQ(w->statusText(4), "NUM");
    EXPECT_EQ(w->statusText(5), "CAPS");
}

TEST_F(StartupTest, HelpPageHoldsBannerCombinedHelpAndOwnHelp) {
    auto w = startWindow();
    const QString help = w->Text15->toPlainText();
    EXPECT_TRUE(help.startsWith("┌──────-"));
    EXPECT_TRUE(help.contains("《蓝石软件库》"));
    EXPECT_TRUE(help.contains("一、数据输入"));
    EXPECT_TRUE(help.contains("M-4 调洪计算数据说明"));
    EXPECT_TRUE(w->RichTextBox2->toPlainText().startsWith("青岚七号综合分析器（M-4）\n"));

    // The banner's four lines end in one column on the screen as well.
    w->SSTab2->setTab(4);
    QApplication::processEvents();
    QTextBlock block = w->Text15->document()->firstBlock();
    std::vector<double> widths;
    for (int i = 0; i < 4; ++i, block = block.next()) {
        ASSERT_TRUE(block.layout() != nullptr && block.layout()->lineCount() == 1);
        widths.push_back(block.layout()->lineAt(0).naturalTextWidth());
    }
    for (double width : widths) EXPECT_NEAR(width, widths[0], 3.0);
}

TEST_F(StartupTest, MissingRequiredFilesEndStartUpNamingThem) {
    for (const char* name : {"S107x58.bmp", "S107x58D.bmp", "M-4Intro.rtf", "vemoAllHelp.txt"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(QFile::rename(rtf(name), rtf(name) + ".away"));
        messages_.clear();
        quits_ = 0;
        auto w = makeWindow();
        EXPECT_FALSE(w->Form_Load());
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(messages_[0].text, "找不到文件 " + rtf(name));
        EXPECT_EQ(messages_[0].icon, m4::ui::MessageIcon::Critical);
        EXPECT_EQ(messages_[0].title, "青岚七号综合分析器");
        EXPECT_EQ(quits_, 1);
        w.reset();
        ASSERT_TRUE(QFile::rename(rtf(name) + ".away", rtf(name)));
    }
}

TEST_F(StartupTest, MissingCaseFolderAndUnreadableBitmapAreReported) {
    ASSERT_TRUE(QFile::remove(rtf("S107x58.bmp")));
    QFile broken(rtf("S107x58.bmp"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a bitmap");
    broken.close();
    auto w = makeWindow();
    EXPECT_FALSE(w->Form_Load());
    EXPECT_EQ(messageTexts(), QStringList{"不能读取文件 " + rtf("S107x58.bmp")});

    w.reset();
    ASSERT_TRUE(QDir(use()).removeRecursively());
    messages_.clear();
    auto second = makeWindow();
    EXPECT_FALSE(second->Form_Load());
    EXPECT_EQ(messageTexts(), QStringList{"找不到文件夹 " + use()});
}

TEST_F(StartupTest, OwnHelpIsOptional) {
    ASSERT_TRUE(QFile::remove(rtf("M-4Help.txt")));
    auto w = startWindow();
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(w->Text15->toPlainText().endsWith("注意先存盘。\n\n"));
}

TEST_F(StartupTest, SecondInstanceIsRefusedWhileTheFirstRuns) {
    auto first = startWindow();
    auto second = makeWindow();
    EXPECT_FALSE(second->Form_Load());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "程序M-4已经运行，不能再次装载");
    EXPECT_EQ(messages_[0].title, "青岚七号综合分析器");
    EXPECT_EQ(messages_[0].icon, m4::ui::MessageIcon::Information);
    EXPECT_EQ(quits_, 1);
    EXPECT_EQ(first->windowTitle(), "青岚七号综合分析器 v3.0");

    // The lock goes with the window that held it.
    second.reset();
    first.reset();
    auto third = makeWindow();
    EXPECT_TRUE(third->Form_Load());
}

TEST_F(StartupTest, ClosingTheWindowEndsTheProgramAtOnce) {
    auto w = startWindow();
    w->Text3[0]->setText("unsaved");
    w->close();
    EXPECT_EQ(quits_, 1);
    EXPECT_TRUE(messages_.empty());
}

using ResizeTest = WindowFixture;

/// Whether the window's frame sits in the middle of the screen. The offscreen platform places a
/// moved window's frame up to its frame width off, so that much is allowed.
bool centred(const QWidget& w) {
    const QRect screen = w.screen()->geometry();
    const QRect outer = w.frameGeometry();
    const QPoint middle(screen.x() + (screen.width() - outer.width()) / 2,
                        screen.y() + (screen.height() - outer.height()) / 2);
    const int frame = (outer.width() - w.width()) / 2;
    return std::abs(outer.x() - middle.x()) <= frame && std::abs(outer.y() - middle.y()) <= frame;
}

TEST_F(ResizeTest, TooSmallSnapsBackToTheSmallestSizeCentred) {
    auto w = startWindow();
    w->resize(300, 200);
    QApplication::processEvents();
    EXPECT_GE(w->frameGeometry().height() * 15, 7455 - 14);
    EXPECT_GE(w->frameGeometry().width() * 15, 11265 - 14);
    EXPECT_TRUE(centred(*w));
}

TEST_F(ResizeTest, LargerWindowFitsThePagesAndRecentres) {
    auto w = startWindow();
    w->resize(1000, 700);
    QApplication::processEvents();
    const int inner = 700 * 15;
    const int innerWidth = 1000 * 15;
    EXPECT_EQ(w->File1->height(), twips(inner - 3180));
    EXPECT_EQ(w->SSTab2->size(), QSize(twips(innerWidth - 1670), twips(inner - 800)));
    const int pagesH = inner - 800;
    const int pagesW = innerWidth - 1670;
    EXPECT_EQ(w->SSpic->size(), QSize(twips(pagesW - 280), twips(pagesH - 505)));
    EXPECT_EQ(w->RichTextBox1->size(), QSize(twips(pagesW - 240), twips(pagesH - 475)));
    EXPECT_EQ(w->RichTextBox2->size(), QSize(twips(pagesW - 240), twips(pagesH - 465)));
    EXPECT_EQ(w->Text15->size(), QSize(twips(pagesW - 280), twips(pagesH - 505)));
    EXPECT_TRUE(centred(*w));
    // The data panel's own controls keep their design places.
    EXPECT_EQ(w->MSFlexGrid1[0]->size(), m4::ui::twipsRect(0, 0, 5610, 4470).size());

    // A move alone is no resize: the window stays where it was put.
    w->move(5, 5);
    QApplication::processEvents();
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(5, 5));
}

TEST_F(ResizeTest, MinimisedChangesNothingAndMaximisedStaysAtTheCorner) {
    auto w = startWindow();
    w->resize(900, 600);
    QApplication::processEvents();
    const QSize pages = w->SSTab2->size();
    w->showMinimized();
    QApplication::processEvents();
    w->Form_Resize();
    EXPECT_EQ(w->SSTab2->size(), pages);

    w->showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(w->SSTab2->width(), twips(w->width() * 15 - 1670));
    EXPECT_EQ(w->pos(), w->screen()->availableGeometry().topLeft());
}

} // namespace
