#include "Win32Window.h"
#include "platform/FindWindow.h"

namespace {

struct Search {
    std::vector<std::wstring> captions;
    HWND found = nullptr;
};

BOOL CALLBACK LookAt(HWND h, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    // The caption the system keeps, as the system's own search reads it: no message is sent
    // to another program's window.
    wchar_t text[256];
    int length = InternalGetWindowText(h, text, 256);
    for (const std::wstring& caption : search->captions)
        if (CompareStringOrdinal(text, length, caption.c_str(), static_cast<int>(caption.size()),
                                 TRUE) == CSTR_EQUAL) {
            search->found = h;
            return FALSE;
        }
    return TRUE;
}

} // namespace

HWND FindTopLevelWindow(const std::vector<std::string>& captions) {
    // The top-level windows of every program, each caption read once for all the captions
    // (the system's FindWindow reads every caption again for each): captions without case.
    Search search;
    for (const std::string& caption : captions)
        search.captions.push_back(win32::Wide(caption));
    EnumWindows(LookAt, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
