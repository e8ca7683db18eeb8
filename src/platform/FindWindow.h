#pragma once

#include "Messages.h"

#include <string>
#include <vector>

// A top-level window of any program whose whole caption is windowName, letter case not
// counting (className must be null); null when there is none.
#ifndef _WIN32
HWND FindWindowA(LPCSTR className, LPCSTR windowName);
#endif

// The first top-level window whose whole caption is any of captions, letter case not
// counting; null when there is none. This process's windows are looked at first; on X11
// the other clients' windows are then searched over the toolkit's own connection, in a
// fixed number of round trips whatever the desktop holds: the window manager's client
// list where one is kept, otherwise the root's children and the children of those without a
// caption (a manager's frames), each level asked for in one batch.
HWND FindTopLevelWindow(const std::vector<std::string>& captions);
