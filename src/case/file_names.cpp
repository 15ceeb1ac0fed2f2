#include "file_names.h"

#include <QDir>

#include <algorithm>

namespace m4 {
namespace {

/// Length of the extension ".int", dot included (characters).
constexpr qsizetype kExtensionLength = 4;
/// Longest path a status panel shows whole (characters).
constexpr qsizetype kShortPathLimit = 30;
/// Characters of the folder kept when a path is shortened.
constexpr qsizetype kShortFolderKeep = 15;
/// Where the program code starts to be compared in a name (0-based: the third character).
constexpr qsizetype kCodeCompareFrom = 2;

char16_t asciiLower(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') ? static_cast<char16_t>(u - u'A' + u'a') : u;
}

/// The name ends in ".int" in any letter case; only ASCII letters fold, as file names do.
bool endsWithCaseExtension(const QString& name) {
    static constexpr char16_t kExtension[] = u".int";
    if (name.size() < kExtensionLength) return false;
    const qsizetype from = name.size() - kExtensionLength;
    for (qsizetype i = 0; i < kExtensionLength; ++i)
        if (asciiLower(name[from + i]) != kExtension[i]) return false;
    return true;
}

} // namespace

bool isRunnableName(const QString& caseFileName) {
    return !caseFileName.contains(u'*') && endsWithCaseExtension(caseFileName);
}

bool hasCaseExtension(const QString& text) {
    return endsWithCaseExtension(text);
}

bool passesLoaderNameRules(const QString& caseFileName, const QString& programCode) {
    // A is the character just before the extension, B the last of the program code.
    const qsizetype aIndex = caseFileName.size() - kExtensionLength - 1;
    if (aIndex < 0 || programCode.isEmpty()) return false;
    const QChar a = caseFileName[aIndex];
    const QChar b = programCode.back();
    if (a != b && (a == u'-' || b == u'-')) return false;
    const qsizetype n = std::max<qsizetype>(0, programCode.size() - kCodeCompareFrom);
    if (n == 0) return true;
    if (caseFileName.size() < kCodeCompareFrom + n) return false;
    return QStringView(caseFileName).sliced(kCodeCompareFrom, n) ==
           QStringView(programCode).sliced(kCodeCompareFrom, n);
}

bool hasFolderSeparator(const QString& name) {
    return name.contains(u'/') || name.contains(u'\\');
}

QString baseName(const QString& caseFileName) {
    if (caseFileName.size() < kExtensionLength) return QString();
    return caseFileName.chopped(kExtensionLength);
}

QString joinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty() || folder.endsWith(u'/')) return folder + name;
    return folder + u'/' + name;
}

QString shortCasePath(const QString& folder, const QString& name) {
    const QString full = QDir::toNativeSeparators(joinPath(folder, name));
    if (full.size() <= kShortPathLimit) return full;
    return QDir::toNativeSeparators(folder).left(kShortFolderKeep) + QStringLiteral("...") +
           QDir::separator() + name;
}

} // namespace m4
