// Start-up, the single instance, missing installation files, the layout and the size rules.

#include "ui/platform/caption_label.h"
#include "ui/platform/file_browser.h"
#include "ui/platform/instance_lock.h"
#include "ui/platform/twips.h"
#include "window_fixture.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QToolButton>

#include <cstdio>
#include <unistd.h>

namespace {

using m4::ui::StatusPanel;
using StartupTest = WindowFixture;

TEST_F(StartupTest, ShowsANewEmptyCaseReadyForItsName) {
    start();
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(w->windowTitle(), "青岚七号综合分析器 v3.0");
    EXPECT_EQ(find<QLabel>("Label3")->text(), "M-4");
    EXPECT_EQ(find<QLabel>("Label1(1)")->text(), use());
    EXPECT_EQ(find<m4::ui::FileList>("File1")->pattern(), "M-4*.int");
    EXPECT_EQ(QStringList({status(StatusPanel::Hint), status(StatusPanel::Command),
                           status(StatusPanel::Result)}),
              QStringList({"双击文件计算作图", "新建数据文件", "期待数据输入后存盘..."}));
    // Num Lock on, Caps Lock off, as the fixture's keyboard says: off is greyed out.
    EXPECT_TRUE(find<QLabel>("numLock")->isEnabled());
    EXPECT_FALSE(find<QLabel>("capsLock")->isEnabled());
    EXPECT_EQ(nameField()->text(), "*.INT");
    EXPECT_EQ(nameField()->selectedText(), "*");
    EXPECT_EQ(QApplication::focusWidget(), nameField());
    EXPECT_EQ(tabs("SSTab2")->tab() + tabs("SSTab1")->tab(), 0);
    EXPECT_EQ(grid(2)->textMatrix(0, 0) + grid(2)->textMatrix(0, 8), "NO 限泄流量");
}

TEST_F(StartupTest, HelpAndIntroductionPagesHoldTheirTexts) {
    start();
    EXPECT_TRUE(
        find<QTextEdit>("RichTextBox2")->toPlainText().startsWith("青岚七号综合分析器（M-4）\n\n"));
    auto* help = find<QPlainTextEdit>("Text15");
    // The banner's four lines end in one column on the screen as well.
    tabs("SSTab2")->setTab(4);
    QApplication::processEvents();
    QTextBlock block = help->document()->firstBlock();
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
    EXPECT_TRUE(find<QPlainTextEdit>("Text15")->toPlainText().endsWith("注意先存盘。\n\n"));
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
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", home);
        qputenv("XDG_DATA_HOME", dataHome);
    });
    qputenv("HOME", dir_.path().toUtf8());
    qunsetenv("XDG_DATA_HOME");
    ASSERT_TRUE(QDir(use()).removeRecursively());
    start();
    EXPECT_EQ(takeMessages(), QStringList());
    EXPECT_EQ(find<m4::ui::FolderList>("Dir1")->path(), dir_.filePath(".local/share/M-4/use"));
    EXPECT_EQ(find<QLabel>("Label1(1)")->text(), "~/.local/share/M-4/use");

    // A user folder that cannot be made ends start-up naming it.
    w.reset();
    ASSERT_TRUE(QDir(dir_.filePath(".local")).removeRecursively());
    QFile blocker(dir_.filePath(".local"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    quits_ = 0;
    EXPECT_FALSE(makeWindow()->Form_Load());
    EXPECT_EQ(takeMessages(), QStringList{"找不到文件夹 " + dir_.filePath(".local/share/M-4/use")});
    EXPECT_EQ(quits_, 1);
}

/// What a function writes to the standard error stream.
template <class F> QString standardError(F&& f) {
    std::fflush(stderr);
    QTemporaryFile capture;
    EXPECT_TRUE(capture.open());
    const int saved = ::dup(2);
    ::dup2(capture.handle(), 2);
    f();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    capture.seek(0);
    return QString::fromLocal8Bit(capture.readAll());
}

TEST_F(StartupTest, OneInstanceADisplayAndNoLockOutByAFileLeftBehind) {
    start();
    auto second = makeWindow();
    bool started = true;
    const QString said = standardError([&] { started = second->Form_Load(); });
    EXPECT_FALSE(started);
    EXPECT_EQ(said, "程序M-4已经运行，不能再次装载\n");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "程序M-4已经运行，不能再次装载");
    EXPECT_EQ(messages_[0].icon, m4::ui::MessageIcon::Information);
    EXPECT_EQ(quits_, 1);
    messages_.clear();
    second.reset();
    w.reset();

    // Each display has its lock.
    EXPECT_EQ(m4::ui::InstanceLock::pathIn("/run", "M-4"), "/run/M-4-offscreen.lock");

    // A lock file whose owner is gone, however it was left, is no running program.
    const QString lock = m4::ui::InstanceLock::pathIn(dir_.filePath("lock"), "M-4");
    for (const QByteArray& left : {QByteArray(), QByteArray("garbage"), QByteArray("1\n")}) {
        QFile file(lock);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(left) == left.size());
        file.close();
        file.setPermissions(QFileDevice::Permissions{}); // unreadable, for all but root
        EXPECT_TRUE(makeWindow()->Form_Load()) << left.toStdString();
        EXPECT_EQ(takeMessages(), QStringList());
    }
}

TEST_F(StartupTest, QtsOwnTextsAreChinese) {
    start();
    const std::unique_ptr<QMenu> menu(field(0)->createStandardContextMenu());
    QStringList english;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator() && action->text().toLatin1() == action->text())
            english << action->text();
    EXPECT_EQ(english, QStringList());
}

/// The controls a user can see inside parent, by name.
QList<QWidget*> shownChildren(const QWidget* parent) {
    QList<QWidget*> shown;
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible() && !child->objectName().isEmpty() && !child->isWindow())
            shown << child;
    return shown;
}

/// Overlaps the layout means: the badge reaches into the toolbar, the toolbar's line runs under
/// its buttons, fields reach into the boxes of the captions beside them and the left column's
/// captions into the grid tabs' margin (caption text is right-aligned, clear of them).
bool meantToOverlap(const QWidget* a, const QWidget* b) {
    const auto pair = [a, b](const char* one, const char* other) {
        const auto is = [](const QWidget* w, const char* prefix) {
            return w->objectName().startsWith(prefix);
        };
        return (is(a, one) && is(b, other)) || (is(b, one) && is(a, other));
    };
    return pair("Line1", "") || pair("Picture3", "Toolbar1") || pair("Text", "Label1(") ||
           pair("Label1(", "SSTab1");
}

void expectLaidOut(const QWidget* parent, const QString& where) {
    const QList<QWidget*> shown = shownChildren(parent);
    for (const QWidget* child : shown) {
        const QString name = where + "/" + child->objectName();
        // The program code reaches below the badge, as designed; its letters show above the edge.
        if (child->objectName() != "Label3") {
            EXPECT_TRUE(parent->rect().contains(child->geometry())) << name.toStdString();
        }
        for (const QWidget* other : shown)
            if (other != child && !meantToOverlap(child, other)) {
                EXPECT_FALSE(child->geometry().intersects(other->geometry()))
                    << name.toStdString() << " overlaps " << other->objectName().toStdString();
            }
        const auto* caption = qobject_cast<const m4::ui::CaptionLabel*>(child);
        const auto* label = qobject_cast<const QLabel*>(child);
        const auto* button = qobject_cast<const QToolButton*>(child);
        if (caption != nullptr) {
            EXPECT_LE(caption->linesHeight(), caption->height()) << name.toStdString();
            EXPECT_EQ(caption->lines().join(""), caption->text().remove(' '));
            // ... and is drawn in the middle of it.
            const QImage drawn = const_cast<m4::ui::CaptionLabel*>(caption)->grab().toImage();
            int top = drawn.height(), bottom = -1;
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x)
                    if (qGray(drawn.pixel(x, y)) < 128) {
                        top = std::min(top, y);
                        bottom = y;
                    }
            EXPECT_NEAR(top + bottom, drawn.height(), 4) << name.toStdString();
        } else if (label != nullptr && label->pixmap().isNull()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                      label->contentsRect().width())
                << name.toStdString() << " cuts " << label->text().toStdString();
        } else if (button != nullptr) {
            EXPECT_LE(button->sizeHint().width(), button->width()) << name.toStdString();
        } else if (const auto* table = qobject_cast<const m4::ui::Grid*>(child)) {
            for (int c = 1; c < table->cols(); ++c)
                EXPECT_LE(table->fontMetrics().horizontalAdvance(table->textMatrix(0, c)),
                          table->columnWidth(c - 1))
                    << name.toStdString() << " column " << c;
        }
        expectLaidOut(child, name);
    }
}

TEST_F(StartupTest, EveryControlLiesInItsParentApartFromItsNeighboursAndShowsItsCaption) {
    start();
    find<QLabel>("Label1(1)")->setText("/use"); // a folder path, not a caption
    for (const QSize size : {w->minimumSize(), QSize(1400, 1000)}) {
        w->resize(size);
        QApplication::processEvents();
        for (int page = 0; page < 5; ++page) {
            tabs("SSTab2")->setTab(page);
            for (int table = 0; table < 7; ++table) {
                tabs("SSTab1")->setTab(table);
                expectLaidOut(w->centralWidget(),
                              QString("%1x%2").arg(size.width()).arg(size.height()));
                if (page > 0) break;
            }
        }
        for (const char* name : {"SSTab1", "SSTab2"}) {
            const m4::ui::TabControl* t = tabs(name);
            for (int i = 0; i < t->count(); ++i) {
                EXPECT_LE(t->fontMetrics().horizontalAdvance(t->caption(i)), t->tabRect(i).width())
                    << t->caption(i).toStdString();
            }
        }
    }
}

/// Whether the window's frame sits in the middle of the screen. The offscreen platform places a
/// moved window's frame up to its frame width off, so that much is allowed.
bool centred(const QWidget& w) {
    const QRect screen = w.screen()->geometry();
    const QRect outer = w.frameGeometry();
    const int frame = (outer.width() - w.width()) / 2 + 1;
    return std::abs(outer.x() - screen.x() - (screen.width() - outer.width()) / 2) <= frame &&
           std::abs(outer.y() - screen.y() - (screen.height() - outer.height()) / 2) <= frame;
}

/// Once the window has stopped changing size.
void settled() {
    QTest::qWait(300);
}

TEST_F(StartupTest, SizeRulesApplyWholeAtStartAndEveryResizeFillsTheWindowAndCentres) {
    start();
    // The pages and the file list reach down to the status bar and the pages to the right
    // edge: no strip left blank, nothing cut off.
    const auto filled = [&] {
        const QRect pages = tabs("SSTab2")->geometry();
        EXPECT_NEAR(pages.bottom(), w->centralWidget()->height(), 2);
        EXPECT_NEAR(pages.right(), w->centralWidget()->width(), 4);
        EXPECT_NEAR(find<QWidget>("File1")->geometry().bottom(), pages.bottom(), 8);
    };
    for (const QSize size : {QSize(300, 200), QSize(1000, 700)}) {
        EXPECT_GE(w->frameGeometry().width() * 15, 11265 - 14);
        EXPECT_GE(w->frameGeometry().height() * 15, 7455 - 14);
        filled();
        EXPECT_TRUE(centred(*w));
        w->resize(size);
        settled();
    }
    // A move alone is no resize: the window stays where it was put.
    w->move(5, 5);
    settled();
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(5, 5));
    const QSize pages = tabs("SSTab2")->size();
    w->showMinimized();
    settled();
    EXPECT_EQ(tabs("SSTab2")->size(), pages);
    w->showMaximized();
    settled();
    filled();
    EXPECT_EQ(w->pos(), w->screen()->availableGeometry().topLeft());
}

} // namespace
