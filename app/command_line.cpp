#include "command_line.h"

#include "check_command.h"
#include "route_command.h"

#include <QCommandLineParser>

namespace m4 {
namespace {

const QString kProgram = QStringLiteral("m4");

/// Columns a text takes in a terminal: two for a Chinese character.
int columnsOf(const QString& text) {
    constexpr char16_t kWideFrom = 0x2E80;
    int columns = 0;
    for (QChar c : text) columns += c.unicode() >= kWideFrom ? 2 : 1;
    return columns;
}

QString padded(const QString& text, int columns) {
    return text + QString(std::max(1, columns - columnsOf(text)), u' ');
}

QString optionNames(const QCommandLineOption& option) {
    QStringList names;
    for (const QString& name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty()) text += QStringLiteral(" <") + option.valueName() + u'>';
    return text;
}

/// "--bogus" as the user wrote it, for an option name the parser did not know.
QString asWritten(const QStringList& words, const QString& name) {
    for (const QString& word : words)
        if (word == u'-' + name || word == QStringLiteral("--") + name ||
            word.startsWith(QStringLiteral("--") + name + u'='))
            return word.section(u'=', 0, 0);
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString usageLines() {
    const std::pair<const char*, const char*> lines[] = {
        {"m4", "打开窗口（需要图形显示）"},
        {"m4 route [选项] 数据文件.INT...", "计算数据文件，写出结果文件和图形"},
        {"m4 check [选项] 数据文件.INT...", "检查数据文件，不写任何文件"},
        {"m4 -h, --help", "显示本帮助"},
        {"m4 -v, --version", "显示版本"},
    };
    int width = 0;
    for (const auto& [call, what] : lines)
        width = std::max(width, columnsOf(QString::fromUtf8(call)));
    QString text = QStringLiteral("用法：\n");
    for (const auto& [call, what] : lines)
        text += QStringLiteral("  ") + padded(QString::fromUtf8(call), width + 2) +
                QString::fromUtf8(what) + u'\n';
    return text;
}

QString programHelp() {
    return QStringLiteral("青岚七号综合分析器 M-4 %1：水库调洪计算\n\n")
               .arg(QStringLiteral(M4_VERSION)) +
           usageLines() + u'\n' + routeHelp() + u'\n' + checkHelp();
}

void usageError(const QString& what) {
    printLine(stderr, kProgram + QStringLiteral("：") + what);
    std::fputs(usageLines().toUtf8().constData(), stderr);
}

/// Whether a window can open: the platform Qt will use has its display. A platform that
/// draws without one (offscreen, vnc, linuxfb...) always can.
bool displayAvailable() {
    const QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (platforms.trimmed().isEmpty()) return x11 || wayland;
    for (const QString& entry : platforms.split(u';', Qt::SkipEmptyParts)) {
        const QString name = entry.section(u':', 0, 0).trimmed();
        const bool needsX11 = name == QLatin1String("xcb");
        const bool needsWayland = name.startsWith(QLatin1String("wayland"));
        if ((!needsX11 || x11) && (!needsWayland || wayland)) return true;
    }
    return false;
}

QCommandLineOption helpOption() {
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("显示本帮助"));
}

} // namespace

void printLine(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fputc('\n', stream);
}

QString commandHelp(const QString& usage, const QString& description,
                    const QList<QCommandLineOption>& options, const QString& exitStatus) {
    QList<QCommandLineOption> all{helpOption()};
    all += options;
    int width = 0;
    for (const QCommandLineOption& option : all)
        width = std::max(width, columnsOf(optionNames(option)));
    QString text =
        QStringLiteral("用法：") + usage + u'\n' + description + QStringLiteral("\n选项：\n");
    for (const QCommandLineOption& option : all)
        text += QStringLiteral("  ") + padded(optionNames(option), width + 2) +
                option.description() + u'\n';
    return text + QStringLiteral("\n退出状态：") + exitStatus + u'\n';
}

std::optional<int> parseCommand(QCommandLineParser& parser, const QString& name,
                                const QStringList& words, const QString& help) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(helpOption());
    const QString command = kProgram + u' ' + name;
    if (!parser.parse(QStringList{command} + words)) {
        // Without an unknown name the fault is an option given last without its value.
        const QStringList unknown = parser.unknownOptionNames();
        printLine(stderr,
                  command + QStringLiteral("：") +
                      (unknown.isEmpty()
                           ? QStringLiteral("选项“%1”缺少取值").arg(words.last())
                           : QStringLiteral("未知选项“%1”").arg(asWritten(words, unknown[0]))));
        std::fputs(help.toUtf8().constData(), stderr);
        return kExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(help.toUtf8().constData(), stdout);
        return kExitOk;
    }
    if (parser.positionalArguments().isEmpty()) {
        printLine(stderr, command + QStringLiteral("：没有给出数据文件"));
        std::fputs(help.toUtf8().constData(), stderr);
        return kExitUsage;
    }
    return std::nullopt;
}

std::optional<int> runCommandLine(const QStringList& arguments, bool windowBuilt) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Everything after the subcommand's name is the subcommand's to read.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("显示版本"));
    parser.addOption(helpOption());
    parser.addOption(version);
    const QStringList words = arguments.mid(1);
    if (!parser.parse(QStringList{kProgram} + words)) {
        const QStringList unknown = parser.unknownOptionNames();
        usageError(QStringLiteral("未知选项“%1”")
                       .arg(unknown.isEmpty() ? parser.errorText() : asWritten(words, unknown[0])));
        return kExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(programHelp().toUtf8().constData(), stdout);
        return kExitOk;
    }
    if (parser.isSet(version)) {
        printLine(
            stdout,
            QStringLiteral("m4 %1（青岚七号综合分析器 M-4）").arg(QStringLiteral(M4_VERSION)));
        return kExitOk;
    }
    const QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty()) {
        const QString& command = positional.first();
        if (command == QLatin1String("route")) return routeCommand(positional.mid(1));
        if (command == QLatin1String("check")) return checkCommand(positional.mid(1));
        QString what = QStringLiteral("未知的子命令“%1”").arg(command);
        if (command.endsWith(QLatin1String(".int"), Qt::CaseInsensitive))
            what +=
                QStringLiteral("；计算数据文件请用 m4 route %1，检查请用 m4 check %1").arg(command);
        usageError(what);
        return kExitUsage;
    }
    if (!windowBuilt) {
        usageError(QStringLiteral("本程序构建时未含窗口；请用 m4 route 或 m4 check"));
        return kExitUsage;
    }
    if (!displayAvailable()) {
        usageError(QStringLiteral(
            "窗口需要图形显示，但没有可用的显示（DISPLAY、WAYLAND_DISPLAY均未设置）。\n"
            "没有显示时可以计算或检查数据文件：m4 route 数据文件.INT，m4 check 数据文件.INT"));
        return kExitUsage;
    }
    return std::nullopt;
}

} // namespace m4
