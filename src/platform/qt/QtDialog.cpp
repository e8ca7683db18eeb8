// CDialog over Qt: the template's controls as widgets, the modal loop, Enter and Escape.
#include "platform/Dialog.h"

#include "EditWidget.h"
#include "FocusFrameStyle.h"
#include "IpAddressWidget.h"
#include "ListAccessible.h"
#include "QtDialogUnits.h"
#include "QtText.h"
#include "QtWindow.h"
#include "TabWidget.h"
#include "ValueText.h"
#include "platform/DialogTemplate.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <qdrawutil.h>
#include <vector>

namespace {

CDialog* DialogOf(QWidget* container) {
    return dynamic_cast<CDialog*>(qt::FromWidget(container));
}

// Enter and Escape go to the innermost dialog, as the dialog manager routes them: a focused
// push button takes Enter itself; whatever else has the focus (a push-like check box too),
// Enter is the default button (OK). Escape is Cancel.
bool HandleDialogKey(QWidget* container, QKeyEvent* event, int defaultId) {
    CDialog* dialog = DialogOf(container);
    if (!dialog)
        return false;
    if (event->key() == Qt::Key_Escape) {
        dialog->NotifyFromControl(IDCANCEL, BN_CLICKED);
        return true;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget())) {
            if (container->isAncestorOf(button) && button->isEnabled() && !button->isCheckable()) {
                button->click();
                return true;
            }
        }
        dialog->NotifyFromControl(defaultId, BN_CLICKED);
        return true;
    }
    return false;
}

class ModalDialogWidget : public QDialog {
public:
    ModalDialogWidget(int defaultId, bool drawFrame)
        : m_defaultId(defaultId), m_drawFrame(drawFrame) {}

protected:
    // A popup without a caption still has its modal frame.
    void paintEvent(QPaintEvent* event) override {
        QDialog::paintEvent(event);
        if (m_drawFrame) {
            QPainter painter(this);
            qDrawShadePanel(&painter, rect(), palette(), false, 2);
        }
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (!HandleDialogKey(this, event, m_defaultId))
            QDialog::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (CDialog* dialog = DialogOf(this))
            dialog->HandlePostedMessage(WM_CLOSE, 0, 0);
    }
    void reject() override {
        if (CDialog* dialog = DialogOf(this))
            dialog->NotifyFromControl(IDCANCEL, BN_CLICKED);
    }

private:
    int m_defaultId;
    bool m_drawFrame;
};

class ChildDialogWidget : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!HandleDialogKey(this, event, IDOK))
            QWidget::keyPressEvent(event);
    }
};

// The focus a dialog gets when its OnInitDialog returns TRUE: the first control, in template
// order, that is visible, enabled and a tab stop; an edit's text is selected (the caret at
// its start, so a long text still shows from its start).
void FocusFirstTabStop(QWidget* container) {
    for (QObject* child : container->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || !w->objectName().startsWith(QLatin1String("ctl")) || w->isHidden() ||
            !w->isEnabled())
            continue;
        QWidget* target = w->focusProxy() ? w->focusProxy() : w;
        if (!(target->focusPolicy() & Qt::TabFocus))
            continue;
        target->setFocus(Qt::TabFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(target))
            edit->setSelection(static_cast<int>(edit->text().size()),
                               -static_cast<int>(edit->text().size()));
        return;
    }
}

void Notify(const QPointer<QWidget>& container, int id, UINT code) {
    if (CDialog* dialog = DialogOf(container.data()))
        dialog->NotifyFromControl(id, code);
}

// A control of the backend's own that reports its notification codes through its notify.
template <class Widget>
Widget* Notifying(Widget* widget, const QPointer<QWidget>& container, int id) {
    widget->notify = [container, id](UINT code) { Notify(container, id, code); };
    return widget;
}

// A label, a picture's frame or a value's text as the template gives it.
QLabel* AsLabel(QLabel* label, const DialogItem& item) {
    if (item.kind == ControlKind::kPicture) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    } else {
        label->setText(QStringFromAnsi(item.text));
        label->setAlignment((item.style & kRightAligned ? Qt::AlignRight : Qt::AlignLeft) |
                            Qt::AlignTop);
    }
    if (item.style & kSunken)
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    else if (item.style & kBorder)
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
    return label;
}

QWidget* CreateControl(const DialogItem& item, QWidget* parent,
                       const QPointer<QWidget>& container) {
    const int id = item.id;
    const QString text = QStringFromAnsi(item.text);
    QWidget* w = nullptr;
    switch (item.kind) {
    case ControlKind::kEdit: {
        if (item.style & kReadOnly) { // a value: drawn as the label it would otherwise be
            w = AsLabel(new ValueText(parent), item);
            break;
        }
        auto* edit = Notifying(new EditWidget(parent, item.style & kUpperCase), container, id);
        if (item.style & kCentered)
            edit->setAlignment(Qt::AlignCenter);
        if (item.style & kPassword)
            edit->setEchoMode(QLineEdit::Password);
        w = edit;
        break;
    }
    case ControlKind::kDropDownList: {
        auto* combo = new QComboBox(parent);
        combo->setMaxVisibleItems(10);
        // A pick from the list, also of the item already chosen (as the list reports
        // it); Qt raises this signal for the user only.
        QObject::connect(combo, qOverload<int>(&QComboBox::activated), combo,
                         [container, id] { Notify(container, id, CBN_SELCHANGE); });
        w = combo;
        break;
    }
    case ControlKind::kLabel:
    case ControlKind::kPicture:
        w = AsLabel(new QLabel(parent), item);
        break;
    case ControlKind::kGroupBox:
        w = new QGroupBox(text, parent);
        break;
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        button->setDefault(item.kind == ControlKind::kDefPushButton);
        qt::UseFocusFrames(button);
        QObject::connect(button, &QPushButton::clicked, button,
                         [container, id] { Notify(container, id, BN_CLICKED); });
        w = button;
        break;
    }
    case ControlKind::kCheckBox: {
        QAbstractButton* button = nullptr;
        if (item.style & kPushLike) {
            auto* push = new QPushButton(text, parent);
            push->setCheckable(true);
            push->setAutoDefault(false);
            qt::UseFocusFrames(push);
            button = push;
        } else {
            button = new QCheckBox(text, parent);
        }
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [container, id] { Notify(container, id, BN_CLICKED); });
        w = button;
        break;
    }
    case ControlKind::kTabControl:
        w = Notifying(new TabWidget(parent), container, id);
        break;
    case ControlKind::kProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setFocusPolicy(Qt::TabFocus); // a tab stop, as on Windows: see TakesFocus
        w = bar;
        break;
    }
    case ControlKind::kIpAddress:
        w = Notifying(new IpAddressWidget(parent), container, id);
        break;
    }
    w->setObjectName(QStringLiteral("ctl%1").arg(id));
    if (item.style & kDisabled)
        w->setEnabled(false);
    if (item.kind == ControlKind::kLabel || item.kind == ControlKind::kGroupBox ||
        item.kind == ControlKind::kPicture || (item.style & kNoTabStop))
        w->setFocusPolicy(Qt::NoFocus);
    return w;
}

// The names a screen reader reads for item index of the template (the parts of an address
// field are reached one by one, so each has its own).
void NameForScreenReaders(QWidget* w, const DialogTemplate& t, size_t index) {
    const std::string name = AccessibleName(t, index);
    if (!name.empty())
        w->setAccessibleName(QStringFromAnsi(name));
    if (auto* ip = qobject_cast<IpAddressWidget*>(w))
        for (int part = 0; part < 4; ++part)
            ip->Field(part)->setAccessibleName(
                QStringFromAnsi(AccessiblePartName(t.items[index], part)));
}

// Builds the template's controls in container, which the dialog is bound to already.
void BuildFromTemplate(QWidget* container, const DialogTemplate& t,
                       std::map<int, QWidget*>* controls) {
    UseListAccessible();
    UseValueTextAccessible();
    QFont font = TemplateFont(t);
    container->setFont(font);
    DialogUnits units = DialogUnits::ForFont(font);
    QPointer<QWidget> guarded(container);
    controls->clear();
    for (size_t index = 0; index < t.items.size(); ++index) {
        const DialogItem& item = t.items[index];
        QWidget* w = CreateControl(item, container, guarded);
        NameForScreenReaders(w, t, index);
        QRect r = units.Rect(item.x, item.y, item.cx, item.cy);
        if (item.kind == ControlKind::kDropDownList) // the height given includes the list
            r.setHeight(std::min(r.height(), w->sizeHint().height()));
        w->setGeometry(r);
        if (item.id > 0 && !controls->count(item.id))
            (*controls)[item.id] = w;
    }
}

} // namespace

void CDialog::RunModal(const DialogTemplate& t, CWnd* owner) {
    int defaultId = IDOK;
    for (const DialogItem& item : t.items)
        if (item.kind == ControlKind::kDefPushButton)
            defaultId = item.id;
    auto* dialog = new ModalDialogWidget(defaultId, !(t.style & kCaption));
    Qt::WindowFlags flags = Qt::Dialog;
    if (t.style & kCaption)
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    else
        flags |= Qt::FramelessWindowHint;
    dialog->setWindowFlags(flags);
    dialog->setWindowTitle(QStringFromAnsi(t.caption));
    qt::Attach(*this, dialog);
    BuildFromTemplate(dialog, t, &GetImpl().controls);
    DialogUnits units = DialogUnits::ForFont(dialog->font());
    dialog->setFixedSize(units.X(t.cx), units.Y(t.cy));

    QWidget* ownerWidget = owner ? qt::GetWidget(*owner) : nullptr;
    if (ownerWidget) {
        QWidget* top = ownerWidget->window();
        QRect g = top->frameGeometry();
        dialog->move(g.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
        dialog->winId();
        if (dialog->windowHandle() && top->windowHandle())
            dialog->windowHandle()->setTransientParent(top->windowHandle());
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        dialog->move(screen->availableGeometry().center() -
                     QPoint(dialog->width() / 2, dialog->height() / 2));
    }
    dialog->setWindowModality(Qt::ApplicationModal);

    HWND ownerHandle = owner ? owner->GetSafeHwnd() : nullptr;
    // A disabled window loses its focus; the owner has it back where it was, as the
    // platform's dialog manager gives it back on activation.
    QPointer<QWidget> ownerFocus = ownerWidget ? ownerWidget->window()->focusWidget() : nullptr;
    bool reenableOwner = false;
    if (owner && owner->IsWindowEnabled()) {
        owner->EnableWindow(FALSE);
        reenableOwner = true;
    }
    GetImpl().modal = dialog;
    // TRUE asks for the first tab stop to get the focus; FALSE keeps where the handler put it.
    if (OnInitDialog() && !m_bEnded && GetSafeHwnd())
        FocusFirstTabStop(dialog);
    if (!m_bEnded)
        dialog->exec();
    GetImpl().modal = nullptr;
    if (reenableOwner && IsWindow(ownerHandle)) {
        owner->EnableWindow(TRUE);
        if (ownerFocus && ownerFocus->isEnabled())
            ownerFocus->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void CDialog::EndModalLoop(int result) {
    if (GetImpl().modal)
        GetImpl().modal->done(result);
}

BOOL CDialog::Create(UINT idTemplate, CWnd* parent) {
    m_nIDTemplate = idTemplate;
    m_pParentWnd = parent;
    const DialogTemplate* t = FindDialogTemplate(idTemplate);
    QWidget* parentWidget = parent ? qt::GetWidget(*parent) : nullptr;
    if (!t || GetSafeHwnd())
        return FALSE;
    auto* container = new ChildDialogWidget(parentWidget);
    container->setVisible(false);
    qt::Attach(*this, container);
    BuildFromTemplate(container, *t, &GetImpl().controls);
    DialogUnits units = DialogUnits::ForFont(container->font());
    container->setGeometry(units.Rect(t->x, t->y, t->cx, t->cy));
    if (t->style & kVisible)
        container->show();
    // A hidden child dialog (a page, hosted like a control: DS_CONTROL on the platform)
    // takes no default focus, so the focus stays where the user is, on the tabs.
    bool hostedControl = (t->style & kChild) && !(t->style & kVisible);
    if (OnInitDialog() && qt::GetWidget(*this) == container && !hostedControl)
        FocusFirstTabStop(container);
    return TRUE;
}

void CDialog::DestroyOwnWindow() {
    GetImpl().controls.clear();
    QWidget* widget = qt::GetWidget(*this);
    Detach();
    delete widget;
}

bool CDialog::AttachDlgItem(int id, CWnd& control) {
    auto it = GetImpl().controls.find(id);
    if (it == GetImpl().controls.end())
        return false;
    qt::Attach(control, it->second);
    return true;
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (control && qt::GetWidget(*control))
        qt::GetWidget(*control)->setFocus(Qt::TabFocusReason);
}

void CDialog::ShowDisabledNow() {
    if (QWidget* w = qt::GetWidget(*this)) {
        w->setEnabled(false); // and with it every control
        w->repaint();
    }
}
