// src/platform/win32: the Win32 backend of the dialog framework, behind platform/'s headers.
// Includes platform/ and the system's headers; never platform/qt/ nor a layer above the
// platform.
//
// The Win32 backend's state of a window, and the text conversions at its boundary: every
// window is a Unicode one, and texts cross as the one code page (AnsiText.h), converted
// here, so nothing depends on the process's ANSI code page.
#pragma once

#include "platform/Wnd.h"

#include <functional>
#include <string>
#include <vector>

struct DialogTemplate;

struct CWnd::Impl {
    bool subclassed = false;  // a control: its procedure is subclassed for OnChar
    bool hostedChild = false; // a hidden child dialog (a page) takes no default focus
};

namespace win32 {

// Binds wnd to hWnd (a dialog's control), subclassing the window so typed characters reach
// OnChar and Default() calls the original procedure.
BOOL SubclassWindow(CWnd& wnd, HWND hWnd);

std::wstring Wide(const std::string& bytes);
std::string Narrow(const std::wstring& text);
std::string WindowText(HWND hWnd);
HINSTANCE Instance();
// The class name of hWnd equals name, letter case not counting.
bool IsClass(HWND hWnd, const wchar_t* name);
// Unbinds the object subclassed onto hWnd (the window is going).
void ForgetWindow(CWnd* wnd);
// The icon AfxSetAppIcon gave, for the program's top-level dialogs.
HICON AppIcon();
// Makes the calling thread the user-interface thread (AfxWinMain calls it). The window that
// takes the workers' requests is made there when the first worker starts, or when work is
// first posted there (EnsureUiDispatcher): a start without workers makes none.
void StartUiDispatcher();
void EnsureUiDispatcher();
// True while the busy cursor is up (UiServices): the dialogs show it over themselves.
bool IsBusy();
// Gives the controls of the dialog the names from its template that the dialog manager
// cannot infer from their labels (Dynamic Annotation); the others it names itself.
void NameForScreenReaders(HWND dialog, const DialogTemplate& dialogTemplate);
// Sees each name given that way with the system's answer (for tests; empty: none).
using AnnotationWatch = std::function<void(HWND control, const std::string& name, HRESULT)>;
void WatchAnnotations(AnnotationWatch watch);
// The edit windows of an address field, left to right.
std::vector<HWND> AddressParts(HWND field);

} // namespace win32
