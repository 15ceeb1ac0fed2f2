#pragma once

#include <QString>
#include <QStringList>

namespace m4 {

/// What `m4 route --help` prints.
QString routeHelp();

/// m4 route [--csv] [--chart-size WxH] [--quiet] CASE.INT...; words are the arguments after
/// "route".
int routeCommand(const QStringList& words);

} // namespace m4
