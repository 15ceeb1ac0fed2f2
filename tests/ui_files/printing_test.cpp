// The print command against printers that record or refuse every step.

#include "ui/printing.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

const QString kNotReady = QStringLiteral("打印机未准备好");
const QString kReport = QStringLiteral("文件：/cases/M-4demo.out\r\n\r\n"
                                       " 工程名:示例水库   频率:1%\r\n"
                                       "   1  106.62    50.00   120.00\r\n");

/// Records what reaches the printer; the steps listed in failing report failure.
class RecordingPrinter : public m4::ReportPrinter {
  public:
    explicit RecordingPrinter(QStringList failing = {}) : failing_(std::move(failing)) {}
    bool beginDocument(int scaleLeftTwips, int topTwips) override {
        return log(QStringLiteral("begin %1 %2").arg(scaleLeftTwips).arg(topTwips), "begin");
    }
    bool emptyLine() override { return log(QStringLiteral("empty"), "empty"); }
    bool text(const QString& text) override { return log(QStringLiteral("text ") + text, "text"); }
    bool endDocument() override { return log(QStringLiteral("end"), "end"); }
    QStringList calls;

  private:
    bool log(const QString& call, const char* step) {
        calls << call;
        return !failing_.contains(QLatin1String(step));
    }
    QStringList failing_;
};

/// Status texts and message boxes in the order the command gives them.
struct Feedback {
    QStringList events;
    m4::PrintFeedback hooks() {
        return {[this](const QString& s) { events << QStringLiteral("status ") + s; },
                [this](const QString& s) { events << QStringLiteral("message ") + s; }};
    }
    int messages() const {
        return static_cast<int>(events.filter(QStringLiteral("message ")).size());
    }
};

TEST(PrintResults, EmptyPaneIsRefusedWithoutTouchingThePrinter) {
    RecordingPrinter printer;
    Feedback feedback;
    EXPECT_FALSE(m4::printResults(printer, QString(), QStringLiteral("M-4demo"), feedback.hooks()));
    EXPECT_TRUE(printer.calls.isEmpty());
    EXPECT_EQ(feedback.events, (QStringList{QStringLiteral("status 尚未计算,无文本和图形打印"),
                                            QStringLiteral("message 尚未计算,无文本和图形打印")}));
}

TEST(PrintResults, ReadyPrinterGetsPlacementTwoEmptyLinesAndThePaneText) {
    RecordingPrinter printer;
    Feedback feedback;
    EXPECT_TRUE(m4::printResults(printer, kReport, QStringLiteral("M-4demo"), feedback.hooks()));
    EXPECT_EQ(printer.calls,
              (QStringList{QStringLiteral("begin -600 300"), QStringLiteral("empty"),
                           QStringLiteral("empty"), QStringLiteral("text ") + kReport,
                           QStringLiteral("end")}));
    EXPECT_EQ(feedback.events, QStringList{QStringLiteral("status 结果文件M-4demo.out/bmp已打印")});

    // Printing again sends the same document again.
    RecordingPrinter second;
    m4::printResults(second, kReport, QStringLiteral("M-4demo"), feedback.hooks());
    EXPECT_EQ(second.calls, printer.calls);
}

TEST(PrintResults, EveryFailedStepIsReportedAndTheRestStillTried) {
    // A printer that is not there fails all five steps: five messages, and the status never
    // claims the report was printed.
    RecordingPrinter dead({"begin", "empty", "text", "end"});
    Feedback feedback;
    EXPECT_FALSE(m4::printResults(dead, kReport, QStringLiteral("M-4demo"), feedback.hooks()));
    EXPECT_EQ(dead.calls.size(), 5);
    EXPECT_EQ(feedback.messages(), 5);
    for (qsizetype i = 0; i < feedback.events.size(); i += 2) {
        EXPECT_EQ(feedback.events[i], QStringLiteral("status ") + kNotReady);
        EXPECT_EQ(feedback.events[i + 1], QStringLiteral("message ") + kNotReady);
    }

    // One refused step: one message, the document is still ended.
    RecordingPrinter jammed({"text"});
    Feedback once;
    EXPECT_FALSE(m4::printResults(jammed, kReport, QStringLiteral("M-4demo"), once.hooks()));
    EXPECT_EQ(jammed.calls.back(), QStringLiteral("end"));
    EXPECT_EQ(once.events, (QStringList{QStringLiteral("status ") + kNotReady,
                                        QStringLiteral("message ") + kNotReady}));
}

TEST(QtReportPrinter, StepsWithoutAnOpenDocumentFail) {
    m4::QtReportPrinter printer(QStringLiteral("M-4 unopened"));
    EXPECT_FALSE(printer.emptyLine());
    EXPECT_FALSE(printer.text(QStringLiteral("x")));
    EXPECT_FALSE(printer.endDocument());
}

TEST(ReportFont, IsFixedPitchAndShowsChinese) {
    const QFont font = m4::reportFont(10);
    const QFontMetricsF metrics(font);
    EXPECT_TRUE(metrics.inFont(QChar(u'洪')));
    EXPECT_DOUBLE_EQ(metrics.horizontalAdvance(QStringLiteral("iiii")),
                     metrics.horizontalAdvance(QStringLiteral("WWWW")));
}

} // namespace
