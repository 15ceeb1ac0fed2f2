#include "check_command.h"

#include "command_line.h"

#include "output/check_report.h"
#include "routing/case_check.h"

#include <QCommandLineParser>

namespace m4 {
namespace {

const QCommandLineOption kJson(QStringLiteral("json"),
                               QStringLiteral("每个数据文件输出一行JSON对象"));

} // namespace

QString checkHelp() {
    return commandHelp(
        QStringLiteral("m4 check [选项] 数据文件.INT..."),
        QStringLiteral("检查数据文件，不写任何文件：一次列出数据文件和数据的全部问题及其行号；\n"
                       "把每个时段分为2步重算，两次结果之差估计时段长度带来的计算误差；\n"
                       "算出水量平衡误差；列出水位保持在ZM和下泄流量削减至QA的时段。\n"),
        {kJson}, QStringLiteral("0 没有问题，1 有问题，2 命令行不对"));
}

int checkCommand(const QStringList& words) {
    QCommandLineParser parser;
    parser.addOption(kJson);
    if (const std::optional<int> status =
            parseCommand(parser, QStringLiteral("check"), words, checkHelp()))
        return *status;
    const QStringList cases = parser.positionalArguments();
    const bool json = parser.isSet(kJson);
    int status = kExitOk;
    for (const QString& path : cases) {
        const CaseCheck check = checkCaseFile(path);
        if (json)
            printLine(stdout, QString::fromUtf8(checkJson(check)));
        else
            std::fputs(checkText(check).toUtf8().constData(), stdout);
        if (!check.problems.empty()) status = kExitFailed;
    }
    return status;
}

} // namespace m4
