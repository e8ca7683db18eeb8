// The tab control: a row of tabs over a framed display area. A tab the user picks is
// reported (TCN_SELCHANGE); CTabCtrl changes it inside a ProgramChange, so a selection the
// program makes reaches no handler. Ctrl+Tab and Ctrl+Shift+Tab anywhere in the window pick
// the next and the previous tab, as the user's click does, and leave the focus on the tabs.
#pragma once

#include "platform/Messages.h"

#include <QWidget>
#include <functional>

class QTabBar;
class QFrame;

class TabWidget : public QWidget {
    Q_OBJECT
public:
    explicit TabWidget(QWidget* parent);
    int InsertItem(int index, const QString& text);
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetItemCount() const;
    QTabBar* Bar() const { return m_bar; }
    // The user's pick of the tab steps away from the current one (after the last, the first).
    void PickBy(int steps);
    std::function<void(UINT)> notify;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* m_bar;
    QFrame* m_frame;
    int m_shown = -1; // the tab whose page shows, as a screen reader was last told
};
