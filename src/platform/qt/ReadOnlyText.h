// The text interface of a control whose text a screen reader reads but no one edits there:
// the whole text, no caret to move, no selection to change.
#pragma once

#include <QAccessibleInterface>

class ReadOnlyText : public QAccessibleTextInterface {
public:
    QString text(int start, int end) const override {
        const QString shown = Shown();
        return shown.mid(start, (end < 0 ? shown.size() : end) - start);
    }
    int characterCount() const override { return static_cast<int>(Shown().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    int selectionCount() const override { return 0; }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

protected:
    virtual QString Shown() const = 0;
};
