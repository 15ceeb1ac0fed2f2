#pragma once
// Rules for the names of case files and of the files a run writes beside them.

#include <QString>

namespace m4 {

/// The program code shown on the badge; case files offered by the file list begin with it.
inline constexpr const char* kProgramCode = "M-4";

/// A name a run accepts: no "*", ends with ".int" in any letter case.
bool isRunnableName(const QString& caseFileName);

/// The check of the file-name field: the last four characters are ".INT" in any letter case.
bool hasCaseExtension(const QString& text);

/// The loader's name rules against the program code (for "M-4": no "-" just before the
/// extension unless the code ends in "-", and "4" as third character).
bool passesLoaderNameRules(const QString& caseFileName, const QString& programCode);

/// The name holds a folder separator ("/" or "\\"), so it would not name a file in the folder.
bool hasFolderSeparator(const QString& name);

/// The file name without its last four characters.
QString baseName(const QString& caseFileName);

/// folder + the platform's separator + name, without doubling a separator at a root.
QString joinPath(const QString& folder, const QString& name);

/// What a status panel shows for a path: the whole path when at most 30 characters, otherwise
/// the first 15 characters of the folder, "...", the separator and the name.
QString shortCasePath(const QString& folder, const QString& name);

} // namespace m4
