#include "platform/Button.h"

#include "QtWindow.h"

#include <QAbstractButton>

namespace {
constexpr auto ButtonOf = &qt::WidgetAs<QAbstractButton>;
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
