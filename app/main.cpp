#include "route_command.h"

#include <QByteArray>

#ifdef M4_WITH_WINDOW
#include "ui/vemoM4.h"

#include <QApplication>
#endif

int main(int argc, char** argv) {
    if (argc >= 2 && QByteArray(argv[1]) == "route") return m4::routeCommand(argc, argv);
#ifdef M4_WITH_WINDOW
    QApplication app(argc, argv);
    m4::vemoM4 window;
    if (!window.Form_Load()) return 1; // another instance runs, or an installation file is missing
    window.show();
    return QApplication::exec();
#else
    return 0;
#endif
}
