#include "route_command.h"

#include "common/failure.h"
#include "output/case_run.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>

namespace m4 {
namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailed = 1;

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

void usage() {
    print(stderr,
          QStringLiteral(
              "用法：m4 route [--csv] [--chart-size 宽x高] 数据文件.INT [数据文件.INT ...]"));
}

} // namespace

int routeCommand(int argc, char** argv) {
    // Charts are drawn off screen: a run needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(2);

    bool csv = false;
    QSize chartSize(kDefaultChartWidthPx, kDefaultChartHeightPx);
    QStringList cases;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--csv")) {
            csv = true;
        } else if (arg == QLatin1String("--chart-size") && i + 1 < args.size()) {
            static const QRegularExpression size(QStringLiteral("^(\\d{1,4})[xX](\\d{1,4})$"));
            const QRegularExpressionMatch m = size.match(args[++i]);
            if (!m.hasMatch() || m.captured(1).toInt() < 1 || m.captured(2).toInt() < 1) {
                print(stderr, QStringLiteral("图形尺寸应为“宽x高”，如 613x383：") + args[i]);
                return kExitUsage;
            }
            chartSize = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        } else if (arg.startsWith(QLatin1String("--"))) {
            usage();
            return kExitUsage;
        } else {
            cases << arg;
        }
    }
    if (cases.isEmpty()) {
        usage();
        return kExitUsage;
    }

    int status = 0;
    for (const QString& path : cases) {
        const QFileInfo info(path);
        RunRequest request{info.absolutePath(), info.fileName(), chartSize, csv};
        const Expected<RunOutcome> outcome = runCaseFile(request);
        if (!outcome) {
            Failure failure = outcome.failure();
            if (failure.file.isEmpty()) failure.file = path;
            print(stderr, describe(failure));
            status = kExitFailed;
            continue;
        }
        print(stdout, outcome->status);
        if (outcome->laterFailure) {
            print(stderr, describe(*outcome->laterFailure));
            status = kExitFailed;
        }
    }
    return status;
}

} // namespace m4
