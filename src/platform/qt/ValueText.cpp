#include "ValueText.h"

#include "ReadOnlyText.h"

#include <QAccessibleWidget>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>

ValueText::ValueText(QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void ValueText::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    if (text().isEmpty()) { // a caret where the text would start, as an empty edit shows
        const QRect at = contentsRect();
        painter.fillRect(at.left() + 1, at.top() + 1, 1, fontMetrics().height(),
                         palette().brush(QPalette::Text));
        return;
    }
    const QRect box =
        style()->itemTextRect(fontMetrics(), contentsRect(), alignment(), isEnabled(), text());
    painter.fillRect(box, palette().brush(QPalette::Highlight));
    style()->drawItemText(&painter, box, alignment(), palette(), isEnabled(), text(),
                          QPalette::HighlightedText);
}

void ValueText::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        if (event->matches(QKeySequence::Copy))
            QGuiApplication::clipboard()->setText(text());
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event); // Enter and Escape go on to the dialog
}

void ValueText::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    update();
}

void ValueText::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    update();
}

namespace {

class ValueTextAccessible : public QAccessibleWidget, public ReadOnlyText {
public:
    explicit ValueTextAccessible(ValueText* value)
        : QAccessibleWidget(value, QAccessible::EditableText) {}

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? Shown() : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.editable = false;
        s.selectableText = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

protected:
    QString Shown() const override { return static_cast<QLabel*>(widget())->text(); }
};

QAccessibleInterface* ValueTextFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("ValueText") && object && object->isWidgetType())
        return new ValueTextAccessible(static_cast<ValueText*>(object));
    return nullptr;
}

} // namespace

void UseValueTextAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(&ValueTextFactory);
        return true;
    }();
    static_cast<void>(installed);
}
