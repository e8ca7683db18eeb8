#include "platform/FindWindow.h"

HWND FindTopLevelWindow(const std::vector<std::string>& captions) {
    // The system's search: top-level windows of every program, captions without case.
    for (const std::string& caption : captions)
        if (HWND h = FindWindowA(nullptr, caption.c_str()))
            return h;
    return nullptr;
}
