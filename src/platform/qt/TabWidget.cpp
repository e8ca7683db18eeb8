#include "TabWidget.h"

#include "platform/Wnd.h"

#include <QFrame>
#include <QTabBar>

TabWidget::TabWidget(QWidget* parent) : QWidget(parent) {
    m_frame = new QFrame(this);
    m_frame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_bar = new QTabBar(this);
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    m_bar->setFocusPolicy(Qt::StrongFocus); // a click gives the tabs the keyboard too
    setFocusProxy(m_bar);                   // the control is a tab stop through its tabs
    connect(m_bar, &QTabBar::currentChanged, this, [this] {
        if (notify)
            notify(TCN_SELCHANGE);
    });
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
