// X atoms by name, for the code that speaks to the X server over xcb: the window search and
// its tests.
#pragma once

#include <array>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace xcbatoms {

// The atoms named, asked for in one round trip; XCB_ATOM_NONE where the server gave none.
template <size_t N>
std::array<xcb_atom_t, N> Intern(xcb_connection_t* c, const char* const (&names)[N]) {
    xcb_intern_atom_cookie_t cookies[N];
    for (size_t i = 0; i < N; ++i)
        cookies[i] = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(names[i])), names[i]);
    std::array<xcb_atom_t, N> atoms{};
    for (size_t i = 0; i < N; ++i) {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, cookies[i], nullptr);
        atoms[i] = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(r);
    }
    return atoms;
}

inline xcb_atom_t Intern(xcb_connection_t* c, const char* name) {
    const char* const names[] = {name};
    return Intern(c, names)[0];
}

} // namespace xcbatoms
