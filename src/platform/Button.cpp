#include "Button.h"

#include <QAbstractButton>

int CButton::GetCheck() const {
    auto* b = qobject_cast<QAbstractButton*>(GetWidget());
    return b && b->isChecked() ? 1 : 0;
}

void CButton::SetCheck(int check) {
    if (auto* b = qobject_cast<QAbstractButton*>(GetWidget()))
        b->setChecked(check != 0);
}
