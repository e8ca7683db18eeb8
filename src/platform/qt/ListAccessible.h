// What a screen reader gets from a drop-down list: its name is what it chooses (the name
// the dialog gave it), its value the item chosen. Qt on Linux names a list by its current
// item instead, so a list of channels would be read as "Channel 6".
#pragma once

// Installs, once, the accessible interface of every drop-down list the dialogs build.
void UseListAccessible();
