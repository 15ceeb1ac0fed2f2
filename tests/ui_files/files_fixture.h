#pragma once
// The window fixture with the example case files, the file list's clicks and the report pane.

#include "../ui/window_fixture.h"
#include "common/gbk.h"

#include <QTextEdit>
#include <QToolButton>

class FilesWindow : public WindowFixture {
  protected:
    static QString example(const QString& name = "M-4Example.INT") {
        return QString(M4_EXAMPLES "/") + name;
    }
    /// Put a copy of an example into the case folder.
    void copyExample(const QString& name = "M-4Example.INT") {
        ASSERT_TRUE(QFile::copy(example(name), use(name)));
    }
    static QByteArray bytesOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QString gbkFile(const QString& path) {
        return m4::decodeGbk(bytesOf(path)).value_or(QString());
    }

    /// A click on a listed file, as the file list reports it; a double click follows it.
    void click(const QString& name, bool twice = false) {
        w->File1->refresh();
        w->File1->setFileName(name);
        ASSERT_EQ(w->File1->fileName(), name);
        w->File1_Click();
        if (twice) w->File1_DblClick();
    }
    void press(const char* key) {
        auto* button = w->Toolbar1->findChild<QToolButton*>(key);
        ASSERT_NE(button, nullptr) << key;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    /// The report pane's text with the report's own CR LF line ends.
    QString paneText() const {
        QString text = w->RichTextBox1->toPlainText().replace('\n', "\r\n");
        return text.isEmpty() ? text : text + "\r\n";
    }
};
