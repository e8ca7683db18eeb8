#include "Edit.h"

#include <QLineEdit>

void CEdit::LimitText(int chars) {
    if (auto* edit = qobject_cast<QLineEdit*>(GetWidget())) {
        // Unlike QLineEdit's own limit, the platform's never cuts a text already there.
        if (edit->text().size() <= chars)
            edit->setMaxLength(chars > 0 ? chars : 32767);
    }
}

int CEdit::GetLimitText() const {
    auto* edit = qobject_cast<QLineEdit*>(GetWidget());
    return edit ? edit->maxLength() : 0;
}
