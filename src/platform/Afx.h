// src/platform: the dialog framework and the services the utility is written against, under
// their Windows names: its interface (these headers), the toolkit-free half of it, and the
// system's services (device calls, profile, instance lock, whole-file replace). Includes
// nothing of the project outside this folder, and no header here names a backend's types or
// includes a toolkit (<windows.h> only through Win32Types.h). Its backends: platform/qt/,
// platform/win32/. The layers: docs/architecture.md.
#pragma once

#include "Button.h"
#include "ComboBox.h"
#include "DataExchange.h"
#include "Dialog.h"
#include "Edit.h"
#include "IPAddressCtrl.h"
#include "MessageMap.h"
#include "Messages.h"
#include "ProgressCtrl.h"
#include "Static.h"
#include "TabCtrl.h"
#include "UiServices.h"
#include "Win32Types.h"
#include "WinApp.h"
