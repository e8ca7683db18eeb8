#include "platform/TabCtrl.h"

#include "QtText.h"
#include "QtWindow.h"
#include "TabWidget.h"

namespace {
constexpr auto Tabs = &qt::WidgetAs<TabWidget>;
} // namespace

int CTabCtrl::InsertItem(int index, const std::string& text) {
    TabWidget* t = Tabs(this);
    return t ? t->InsertItem(index, QStringFromAnsi(text)) : -1;
}

int CTabCtrl::GetCurSel() const {
    TabWidget* t = Tabs(this);
    return t ? t->GetCurSel() : -1;
}

int CTabCtrl::SetCurSel(int index) {
    TabWidget* t = Tabs(this);
    return t ? t->SetCurSel(index) : -1;
}

int CTabCtrl::GetItemCount() const {
    TabWidget* t = Tabs(this);
    return t ? t->GetItemCount() : 0;
}
