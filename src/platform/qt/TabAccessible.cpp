#include "TabAccessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QTabBar>
#include <vector>

namespace {

QString TabName(const QTabBar* bar, int index) {
    QString name = bar->accessibleTabName(index);
    if (name.isEmpty())
        name = bar->tabText(index).remove(QLatin1Char('&'));
    return name;
}

// One tab: pressed, it shows its page.
class PageTabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PageTabAccessible(QTabBar* bar, int index) : m_bar(bar), m_index(index) {}

    bool isValid() const override { return m_bar && m_index < m_bar->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return Parent() ? Parent()->window() : nullptr; }
    QAccessibleInterface* parent() const override { return Parent(); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? TabName(m_bar, m_index) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.disabled = !m_bar->isEnabled() || !m_bar->isTabEnabled(m_index);
        s.invisible = !m_bar->isVisible();
        s.focusable = true;
        s.selectable = true;
        s.selected = m_index == m_bar->currentIndex();
        s.focused = s.selected && m_bar->hasFocus();
        return s;
    }
    QRect rect() const override {
        if (!isValid())
            return {};
        QRect r = m_bar->tabRect(m_index);
        return r.translated(m_bar->mapToGlobal(QPoint(0, 0)));
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction() && isValid() && m_bar->isEnabled())
            m_bar->setCurrentIndex(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QAccessibleInterface* Parent() const {
        return m_bar ? QAccessible::queryAccessibleInterface(m_bar) : nullptr;
    }
    QPointer<QTabBar> m_bar;
    int m_index;
};

class TabBarAccessible : public QAccessibleWidget {
public:
    explicit TabBarAccessible(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~TabBarAccessible() override {
        for (QAccessible::Id id : m_tabs)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && Bar()->accessibleName().isEmpty())
            return Bar()->currentIndex() < 0 ? QString() : TabName(Bar(), Bar()->currentIndex());
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return Bar()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= Bar()->count())
            return nullptr;
        if (m_tabs.size() <= static_cast<size_t>(index))
            m_tabs.resize(static_cast<size_t>(index) + 1, 0);
        QAccessible::Id& id = m_tabs[static_cast<size_t>(index)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new PageTabAccessible(Bar(), index));
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (size_t i = 0; i < m_tabs.size(); ++i)
            if (m_tabs[i] && QAccessible::accessibleInterface(m_tabs[i]) == child)
                return static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        return Bar()->hasFocus() ? child(Bar()->currentIndex()) : nullptr;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = Bar()->mapFromGlobal(QPoint(x, y));
        return child(Bar()->tabAt(at));
    }

private:
    QTabBar* Bar() const { return static_cast<QTabBar*>(widget()); }
    mutable std::vector<QAccessible::Id> m_tabs;
};

QAccessibleInterface* TabFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QTabBar") && object && object->isWidgetType())
        return new TabBarAccessible(static_cast<QTabBar*>(object));
    return nullptr;
}

} // namespace

void UseTabAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(&TabFactory);
        return true;
    }();
    static_cast<void>(installed);
}

void TellTabChanged(QTabBar* bar, int before, int now) {
    if (!QAccessible::isActive())
        return;
    QAccessible::State selected;
    selected.selected = true;
    for (int index : {before, now}) {
        if (index < 0 || index >= bar->count() || (index == before && before == now))
            continue;
        QAccessibleStateChangeEvent change(bar, selected);
        change.setChild(index);
        QAccessible::updateAccessibility(&change);
    }
    QAccessibleEvent named(bar, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
}
