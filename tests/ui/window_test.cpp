// Start-up, the single instance, the layout and the size rules.

#include "ui/platform/caption_label.h"
#include "ui/platform/instance_lock.h"
#include "window_fixture.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextLayout>

namespace {

using m4::ui::StatusPanel;
using StartupTest = WindowFixture;

TEST_F(StartupTest, ShowsANewEmptyCaseReadyForItsName) {
    start();
    EXPECT_EQ(status(StatusPanel::Result), "期待数据输入后存盘...");
    // Num Lock on, Caps Lock off, as the fixture's keyboard says: off is greyed out.
    EXPECT_TRUE(find<QLabel>("numLock")->isEnabled());
    EXPECT_FALSE(find<QLabel>("capsLock")->isEnabled());
    EXPECT_EQ(nameField()->selectedText(), "*");
    EXPECT_EQ(QApplication::focusWidget(), nameField());
    // The window's own font holds the Chinese characters, so that Latin and Chinese text share
    // one design instead of Latin glyphs from a fallback font.
    const QString family = QFontInfo(nameField()->font()).family();
    EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese))
        << family.toStdString();
    // The help banner's lines, Chinese and Latin mixed, end in one column on the screen too.
    tabs("SSTab2")->setTab(4);
    QApplication::processEvents();
    const auto width = [help = find<QPlainTextEdit>("Text15")->document()](int line) {
        return help->findBlockByNumber(line).layout()->lineAt(0).naturalTextWidth();
    };
    for (int i = 1; i < 4; ++i) EXPECT_NEAR(width(i), width(0), 3.0) << i;
}

TEST_F(StartupTest, OneInstanceADisplayAndNoLockOutByAFileLeftBehind) {
    start();
    EXPECT_FALSE(makeWindow()->Form_Load());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "程序M-4已经运行，不能再次装载");
    messages_.clear();
    EXPECT_EQ(quits_, 1);
    w.reset();

    // Each display has its lock.
    EXPECT_EQ(m4::ui::InstanceLock::pathIn("/run", "M-4"), "/run/M-4-offscreen.lock");

    // A lock file whose owner is gone, however it was left, is no running program.
    const QString lock = m4::ui::InstanceLock::pathIn(dir_.filePath("lock"), "M-4");
    for (const QByteArray& left : {QByteArray(), QByteArray("1\n")}) {
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
    for (const QAction* action : menu->actions())
        EXPECT_TRUE(action->isSeparator() || action->text().toLatin1() != action->text())
            << action->text().toStdString();
}

/// Overlaps the layout means: the badge reaches into the toolbar, the toolbar's line runs under
/// its buttons, fields reach into the boxes of the captions beside them (never into their
/// text, checked apart) and the left column's captions into the grid tabs' margin.
bool meantToOverlap(const QWidget* a, const QWidget* b) {
    static const QRegularExpression meant(
        R"(^(Line1.*\|.*|Picture3.*\|Toolbar1.*|Text.*\|Label1\(.*|Label1\(.*\|SSTab1.*)$)");
    return meant.match(a->objectName() + "|" + b->objectName()).hasMatch() ||
           meant.match(b->objectName() + "|" + a->objectName()).hasMatch();
}

/// Where a caption's text is drawn, in its parent's coordinates.
QRect inkOf(const m4::ui::CaptionLabel* caption) {
    const QImage drawn = const_cast<m4::ui::CaptionLabel*>(caption)->grab().toImage();
    QRect ink;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (qGray(drawn.pixel(x, y)) < 128) ink |= QRect(x, y, 1, 1);
    return ink.translated(caption->pos());
}

void expectLaidOut(const QWidget* parent, const QString& where) {
    // The controls a user can see, by name.
    QList<QWidget*> shown = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    shown.removeIf([](const QWidget* c) {
        return !c->isVisible() || c->objectName().isEmpty() || c->isWindow();
    });
    for (const QWidget* child : shown) {
        const std::string name = (where + "/" + child->objectName()).toStdString();
        // The program code reaches below the badge, as designed; its letters show above the edge.
        EXPECT_TRUE(child->objectName() == "Label3" || parent->rect().contains(child->geometry()))
            << name;
        // Nothing on a page covers the tabs that switch pages.
        const auto* pages = qobject_cast<const m4::ui::TabControl*>(parent->parentWidget());
        for (int i = 0; pages != nullptr && i < pages->count(); ++i)
            EXPECT_FALSE(child->geometry().intersects(pages->tabRect(i))) << name;
        const auto* caption = qobject_cast<const m4::ui::CaptionLabel*>(child);
        const QRect ink = caption != nullptr ? inkOf(caption) : QRect();
        for (const QWidget* other : shown) {
            const std::string pair = name + " and " + other->objectName().toStdString();
            const bool apart = !child->geometry().intersects(other->geometry());
            EXPECT_TRUE(other == child || apart || meantToOverlap(child, other)) << pair;
            // Captions' text stays clear of their neighbours; the grid tabs' right margin is blank.
            EXPECT_TRUE(other == child || other->objectName() == "SSTab1" ||
                        !ink.intersects(other->geometry()))
                << pair;
        }
        const auto* label = qobject_cast<const QLabel*>(child);
        const auto* button = qobject_cast<const QToolButton*>(child);
        if (caption != nullptr) {
            // Every line fits, drawn in the middle of the box.
            EXPECT_LE(caption->linesHeight(), caption->height()) << name;
            EXPECT_EQ(caption->lines().join(""), caption->text().remove(' '));
            EXPECT_NEAR(ink.top() + ink.bottom() - 2 * caption->y(), caption->height(), 4) << name;
        } else if (label != nullptr && label->pixmap().isNull()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                      label->contentsRect().width())
                << name << " cuts " << label->text().toStdString();
        } else if (button != nullptr) {
            EXPECT_LE(button->sizeHint().width(), button->width()) << name;
            EXPECT_NE(button->toolTip(), button->text()) << name; // says more than the caption
        } else if (child->objectName().startsWith("Text3(")) {
            // Hover help, and what a screen reader says.
            EXPECT_FALSE(child->toolTip().isEmpty() || child->accessibleName().isEmpty()) << name;
        } else if (const auto* table = qobject_cast<const m4::ui::Grid*>(child)) {
            for (int c = 1; c < table->cols(); ++c)
                EXPECT_LE(table->fontMetrics().horizontalAdvance(table->textMatrix(0, c)),
                          table->columnWidth(c - 1))
                    << name << " column " << c;
        }
        expectLaidOut(child, QString::fromStdString(name));
    }
}

TEST_F(StartupTest, EveryControlLiesInItsParentApartFromItsNeighboursAndShowsItsCaption) {
    start();
    find<QLabel>("Label1(1)")->setText("/use"); // a folder path, not a caption
    for (const QSize size : {w->minimumSize(), QSize(1400, 1000)}) {
        w->resize(size);
        QApplication::processEvents();
        ASSERT_EQ(w->size(), size) << "nothing holds the window larger";
        // The pages and the file list reach down to the status bar, the pages to the right
        // edge: no strip left blank, nothing cut off.
        const QRect pages = tabs("SSTab2")->geometry();
        EXPECT_NEAR(pages.bottom(), w->centralWidget()->height(), 2);
        EXPECT_NEAR(pages.right(), w->centralWidget()->width(), 4);
        EXPECT_NEAR(find<QWidget>("File1")->geometry().bottom(), pages.bottom(), 8);
        // The seven grid pages of the data page, then the other four pages.
        for (int step = 0; step < 11; ++step) {
            tabs("SSTab2")->setTab(std::max(0, step - 6));
            tabs("SSTab1")->setTab(std::min(step, 6));
            EXPECT_TRUE(step > 6 || grid(step)->isVisible()) << "each grid page shows its own grid";
            expectLaidOut(w.get(), QString("%1x%2").arg(size.width()).arg(size.height()));
        }
        for (const char* name : {"SSTab1", "SSTab2"}) {
            const m4::ui::TabControl* t = tabs(name);
            for (int i = 0; i < t->count(); ++i)
                EXPECT_LE(t->fontMetrics().horizontalAdvance(t->caption(i)), t->tabRect(i).width())
                    << t->caption(i).toStdString();
        }
    }
}

} // namespace
