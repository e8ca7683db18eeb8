#include "TabWidget.h"

#include "TabAccessible.h"
#include "platform/Wnd.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QPointer>
#include <QTabBar>

namespace {

// Ctrl+Tab and Ctrl+Shift+Tab, seen before the focused control (a list would take the tab
// character as the start of an item's name).
class TabSwitchKeys : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & Qt::ControlModifier) ||
            (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab))
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        TabWidget* tabs = widget ? widget->window()->findChild<TabWidget*>() : nullptr;
        if (!tabs || !tabs->isEnabled())
            return false;
        const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
        tabs->PickBy(back ? -1 : 1);
        return true;
    }
};

} // namespace

TabWidget::TabWidget(QWidget* parent) : QWidget(parent) {
    m_frame = new QFrame(this);
    m_frame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_bar = new QTabBar(this);
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    m_bar->setFocusPolicy(Qt::StrongFocus); // a click gives the tabs the keyboard too
    setFocusProxy(m_bar);                   // the control is a tab stop through its tabs
    UseTabAccessible();
    connect(m_bar, &QTabBar::currentChanged, this, [this](int index) {
        TellTabChanged(m_bar, m_shown, index);
        m_shown = index;
        if (notify)
            notify(TCN_SELCHANGE);
    });
    static QPointer<TabSwitchKeys> keys; // one for the application, which owns it
    if (!keys && qApp) {
        keys = new TabSwitchKeys;
        keys->setParent(qApp);
        qApp->installEventFilter(keys);
    }
}

void TabWidget::PickBy(int steps) {
    const int count = m_bar->count();
    if (count < 1)
        return;
    m_bar->setCurrentIndex(((m_bar->currentIndex() + steps) % count + count) % count);
    m_bar->setFocus(Qt::TabFocusReason);
}

int TabWidget::InsertItem(int index, const QString& text) {
    ProgramChange change;
    int at = m_bar->insertTab(index, text);
    resizeEvent(nullptr);
    return at;
}

int TabWidget::GetCurSel() const {
    return m_bar->currentIndex();
}

int TabWidget::SetCurSel(int index) {
    int previous = m_bar->currentIndex();
    if (index < 0 || index >= m_bar->count())
        return -1;
    ProgramChange change;
    m_bar->setCurrentIndex(index);
    return previous;
}

int TabWidget::GetItemCount() const {
    return m_bar->count();
}

void TabWidget::resizeEvent(QResizeEvent*) {
    int barHeight = m_bar->sizeHint().height();
    m_bar->setGeometry(2, 0, width() - 4, barHeight);
    m_frame->setGeometry(0, barHeight - 1, width(), height() - barHeight + 1);
}
