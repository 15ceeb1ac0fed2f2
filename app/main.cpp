#include "command_line.h"

#ifdef M4_WITH_WINDOW
#include "case/program_folders.h"
#include "ui/vemoM4.h"

#include <QApplication>
#include <QIcon>
#endif

#include <QStringList>

#include <csignal>
#include <cstdio>
#include <new>

namespace {

int runProgram(int argc, char** argv) {
    // The command line is read before any application object exists, so that help, version,
    // the subcommands and a refused window need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
#ifdef M4_WITH_WINDOW
    constexpr bool kWindowBuilt = true;
#else
    constexpr bool kWindowBuilt = false;
#endif
    if (const std::optional<int> status = m4::runCommandLine(arguments, kWindowBuilt))
        return *status;
#ifdef M4_WITH_WINDOW
    QApplication app(argc, argv);
    // The desktop matches the window to its menu entry by this name (Wayland) and shows the
    // icon in the task bar (X11).
    QGuiApplication::setDesktopFileName(QStringLiteral("qinglan-m4"));
    QApplication::setWindowIcon(QIcon(m4::resourceFolderOf(QApplication::applicationDirPath()) +
                                      QStringLiteral("/m4.png")));
    m4::vemoM4 window;
    // Another instance runs on this display, or a folder or file start-up needs is missing.
    if (!window.Form_Load()) return m4::kExitFailed;
    window.show();
    return QApplication::exec();
#else
    return m4::kExitUsage;
#endif
}

} // namespace

int main(int argc, char** argv) {
    // A file-size limit (ulimit -f) must fail the write that passes it, which is then reported,
    // instead of killing the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        return runProgram(argc, argv);
    } catch (const std::bad_alloc&) {
        // The message is a literal: no memory is needed to say it.
        std::fputs("m4：内存不足，程序无法继续\n", stderr);
        return m4::kExitFailed;
    }
}
