#include "case/program_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace m4 {
namespace {

/// Characters cut from the end of the program's folder to name its sibling folders.
constexpr int kFolderSuffixLength = 3;
/// From the program's folder of an installed program to its resources.
constexpr const char* kInstalledResources = "/../share/m4";
/// Below the user's data folder.
constexpr const char* kUserCases = "/M-4/use";
constexpr const char* kExamples = "/examples";

/// Make folder and any missing parent, each open to its owner only: other users of the
/// machine have no business reading someone's cases.
bool makePrivateFolder(const QString& folder) {
    const QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const QString path = QDir::cleanPath(folder);
    for (qsizetype end = path.indexOf(u'/', 1);; end = path.indexOf(u'/', end + 1)) {
        const QString part = end < 0 ? path : path.left(end);
        if (!QFileInfo(part).isDir() && !QDir().mkdir(part, ownerOnly) && !QFileInfo(part).isDir())
            return false;
        if (end < 0) return true;
    }
}

/// Copy each file of from into to. A name already taken is left alone, and a copy that cannot
/// be written whole is removed rather than left cut short.
void copyExamples(const QString& from, const QString& to) {
    const QDir examples(from);
    for (const QString& name : examples.entryList(QDir::Files, QDir::Name)) {
        QFile source(examples.filePath(name));
        if (!source.open(QIODevice::ReadOnly)) continue;
        const QByteArray bytes = source.readAll();
        if (source.error() != QFileDevice::NoError) continue;
        QFile copy(to + u'/' + name);
        if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly)) continue;
        if (copy.write(bytes) != bytes.size() || !copy.flush()) {
            copy.close();
            copy.remove();
        }
    }
}

} // namespace

QString siblingFolder(const QString& programFolder, const QString& replacement) {
    return programFolder.left(std::max<qsizetype>(programFolder.size() - kFolderSuffixLength, 0)) +
           replacement;
}

QString shownFolder(const QString& folder) {
    const QString home = QDir::homePath();
    if (folder == home) return QStringLiteral("~");
    if (folder.startsWith(home + u'/')) return u'~' + folder.mid(home.size());
    return folder;
}

QString userDataFolder() {
    // A relative XDG_DATA_HOME is invalid and must be ignored, or the cases would follow the
    // current folder around.
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(configured)) return QDir::cleanPath(configured);
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString resourceFolderOf(const QString& programFolder) {
    const QString beside = siblingFolder(programFolder, QStringLiteral("rtf"));
    return QFileInfo(beside).isDir() ? beside
                                     : QDir::cleanPath(programFolder + kInstalledResources);
}

ProgramFolders locateProgramFolders(const QString& programFolder, const QString& userData) {
    ProgramFolders folders;
    folders.resourceFolder = resourceFolderOf(programFolder);
    const QString casesBeside = siblingFolder(programFolder, QStringLiteral("use"));
    const QFileInfo beside(casesBeside);
    if (beside.isDir() && beside.isWritable()) {
        folders.caseFolder = casesBeside;
    } else {
        folders.caseFolder = QDir::cleanPath(userData + kUserCases);
        folders.perUser = true;
    }
    return folders;
}

ProgramFolders prepareProgramFolders(const QString& programFolder, const QString& userData) {
    const ProgramFolders folders = locateProgramFolders(programFolder, userData);
    // Examples go only into a folder made now: one the user already has holds their own
    // choice of files, and an example they deleted stays deleted.
    if (folders.perUser && !QFileInfo::exists(folders.caseFolder) &&
        makePrivateFolder(folders.caseFolder))
        copyExamples(folders.resourceFolder + kExamples, folders.caseFolder);
    return folders;
}

} // namespace m4
