// The tab control: a row of tabs over a framed display area. A tab the user picks is
// reported (TCN_SELCHANGE); CTabCtrl changes it inside a ProgramChange, so a selection the
// program makes reaches no handler.
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
    std::function<void(UINT)> notify;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* m_bar;
    QFrame* m_frame;
};
