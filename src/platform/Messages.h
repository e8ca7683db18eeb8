// Window messages, notification codes and control constants, under their Windows names.
#pragma once

#include "Win32Types.h"

#ifndef _WIN32
typedef struct HWND__* HWND;
typedef void* HBITMAP;
typedef struct HICON__* HICON;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;

constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_TIMER = 0x0113;

constexpr UINT BN_CLICKED = 0;
constexpr UINT CBN_SELCHANGE = 1;
constexpr UINT EN_KILLFOCUS = 0x0200;
constexpr UINT EN_CHANGE = 0x0300;
constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551);
constexpr UINT IPN_FIELDCHANGED = static_cast<UINT>(-860);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
constexpr int CB_ERR = -1;

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;

#define MAKEIPADDRESS(b1, b2, b3, b4)                                                              \
    ((static_cast<DWORD>(b1) << 24) + (static_cast<DWORD>(b2) << 16) +                             \
     (static_cast<DWORD>(b3) << 8) + static_cast<DWORD>(b4))
#else
#include <commctrl.h>
#endif
