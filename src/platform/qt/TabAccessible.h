// What a screen reader gets from the tab strip: the strip is named by the page shown (the
// name a Windows tab control gives), and the tab of that page carries the "selected" state.
// Qt 6.4 marks no tab selected and leaves a screen reader on the name it first read.
#pragma once

class QTabBar;

// Installs, once, the accessible interface of every tab strip the dialogs build.
void UseTabAccessible();
// Tells a screen reader that the strip's page moved from tab `before` (-1: none) to `now`:
// the strip's name and both tabs' "selected" state.
void TellTabChanged(QTabBar* bar, int before, int now);
