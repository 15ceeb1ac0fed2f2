#pragma once
// What start-up reads: the help page's text and the GBK text files it is made from.

#include "common/failure.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace m4 {

/// The four lines heading the help page, each ended by CR LF.
QString helpBanner();

/// The help page: the banner, every line of the combined help with CR LF, one empty line, then
/// every line of the program's own help, if there is one.
QString helpText(const QStringList& combinedHelp, const std::optional<QStringList>& ownHelp);

/// The lines of a GBK text file, CR LF or LF ended. The failure names the path.
Expected<QStringList> readTextLines(const QString& path);

} // namespace m4
