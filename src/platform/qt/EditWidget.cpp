#include "EditWidget.h"

#include "QtText.h"
#include "QtWindow.h"
#include "platform/UiServices.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {
// The gap QLineEdit keeps on each side between its contents and its text, besides the
// text margins.
constexpr int kLineEditGap = 2;
} // namespace

EditWidget::EditWidget(QWidget* parent, bool upperCase)
    : QLineEdit(parent), m_upperCase(upperCase) {
    setValidator(new UserInput(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_shown = text;
        if (notify)
            notify(EN_CHANGE);
    });
}

void EditWidget::SetTextFromProgram(const QString& text) {
    m_settingText = true;
    setText(m_upperCase ? QString::fromStdU16String(ansi::Upper(WideOf(text))) : text);
    m_settingText = false;
    setCursorPosition(0);
}

void EditWidget::SetMargins(int left, int right) {
    setTextMargins(left - kLineEditGap, 0, right - kLineEditGap, 0);
}

int EditWidget::TextRoom() const {
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    contents = contents.marginsRemoved(textMargins());
    // QLineEdit scrolls once the text's width, one pixel and the caret pass this.
    return contents.width() - 2 * kLineEditGap - 1 -
           style()->pixelMetric(QStyle::PM_TextCursorWidth, &panel, this);
}

QValidator::State EditWidget::UserInput::validate(QString& input, int& pos) const {
    if (m_edit->m_settingText || input == m_edit->m_shown)
        return Acceptable;
    std::u16string after = WideOf(input);
    switch (ansi::AdmitUserEdit(WideOf(m_edit->m_shown), after, pos, m_edit->m_limit,
                                m_edit->m_upperCase)) {
    case ansi::UserEdit::kRefused:
        AfxMessageBeep(0);
        return Invalid;
    case ansi::UserEdit::kNothingFits:
        return Invalid;
    case ansi::UserEdit::kAdmitted:
        break;
    }
    input = QString::fromStdU16String(after);
    return Acceptable;
}

void EditWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        QLineEdit::keyPressEvent(event); // keys the dialog handles, or that type nothing
        return;
    default:
        break;
    }
    auto standard = [this, event] { QLineEdit::keyPressEvent(event); };
    CWnd* wnd = qt::FromWidget(this);
    if (event->text().isEmpty() || !wnd) { // no character: cursor keys and the like
        standard();
        return;
    }
    wnd->DispatchTypedText(WideOf(event->text()), standard);
}

void EditWidget::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && notify)
        notify(EN_KILLFOCUS);
}
