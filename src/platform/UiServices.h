// What the user is shown outside the dialogs: message boxes, beeps and the busy cursor.
// Each goes through one replaceable hook, so tests record what was shown instead of
// blocking on it. All may be called from any thread; they run on the user-interface thread
// and the caller waits until they are done (a message box until it is dismissed).
#pragma once

#include "Messages.h"

#include <functional>
#include <string>

class CWnd;

struct UiHooks {
    // text, caption, type (MB_* icon flags); returns the button pressed (IDOK).
    std::function<int(const std::string&, const std::string&, UINT)> messageBox;
    std::function<void(UINT)> beep;
    // kBusyBegin / kBusyEnd: a counted busy cursor; kBusyShow: show it over the active
    // window until the pointer leaves it (as a momentary SetCursor does).
    std::function<void(int)> busyCursor;
};

// Replaces the hooks; returns the ones in force before. Empty members keep the real ones.
UiHooks SetUiHooks(const UiHooks& hooks);

// A message box with an OK button, captioned with the application title.
int AfxMessageBox(const std::string& text, UINT type = MB_OK);
// The hooked beep: the program beeps through this one on both platforms (on Windows the
// system's own MessageBeep is behind the hook), so tests hear every beep.
BOOL AfxMessageBeep(UINT type);
constexpr int kBusyEnd = -1;
constexpr int kBusyShow = 0;
constexpr int kBusyBegin = 1;
void BeginWaitCursor();
void EndWaitCursor();
void ShowWaitCursor();

// Runs fn on the user-interface thread and waits for it (at once when already there).
void RunOnUiThread(const std::function<void()>& fn);
// Queues fn to the user-interface thread and returns at once.
void PostToUiThread(std::function<void()> fn);
bool IsUiThread();
