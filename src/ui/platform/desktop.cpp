#include "desktop.h"

#include <QGuiApplication>

#ifdef M4_WITH_X11
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#endif

namespace m4::ui {

void* x11Display() {
#ifdef M4_WITH_X11
    auto* app = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    return app != nullptr ? app->display() : nullptr;
#else
    return nullptr;
#endif
}

bool pointerButtonsDown() {
#ifdef M4_WITH_X11
    if (auto* display = static_cast<Display*>(x11Display())) {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned mask = 0;
        XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y,
                      &mask);
        return (mask & (Button1Mask | Button2Mask | Button3Mask)) != 0;
    }
#endif
    return QGuiApplication::mouseButtons() != Qt::NoButton;
}

} // namespace m4::ui
