// A read-only edit over Qt: a value shown as a label is (sunken frame and all), which Tab and a
// click reach. Focused, its text shows selected, as a read-only edit's does when Tab comes to
// it (an empty one shows a caret), and Ctrl+C copies it; a screen reader reads it as read-only text
// named after its label. Unfocused it is drawn as the label it replaces.
#pragma once

#include <QLabel>

class ValueText : public QLabel {
    Q_OBJECT
public:
    explicit ValueText(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// Installs, once, the accessible interface of every value the dialogs build.
void UseValueTextAccessible();
