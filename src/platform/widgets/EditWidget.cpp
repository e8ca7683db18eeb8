#include "EditWidget.h"

#include "platform/Wnd.h"

#include <QKeyEvent>

EditWidget::EditWidget(QWidget* parent, bool upperCase)
    : QLineEdit(parent), m_upperCase(upperCase) {
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (notify)
            notify(EN_CHANGE);
    });
}

void EditWidget::SetTextFromProgram(const QString& text) {
    setText(m_upperCase ? text.toUpper() : text);
}

void EditWidget::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        QLineEdit::keyPressEvent(event); // keys the dialog handles, or that type nothing
        return;
    default:
        break;
    }
    auto standard = [this, event, &text] {
        if (m_upperCase && text != text.toUpper()) {
            QKeyEvent upper(event->type(), event->key(), event->modifiers(), text.toUpper(),
                            event->isAutoRepeat(), static_cast<ushort>(event->count()));
            QLineEdit::keyPressEvent(&upper);
        } else {
            QLineEdit::keyPressEvent(event);
        }
    };
    CWnd* wnd = CWnd::FromWidget(this);
    if (text.isEmpty() || !wnd) { // no character: cursor keys and the like
        standard();
        return;
    }
    for (QChar ch : text)
        wnd->DispatchChar(ch.unicode(), standard);
}

void EditWidget::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && notify)
        notify(EN_KILLFOCUS);
}
