// Start-up, the single instance, the layout and the size rules; the controls the window stands
// on: the grid's notifications, bounds and model, the message box, and the report pane's
// columns, lines and selection.

#include "ui/platform/caption_label.h"
#include "ui/platform/instance_lock.h"
#include "ui/platform/message_box.h"
#include "window_fixture.h"

#include <QAbstractItemModelTester>
#include <QFontDatabase>
#include <QHeaderView>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

namespace {

using StartupTest = WindowFixture;

TEST_F(StartupTest, ShowsANewEmptyCaseReadyForItsName) {
    start();
    EXPECT_EQ(status(StatusPanel::Result), "期待数据输入后存盘...");
    // Num Lock on, Caps Lock off, as the fixture's keyboard says: off is greyed out.
    EXPECT_EQ(QPair(find<QLabel>("numLock")->isEnabled(), find<QLabel>("capsLock")->isEnabled()),
              QPair(true, false));
    EXPECT_EQ(nameField()->selectedText(), "*");
    EXPECT_EQ(QApplication::focusWidget(), nameField());
    // The window's own font holds the Chinese characters, so that Latin and Chinese text share
    // one design instead of Latin glyphs from a fallback font.
    const QString family = QFontInfo(nameField()->font()).family();
    EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese))
        << family;
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
    EXPECT_EQ(takeMessages(m4::ui::MessageIcon::Information),
              QStringList{"程序M-4已经运行，不能再次装载"});
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
            << action->text();
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

/// Where image holds ink, its dark pixels.
QRect inkIn(const QImage& image) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) ink |= QRect(x, y, 1, 1);
    return ink;
}

void expectLaidOut(const QWidget* parent, const QString& where) {
    // The controls a user can see, by name.
    QList<QWidget*> shown = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    shown.removeIf([](const QWidget* c) {
        return !c->isVisible() || c->objectName().isEmpty() || c->isWindow();
    });
    for (QWidget* child : shown) {
        const std::string name = (where + "/" + child->objectName()).toStdString();
        // The program code reaches below the badge, as designed; its letters show above the edge.
        EXPECT_TRUE(child->objectName() == "Label3" || parent->rect().contains(child->geometry()))
            << name;
        // Nothing on a page covers the tabs that switch pages.
        const auto* pages = qobject_cast<const m4::ui::TabControl*>(parent->parentWidget());
        for (int i = 0; pages != nullptr && i < pages->count(); ++i)
            EXPECT_FALSE(child->geometry().intersects(pages->tabRect(i))) << name;
        const auto* caption = qobject_cast<const m4::ui::CaptionLabel*>(child);
        // Where a caption's text is drawn, in its parent's coordinates.
        const QRect ink =
            caption ? inkIn(child->grab().toImage()).translated(child->pos()) : QRect();
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
                << name << " cuts " << label->text();
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
        } else if (const auto* t = qobject_cast<const m4::ui::TabControl*>(child)) {
            for (int i = 0; i < t->count(); ++i)
                EXPECT_LE(t->fontMetrics().horizontalAdvance(t->caption(i)), t->tabRect(i).width())
                    << t->caption(i);
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
        // The toolbar and its line span the window.
        EXPECT_EQ(find<QWidget>("Line1")->width(), w->centralWidget()->width());
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
    }
}

TEST(GridTest, FixedOrOutsideCellsAreIgnoredAndTheModelAnswersAsQtExpects) {
    m4::ui::Grid grid(0, nullptr);
    // The model answers views as Qt's item views expect; a fault ends the program.
    const QAbstractItemModelTester tester(grid.model(),
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    grid.setRows(4);
    grid.resize(400, 300);
    grid.show();
    // Fixed cells and cells outside the table never become current.
    grid.setCurrentCell(3, 2);
    for (const QPoint at : {QPoint(0, 1), QPoint(2, 0), QPoint(4, 1), QPoint(1, 3)})
        grid.setCurrentCell(at.x(), at.y());
    EXPECT_EQ(QPoint(grid.row(), grid.col()), QPoint(3, 2));

    // The corner above the row numbers shows its text; headers change where they are.
    grid.setTextMatrix(0, 0, "NO");
    grid.setTextMatrix(0, 1, "水位");
    const QRect corner(0, 0, grid.verticalHeader()->width(), grid.horizontalHeader()->height());
    EXPECT_FALSE(inkIn(grid.grab(corner).toImage()).isEmpty());
    // Writes outside the table are dropped, not stored out of bounds.
    grid.setTextMatrix(2, 1, "5.5");
    for (const QPoint at : {QPoint(4, 1), QPoint(1, 9)}) grid.setTextMatrix(at.x(), at.y(), "x");
    EXPECT_EQ(grid.gridModel()->cells(), (m4::TableText{{"", ""}, {"5.5", ""}, {"", ""}}));
    grid.load({{"1", "2"}}); // a whole table at once, as a loaded case comes
    EXPECT_EQ(grid.gridModel()->cells(), (m4::TableText{{"1", "2"}}));
}

TEST(MessageBoxService, WithoutAHookTheMessageWaitsInABoxUntilTheUserClosesIt) {
    m4::ui::MessageBoxService messages(nullptr, "青岚七号综合分析器");
    QString shown;
    const QObject guard; // the check is dropped if no box ever runs it
    QTimer::singleShot(0, &guard, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->windowTitle() + "|" + box->text();
            box->accept();
        }
    });
    messages.critical("有错");
    EXPECT_EQ(shown, "青岚七号综合分析器|有错");
}

TEST(ReportView, AChineseCharacterTakesTwoColumnsAndAClickSelectsTheLineUnderIt) {
    // Both lines are six columns and a bar wide: the bars must stand in one column, also in a
    // font whose Chinese characters are not two digits wide.
    QFont font("WenQuanYi Micro Hei");
    font.setPixelSize(48);
    QImage image(500, 140, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    const double cell = QFontMetricsF(font).horizontalAdvance('0');
    ASSERT_GT(std::abs(QFontMetricsF(font).horizontalAdvance(u'水') - 2 * cell), 2);
    m4::ui::drawReportLine(painter, 5, 55, cell, u"水位12|");
    m4::ui::drawReportLine(painter, 5, 125, cell, u"123456|");
    painter.end();
    EXPECT_NEAR(inkIn(image.copy(0, 0, 500, 70)).right(), inkIn(image.copy(0, 70, 500, 70)).right(),
                1);

    m4::ui::ReportView view(nullptr);
    view.setText("a\r\n 水位\r\nlast");
    EXPECT_EQ(view.selectedText(), "a\n 水位\nlast\n");
    // The one line of a report is selected by a click on it, and shown selected.
    view.setText("x\r\n");
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    EXPECT_EQ(view.viewport()->grab().toImage().pixelColor(1, 5),
              view.palette().highlight().color());
}

} // namespace
