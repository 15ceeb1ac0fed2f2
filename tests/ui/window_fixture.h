#pragma once
// A program folder of its own for each test (bin/, use/ and rtf/ with the installation files, a
// lock folder), message boxes caught instead of shown, the end of the program counted, and the
// window driven as a user drives it: keys, clicks, toolbar buttons, menu items.

#include "case/case_text.h"
#include "common/gbk.h"
#include "test_files.h"
#include "ui/platform/file_browser.h"
#include "ui/platform/grid.h"
#include "ui/platform/report_view.h"
#include "ui/platform/status_panels.h"
#include "ui/platform/tab_control.h"
#include "ui/printing.h"
#include "ui/vemoM4.h"

#include <QAction>
#include <QMenu>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

/// Failures show texts as text.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << '"' << text.toStdString() << '"';
}

class WindowFixture : public ::testing::Test {
  protected:
    using StatusPanel = m4::ui::StatusPanel;

    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        for (const char* sub : {"bin", "use", "rtf", "lock"})
            ASSERT_TRUE(QDir(dir_.path()).mkpath(sub));
        for (const QString name :
             {"S107x58.bmp", "S107x58D.bmp", "M-4Intro.rtf", "vemoAllHelp.txt", "M-4Help.txt"})
            ASSERT_TRUE(QFile::copy(M4_RESOURCES "/" + name, dir_.filePath("rtf/" + name)));
        // A short double-click time keeps the tests that wait it out quick.
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(100);
    }

    /// The case folder, where the window starts, or a file in it.
    QString use(const QString& name = {}) const {
        return dir_.filePath("use/" + name).chopped(name.isEmpty());
    }
    static QString example(const QString& n = "M-4Example.INT") { return M4_EXAMPLES "/" + n; }
    /// Put a copy of an example into the case folder.
    void copyExample(const QString& name = "M-4Example.INT") {
        ASSERT_TRUE(QFile::copy(example(name), use(name)));
    }
    /// A GBK text file's text.
    static QString gbkFile(const QString& path) {
        return m4::decodeGbk(m4test::fileBytes(path)).value_or(QString());
    }

    std::unique_ptr<m4::vemoM4> makeWindow() {
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
    /// Started into w, shown and active, so that focus moves as it does for the user.
    void start() {
        w = makeWindow();
        EXPECT_TRUE(w->Form_Load());
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }

    /// A control of the window by its name.
    template <class T = QWidget> T* find(const QString& name) const {
        T* control = w->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QLineEdit* field(int i) const { return find<QLineEdit>(QString("Text3(%1)").arg(i)); }
    QLineEdit* nameField() const { return find<QLineEdit>("Text12"); }
    m4::ui::Grid* grid(int d) const {
        return find<m4::ui::Grid>(QString("MSFlexGrid1(%1)").arg(d));
    }
    m4::ui::TabControl* tabs(const char* name) const { return find<m4::ui::TabControl>(name); }
    /// The cells of table d as the grid shows them.
    m4::TableText cells(int d) const {
        const QAbstractItemModel* shown = grid(d)->model();
        m4::TableText table(static_cast<size_t>(shown->rowCount()));
        for (int r = 0; r < shown->rowCount(); ++r)
            for (int c = 0; c < shown->columnCount(); ++c)
                table[static_cast<size_t>(r)].push_back(shown->index(r, c).data().toString());
        return table;
    }
    /// The centre of data cell (row, col) of table d, its page shown and the cell in view.
    QPoint cellCentre(int d, int row, int col) const {
        tabs("SSTab1")->setTab(d);
        const QModelIndex cell = grid(d)->model()->index(row - 1, col - 1);
        grid(d)->scrollTo(cell);
        return grid(d)->visualRect(cell).center();
    }
    /// Click data cell (row, col) of table d, which opens the editor on it.
    void clickCell(int d, int row, int col, Qt::KeyboardModifiers keys = {}) {
        QTest::mouseClick(grid(d)->viewport(), Qt::LeftButton, keys, cellCentre(d, row, col));
    }
    QString status(m4::ui::StatusPanel panel) const {
        static const char* const names[] = {"hint", "command", "result", "numLock", "capsLock"};
        return find<QLabel>(names[static_cast<int>(panel)])->text();
    }
    /// The report pane's text.
    QString pane() const { return find<m4::ui::ReportView>("RichTextBox1")->text(); }

    /// Click a toolbar button; choose an item of the right-click menu.
    void press(const char* key) { QTest::mouseClick(find<QToolButton>(key), Qt::LeftButton); }
    void choose(const char* key) {
        for (QAction* action : find<QMenu>("MnuRight")->actions())
            if (action->objectName() == key) return action->trigger();
        ADD_FAILURE() << "no menu item " << key;
    }
    /// Type text into target, key by key; Chinese characters arrive as key events with their
    /// text.
    static void type(QWidget* target, const QString& text) {
        for (const QChar c : text) {
            const Qt::Key key =
                c.unicode() < 0x80 ? QTest::asciiToKey(c.toLatin1()) : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Click, target, key, QString(c), {});
        }
    }
    /// Type each item into whatever has the focus and press Enter there.
    static void enter(const QStringList& items) {
        for (const QString& item : items) {
            QWidget* target = QApplication::focusWidget();
            ASSERT_NE(target, nullptr) << item;
            type(target, item);
            QTest::keyClick(target, Qt::Key_Return);
        }
    }
    /// Replace a field's text by typing, as a user does.
    static void retype(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        type(field, text);
    }
    /// Click a listed file with the mouse; twice makes it a double click, alone a double click
    /// without the click before it.
    void click(const QString& name, bool twice = false, bool alone = false) {
        auto* list = find<m4::ui::FileList>("File1");
        list->refresh();
        const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name;
        const QPoint at = list->visualItemRect(found.front()).center();
        // A double click is a click, then a second press that Qt reports as a double click.
        if (!alone) QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    /// Message texts since the last call; every box has the caption and the icon.
    QStringList takeMessages(m4::ui::MessageIcon icon = m4::ui::MessageIcon::Critical) {
        QStringList texts;
        for (const m4::ui::Message& m : messages_) {
            EXPECT_EQ(m.title, "青岚七号综合分析器");
            EXPECT_EQ(m.icon, icon) << m.text;
            texts << m.text;
        }
        messages_.clear();
        return texts;
    }

    QTemporaryDir dir_;
    std::unique_ptr<m4::vemoM4> w;
    std::vector<m4::ui::Message> messages_;
    int quits_ = 0;
    /// The fixture's keyboard (Num Lock on, Caps Lock off), or the display's.
    bool ownKeyboard_ = true;
    std::function<std::unique_ptr<m4::ReportPrinter>(const QString&)> printer_;
};
