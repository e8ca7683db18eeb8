#pragma once

#include "Wnd.h"

#ifndef _WIN32
// Bitmaps for static picture controls: LoadImageA gives one, DeleteObject releases it.
HBITMAP LoadImageA(void* instance, LPCSTR name, UINT type, int cx, int cy, UINT flags);
BOOL DeleteObject(HBITMAP bitmap);
#endif

class CStatic : public CWnd {
public:
    // Shows bitmap (null: none) at its own size; returns the one shown before.
    HBITMAP SetBitmap(HBITMAP bitmap);
    HBITMAP GetBitmap() const;

private:
    HBITMAP m_bitmap = nullptr;
};
