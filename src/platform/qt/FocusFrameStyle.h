// The push buttons' style: the application's style (Fusion, or the one the user sets) with a
// focus rectangle of its own on the focused button, dotted inside its frame as the Windows
// build draws it. The style's own focus cue on a button is the default button's outline, so
// without it the focused OK looks no different from the OK that waits for Enter.
#pragma once

#include <QProxyStyle>

class QWidget;

class FocusFrameStyle : public QProxyStyle {
public:
    // Over base, which it owns; without one, over the style the application would take.
    explicit FocusFrameStyle(QStyle* base = nullptr);
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

namespace qt {
// Gives button (a push button, or a dialog whose push buttons all) the focus rectangle.
void UseFocusFrames(QWidget* widget);
} // namespace qt
