// The print command's order of status texts and messages when one step fails, the printer
// without a document, and the report's columns in the result pane.

#include "ui/printing.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

/// Refuses the text step only, and records every step.
class JammedPrinter : public m4::ReportPrinter {
  public:
    bool beginDocument(int, int) override { return log("begin", true); }
    bool emptyLine() override { return log("empty", true); }
    bool text(const QString&) override { return log("text", false); }
    bool endDocument() override { return log("end", true); }
    QStringList calls;

  private:
    bool log(const QString& call, bool done) {
        calls << call;
        return done;
    }
};

TEST(PrintResults, ARefusedStepIsReportedOnceAndTheDocumentIsStillEnded) {
    JammedPrinter printer;
    QStringList events;
    const m4::PrintFeedback feedback{[&](const QString& s) { events << "status " + s; },
                                     [&](const QString& s) { events << "message " + s; }};
    EXPECT_FALSE(m4::printResults(printer, "文件：x\r\n", "x", feedback));
    EXPECT_EQ(printer.calls, (QStringList{"begin", "empty", "empty", "text", "end"}));
    EXPECT_EQ(events, (QStringList{"status 打印机未准备好", "message 打印机未准备好"}));
}

TEST(QtReportPrinter, StepsWithoutAnOpenDocumentFail) {
    m4::QtReportPrinter printer("M-4 unopened");
    EXPECT_FALSE(printer.emptyLine());
    EXPECT_FALSE(printer.text("x"));
    EXPECT_FALSE(printer.endDocument());
}

TEST(ReportPane, AChineseCharacterTakesExactlyTwoColumns) {
    const QFont font = m4::reportFont(m4::kScreenFontPoints);
    EXPECT_TRUE(QFontMetricsF(font).inFont(QChar(u'洪')));
    QTextDocument document;
    // Both lines are ten columns wide; the second line's value must start under the first's.
    m4::setReportText(document, " 水位(米)|\r\n 12345678|\r\n", font);
    ASSERT_EQ(document.blockCount(), 2);
    document.documentLayout(); // lays the blocks out
    const auto width = [&](int block) {
        return document.findBlockByNumber(block).layout()->lineAt(0).naturalTextWidth();
    };
    EXPECT_NEAR(width(0), width(1), 0.5);
    EXPECT_EQ(document.toPlainText(), " 水位(米)|\n 12345678|");
}

} // namespace
