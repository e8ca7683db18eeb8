#include "platform/Button.h"

#include "QtWindow.h"

#include <QAbstractButton>

namespace {
QAbstractButton* ButtonOf(const CWnd* wnd) {
    return wnd ? qobject_cast<QAbstractButton*>(qt::GetWidget(*wnd)) : nullptr;
}
} // namespace

bool CButton::IsButton(const CWnd* wnd) {
    return ButtonOf(wnd) != nullptr;
}

int CButton::GetButtonCheck(const CWnd* wnd) {
    QAbstractButton* b = ButtonOf(wnd);
    return b && b->isChecked() ? 1 : 0;
}

void CButton::SetButtonCheck(CWnd* wnd, int check) {
    if (QAbstractButton* b = ButtonOf(wnd))
        b->setChecked(check != 0);
}
