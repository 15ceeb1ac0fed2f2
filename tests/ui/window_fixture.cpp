#include "window_fixture.h"

#include "ui/platform/file_browser.h"
#include "ui/printing.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStyleHints>
#include <QTest>

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

void WindowFixture::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    for (const char* sub : {"bin", "use", "rtf", "lock"})
        ASSERT_TRUE(QDir(dir_.path()).mkpath(sub));
    for (const QString name :
         {"S107x58.bmp", "S107x58D.bmp", "M-4Intro.rtf", "vemoAllHelp.txt", "M-4Help.txt"})
        ASSERT_TRUE(QFile::copy(M4_RESOURCES "/" + name, dir_.filePath("rtf/" + name)));
    // A short double-click time keeps the tests that wait it out quick.
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(100);
}

std::unique_ptr<m4::vemoM4> WindowFixture::makeWindow() {
    m4::StartupEnvironment environment;
    environment.programFolder = dir_.filePath("bin");
    environment.lockFolder = dir_.filePath("lock");
    environment.quit = [this] { ++quits_; };
    if (ownKeyboard_)
        environment.lockKeys = [](m4::ui::LockKey key) {
            return std::optional<bool>(key == m4::ui::LockKey::NumLock);
        };
    environment.printer = [this](const QString& name) {
        return printer_ ? printer_(name) : std::unique_ptr<m4::ReportPrinter>();
    };
    auto window = std::make_unique<m4::vemoM4>(environment);
    window->messages().setHook([this](const m4::ui::Message& m) { messages_.push_back(m); });
    return window;
}

m4::vemoM4& WindowFixture::start() {
    w = makeWindow();
    EXPECT_TRUE(w->Form_Load());
    w->show();
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    return *w;
}

m4::TableText WindowFixture::cells(int d) const {
    const QAbstractItemModel* shown = grid(d)->model();
    m4::TableText table(static_cast<size_t>(shown->rowCount()));
    for (int r = 0; r < shown->rowCount(); ++r)
        for (int c = 0; c < shown->columnCount(); ++c)
            table[static_cast<size_t>(r)].push_back(shown->index(r, c).data().toString());
    return table;
}

QPoint WindowFixture::cellCentre(int d, int row, int col) const {
    tabs("SSTab1")->setTab(d);
    const QModelIndex cell = grid(d)->model()->index(row - 1, col - 1);
    grid(d)->scrollTo(cell);
    return grid(d)->visualRect(cell).center();
}

void WindowFixture::choose(const char* key) {
    for (QAction* action : find<QMenu>("MnuRight")->actions())
        if (action->objectName() == key) return action->trigger();
    ADD_FAILURE() << "no menu item " << key;
}

/// Type text into target, key by key; Chinese characters arrive as key events with their text.
static void type(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        const Qt::Key key = c.unicode() < 0x80 ? QTest::asciiToKey(c.toLatin1()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, target, key, QString(c), {});
    }
}

void WindowFixture::enter(const QStringList& items) {
    for (const QString& item : items) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr) << item.toStdString();
        type(target, item);
        QTest::keyClick(target, Qt::Key_Return);
    }
}

void WindowFixture::retype(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    type(field, text);
}

void WindowFixture::click(const QString& name, bool twice) {
    auto* list = find<m4::ui::FileList>("File1");
    list->refresh();
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    const QPoint at = list->visualItemRect(found.front()).center();
    // A double click is a click, then a second press that Qt reports as a double click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

QStringList WindowFixture::takeMessages() {
    QStringList texts;
    for (const m4::ui::Message& m : messages_) {
        EXPECT_EQ(m.title, "青岚七号综合分析器");
        EXPECT_EQ(m.icon, m4::ui::MessageIcon::Critical) << m.text.toStdString();
        texts << m.text;
    }
    messages_.clear();
    return texts;
}
