#include "platform/ComboBox.h"

#include "QtText.h"
#include "QtWindow.h"

#include <QComboBox>

namespace {
constexpr auto Combo = &qt::WidgetAs<QComboBox>;
} // namespace

void CComboBox::ResetContent() {
    if (QComboBox* c = Combo(this))
        c->clear();
}

int CComboBox::InsertString(int index, const std::string& text) {
    QComboBox* c = Combo(this);
    if (!c || index > c->count())
        return CB_ERR;
    int at = index < 0 ? c->count() : index;
    int previous = c->currentIndex();
    c->insertItem(at, QStringFromAnsi(text));
    // Inserting never selects: a list without a selection keeps none.
    c->setCurrentIndex(previous < 0 ? -1 : (previous >= at ? previous + 1 : previous));
    return at;
}

int CComboBox::SetCurSel(int index) {
    QComboBox* c = Combo(this);
    if (!c)
        return CB_ERR;
    if (index < 0 || index >= c->count()) {
        c->setCurrentIndex(-1);
        return CB_ERR;
    }
    c->setCurrentIndex(index);
    return index;
}

int CComboBox::GetCurSel() const {
    QComboBox* c = Combo(this);
    return c && c->currentIndex() >= 0 ? c->currentIndex() : CB_ERR;
}

int CComboBox::GetCount() const {
    QComboBox* c = Combo(this);
    return c ? c->count() : 0;
}

std::string CComboBox::GetLBText(int index) const {
    QComboBox* c = Combo(this);
    return c ? AnsiFromQString(c->itemText(index)) : std::string();
}
