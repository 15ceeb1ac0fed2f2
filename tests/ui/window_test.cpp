// Start-up, the single instance, missing installation files and the size rules.

#include "ui/platform/picture_box.h"
#include "ui/platform/status_panels.h"
#include "ui/platform/twips.h"
#include "window_fixture.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

using m4::ui::twips;
using m4::ui::twipsRect;

namespace {

using StartupTest = WindowFixture;

TEST_F(StartupTest, ShowsANewEmptyCaseReadyForItsNameLaidOutAsDesigned) {
    start();
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(w->windowTitle(), "青岚七号综合分析器 v3.0");
    EXPECT_EQ(w->Label3->text(), "M-4");
    EXPECT_EQ(QStringList({w->Dir1->path(), w->File1->path(), w->CasePath, w->Label1[1]->text()}),
              QStringList(4, use()));
    EXPECT_EQ(w->File1->pattern(), "M-4*.int");
    QStringList panels;
    for (int panel = 1; panel <= 5; ++panel)
        panels << w->statusText(panel) + "|" + w->StatusBar1->panelToolTip(panel);
    // Num Lock on, Caps Lock off, as the fixture's keyboard says.
    EXPECT_EQ(panels, (QStringList{"双击文件计算作图|鼠标操作提示", "新建数据文件|当前的功能按钮",
                                   "期待数据输入后存盘...|操作完成后的状态", "NUM|Num Lock 键状态",
                                   "CAPS|Caps Lock 键状态"}));
    EXPECT_TRUE(w->StatusBar1->lockShownOn(m4::ui::LockKey::NumLock));
    EXPECT_FALSE(w->StatusBar1->lockShownOn(m4::ui::LockKey::CapsLock));

    // The name field changed from empty to "*.INT": a change that passes the name check.
    EXPECT_EQ(w->Text12->text(), "*.INT");
    EXPECT_EQ(w->Text12->selectedText(), "*");
    EXPECT_EQ(QApplication::focusWidget(), w->Text12);
    EXPECT_EQ(w->CaseFileName, "*.INT");
    EXPECT_EQ(w->DataState, m4::kStateModified);
    EXPECT_EQ(w->SSTab2->tab() + w->SSTab1->tab(), 0);
    for (bool pending : w->EditPending) EXPECT_FALSE(pending);
    EXPECT_TRUE(w->Text2->isHidden());

    QStringList captions;
    for (int i = 0; i < w->SSTab2->count(); ++i) captions << w->SSTab2->caption(i);
    EXPECT_EQ(captions, (QStringList{"数据来源", "文本结果", "图形结果", "程序说明", "使用帮助"}));
    EXPECT_EQ(w->SSTab1->caption(6), "泄流曲线");
    EXPECT_EQ(w->MSFlexGrid1[2]->cols(), 9);
    QStringList headers;
    for (const QPoint at : {QPoint(2, 0), QPoint(2, 8), QPoint(6, 2), QPoint(0, 2)})
        headers << w->MSFlexGrid1[static_cast<size_t>(at.x())]->textMatrix(0, at.y());
    EXPECT_EQ(headers, (QStringList{"NO ", "限泄流量", "泄流量QQ  ", "水面面积(万平方米)"}));
    EXPECT_EQ(w->Label1[0]->text() + "|" + w->Label1[2]->text(), "文件名|   工程名");
    EXPECT_EQ(w->Text3[9]->toolTip(), "Enter,Tab至泄洪洞个数GO");
    EXPECT_EQ(w->Text3[12]->geometry(), twipsRect(8235, 4215, 700, 270));
    EXPECT_EQ(w->SSTab1->geometry(), twipsRect(60, 510, 5790, 5100));
    EXPECT_EQ(w->MSFlexGrid1[4]->geometry(), twipsRect(60, 540, 5610, 4470));
    EXPECT_EQ(w->Picture3->geometry(), twipsRect(0, 310, 1605, 495));
    EXPECT_EQ(w->Text12->geometry(), twipsRect(5040, 90, 1455, 270));
    // Tab order: the name field, then the fields in index order.
    EXPECT_EQ(w->Text12->nextInFocusChain(), w->Text3[0]);
    EXPECT_EQ(w->Text3[13]->nextInFocusChain(), w->Text3[14]);
}

TEST_F(StartupTest, HelpAndIntroductionPagesHoldTheirTexts) {
    start();
    const QString intro = w->RichTextBox2->toPlainText();
    EXPECT_TRUE(intro.startsWith("青岚七号综合分析器（M-4）\n\n一、程序做什么\n"));
    EXPECT_TRUE(intro.contains("四阶龙格—库塔法"));
    // Neither font names nor control words leak into the text.
    EXPECT_FALSE(intro.contains("宋体") || intro.contains("\\"));
    const QString help = w->Text15->toPlainText();
    EXPECT_TRUE(help.startsWith("┌──────-") && help.contains("一、数据输入") &&
                help.contains("M-4 调洪计算数据说明"));

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

    // The program's own help is optional.
    w.reset();
    ASSERT_TRUE(QFile::remove(rtf("M-4Help.txt")));
    start();
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_TRUE(w->Text15->toPlainText().endsWith("注意先存盘。\n\n"));
}

TEST_F(StartupTest, MissingOrUnreadableInstallationFilesEndStartUpNamingThem) {
    const struct {
        QString path;
        const char* message;
    } broken[] = {{rtf("S107x58.bmp"), "找不到文件 "},
                  {rtf("S107x58D.bmp"), "找不到文件 "},
                  {rtf("M-4Intro.rtf"), "找不到文件 "},
                  {rtf("vemoAllHelp.txt"), "找不到文件 "},
                  {rtf("S107x58.bmp"), "不能读取文件 "}};
    for (const auto& b : broken) {
        const QString away = b.path + ".away";
        ASSERT_TRUE(QFile::rename(b.path, away));
        QFile junk(b.path);
        if (QString(b.message) == "不能读取文件 ") {
            ASSERT_TRUE(junk.open(QIODevice::WriteOnly) && junk.write("not a bitmap") > 0);
        }
        junk.close();
        quits_ = 0;
        EXPECT_FALSE(makeWindow()->Form_Load());
        EXPECT_EQ(takeMessages(), QStringList{b.message + b.path});
        EXPECT_EQ(quits_, 1);
        QFile::remove(b.path);
        ASSERT_TRUE(QFile::rename(away, b.path));
    }
}

TEST_F(StartupTest, WithoutAUseFolderBesideTheProgramTheCasesAreTheUsersOwn) {
    const QByteArray home = qgetenv("HOME");
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", dir_.path().toUtf8());
    qunsetenv("XDG_DATA_HOME");
    ASSERT_TRUE(QDir(use()).removeRecursively());
    start();
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(w->Dir1->path(), dir_.filePath(".local/share/M-4/use"));
    EXPECT_EQ(w->Label1[1]->text(), "~/.local/share/M-4/use");

    // A user folder that cannot be made ends start-up naming it.
    w.reset();
    ASSERT_TRUE(QDir(dir_.filePath(".local")).removeRecursively());
    QFile blocker(dir_.filePath(".local"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    quits_ = 0;
    EXPECT_FALSE(makeWindow()->Form_Load());
    EXPECT_EQ(takeMessages(), QStringList{"找不到文件夹 " + dir_.filePath(".local/share/M-4/use")});
    EXPECT_EQ(quits_, 1);
    qputenv("HOME", home);
    qputenv("XDG_DATA_HOME", dataHome);
}

TEST_F(StartupTest, SecondInstanceIsRefusedWhileTheFirstRuns) {
    start();
    auto second = makeWindow();
    EXPECT_FALSE(second->Form_Load());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "程序M-4已经运行，不能再次装载");
    EXPECT_EQ(messages_[0].title, "青岚七号综合分析器");
    EXPECT_EQ(messages_[0].icon, m4::ui::MessageIcon::Information);
    EXPECT_EQ(quits_, 1);

    // The lock goes with the window that held it.
    second.reset();
    w.reset();
    EXPECT_TRUE(makeWindow()->Form_Load());
}

TEST_F(StartupTest, ClosingTheWindowEndsTheProgramAtOnce) {
    start();
    w->Text3[0]->setText("unsaved");
    w->close();
    EXPECT_EQ(quits_, 1);
    EXPECT_EQ(takeMessages(), QStringList());
}

/// Whether the window's frame sits in the middle of the screen. The offscreen platform places a
/// moved window's frame up to its frame width off, so that much is allowed.
bool centred(const QWidget& w) {
    const QRect screen = w.screen()->geometry();
    const QRect outer = w.frameGeometry();
    const int frame = (outer.width() - w.width()) / 2;
    return std::abs(outer.x() - screen.x() - (screen.width() - outer.width()) / 2) <= frame &&
           std::abs(outer.y() - screen.y() - (screen.height() - outer.height()) / 2) <= frame;
}

TEST_F(StartupTest, TooSmallSnapsBackAndLargerFitsThePagesBothCentred) {
    start();
    w->resize(300, 200);
    QApplication::processEvents();
    EXPECT_GE(w->frameGeometry().height() * 15, 7455 - 14);
    EXPECT_GE(w->frameGeometry().width() * 15, 11265 - 14);
    EXPECT_TRUE(centred(*w));
    w->resize(1000, 700);
    QApplication::processEvents();
    const int high = 700 * 15 - 800; // the pages' size in twips
    const int wide = 1000 * 15 - 1670;
    EXPECT_EQ(w->File1->height(), twips(700 * 15 - 3180));
    EXPECT_EQ(w->SSTab2->size(), QSize(twips(wide), twips(high)));
    EXPECT_EQ(w->SSpic->size(), QSize(twips(wide - 280), twips(high - 505)));
    EXPECT_EQ(w->RichTextBox1->size(), QSize(twips(wide - 240), twips(high - 475)));
    EXPECT_EQ(w->RichTextBox2->size(), QSize(twips(wide - 240), twips(high - 465)));
    EXPECT_EQ(w->Text15->size(), QSize(twips(wide - 280), twips(high - 505)));
    EXPECT_TRUE(centred(*w));
    // The data panel's own controls keep their design places.
    EXPECT_EQ(w->MSFlexGrid1[0]->size(), twipsRect(0, 0, 5610, 4470).size());

    // A move alone is no resize: the window stays where it was put.
    w->move(5, 5);
    QApplication::processEvents();
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(5, 5));
}

TEST_F(StartupTest, MinimisedChangesNothingAndMaximisedStaysAtTheCorner) {
    start();
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
