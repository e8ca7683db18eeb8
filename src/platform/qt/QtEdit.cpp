#include "platform/Edit.h"

#include "EditWidget.h"
#include "QtWindow.h"

namespace {
constexpr auto EditOf = &qt::WidgetAs<EditWidget>;
} // namespace

bool CEdit::IsEditControl(const CWnd* wnd) {
    return EditOf(wnd) != nullptr;
}

void CEdit::SetEditLimit(CWnd* wnd, int chars) {
    if (EditWidget* edit = EditOf(wnd))
        edit->SetLimit(chars > 0 ? chars : 32767);
}

int CEdit::GetEditLimit(const CWnd* wnd) {
    EditWidget* edit = EditOf(wnd);
    return edit ? edit->Limit() : 0;
}

void CEdit::SetMargins(UINT left, UINT right) {
    if (EditWidget* edit = EditOf(this))
        edit->SetMargins(static_cast<int>(left), static_cast<int>(right));
}
