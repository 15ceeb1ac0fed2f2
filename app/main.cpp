#include "route_command.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    if (argc >= 2 && QByteArray(argv[1]) == "route") return m4::routeCommand(argc, argv);
    return 0;
}
