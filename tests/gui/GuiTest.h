#pragma once

#include "platform/Afx.h"
#include "platform/qt/QtWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Records what the user would have been shown (message boxes, beeps, busy cursor) instead
// of showing it. A test may set onMessage to act while a message is up (the caller waits).
class UiRecorder {
public:
    UiRecorder();
    ~UiRecorder();

    struct Message {
        std::string text;
        std::string caption;
        UINT type;
    };
    std::vector<Message> messages;
    int beeps = 0;
    int busyShown = 0;
    int busyDepth = 0;
    int busyBegins = 0;
    std::function<void(const Message&)> onMessage;
    // Called as the busy cursor goes up (kBusyBegin), before the work it waits for.
    std::function<void()> onBusyBegin;

    std::vector<std::string> Texts() const;

private:
    UiHooks m_previous;
};

// Processes events until cond holds or timeoutMs passes; returns cond().
bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 5000);
// Runs action once the next modal loop has started (or at once when nothing blocks).
void WhenModal(std::function<void()> action);

// User input, as a person gives it.
void TypeInto(QWidget* widget, const std::string& text);
// Types characters beyond the byte range (as a keyboard with such letters gives them).
void TypeText(QWidget* widget, const QString& text);
// Puts text on the clipboard and pastes it where the edit's caret is (Shift+Insert).
void PasteInto(QLineEdit* edit, const QString& text);
void ClearByKeys(QLineEdit* edit);
void PickItem(QComboBox* combo, int index);
void MoveFocusTo(QWidget* widget);
// A key pressed on widget, which gets the focus first.
void PressKey(QWidget* widget, Qt::Key key);
// Ends a modal dialog with Cancel when it still runs: a test's way out when what it did
// did not end it.
void CancelIfRunning(CDialog& dialog);
// Whether widget is its window's focus (whether or not the window is active).
bool HasFocus(QWidget* widget);

template <class T> T* Control(CWnd& dialog, int id) {
    QWidget* root = qt::GetWidget(dialog);
    return root ? root->findChild<T*>(QStringLiteral("ctl%1").arg(id)) : nullptr;
}
