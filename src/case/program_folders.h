#pragma once
// Where the program keeps its cases and reads its pictures, documents and examples.
//
// Run from its build tree or from a portable copy, the program finds both beside its own
// folder: bin/ holds the program, use/ the cases, rtf/ the resources. Installed (bin/ next to
// share/m4/), the resources are read from share/m4/ and, since the program's own folder is
// not the user's to write, the cases live in the user's data folder.

#include <QString>

namespace m4 {

struct ProgramFolders {
    QString caseFolder;     ///< where the folder list starts and new cases are saved
    QString resourceFolder; ///< pictures, documents and examples/
    bool perUser = false;   ///< the case folder is the user's own, not the one beside the program
};

/// The program's folder with its last three characters replaced ("bin" -> "use", "rtf").
QString siblingFolder(const QString& programFolder, const QString& replacement);

/// A folder as the window's caption shows it: within the user's home as "~/...", so that the
/// end that tells one case folder from another fits.
QString shownFolder(const QString& folder);

/// $XDG_DATA_HOME when it is an absolute path, otherwise ~/.local/share.
QString userDataFolder();

/// Where the pictures, documents and examples of a program in programFolder are.
QString resourceFolderOf(const QString& programFolder);

/// Where the folders are for a program in programFolder; looks at the disk, changes nothing.
ProgramFolders locateProgramFolders(const QString& programFolder, const QString& userData);

/// The folders as start-up needs them: a per-user case folder that is not there yet is made,
/// open to its owner only, and given a copy of each example. When it cannot be made, the case
/// folder named does not exist.
ProgramFolders prepareProgramFolders(const QString& programFolder,
                                     const QString& userData = userDataFolder());

} // namespace m4
