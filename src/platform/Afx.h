// The dialog framework and services the utility is written against.
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
