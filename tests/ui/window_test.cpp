// Start-up, the single instance, the layout and the size rules.

#include "ui/platform/caption_label.h"
#include "ui/platform/file_browser.h"
#include "ui/platform/instance_lock.h"
#include "window_fixture.h"

#include <QFontDatabase>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>

namespace {

using m4::ui::StatusPanel;
using StartupTest = WindowFixture;

TEST_F(StartupTest, ShowsANewEmptyCaseReadyForItsName) {
    start();
    EXPECT_EQ(takeMessages(), QStringList());
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
    QTextBlock line = find<QPlainTextEdit>("Text15")->document()->firstBlock();
    const double width = line.layout()->lineAt(0).naturalTextWidth();
    for (int i = 1; i < 4; ++i) {
        line = line.next();
        EXPECT_NEAR(line.layout()->lineAt(0).naturalTextWidth(), width, 3.0) << i;
    }
}

TEST_F(StartupTest, OneInstanceADisplayAndNoLockOutByAFileLeftBehind) {
    start();
    EXPECT_FALSE(makeWindow()->Form_Load());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "程序M-4已经运行，不能再次装载");
    EXPECT_EQ(quits_, 1);
    messages_.clear();
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
/// its buttons, fields reach into the boxes of the captions beside them (never into their
/// text, checked apart) and the left column's captions into the grid tabs' margin.
bool meantToOverlap(const QWidget* a, const QWidget* b) {
    static const std::pair<const char*, const char*> meant[] = {
        {"Line1", ""}, {"Picture3", "Toolbar1"}, {"Text", "Label1("}, {"Label1(", "SSTab1"}};
    const auto is = [](const QWidget* w, const char* prefix) {
        return w->objectName().startsWith(prefix);
    };
    return std::any_of(std::begin(meant), std::end(meant), [&](const auto& m) {
        return (is(a, m.first) && is(b, m.second)) || (is(b, m.first) && is(a, m.second));
    });
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
    const QList<QWidget*> shown = shownChildren(parent);
    for (const QWidget* child : shown) {
        const std::string name = (where + "/" + child->objectName()).toStdString();
        // The program code reaches below the badge, as designed; its letters show above the edge.
        if (child->objectName() != "Label3") {
            EXPECT_TRUE(parent->rect().contains(child->geometry())) << name;
        }
        // Nothing on a page covers the tabs that switch pages.
        if (const auto* pages = qobject_cast<const m4::ui::TabControl*>(parent->parentWidget())) {
            for (int i = 0; i < pages->count(); ++i)
                EXPECT_FALSE(child->geometry().intersects(pages->tabRect(i))) << name;
        }
        const auto* caption = qobject_cast<const m4::ui::CaptionLabel*>(child);
        const QRect ink = caption != nullptr ? inkOf(caption) : QRect();
        for (const QWidget* other : shown) {
            if (other == child) continue;
            if (!meantToOverlap(child, other)) {
                EXPECT_FALSE(child->geometry().intersects(other->geometry()))
                    << name << " overlaps " << other->objectName().toStdString();
            }
            // The grid tabs' right margin is blank.
            if (other->objectName() != "SSTab1") {
                EXPECT_FALSE(ink.intersects(other->geometry()))
                    << name << " text under " << other->objectName().toStdString();
            }
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
        for (int page = 0; page < 5; ++page) {
            tabs("SSTab2")->setTab(page);
            for (int table = 0; table < 7; ++table) {
                tabs("SSTab1")->setTab(table);
                // Each grid page shows its own table.
                if (page == 0) {
                    EXPECT_TRUE(grid(table)->isVisible()) << table;
                }
                expectLaidOut(w.get(), QString("%1x%2").arg(size.width()).arg(size.height()));
                if (page > 0) break;
            }
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
