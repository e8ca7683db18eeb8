#include "GuiTest.h"

#include "resources/Resources.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

UiRecorder::UiRecorder() {
    UiHooks hooks;
    hooks.messageBox = [this](const std::string& text, const std::string& caption, UINT type) {
        messages.push_back({text, caption, type});
        if (onMessage)
            onMessage(messages.back());
        return IDOK;
    };
    hooks.beep = [this](UINT) { ++beeps; };
    hooks.busyCursor = [this](int what) {
        if (what == kBusyShow)
            ++busyShown;
        else
            busyDepth += what;
        if (what == kBusyBegin) {
            ++busyBegins;
            if (onBusyBegin)
                onBusyBegin();
        }
    };
    m_previous = SetUiHooks(hooks);
}

UiRecorder::~UiRecorder() {
    SetUiHooks(m_previous);
}

std::vector<std::string> UiRecorder::Texts() const {
    std::vector<std::string> texts;
    for (const Message& m : messages)
        texts.push_back(m.text);
    return texts;
}

bool PumpUntil(const std::function<bool()>& cond, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qSleep(1);
    }
    return true;
}

void WhenModal(std::function<void()> action) {
    QTimer::singleShot(0, std::move(action));
}

void MoveFocusTo(QWidget* widget) {
    QWidget* window = widget->window();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QWidget* focus = window->focusWidget();
    if (focus && (focus == widget || widget->isAncestorOf(focus)))
        return; // already there (the IP address control keeps it in one of its fields)
    widget->setFocus(Qt::OtherFocusReason); // as a click would: no text selected
    PumpUntil([widget] { return widget->hasFocus(); }, 1000);
}

void PressKey(QWidget* widget, Qt::Key key) {
    MoveFocusTo(widget);
    QTest::keyClick(widget, key);
}

void CancelIfRunning(CDialog& dialog) {
    if (dialog.IsModalRunning())
        dialog.EndDialog(IDCANCEL);
}

bool HasFocus(QWidget* widget) {
    return widget->window()->focusWidget() == widget;
}

void TypeInto(QWidget* widget, const std::string& text) {
    MoveFocusTo(widget);
    for (char c : text) {
        // Keys go where the focus is while it stays inside widget (the IP address control
        // moves it from field to field).
        QWidget* focus = widget->window()->focusWidget();
        QWidget* target =
            focus && (focus == widget || widget->isAncestorOf(focus)) ? focus : widget;
        QTest::keyClicks(target, QString(QChar::fromLatin1(c)));
    }
}

void TypeText(QWidget* widget, const QString& text) {
    MoveFocusTo(widget);
    for (QChar c : text) // no key code of their own, as an input method gives them
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void PasteInto(QLineEdit* edit, const QString& text) {
    MoveFocusTo(edit);
    QApplication::clipboard()->setText(text);
    QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
}

void ClearByKeys(QLineEdit* edit) {
    MoveFocusTo(edit);
    QTest::keyClick(edit, Qt::Key_End);
    while (!edit->text().isEmpty()) {
        int before = edit->text().size();
        QTest::keyClick(edit, Qt::Key_Backspace);
        if (edit->text().size() == before)
            break;
    }
}

void PickItem(QComboBox* combo, int index) {
    MoveFocusTo(combo);
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    PumpUntil([view] { return view->isVisible(); }, 1000);
    QRect r = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    PumpUntil([view] { return !view->isVisible(); }, 1000);
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterResources();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
