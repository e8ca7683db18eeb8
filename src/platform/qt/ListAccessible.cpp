#include "ListAccessible.h"

#include "ReadOnlyText.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace {

// The item chosen is the one selected in the list of items, where a screen reader looks for
// it (the list itself marks it only while it is open).
void SelectChosen(QComboBox* list) {
    QModelIndex chosen =
        list->model()->index(list->currentIndex(), list->modelColumn(), list->rootModelIndex());
    list->view()->selectionModel()->setCurrentIndex(chosen, QItemSelectionModel::ClearAndSelect);
}

// Whether the list has made its list of items: it makes it the first time it is opened or
// asked for, at a cost of several widgets, which a dialog's opening does not pay for each list.
bool HasItemView(QComboBox* list) {
    return list->findChild<QAbstractItemView*>() != nullptr;
}

class ListAccessible : public QAccessibleWidget, public ReadOnlyText {
public:
    // Made also when a name is given to the list, so the list of items is left to be made
    // when a screen reader (or a test) asks for it, and is then marked.
    explicit ListAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {
        QObject::connect(list, &QComboBox::currentIndexChanged, list, [list] {
            if (HasItemView(list))
                SelectChosen(list);
        });
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value ||
            (t == QAccessible::Name && List()->accessibleName().isEmpty()))
            return List()->currentText();
        return QAccessibleWidget::text(t);
    }
    // The one child is the list of items the user picks from.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        if (index != 0)
            return nullptr;
        if (!HasItemView(List()))
            SelectChosen(List()); // which makes it
        return QAccessible::queryAccessibleInterface(List()->view());
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == List()->view() ? 0 : -1;
    }
    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << showMenuAction();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction())
            List()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

protected:
    // The item chosen is also the list's text, read only: where a screen reader looks for a
    // list's value when the list marks no selected item it can reach (Qt before 6.5).
    QString Shown() const override { return List()->currentText(); }

private:
    QComboBox* List() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ListFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QComboBox") && object && object->isWidgetType())
        return new ListAccessible(static_cast<QComboBox*>(object));
    return nullptr;
}

} // namespace

void UseListAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(&ListFactory);
        return true;
    }();
    static_cast<void>(installed);
}
