#pragma once
// The command line of m4, read before anything graphical exists: the window, `m4 route` and
// `m4 check`, with their help in Chinese.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace m4 {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1; ///< a case failed or has problems
inline constexpr int kExitUsage = 2;  ///< a wrong command line, or no window possible

/// One line of text, UTF-8, with a line feed.
void printLine(std::FILE* stream, const QString& text);

/// A subcommand's usage line, description and options as `m4 SUB --help` prints them.
QString commandHelp(const QString& usage, const QString& description,
                    const QList<QCommandLineOption>& options, const QString& exitStatus);

/// Parse a subcommand's arguments (the words after its name): options and at least one case
/// file. On success the parser holds them; otherwise the exit status: 0 after printing help, 2
/// after naming the fault.
std::optional<int> parseCommand(QCommandLineParser& parser, const QString& name,
                                const QStringList& words, const QString& help);

/// Run the command line. Returns the exit status, or nothing when the window is to open.
std::optional<int> runCommandLine(const QStringList& arguments, bool windowBuilt);

} // namespace m4
