#pragma once

#include <QString>
#include <QStringList>

namespace m4 {

/// What `m4 check --help` prints.
QString checkHelp();

/// m4 check [--json] CASE.INT...; words are the arguments after "check".
int checkCommand(const QStringList& words);

} // namespace m4
