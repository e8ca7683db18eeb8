#include "platform/FindWindow.h"

#include "XcbAtoms.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <xcb/xcb.h>

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

bool AnyCaption(const std::string& caption, const std::vector<std::string>& wanted) {
    for (const std::string& w : wanted)
        if (SameCaption(caption, w))
            return true;
    return false;
}

HWND AsHandle(xcb_window_t window) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
using PropertyReply = std::unique_ptr<xcb_get_property_reply_t, FreeReply>;

struct Atoms {
    xcb_atom_t clientList = XCB_ATOM_NONE;
    xcb_atom_t wmCheck = XCB_ATOM_NONE;
    xcb_atom_t netName = XCB_ATOM_NONE;
    xcb_atom_t utf8 = XCB_ATOM_NONE;
};

// The four atoms in one round trip (the toolkit has made them all already).
Atoms InternAtoms(xcb_connection_t* c) {
    const char* const names[] = {"_NET_CLIENT_LIST", "_NET_SUPPORTING_WM_CHECK", "_NET_WM_NAME",
                                 "UTF8_STRING"};
    auto atoms = xcbatoms::Intern(c, names);
    return Atoms{atoms[0], atoms[1], atoms[2], atoms[3]};
}

xcb_get_property_cookie_t AskProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property,
                                      xcb_atom_t type, uint32_t longs) {
    return xcb_get_property(c, 0, w, property, type, 0, longs);
}

PropertyReply Reply(xcb_connection_t* c, xcb_get_property_cookie_t cookie) {
    // A window that went away in between answers with an error: no reply, no caption.
    return PropertyReply(xcb_get_property_reply(c, cookie, nullptr));
}

std::vector<xcb_window_t> Windows(const PropertyReply& r) {
    if (!r || r->type != XCB_ATOM_WINDOW || r->format != 32)
        return {};
    const auto* values = static_cast<const xcb_window_t*>(xcb_get_property_value(r.get()));
    return std::vector<xcb_window_t>(values, values + xcb_get_property_value_length(r.get()) / 4);
}

// The client list of a running window manager, or false when none keeps one (no manager,
// or the property left behind by one that has ended: its check window is gone).
bool ClientList(xcb_connection_t* c, xcb_window_t root, const Atoms& atoms,
                std::vector<xcb_window_t>* clients) {
    if (atoms.clientList == XCB_ATOM_NONE || atoms.wmCheck == XCB_ATOM_NONE)
        return false;
    auto listCookie = AskProperty(c, root, atoms.clientList, XCB_ATOM_WINDOW, 1u << 16);
    auto checkCookie = AskProperty(c, root, atoms.wmCheck, XCB_ATOM_WINDOW, 1);
    PropertyReply list = Reply(c, listCookie);
    std::vector<xcb_window_t> check = Windows(Reply(c, checkCookie));
    if (!list || list->type != XCB_ATOM_WINDOW || check.size() != 1)
        return false;
    std::vector<xcb_window_t> same =
        Windows(Reply(c, AskProperty(c, check[0], atoms.wmCheck, XCB_ATOM_WINDOW, 1)));
    if (same.size() != 1 || same[0] != check[0])
        return false;
    *clients = Windows(list);
    return true;
}

// The children of every window given, every request sent before the first reply is read.
std::vector<xcb_window_t> Children(xcb_connection_t* c, const std::vector<xcb_window_t>& parents) {
    std::vector<xcb_query_tree_cookie_t> cookies;
    cookies.reserve(parents.size());
    for (xcb_window_t w : parents)
        cookies.push_back(xcb_query_tree(c, w));
    std::vector<xcb_window_t> children;
    for (xcb_query_tree_cookie_t cookie : cookies) {
        // A window that went away in between answers with an error: no children.
        if (xcb_query_tree_reply_t* r = xcb_query_tree_reply(c, cookie, nullptr)) {
            const xcb_window_t* inner = xcb_query_tree_children(r);
            children.insert(children.end(), inner, inner + xcb_query_tree_children_length(r));
            std::free(r);
        }
    }
    return children;
}

// The caption of each window (_NET_WM_NAME, else WM_NAME), all asked for before any
// answer is read; the first window with a wanted caption. When none has one, the windows
// without any caption go to *unnamed.
xcb_window_t FirstWithCaption(xcb_connection_t* c, const std::vector<xcb_window_t>& windows,
                              const Atoms& atoms, const std::vector<std::string>& wanted,
                              std::vector<xcb_window_t>* unnamed) {
    const uint32_t longs = 256; // captions up to 1 KiB; longer ones cannot match
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size() * 2);
    for (xcb_window_t w : windows) {
        cookies.push_back(AskProperty(c, w, atoms.netName, atoms.utf8, longs));
        cookies.push_back(AskProperty(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, longs));
    }
    xcb_window_t found = XCB_WINDOW_NONE;
    size_t i = 0;
    for (; i < windows.size() && found == XCB_WINDOW_NONE; ++i) {
        PropertyReply netName = Reply(c, cookies[2 * i]);
        PropertyReply name = Reply(c, cookies[2 * i + 1]);
        const PropertyReply& r =
            netName && netName->type == atoms.utf8 && netName->format == 8 ? netName : name;
        if (!r || r->type == XCB_ATOM_NONE || r->format != 8) {
            if (unnamed)
                unnamed->push_back(windows[i]);
            continue;
        }
        std::string caption(static_cast<const char*>(xcb_get_property_value(r.get())),
                            static_cast<size_t>(xcb_get_property_value_length(r.get())));
        if (AnyCaption(caption, wanted))
            found = windows[i];
    }
    for (size_t j = 2 * i; j < cookies.size(); ++j)
        xcb_discard_reply(c, cookies[j].sequence);
    return found;
}

HWND FindOnX11(xcb_connection_t* c, const std::vector<std::string>& wanted) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(setup);
    if (!screen.rem)
        return nullptr;
    xcb_window_t root = screen.data->root;
    Atoms atoms = InternAtoms(c);
    std::vector<xcb_window_t> clients;
    if (ClientList(c, root, atoms, &clients))
        return AsHandle(FirstWithCaption(c, clients, atoms, wanted, nullptr));
    // No manager's list: the top-level windows are the root's children, or, under a
    // manager that puts each client in a frame of its own, the children of the frames.
    // A frame has no caption, so only the children of windows without one are looked at.
    std::vector<xcb_window_t> frames;
    xcb_window_t found = FirstWithCaption(c, Children(c, {root}), atoms, wanted, &frames);
    if (found == XCB_WINDOW_NONE && !frames.empty())
        found = FirstWithCaption(c, Children(c, frames), atoms, wanted, nullptr);
    return AsHandle(found);
}

// The connection the toolkit talks to the X server on; null on other platforms.
xcb_connection_t* ToolkitConnection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

HWND FindTopLevelWindow(const std::vector<std::string>& captions) {
    if (captions.empty() || !QApplication::instance())
        return nullptr;
    // This process's own windows, on whatever platform Qt runs.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isWindow() && AnyCaption(w->windowTitle().toStdString(), captions))
            return reinterpret_cast<HWND>(w);
    xcb_connection_t* connection = ToolkitConnection();
    if (!connection || xcb_connection_has_error(connection))
        return nullptr;
    return FindOnX11(connection, captions);
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
    if (className || !windowName)
        return nullptr;
    return FindTopLevelWindow({windowName});
}
