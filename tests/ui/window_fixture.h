#pragma once
// A program folder of its own for each test: bin/, use/ and rtf/ with the installation files,
// a lock folder, messages caught instead of shown, and the end of the program counted.

#include "qstring_print.h"
#include "ui/vemoM4.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class WindowFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path();
        for (const char* sub : {"bin", "use", "rtf", "lock"}) ASSERT_TRUE(QDir(root_).mkpath(sub));
        for (const char* name :
             {"S107x58.bmp", "S107x58D.bmp", "M-4Intro.rtf", "vemoAllHelp.txt", "M-4Help.txt"})
            ASSERT_TRUE(QFile::copy(QString(M4_RESOURCES) + "/" + name, rtf(name)));
    }

    QString rtf(const QString& name) const { return root_ + "/rtf/" + name; }
    QString use() const { return root_ + "/use"; }

    std::unique_ptr<m4::vemoM4> makeWindow() {
        m4::StartupEnvironment environment;
        environment.programFolder = root_ + "/bin";
        environment.lockFolder = root_ + "/lock";
        environment.quit = [this] { ++quits_; };
        environment.lockKeys = [](m4::ui::LockKey key) {
            return std::optional<bool>(key == m4::ui::LockKey::NumLock);
        };
        auto window = std::make_unique<m4::vemoM4>(environment);
        window->messages().setHook([this](const m4::ui::Message& m) { messages_.push_back(m); });
        return window;
    }

    /// Started, shown and active, so that focus moves as it does for the user.
    std::unique_ptr<m4::vemoM4> startWindow() {
        auto window = makeWindow();
        EXPECT_TRUE(window->Form_Load());
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return window;
    }

    /// Type text as key presses, Chinese characters included.
    static void typeText(QWidget* target, const QString& text) {
        for (const QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(target, c.toLatin1());
            } else {
                QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(c), {});
                QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(c), {});
            }
        }
    }

    /// Type into whatever has the focus, then press Enter there.
    static void typeAndEnter(const QString& text) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        typeText(target, text);
        QTest::keyClick(target, Qt::Key_Return);
    }

    QStringList messageTexts() const {
        QStringList texts;
        for (const auto& m : messages_) texts << m.text;
        return texts;
    }

    QTemporaryDir dir_;
    QString root_;
    std::vector<m4::ui::Message> messages_;
    int quits_ = 0;
};
