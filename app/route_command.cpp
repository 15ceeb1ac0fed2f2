#include "route_command.h"

#include "command_line.h"

#include "common/failure.h"
#include "output/case_run.h"
#include "routing/case_check.h"
#include "routing/round2.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>

namespace m4 {
namespace {

// Pictures outside these sizes are refused: below, the chart has no room for its texts; above,
// a picture takes seconds and hundreds of megabytes to draw and save.
constexpr int kMinChartWidthPx = 100;
constexpr int kMinChartHeightPx = 60;
constexpr int kMaxChartSidePx = 4000;

const QCommandLineOption kCsv(QStringLiteral("csv"),
                              QStringLiteral("另写出<名>.csv：时段0和各时段的结果，"
                                             "数值同结果文件，UTF-8（带字节顺序标记）"));
const QCommandLineOption
    kChartSize(QStringLiteral("chart-size"),
               QStringLiteral("图形的像素尺寸，100x60至4000x4000，默认613x383"),
               QStringLiteral("宽x高"));
const QCommandLineOption kQuiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                QStringLiteral("只输出失败的信息"));

/// The chart size of the option, or the message refusing it.
std::optional<QSize> chartSizeOf(const QString& text, QString& refusal) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})[xX×](\\d{1,9})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) {
        refusal = QStringLiteral("图形尺寸应为“宽x高”，如613x383：") + text;
        return std::nullopt;
    }
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    if (size.width() < kMinChartWidthPx || size.height() < kMinChartHeightPx ||
        size.width() > kMaxChartSidePx || size.height() > kMaxChartSidePx) {
        refusal = QStringLiteral("图形尺寸%1超出范围：宽%2至%4像素，高%3至%4像素")
                      .arg(text)
                      .arg(kMinChartWidthPx)
                      .arg(kMinChartHeightPx)
                      .arg(kMaxChartSidePx);
        return std::nullopt;
    }
    return size;
}

QString twoDecimals(double v) {
    return QString::number(v, 'f', 2);
}

/// The lines after the status: the maxima as the chart shows them, the held and capped
/// periods, and every file written.
QString summary(const RunOutcome& outcome) {
    const RoutingResult& r = outcome.result;
    QString text = QStringLiteral("  最高水位 Zmax=%1 米，最大下泄流量 Qmax=%2 立方米/秒，"
                                  "发生在第%3个时段\n")
                       .arg(twoDecimals(Round2(r.Zmax)), twoDecimals(Round2(r.Qmax)))
                       .arg(r.QmaxPeriod);
    text += QStringLiteral("  水位保持在ZM的时段%1个，下泄流量削减至QA的时段%2个\n")
                .arg(heldPeriods(r).size())
                .arg(cappedPeriods(r).size());
    const auto failed = [&outcome](Fault fault) {
        return outcome.laterFailure && outcome.laterFailure->fault == fault;
    };
    QStringList written{outcome.reportPath};
    if (!failed(Fault::ChartNotWritten)) written << outcome.bitmapPath;
    if (!outcome.csvPath.isEmpty() && !failed(Fault::CsvNotWritten)) written << outcome.csvPath;
    for (const QString& path : written)
        text += QStringLiteral("  写出 ") + QDir::toNativeSeparators(path) + u'\n';
    text.chop(1);
    return text;
}

} // namespace

QString routeHelp() {
    return commandHelp(
        QStringLiteral("m4 route [选项] 数据文件.INT..."),
        QStringLiteral("计算数据文件：在每个数据文件旁写出结果文件<名>.out（GBK编码，"
                       "CR LF换行）和图形<名>.bmp，\n"
                       "再输出最高水位、最大下泄流量、水位保持和削减的时段数以及"
                       "写出的文件。不需要图形显示。\n"),
        {kCsv, kChartSize, kQuiet},
        QStringLiteral("0 全部计算成功，1 有数据文件失败，2 命令行不对"));
}

int routeCommand(const QStringList& words) {
    QCommandLineParser parser;
    parser.addOption(kCsv);
    parser.addOption(kChartSize);
    parser.addOption(kQuiet);
    if (const std::optional<int> status =
            parseCommand(parser, QStringLiteral("route"), words, routeHelp()))
        return *status;

    QSize chartSize(kDefaultChartWidthPx, kDefaultChartHeightPx);
    if (parser.isSet(kChartSize)) {
        QString refusal;
        const std::optional<QSize> size = chartSizeOf(parser.value(kChartSize), refusal);
        if (!size) {
            printLine(stderr, QStringLiteral("m4 route：") + refusal);
            return kExitUsage;
        }
        chartSize = *size;
    }
    const QStringList cases = parser.positionalArguments();
    const bool quiet = parser.isSet(kQuiet);

    // Qt's own notes on the terminal (a missing runtime folder and the like) are no news for
    // the user; failures are the program's messages.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) printLine(stderr, text);
    });
    // Charts are drawn off screen: a run needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char program[] = "m4";
    char* argv[] = {program, nullptr};
    QGuiApplication app(argc, argv);

    int status = kExitOk;
    for (const QString& path : cases) {
        const QFileInfo info(path);
        RunRequest request{info.absolutePath(), info.fileName(), chartSize, parser.isSet(kCsv)};
        const Expected<RunOutcome> outcome = runCaseFile(request);
        if (!outcome) {
            Failure failure = outcome.failure();
            if (failure.file.isEmpty()) failure.file = path;
            printLine(stderr, describe(failure));
            status = kExitFailed;
            continue;
        }
        if (!quiet) {
            printLine(stdout, outcome->status);
            printLine(stdout, summary(*outcome));
        }
        if (outcome->laterFailure) {
            printLine(stderr, describe(*outcome->laterFailure));
            status = kExitFailed;
        }
    }
    return status;
}

} // namespace m4
