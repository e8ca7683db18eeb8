// What each backend supplies behind the hooks of UiServices.h: the real message box, beep
// and busy cursor, called on the user-interface thread.
#pragma once

#include "Messages.h"

#include <string>

int BackendMessageBox(const std::string& text, const std::string& caption, UINT type);
void BackendBeep(UINT type);
void BackendBusyCursor(int what);
