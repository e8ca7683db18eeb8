// The dialog framework itself: data exchange, limits, notifications, keys, layout, modality.
#include "GuiTest.h"
#include "platform/AnsiText.h"
#include "platform/qt/FocusFrameStyle.h"
#include "platform/qt/QtDialogUnits.h"
#include "qt/QtHost.h"

#include <QCheckBox>
#include <QClipboard>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <QThread>
#include <atomic>
#include <map>
#include <thread>

namespace {

constexpr UINT kTestTemplate = 9001;
const DialogTemplate kTemplate = {
    kTestTemplate,
    "Framework",
    15,
    20,
    200,
    100,
    kCaption,
    "MS Sans Serif",
    9,
    {
        {100, ControlKind::kEdit, "", 91, 13, 60, 14, kBorder},
        {101, ControlKind::kEdit, "", 10, 13, 20, 14, kBorder | kUpperCase | kCentered},
        {102, ControlKind::kCheckBox, "Check", 10, 30, 50, 14, kPushLike},
        {103, ControlKind::kDropDownList, "", 91, 30, 60, 60, kSorted},
        {1, ControlKind::kDefPushButton, "OK", 10, 80, 50, 14, kStyleNone},
        {2, ControlKind::kPushButton, "Cancel", 70, 80, 50, 14, kStyleNone},
    }};

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(kTestTemplate) { RegisterDialogTemplate(&kTemplate); }
    BOOL OnInitDialog() override {
        ++inits;
        return CDialog::OnInitDialog();
    }
    void OnOK() override {
        ++oks;
        if (endOnOk)
            CDialog::OnOK();
    }
    void OnCancel() override {
        ++cancels;
        if (endOnOk)
            CDialog::OnCancel();
    }

    std::string m_text;
    int m_check = 0;
    CComboBox m_combo;
    CEdit m_edit;
    std::map<int, int> changes;
    int selChanges = 0, inits = 0, oks = 0, cancels = 0;
    bool endOnOk = true;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 103, m_combo);
        DDX_Control(pDX, 100, m_edit);
        DDX_Text(pDX, 100, m_text);
        DDV_MaxChars(pDX, m_text, 5);
        DDX_Check(pDX, 102, m_check);
    }
    void OnChange100() { ++changes[100]; }
    void OnSelChange() { ++selChanges; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
ON_EN_CHANGE(100, OnChange100)
ON_CBN_SELCHANGE(103, OnSelChange)
END_MESSAGE_MAP()

// A dialog whose OnInitDialog puts the focus on the list and returns what it is told.
class FocusingDialog : public TestDialog {
public:
    explicit FocusingDialog(BOOL result) : m_result(result) {}
    BOOL OnInitDialog() override {
        TestDialog::OnInitDialog();
        GotoDlgCtrl(&m_combo);
        return m_result;
    }

private:
    BOOL m_result;
};

// A window to host child dialogs, as the main dialog hosts the pages.
struct Host : QtHost {
    Host() : QtHost(500, 300) {}
};

// The test dialog in a host window, what the user is shown recorded.
struct HostedDialog {
    // Creates the dialog with text in its edit; the edit, null when it could not be made.
    QLineEdit* Open(const char* text) {
        dlg.m_text = text;
        return dlg.Create(kTestTemplate, &host.wnd) ? Control<QLineEdit>(dlg, 100) : nullptr;
    }
    UiRecorder ui;
    Host host;
    TestDialog dlg;
};

TEST(DataExchange, MovesValuesBothWaysAndSetsLimits) {
    HostedDialog hosted;
    TestDialog& dlg = hosted.dlg;
    dlg.m_check = 1;
    QLineEdit* edit = hosted.Open("abc");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "abc");
    EXPECT_TRUE(Control<QAbstractButton>(dlg, 102)->isChecked());
    EXPECT_EQ(dlg.m_edit.GetLimitText(), 5); // DDV_MaxChars limits the edit itself

    PressKey(edit, Qt::Key_End);
    TypeInto(edit, "defgh");
    EXPECT_EQ(edit->text(), "abcde");
    QTest::mouseClick(Control<QAbstractButton>(dlg, 102), Qt::LeftButton);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_text, "abcde");
    EXPECT_EQ(dlg.m_check, 0);
    EXPECT_TRUE(hosted.ui.messages.empty());
    dlg.DestroyWindow();
}

// The limit binds what the user adds; a text the program sets shows and saves whole, and
// the user can still shorten it.
TEST(DataExchange, LimitsBindOnlyWhatTheUserAdds) {
    HostedDialog hosted;
    TestDialog& dlg = hosted.dlg;
    QLineEdit* edit = hosted.Open("abcdefgh");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "abcdefgh");
    EXPECT_EQ(edit->cursorPosition(), 0); // shown from its start
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_text, "abcdefgh");

    PressKey(edit, Qt::Key_End);
    TypeInto(edit, "x"); // over the limit already: nothing more goes in
    EXPECT_EQ(edit->text(), "abcdefgh");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "abcdefg");
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_text, "abcdefg");

    // A paste is cut to what fits, at the caret.
    dlg.m_edit.SetWindowText("ab");
    edit->setCursorPosition(1);
    PasteInto(edit, "123456");
    EXPECT_EQ(edit->text(), "a123b");
    EXPECT_EQ(edit->cursorPosition(), 4);
    EXPECT_TRUE(hosted.ui.messages.empty());
    dlg.DestroyWindow();
}

TEST(DataExchange, NotificationsDuringUpdateDataAreDropped) {
    HostedDialog hosted;
    TestDialog& dlg = hosted.dlg;
    ASSERT_NE(hosted.Open(""), nullptr);
    dlg.changes.clear();
    dlg.m_text = "xy";
    dlg.UpdateData(FALSE);
    EXPECT_EQ(dlg.changes[100], 0);
    dlg.m_edit.SetWindowText("z"); // set by the program outside UpdateData: reported
    EXPECT_EQ(dlg.changes[100], 1);
    TypeInto(Control<QLineEdit>(dlg, 100), "q");
    EXPECT_EQ(dlg.changes[100], 2);
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dlg.m_edit.GetSafeHwnd(), nullptr);
}

TEST(DataExchange, ListSelectionFromCodeSendsNothing) {
    HostedDialog hosted;
    TestDialog& dlg = hosted.dlg;
    ASSERT_NE(hosted.Open(""), nullptr);
    dlg.m_combo.ResetContent();
    dlg.m_combo.InsertString(0, "zeta");
    dlg.m_combo.InsertString(1, "alpha");
    dlg.m_combo.InsertString(1, "mid");
    EXPECT_EQ(dlg.m_combo.GetCurSel(), CB_ERR); // inserting selects nothing
    EXPECT_EQ(dlg.m_combo.GetLBText(1), "mid"); // positions hold, the sorted style aside
    dlg.m_combo.SetCurSel(1);
    EXPECT_EQ(dlg.selChanges, 0);
    PickItem(Control<QComboBox>(dlg, 103), 2);
    EXPECT_EQ(dlg.selChanges, 1);
    EXPECT_EQ(dlg.m_combo.GetCurSel(), 2);
    EXPECT_EQ(dlg.m_combo.SetCurSel(7), CB_ERR);
    EXPECT_EQ(dlg.m_combo.GetCurSel(), CB_ERR);
    dlg.DestroyWindow();
}

TEST(Keys, EnterAndEscapeGoToTheInnermostDialog) {
    UiRecorder ui;
    {
        TestDialog dlg;
        WhenModal([&] { TypeInto(Control<QLineEdit>(dlg, 100), "ab\r"); });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.oks, 1);
        EXPECT_EQ(dlg.m_text, "ab");
    }
    {
        TestDialog dlg;
        WhenModal([&] {
            MoveFocusTo(Control<QLineEdit>(dlg, 100));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(dlg.cancels, 1);
    }
    {
        // A child dialog takes Enter and Escape itself; its parent never sees them.
        TestDialog outer, inner;
        inner.endOnOk = false;
        WhenModal([&] {
            inner.Create(kTestTemplate, &outer);
            inner.ShowWindow(SW_SHOW);
            QLineEdit* edit = Control<QLineEdit>(inner, 100);
            PressKey(edit, Qt::Key_Return);
            QTest::keyClick(edit, Qt::Key_Escape);
            EXPECT_EQ(inner.oks, 1);
            EXPECT_EQ(inner.cancels, 1);
            EXPECT_EQ(outer.oks + outer.cancels, 0);
            inner.DestroyWindow();
            outer.EndDialog(7);
        });
        EXPECT_EQ(outer.DoModal(), 7);
    }
}

TEST(Keys, EnterOnAPushLikeCheckBoxPressesTheDefaultButton) {
    UiRecorder ui;
    {
        TestDialog dlg;
        bool checkedAfterEnter = true;
        WhenModal([&] {
            auto* check = Control<QAbstractButton>(dlg, 102);
            PressKey(check, Qt::Key_Return);
            checkedAfterEnter = check->isChecked();
            CancelIfRunning(dlg);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.oks, 1);
        EXPECT_FALSE(checkedAfterEnter);
        EXPECT_EQ(dlg.m_check, 0);
    }
    {
        // A focused push button takes Enter itself.
        TestDialog dlg;
        WhenModal([&] { PressKey(Control<QAbstractButton>(dlg, IDCANCEL), Qt::Key_Return); });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(dlg.oks, 0);
    }
}

TEST(Focus, OnInitDialogResultDecidesTheFirstFocus) {
    UiRecorder ui;
    for (BOOL result : {TRUE, FALSE}) {
        FocusingDialog dlg(result);
        dlg.m_text = "abc";
        QString focus;
        bool selected = false;
        WhenModal([&] {
            PumpUntil([&] { return qt::GetWidget(dlg)->isActiveWindow(); }, 1000);
            if (QWidget* w = QApplication::focusWidget())
                focus = w->objectName();
            selected = Control<QLineEdit>(dlg, 100)->selectedText() == "abc";
            dlg.EndDialog(IDCANCEL);
        });
        dlg.DoModal();
        SCOPED_TRACE(result);
        if (result) { // the first tab stop, its text selected, whatever the handler did
            EXPECT_EQ(focus, "ctl100");
            EXPECT_TRUE(selected);
        } else {
            EXPECT_EQ(focus, "ctl103");
        }
    }
    // A modeless dialog too (a hidden child page aside, which leaves the focus alone).
    Host host;
    host.widget.activateWindow();
    QApplication::setActiveWindow(&host.widget);
    TestDialog child;
    ASSERT_TRUE(child.Create(kTestTemplate, &host.wnd));
    EXPECT_TRUE(HasFocus(Control<QLineEdit>(child, 100)));
    child.DestroyWindow();
}

// Pixels of widget as it is drawn now, and how many of them differ from another picture.
QImage Picture(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
int PixelsApart(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return a.width() * a.height();
    int apart = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            apart += a.pixel(x, y) != b.pixel(x, y);
    return apart;
}

// The focused push button shows its focus, the default one (OK) too and apart from its own
// outline, in the application's style and in one a user may choose instead.
TEST(Focus, TheFocusedPushButtonIsSeenApartFromTheDefaultOne) {
    static FocusFrameStyle windows(QStyleFactory::create("Windows"));
    for (QStyle* chosen : {static_cast<QStyle*>(nullptr), static_cast<QStyle*>(&windows)}) {
        SCOPED_TRACE(chosen ? "Windows" : "the application's");
        TestDialog dlg;
        WhenModal([&] {
            auto* ok = Control<QPushButton>(dlg, IDOK);
            auto* cancel = Control<QPushButton>(dlg, IDCANCEL);
            ASSERT_TRUE(ok && cancel && ok->isDefault());
            if (chosen) {
                ok->setStyle(chosen);
                cancel->setStyle(chosen);
            }
            MoveFocusTo(cancel);
            const QImage okAlone = Picture(ok), cancelFocused = Picture(cancel);
            MoveFocusTo(ok);
            const QImage okFocused = Picture(ok), cancelAlone = Picture(cancel);
            // A dotted rectangle around the text: every other pixel of its four sides.
            EXPECT_GT(PixelsApart(okFocused, okAlone), ok->width() / 2);
            EXPECT_GT(PixelsApart(cancelFocused, cancelAlone), cancel->width() / 2);
            if (!chosen) { // Fusion's default button keeps its outline under the rectangle
                ok->setDefault(false);
                EXPECT_GT(PixelsApart(Picture(ok), okFocused), 0);
            }
            dlg.EndDialog(IDCANCEL);
        });
        dlg.DoModal();
    }
}

TEST(CodePage, EveryByteHasOneCharacterAndBack) {
    // Bytes 0x80 to 0x9F of Windows-1252; the five it leaves undefined stand for the C1
    // controls of their number.
    const char16_t high[32] = {
        u'\u20AC', 0x0081,    u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
        u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', 0x008D,    u'\u017D', 0x008F,
        0x0090,    u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
        u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', 0x009D,    u'\u017E', u'\u0178'};
    for (int b = 0; b < 256; ++b) {
        char16_t expected = b >= 0x80 && b < 0xA0 ? high[b - 0x80] : static_cast<char16_t>(b);
        ASSERT_EQ(ansi::ToWide(static_cast<unsigned char>(b)), expected) << b;
        unsigned char back = 0;
        ASSERT_TRUE(ansi::ToByte(expected, &back)) << b;
        ASSERT_EQ(back, b);
    }
    // The C1 controls the page does not hold, and letters of other scripts, have no byte.
    unsigned char none = 0;
    for (char16_t ch : {u'\u0080', u'\u0082', u'\u009F', u'\u043F', u'\u0100', u'\uFFFD'})
        EXPECT_FALSE(ansi::ToByte(ch, &none)) << int(ch);
    std::string bytes = "kept";
    EXPECT_FALSE(ansi::Narrow(u"\u043F\u0430\u0440\u043E\u043B\u044C", &bytes));
    EXPECT_EQ(bytes, "kept");
    ASSERT_TRUE(ansi::Narrow(u"caf\u00E9\u20AC", &bytes));
    EXPECT_EQ(bytes, "caf\xE9\x80");

    // Upper case stays within the page: the sharp s and the micro sign have no capital there.
    EXPECT_EQ(ansi::Upper(u"az\u00E9\u00FF\u0161\u0153\u017E\u00F7\u00DF\u00B5"),
              u"AZ\u00C9\u0178\u0160\u0152\u017D\u00F7\u00DF\u00B5");
}

TEST(CodePage, TypedAndPastedTextTheControlsCannotHoldIsRefused) {
    HostedDialog hosted;
    TestDialog& dlg = hosted.dlg;
    UiRecorder& ui = hosted.ui;
    QLineEdit* edit = hosted.Open("caf\xE9");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QString::fromUtf16(u"caf\u00E9"));
    dlg.changes.clear();
    PressKey(edit, Qt::Key_End);
    TypeText(edit, QString::fromUtf16(u"\u043F\u20AC"));
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(dlg.changes[100], 1); // the euro sign only
    PasteInto(edit, QString::fromUtf16(u"x\u043F"));
    EXPECT_EQ(ui.beeps, 2);
    EXPECT_EQ(dlg.changes[100], 1);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_text, "caf\xE9\x80");

    // Upper-case edits turn pasted text to upper case at once, as typed text.
    auto* upper = Control<QLineEdit>(dlg, 101);
    PasteInto(upper, QString::fromUtf16(u"ab\u00FF"));
    EXPECT_EQ(upper->text(), QString::fromUtf16(u"AB\u0178"));
    TypeInto(upper, "c");
    EXPECT_EQ(upper->text(), QString::fromUtf16(u"AB\u0178C"));
    dlg.DestroyWindow();
}

TEST(Layout, DialogUnitsFollowTheFont) {
    DialogUnits units;
    units.cxChar = 6;
    units.cyChar = 13;
    EXPECT_EQ(units.X(4), 6);
    EXPECT_EQ(units.Y(8), 13);
    EXPECT_EQ(units.X(91), 137); // 136.5 rounds as MulDiv does
    EXPECT_EQ(units.Y(13), 21);  // 21.125

    Host host;
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(kTestTemplate, &host.wnd));
    DialogUnits real = DialogUnits::ForFont(TemplateFont(kTemplate));
    EXPECT_GT(real.cxChar, 3);
    EXPECT_GT(real.cyChar, 8);
    EXPECT_EQ(Control<QLineEdit>(dlg, 100)->geometry(), real.Rect(91, 13, 60, 14));
    EXPECT_EQ(qt::GetWidget(dlg)->geometry(), real.Rect(15, 20, 200, 100));
    // A bigger font makes a bigger dialog.
    QFont big = TemplateFont(kTemplate);
    big.setPointSize(18);
    EXPECT_GT(DialogUnits::ForFont(big).X(100), real.X(100));
    dlg.DestroyWindow();
}

TEST(Modal, DisablesItsOwnerAndPostedMessagesArrive) {
    UiRecorder ui;
    TestDialog outer, inner;
    bool ownerDisabledMeanwhile = false;
    HWND innerHandle = nullptr;
    WhenModal([&] {
        WhenModal([&] {
            ownerDisabledMeanwhile = !outer.IsWindowEnabled();
            innerHandle = inner.GetSafeHwnd();
            PostMessageA(innerHandle, WM_INITDIALOG, 0, 0);
            PumpUntil([&] { return inner.inits == 2; });
            PostMessageA(innerHandle, WM_CLOSE, 0, 0); // ends it as cancelled
        });
        EXPECT_EQ(inner.DoModal(), IDCANCEL);
        EXPECT_TRUE(outer.IsWindowEnabled());
        // Messages posted to a window that is gone reach nothing.
        PostMessageA(innerHandle, WM_INITDIALOG, 0, 0);
        QCoreApplication::processEvents();
        EXPECT_EQ(inner.inits, 2);
        outer.EndDialog(IDOK);
    });
    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_TRUE(ownerDisabledMeanwhile);
    EXPECT_EQ(inner.inits, 2);
}

TEST(UiServices, WorkerRequestsRunOnTheUiThreadAndWait) {
    UiRecorder ui;
    QThread* uiThread = QThread::currentThread();
    bool ranOnUi = false;
    ui.onMessage = [&](const UiRecorder::Message&) {
        ranOnUi = QThread::currentThread() == uiThread;
        PumpUntil([] { return false; }, 100); // the user takes a while
    };
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        AfxMessageBox("from the worker", MB_ICONINFORMATION);
        returned = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_TRUE(ranOnUi);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, AfxGetAppTitle());
    EXPECT_EQ(ui.messages[0].type, MB_ICONINFORMATION);
}

} // namespace
