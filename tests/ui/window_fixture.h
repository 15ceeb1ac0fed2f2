#pragma once
// A program folder of its own for each test (bin/, use/ and rtf/ with the installation files, a
// lock folder), message boxes caught instead of shown, the end of the program counted, and the
// window driven as a user drives it: keys, clicks, toolbar buttons, menu items.

#include "case/case_text.h"
#include "common/gbk.h"
#include "test_files.h"
#include "ui/platform/grid.h"
#include "ui/platform/report_view.h"
#include "ui/platform/status_panels.h"
#include "ui/platform/tab_control.h"
#include "ui/vemoM4.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

/// Failures show texts as text.
void PrintTo(const QString& text, std::ostream* out);

class WindowFixture : public ::testing::Test {
  protected:
    void SetUp() override;

    /// The case folder, where the window starts, or a file in it.
    QString use(const QString& name = {}) const {
        return dir_.filePath("use/" + name).chopped(name.isEmpty());
    }
    static QString example(const QString& name = "M-4Example.INT") {
        return M4_EXAMPLES "/" + name;
    }
    /// Put a copy of an example into the case folder.
    void copyExample(const QString& name = "M-4Example.INT") {
        ASSERT_TRUE(QFile::copy(example(name), use(name)));
    }
    /// A GBK text file's text.
    static QString gbkFile(const QString& path) {
        return m4::decodeGbk(m4test::fileBytes(path)).value_or(QString());
    }

    std::unique_ptr<m4::vemoM4> makeWindow();
    /// Started into w, shown and active, so that focus moves as it does for the user.
    m4::vemoM4& start();

    /// A control of the window by its name.
    template <class T = QWidget> T* find(const QString& name) const {
        T* control = w->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name.toStdString();
        return control;
    }
    QLineEdit* field(int i) const { return find<QLineEdit>(QString("Text3(%1)").arg(i)); }
    QLineEdit* nameField() const { return find<QLineEdit>("Text12"); }
    m4::ui::Grid* grid(int d) const {
        return find<m4::ui::Grid>(QString("MSFlexGrid1(%1)").arg(d));
    }
    m4::ui::TabControl* tabs(const char* name) const { return find<m4::ui::TabControl>(name); }
    /// The cells of table d as the grid shows them.
    m4::TableText cells(int d) const;
    /// The centre of data cell (row, col) of table d, its page shown and the cell in view.
    QPoint cellCentre(int d, int row, int col) const;
    /// Click data cell (row, col) of table d, which opens the editor on it.
    void clickCell(int d, int row, int col) {
        QTest::mouseClick(grid(d)->viewport(), Qt::LeftButton, {}, cellCentre(d, row, col));
    }
    QString status(m4::ui::StatusPanel panel) const {
        static const char* const names[] = {"hint", "command", "result", "numLock", "capsLock"};
        return find<QLabel>(names[static_cast<int>(panel)])->text();
    }
    /// The report pane's text.
    QString pane() const { return find<m4::ui::ReportView>("RichTextBox1")->text(); }

    /// Click a toolbar button; choose an item of the right-click menu.
    void press(const char* key) { QTest::mouseClick(find<QToolButton>(key), Qt::LeftButton); }
    void choose(const char* key);
    /// Type each item into whatever has the focus and press Enter there.
    static void enter(const QStringList& items);
    /// Replace a field's text by typing, as a user does.
    static void retype(QLineEdit* field, const QString& text);
    /// Click a listed file with the mouse; twice makes it a double click.
    void click(const QString& name, bool twice = false);
    /// Message texts since the last call; every box has the caption and the critical icon.
    QStringList takeMessages();

    QTemporaryDir dir_;
    std::unique_ptr<m4::vemoM4> w;
    std::vector<m4::ui::Message> messages_;
    int quits_ = 0;
    /// The fixture's keyboard (Num Lock on, Caps Lock off), or the display's.
    bool ownKeyboard_ = true;
    std::function<std::unique_ptr<m4::ReportPrinter>(const QString&)> printer_;
};
