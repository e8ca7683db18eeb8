#include "FindWindow.h"

#include <QApplication>
#include <QWidget>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool SameCaption(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y))
            return false;
    }
    return true;
}

std::string Caption(Display* display, Window window) {
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string caption;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data && type == utf8) {
        caption.assign(reinterpret_cast<char*>(data), count);
    } else {
        char* name = nullptr;
        if (XFetchName(display, window, &name) && name) {
            caption = name;
            XFree(name);
        }
    }
    if (data)
        XFree(data);
    return caption;
}

// Top-level windows: the root's children and, for window managers that put each client
// in a frame of their own, the frames' children.
HWND FindOnX11(const std::string& wanted) {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    HWND found = nullptr;
    Window root = DefaultRootWindow(display), parent, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i) {
            if (SameCaption(Caption(display, children[i]), wanted)) {
                found = reinterpret_cast<HWND>(children[i]);
                break;
            }
            Window r, p, *inner = nullptr;
            unsigned int n = 0;
            if (XQueryTree(display, children[i], &r, &p, &inner, &n)) {
                for (unsigned int j = 0; j < n && !found; ++j)
                    if (SameCaption(Caption(display, inner[j]), wanted))
                        found = reinterpret_cast<HWND>(inner[j]);
                if (inner)
                    XFree(inner);
            }
        }
        if (children)
            XFree(children);
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return found;
}

} // namespace

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
    if (className || !windowName)
        return nullptr;
    std::string wanted = windowName;
    // This process's own windows, on whatever platform Qt runs.
    if (QApplication::instance()) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isWindow() && SameCaption(w->windowTitle().toStdString(), wanted))
                return reinterpret_cast<HWND>(w);
    }
    if (!std::getenv("DISPLAY"))
        return nullptr;
    return FindOnX11(wanted);
}
