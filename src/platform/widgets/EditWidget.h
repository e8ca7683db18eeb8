// The edit control: typed characters go through the bound CWnd's OnChar first; every text
// change and the loss of focus are reported as EN_CHANGE and EN_KILLFOCUS.
#pragma once

#include "platform/Messages.h"

#include <QLineEdit>
#include <functional>

class EditWidget : public QLineEdit {
    Q_OBJECT
public:
    EditWidget(QWidget* parent, bool upperCase);
    // Sets the text as a program does (WM_SETTEXT); the upper-case style applies to it too.
    void SetTextFromProgram(const QString& text);
    std::function<void(UINT)> notify;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool m_upperCase;
};
