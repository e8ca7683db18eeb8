#include "Dialog.h"

#include "DialogTemplate.h"
#include "UiServices.h"
#include "WinApp.h"
#include "widgets/EditWidget.h"
#include "widgets/IpAddressWidget.h"
#include "widgets/QtText.h"
#include "widgets/TabWidget.h"

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

std::vector<CDialog*> g_modalStack;

CDialog* DialogOf(QWidget* container) {
    return dynamic_cast<CDialog*>(CWnd::FromWidget(container));
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

QWidget* CreateControl(const DialogItem& item, QWidget* parent,
                       const QPointer<QWidget>& container) {
    const int id = item.id;
    const QString text = QStringFromAnsi(item.text);
    QWidget* w = nullptr;
    switch (item.kind) {
    case ControlKind::kEdit: {
        auto* edit = new EditWidget(parent, item.style & kUpperCase);
        if (item.style & kCentered)
            edit->setAlignment(Qt::AlignCenter);
        if (item.style & kPassword)
            edit->setEchoMode(QLineEdit::Password);
        edit->notify = [container, id](UINT code) { Notify(container, id, code); };
        w = edit;
        break;
    }
    case ControlKind::kDropDownList: {
        auto* combo = new QComboBox(parent);
        combo->setMaxVisibleItems(10);
        QObject::connect(combo, qOverload<int>(&QComboBox::activated), combo,
                         [container, id] { Notify(container, id, CBN_SELCHANGE); });
        w = combo;
        break;
    }
    case ControlKind::kLabel:
    case ControlKind::kPicture: {
        auto* label = new QLabel(text, parent);
        if (item.kind == ControlKind::kPicture) {
            label->setText(QString());
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        } else {
            label->setAlignment((item.style & kRightAligned ? Qt::AlignRight : Qt::AlignLeft) |
                                Qt::AlignTop);
        }
        if (item.style & kSunken)
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        else if (item.style & kBorder)
            label->setFrameStyle(QFrame::Box | QFrame::Plain);
        w = label;
        break;
    }
    case ControlKind::kGroupBox:
        w = new QGroupBox(text, parent);
        break;
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        button->setDefault(item.kind == ControlKind::kDefPushButton);
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
            button = push;
        } else {
            button = new QCheckBox(text, parent);
        }
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [container, id] { Notify(container, id, BN_CLICKED); });
        w = button;
        break;
    }
    case ControlKind::kTabControl: {
        auto* tabs = new TabWidget(parent);
        tabs->notify = [container, id](UINT code) { Notify(container, id, code); };
        w = tabs;
        break;
    }
    case ControlKind::kProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        w = bar;
        break;
    }
    case ControlKind::kIpAddress: {
        auto* ip = new IpAddressWidget(parent);
        ip->notify = [container, id](UINT code) { Notify(container, id, code); };
        w = ip;
        break;
    }
    }
    w->setObjectName(QStringLiteral("ctl%1").arg(id));
    if (item.style & kDisabled)
        w->setEnabled(false);
    if (item.kind == ControlKind::kLabel || item.kind == ControlKind::kGroupBox ||
        item.kind == ControlKind::kPicture || (item.style & kNoTabStop))
        w->setFocusPolicy(Qt::NoFocus);
    return w;
}

} // namespace

CDialog::CDialog(UINT idTemplate, CWnd* parent) : m_nIDTemplate(idTemplate), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    ReleaseControls();
}

CDialog* CDialog::TopModal() {
    return g_modalStack.empty() ? nullptr : g_modalStack.back();
}

bool CDialog::BuildFromTemplate(QWidget* container, const DialogTemplate& t) {
    QFont font = TemplateFont(t);
    container->setFont(font);
    DialogUnits units = DialogUnits::ForFont(font);
    Attach(container);
    QPointer<QWidget> guarded(container);
    m_controls.clear();
    for (const DialogItem& item : t.items) {
        QWidget* w = CreateControl(item, container, guarded);
        QRect r = units.Rect(item.x, item.y, item.cx, item.cy);
        if (item.kind == ControlKind::kDropDownList) // the height given includes the list
            r.setHeight(std::min(r.height(), w->sizeHint().height()));
        w->setGeometry(r);
        if (item.id > 0 && !m_controls.count(item.id))
            m_controls[item.id] = w;
    }
    return true;
}

CWnd* CDialog::FindOwner() const {
    if (m_pParentWnd && m_pParentWnd->GetSafeHwnd())
        return m_pParentWnd;
    if (CDialog* top = TopModal())
        return top;
    CWnd* main = AfxGetMainWnd();
    return main && main != this && main->GetSafeHwnd() ? main : nullptr;
}

INT_PTR CDialog::DoModal() {
    const DialogTemplate* t = FindDialogTemplate(m_nIDTemplate);
    if (!t || GetSafeHwnd())
        return -1;
    int defaultId = IDOK;
    for (const DialogItem& item : t->items)
        if (item.kind == ControlKind::kDefPushButton)
            defaultId = item.id;
    auto* dialog = new ModalDialogWidget(defaultId, !(t->style & kCaption));
    Qt::WindowFlags flags = Qt::Dialog;
    if (t->style & kCaption)
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    else
        flags |= Qt::FramelessWindowHint;
    dialog->setWindowFlags(flags);
    dialog->setWindowTitle(QStringFromAnsi(t->caption));
    BuildFromTemplate(dialog, *t);
    DialogUnits units = DialogUnits::ForFont(dialog->font());
    dialog->setFixedSize(units.X(t->cx), units.Y(t->cy));

    CWnd* owner = FindOwner();
    QWidget* ownerWidget = owner ? owner->GetWidget() : nullptr;
    bool reenableOwner = false;
    if (ownerWidget && ownerWidget->isEnabled()) {
        owner->EnableWindow(FALSE);
        reenableOwner = true;
    }
    HWND ownerHandle = owner ? owner->GetSafeHwnd() : nullptr;
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

    m_pModal = dialog;
    m_bEnded = false;
    m_nModalResult = -1;
    g_modalStack.push_back(this);
    // TRUE asks for the first tab stop to get the focus; FALSE keeps where the handler put it.
    if (OnInitDialog() && !m_bEnded && GetSafeHwnd())
        FocusFirstTabStop(dialog);
    if (!m_bEnded)
        dialog->exec();
    g_modalStack.erase(std::find(g_modalStack.begin(), g_modalStack.end(), this));
    m_pModal = nullptr;
    if (reenableOwner && IsWindow(ownerHandle))
        owner->EnableWindow(TRUE);
    OnDestroy();
    ReleaseControls();
    delete Detach();
    return m_nModalResult;
}

BOOL CDialog::Create(UINT idTemplate, CWnd* parent) {
    m_nIDTemplate = idTemplate;
    m_pParentWnd = parent;
    const DialogTemplate* t = FindDialogTemplate(idTemplate);
    QWidget* parentWidget = parent ? parent->GetWidget() : nullptr;
    if (!t || GetSafeHwnd())
        return FALSE;
    auto* container = new ChildDialogWidget(parentWidget);
    container->setVisible(false);
    BuildFromTemplate(container, *t);
    DialogUnits units = DialogUnits::ForFont(container->font());
    container->setGeometry(units.Rect(t->x, t->y, t->cx, t->cy));
    if (t->style & kVisible)
        container->show();
    // A hidden child dialog (a page, hosted like a control: DS_CONTROL on the platform)
    // takes no default focus, so the focus stays where the user is, on the tabs.
    bool hostedControl = (t->style & kChild) && !(t->style & kVisible);
    if (OnInitDialog() && GetWidget() == container && !hostedControl)
        FocusFirstTabStop(container);
    return TRUE;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bEnded = true;
    if (m_pModal)
        m_pModal->done(result);
}

void CDialog::ReleaseControls() {
    for (auto& b : m_bound)
        b.second->Detach();
    m_bound.clear();
    m_temporary.clear();
    m_controls.clear();
}

BOOL CDialog::DestroyWindow() {
    if (m_pModal) { // a running modal dialog ends; DoModal releases the window
        EndDialog(IDCANCEL);
        return TRUE;
    }
    if (!GetSafeHwnd())
        return FALSE;
    OnDestroy();
    // Everything is unbound before the widgets go, so no notification that their
    // destruction raises reaches a handler.
    ReleaseControls();
    QWidget* widget = Detach();
    delete widget;
    return widget != nullptr;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    ++m_nUpdateDepth;
    bool ok = true;
    try {
        DoDataExchange(&dx);
    } catch (const DataExchangeFailure&) {
        ok = false;
    }
    --m_nUpdateDepth;
    return ok ? TRUE : FALSE;
}

CWnd* CDialog::GetDlgItem(int id) {
    auto bound = m_bound.find(id);
    if (bound != m_bound.end())
        return bound->second;
    auto temp = m_temporary.find(id);
    if (temp != m_temporary.end())
        return temp->second.get();
    auto control = m_controls.find(id);
    if (control == m_controls.end())
        return nullptr;
    auto wrapper = std::make_unique<CWnd>();
    wrapper->Attach(control->second);
    CWnd* result = wrapper.get();
    m_temporary[id] = std::move(wrapper);
    return result;
}

void CDialog::SubclassDlgItem(int id, CWnd& control) {
    auto it = m_controls.find(id);
    if (it == m_controls.end())
        return;
    m_temporary.erase(id);
    control.Attach(it->second);
    m_bound[id] = &control;
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (control && control->GetWidget())
        control->GetWidget()->setFocus(Qt::TabFocusReason);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnNotify(int id, UINT code) {
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnClose() {
    OnCancel();
}

void CDialog::NotifyFromControl(int id, UINT code) {
    if (m_nUpdateDepth > 0 || !GetSafeHwnd())
        return;
    OnNotify(id, code);
}

void CDialog::HandlePostedMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        OnInitDialog();
    else
        CWnd::HandlePostedMessage(message, wParam, lParam);
}
