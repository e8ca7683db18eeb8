// The edit control: typed characters go through the bound CWnd's OnChar first; every text
// change and the loss of focus are reported as EN_CHANGE and EN_KILLFOCUS. What the user
// types, pastes or drops passes the shared edit rule (ansi::AdmitUserEdit): the code page,
// the text limit and the upper-case style; text the program sets is shown whole.
#pragma once

#include "platform/Messages.h"

#include <QLineEdit>
#include <QValidator>
#include <functional>

class EditWidget : public QLineEdit {
    Q_OBJECT
public:
    EditWidget(QWidget* parent, bool upperCase);
    // Sets the text as a program does (WM_SETTEXT): whole, whatever the limit, upper-cased
    // by the upper-case style, shown from its start.
    void SetTextFromProgram(const QString& text);
    // The most characters the user can bring the text to (EM_LIMITTEXT).
    void SetLimit(int chars) { m_limit = chars; }
    int Limit() const { return m_limit; }
    // The room between the inside of the frame and the text, on each side (EM_SETMARGINS).
    void SetMargins(int left, int right);
    // The width a text may take and show whole, without scrolling (EM_GETRECT's width):
    // what lies between the margins, less the caret's room.
    int TextRoom() const;
    std::function<void(UINT)> notify;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    class UserInput : public QValidator {
    public:
        explicit UserInput(EditWidget* edit) : QValidator(edit), m_edit(edit) {}
        State validate(QString& input, int& pos) const override;

    private:
        EditWidget* m_edit;
    };

    bool m_upperCase;
    int m_limit = 32767;
    bool m_settingText = false;
    QString m_shown; // the text before the change being validated
};
