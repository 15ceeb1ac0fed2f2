// Opens the window as the program does, runs a case from the case folder by double-clicking it
// in the file list, and shows one page: for looking at the report and chart pages on a screen.
//   ui_files_show_run [PAGE [CASE]]   PAGE 1 = text results (default), 2 = chart

#include "ui/platform/file_browser.h"
#include "ui/platform/tab_control.h"
#include "ui/vemoM4.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int page = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1;
    const QString caseName =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("M-4Example.INT");
    m4::vemoM4 window;
    if (!window.Form_Load()) return 1;
    window.show();
    window.File1->setFileName(caseName);
    if (window.File1->fileName() != caseName) {
        std::fprintf(stderr, "%s is not listed in %s\n", qPrintable(caseName),
                     qPrintable(window.File1->path()));
        return 1;
    }
    window.File1_Click();
    window.File1_DblClick();
    window.SSTab2->setTab(page);
    return QApplication::exec();
}
