// Dialog units in pixels from a Qt font, and the font a template names.
#pragma once

#include "platform/DialogTemplate.h"

class QFont;
class QRect;

// Conversion of dialog units to pixels from a font's average character size, as the
// dialog manager does it: x * cxChar / 4, y * cyChar / 8.
struct DialogUnits {
    int cxChar = 0;
    int cyChar = 0;
    static DialogUnits ForFont(const QFont& font);
    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int cx, int cy) const;
};

// The font a template names ("MS Sans Serif" maps to the closest installed sans font).
QFont TemplateFont(const DialogTemplate& dialogTemplate);
