#include "FocusFrameStyle.h"

#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>

FocusFrameStyle::FocusFrameStyle(QStyle* base) : QProxyStyle(base) {}

void FocusFrameStyle::drawControl(ControlElement element, const QStyleOption* option,
                                  QPainter* painter, const QWidget* widget) const {
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (element != CE_PushButton || !button || !(button->state & State_HasFocus)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // The button as the style draws it without the focus (the default button keeps its
    // outline), then the rectangle.
    QStyleOptionButton unfocused = *button;
    unfocused.state &= ~State_HasFocus;
    QProxyStyle::drawControl(element, &unfocused, painter, widget);
    const QRect frame = subElementRect(SE_PushButtonFocusRect, button, widget)
                            .intersected(button->rect.adjusted(3, 3, -4, -4));
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    QPen pen(button->palette.color(QPalette::ButtonText), 1, Qt::DotLine);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(frame);
    painter->restore();
}

namespace qt {

void UseFocusFrames(QWidget* widget) {
    // One for the program: a widget's style is not owned by the widget.
    static FocusFrameStyle* style = new FocusFrameStyle;
    if (!widget)
        return;
    if (qobject_cast<QPushButton*>(widget))
        widget->setStyle(style);
    for (QPushButton* button : widget->findChildren<QPushButton*>())
        button->setStyle(style);
}

} // namespace qt
