#pragma once
// A program folder of its own for each test (bin/, use/ and rtf/ with the installation files, a
// lock folder), message boxes caught instead of shown, and the end of the program counted.
// The window tests of the files folder use it too.

#include "ui/platform/file_browser.h"
#include "ui/platform/grid.h"
#include "ui/platform/tab_control.h"
#include "ui/vemoM4.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

/// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

class WindowFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        for (const char* sub : {"bin", "use", "rtf", "lock"})
            ASSERT_TRUE(QDir(dir_.path()).mkpath(sub));
        for (const char* name :
             {"S107x58.bmp", "S107x58D.bmp", "M-4Intro.rtf", "vemoAllHelp.txt", "M-4Help.txt"})
            ASSERT_TRUE(QFile::copy(QString(M4_RESOURCES "/") + name, rtf(name)));
    }

    QString rtf(const QString& name) const { return dir_.filePath("rtf/" + name); }
    /// The case folder, where the window starts, or a file in it.
    QString use(const QString& name = {}) const {
        return dir_.filePath(name.isEmpty() ? QString("use") : "use/" + name);
    }

    std::unique_ptr<m4::vemoM4> makeWindow() {
        m4::StartupEnvironment environment;
        environment.programFolder = dir_.filePath("bin");
        environment.lockFolder = dir_.filePath("lock");
        environment.quit = [this] { ++quits_; };
        environment.lockKeys = [](m4::ui::LockKey key) {
            return std::optional<bool>(key == m4::ui::LockKey::NumLock);
        };
        auto window = std::make_unique<m4::vemoM4>(environment);
        window->messages().setHook([this](const m4::ui::Message& m) { messages_.push_back(m); });
        return window;
    }

    /// Started into w, shown and active, so that focus moves as it does for the user.
    m4::vemoM4& start() {
        w = makeWindow();
        EXPECT_TRUE(w->Form_Load());
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        return *w;
    }

    /// Type each item into whatever has the focus and press Enter there; Chinese characters
    /// arrive as key events carrying their text.
    static void enter(const QStringList& items) {
        for (const QString& item : items) {
            QWidget* target = QApplication::focusWidget();
            ASSERT_NE(target, nullptr) << item.toStdString();
            for (const QChar c : item) {
                if (c.unicode() < 0x80) {
                    QTest::keyClick(target, c.toLatin1());
                    continue;
                }
                QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(c), {});
                QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(c), {});
            }
            QTest::keyClick(target, Qt::Key_Return);
        }
    }

    /// Message texts since the last call; every box has the caption and the critical icon.
    QStringList takeMessages() {
        QStringList texts;
        for (const m4::ui::Message& m : messages_) {
            EXPECT_EQ(m.title, "青岚七号综合分析器");
            EXPECT_EQ(m.icon, m4::ui::MessageIcon::Critical) << m.text.toStdString();
            texts << m.text;
        }
        messages_.clear();
        return texts;
    }

    QTemporaryDir dir_;
    std::unique_ptr<m4::vemoM4> w;
    std::vector<m4::ui::Message> messages_;
    int quits_ = 0;
};
