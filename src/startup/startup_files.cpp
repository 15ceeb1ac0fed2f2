#include "startup_files.h"

#include "common/gbk.h"

#include <QFile>
#include <QFileInfo>

namespace m4 {
namespace {

constexpr const char* kCrLf = "\r\n";

} // namespace

QString helpBanner() {
    const QString blanks27(27, ' ');
    const QString blanks28(28, ' ');
    return QString::fromUtf8("┌──────-────────────────────────────┐") + kCrLf +
           QString::fromUtf8("│") + blanks27 + QString::fromUtf8("《蓝石软件库》") + blanks28 +
           QString::fromUtf8("│") + kCrLf +
           QString::fromUtf8(
               "│                      青岚七号综合分析器  M-4G                       │") +
           kCrLf + QString::fromUtf8("└───────-───────────────────────────┘") + kCrLf;
}

QString helpText(const QStringList& combinedHelp, const std::optional<QStringList>& ownHelp) {
    QString text = helpBanner();
    for (const QString& line : combinedHelp) text += line + kCrLf;
    text += kCrLf;
    if (ownHelp)
        for (const QString& line : *ownHelp) text += line + kCrLf;
    return text;
}

Expected<QStringList> readTextLines(const QString& path) {
    QFile file(path);
    if (!file.exists()) return Failure{Fault::FileMissing, path, 0, {}};
    if (!file.open(QIODevice::ReadOnly)) return Failure{Fault::FileUnreadable, path, 0, {}};
    const QByteArray bytes = file.readAll();
    qsizetype bad = 0;
    const std::optional<QString> text = decodeGbk(bytes, &bad);
    if (!text) return Failure{Fault::NotGbk, path, 0, QString::number(bad)};
    QStringList lines = text->split('\n');
    // A final line end closes the last line; it does not open another.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith('\r')) line.chop(1);
    return lines;
}

} // namespace m4
