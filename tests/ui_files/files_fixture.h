#pragma once
// A window of its own for each test: a program folder with bin/, use/ (the case folder) and rtf/,
// message boxes caught instead of shown, and the end of the program counted.

#include "case/gbk.h"
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
#include <QTextEdit>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

/// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

class FilesWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        for (const char* sub : {"bin", "use", "rtf", "lock"})
            ASSERT_TRUE(QDir(dir_.path()).mkpath(QString::fromUtf8(sub)));
        for (const char* name :
             {"S107x58.bmp", "S107x58D.bmp", "M-4Intro.rtf", "vemoAllHelp.txt", "M-4Help.txt"})
            ASSERT_TRUE(
                QFile::copy(QStringLiteral(M4_RESOURCES "/") + QString::fromUtf8(name),
                            dir_.filePath(QStringLiteral("rtf/")) + QString::fromUtf8(name)));
    }

    /// The case folder, where the window starts.
    QString use(const QString& name = {}) const {
        return dir_.filePath(QStringLiteral("use")) + (name.isEmpty() ? QString() : u'/' + name);
    }
    static QString example(const QString& name = QStringLiteral("M-4Example.INT")) {
        return QStringLiteral(M4_EXAMPLES "/") + name;
    }
    static QByteArray bytesOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QString gbkFile(const QString& path) {
        return m4::decodeGbk(bytesOf(path)).value_or(QString());
    }

    /// Started as the program starts, shown and active so focus moves as for the user.
    m4::vemoM4& start() {
        m4::StartupEnvironment environment;
        environment.programFolder = dir_.filePath(QStringLiteral("bin"));
        environment.lockFolder = dir_.filePath(QStringLiteral("lock"));
        environment.quit = [this] { ++quits_; };
        window_ = std::make_unique<m4::vemoM4>(environment);
        window_->messages().setHook([this](const m4::ui::Message& m) { messages_.push_back(m); });
        EXPECT_TRUE(window_->Form_Load());
        window_->show();
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        return *window_;
    }

    /// A click on a listed file, as the file list reports it.
    void click(const QString& name) {
        window_->File1->refresh();
        window_->File1->setFileName(name);
        ASSERT_EQ(window_->File1->fileName(), name);
        window_->File1_Click();
    }
    /// A double click: the click first, then the double click.
    void doubleClick(const QString& name) {
        click(name);
        window_->File1_DblClick();
    }

    /// Type into a widget; Chinese characters arrive as key events carrying their text.
    static void type(QWidget* target, const QString& text) {
        for (QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(target, c.toLatin1());
                continue;
            }
            QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
    }
    /// Type into whatever has the focus, then press Enter there.
    static void typeAndEnter(const QString& text) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        type(target, text);
        QTest::keyClick(target, Qt::Key_Return);
    }

    /// Message texts since the last call; every box has the caption and the critical icon.
    QStringList takeMessages() {
        QStringList texts;
        for (const m4::ui::Message& m : messages_) {
            EXPECT_EQ(m.title, QStringLiteral("青岚七号综合分析器"));
            EXPECT_EQ(m.icon, m4::ui::MessageIcon::Critical);
            texts << m.text;
        }
        messages_.clear();
        return texts;
    }

    /// The report pane's text with the report's own CR LF line ends.
    QString paneText() const {
        QString text = window_->RichTextBox1->toPlainText();
        text.replace(u'\n', QStringLiteral("\r\n"));
        return text.isEmpty() ? text : text + QStringLiteral("\r\n");
    }

    QTemporaryDir dir_;
    std::unique_ptr<m4::vemoM4> window_;
    std::vector<m4::ui::Message> messages_;
    int quits_ = 0;
};
