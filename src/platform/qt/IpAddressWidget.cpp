#include "IpAddressWidget.h"

#include "platform/UiServices.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

IpAddressWidget::IpAddressWidget(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    auto* validator = new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), this);
    for (int i = 0; i < 4; ++i) {
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(validator);
        field->installEventFilter(this);
        field->setObjectName(QStringLiteral("field%1").arg(i));
        // The control is one tab stop, as the platform's: Tab leaves it from any part, and
        // the parts are reached by typing (a dot, a space, a third digit) or by a click.
        if (i > 0)
            field->setFocusPolicy(Qt::ClickFocus);
        connect(field, &QLineEdit::textEdited, this, [this, i] { OnFieldEdited(i); });
        m_fields[static_cast<size_t>(i)] = field;
        layout->addWidget(field, 1);
        if (i < 3)
            layout->addWidget(new QLabel(QStringLiteral("."), this));
    }
    setFocusProxy(m_fields[0]);
}

void IpAddressWidget::SetAddress(DWORD address) {
    for (int i = 0; i < 4; ++i)
        m_fields[static_cast<size_t>(i)]->setText(
            QString::number((address >> (24 - 8 * i)) & 0xFF));
}

int IpAddressWidget::GetAddress(DWORD* address) const {
    int nonBlank = 0;
    DWORD packed = 0;
    for (int i = 0; i < 4; ++i) {
        QString t = m_fields[static_cast<size_t>(i)]->text();
        DWORD value = t.isEmpty() ? 0 : std::min<DWORD>(t.toUInt(), 255);
        nonBlank += t.isEmpty() ? 0 : 1;
        packed |= value << (24 - 8 * i);
    }
    *address = packed;
    return nonBlank;
}

void IpAddressWidget::ClearAddress() {
    for (QLineEdit* f : m_fields)
        f->clear();
}

void IpAddressWidget::OnFieldEdited(int index) {
    QLineEdit* field = m_fields[static_cast<size_t>(index)];
    // The control keeps every field within 0..255.
    if (!field->text().isEmpty() && field->text().toUInt() > 255) {
        field->setText(QStringLiteral("255"));
        AfxMessageBeep(MB_OK);
    }
    if (notify)
        notify(IPN_FIELDCHANGED);
    if (field->text().size() == 3 && field->cursorPosition() == 3 && index < 3) {
        m_fields[static_cast<size_t>(index + 1)]->setFocus(Qt::TabFocusReason);
        m_fields[static_cast<size_t>(index + 1)]->selectAll();
    }
}

bool IpAddressWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    int index = -1;
    for (int i = 0; i < 4; ++i)
        if (m_fields[static_cast<size_t>(i)] == watched)
            index = i;
    if (index < 0)
        return false;
    QLineEdit* field = m_fields[static_cast<size_t>(index)];
    if ((key->text() == QLatin1String(".") || key->text() == QLatin1String(" ")) && index < 3) {
        if (!field->text().isEmpty()) {
            m_fields[static_cast<size_t>(index + 1)]->setFocus(Qt::TabFocusReason);
            m_fields[static_cast<size_t>(index + 1)]->selectAll();
        }
        return true;
    }
    if (key->key() == Qt::Key_Backspace && field->cursorPosition() == 0 &&
        !field->hasSelectedText() && index > 0) {
        QLineEdit* previous = m_fields[static_cast<size_t>(index - 1)];
        previous->setFocus(Qt::BacktabFocusReason);
        previous->end(false);
        return true;
    }
    return false;
}

void IpAddressWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
    QFrame::changeEvent(event);
}
