#pragma once

#include "Messages.h"

// A top-level window of any program whose whole caption is windowName, letter case not
// counting (className must be null); null when there is none. On X11 every client's
// windows are searched.
HWND FindWindowA(LPCSTR className, LPCSTR windowName);
