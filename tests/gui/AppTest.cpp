// The login and main dialogs driven as a user would, against a real emulator.
#include "../shared/KeyboardCases.h"
#include "Emulator.h"
#include "GuiTest.h"
#include "TempFolder.h"
#include "app/ConfigApp.h"
#include "app/LoginDlg.h"
#include "app/MainDlg.h"
#include "device/KeyStoreFile.h"
#include "device/ProgressDlg.h"
#include "device/WepKeyTable.h"
#include "pages/EncryptionPage.h"
#include "pages/IpConfigPage.h"
#include "pages/WirelessPage.h"
#include "platform/InstanceLock.h"
#include "resources/Dialog136Ids.h"

#include <QAbstractButton>
#include <QTabBar>
#include <QTest>
#include <cstring>
#include <functional>

namespace {

const char kWrong[] = "The password you typed is incorrect.";
const char kNull[] = "Can not use null password. Please type them again.";

void Click(CWnd& dialog, int id) {
    QAbstractButton* button = Control<QAbstractButton>(dialog, id);
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        CProgressDlg::SetTickIntervalForTesting(2);
        ASSERT_TRUE(emu.Running());
    }
    void TearDown() override {
        CProgressDlg::SetTickIntervalForTesting(200);
        g_pConfigImage = nullptr;
    }
    // Stores a password (and its length) in the device's current configuration.
    void SetDevicePassword(size_t at, const std::string& text, uint32_t length) {
        auto config = emu.Dump("current");
        std::memset(&config[at], 0, 20);
        std::memcpy(&config[at], text.data(), std::min<size_t>(text.size(), 20));
        for (int i = 0; i < 4; ++i)
            config[at - 4 + i] = static_cast<uint8_t>(length >> (8 * i));
        emu.Load(config);
    }
    std::string DevicePassword() {
        auto config = emu.Dump("current");
        return std::string(reinterpret_cast<char*>(&config[196]), config[192]);
    }
    // Runs a login with the given typed password; returns the dialog's result.
    INT_PTR Login(const std::string& password) {
        return LoginBy([&](QLineEdit* field) { TypeInto(field, password); });
    }
    // The same, with the password typed as characters beyond the byte range.
    INT_PTR LoginTyping(const QString& password) {
        return LoginBy([&](QLineEdit* field) { TypeText(field, password); });
    }
    // On the login: the password "admin", Change, the new password and its confirmation
    // typed, then OK.
    static void ChangeAdminPassword(CLoginDlg& login, const std::string& typed) {
        TypeInto(Control<QLineEdit>(login, IDC_PASSWORD), "admin");
        Click(login, IDC_CHANGE);
        TypeInto(Control<QLineEdit>(login, IDC_NEW_PASSWORD), typed);
        TypeInto(Control<QLineEdit>(login, IDC_CONFIRM_PASSWORD), typed);
        Click(login, IDOK);
    }
    // A login where type fills the password field before OK.
    INT_PTR LoginBy(const std::function<void(QLineEdit*)>& type) {
        CLoginDlg login;
        WhenModal([&] {
            type(Control<QLineEdit>(login, IDC_PASSWORD));
            Click(login, IDOK);
            CancelIfRunning(login);
        });
        return login.DoModal();
    }

    TempWorkingFolder dir;
    EmulatorProcess emu;
    UiRecorder ui;
};

TEST_F(AppTest, LoginChecksBothStoredPasswords) {
    CLoginDlg login;
    WhenModal([&] {
        QLineEdit* password = Control<QLineEdit>(login, IDC_PASSWORD);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(HasFocus(password));
        TypeInto(password, "Admin");
        Click(login, IDOK);
        EXPECT_EQ(ui.Texts(), std::vector<std::string>{kWrong});
        EXPECT_EQ(ui.messages.at(0).type, MB_ICONERROR);
        EXPECT_TRUE(password->text().isEmpty());
        EXPECT_TRUE(HasFocus(password));
        TypeInto(password, "admin");
        Click(login, IDOK);
    });
    EXPECT_EQ(login.DoModal(), IDOK);
    EXPECT_EQ(Login("recovery"), IDOK);
    EXPECT_EQ(Login(""), IDCANCEL);
    SetDevicePassword(220, "", 0); // a second password of length 0 admits an empty one
    EXPECT_EQ(Login(""), IDOK);
    // Lengths far outside the field never read past it, and never match a typed text.
    SetDevicePassword(196, std::string(20, 'p'), 0xFFFFFFFF);
    EXPECT_EQ(Login(std::string(16, 'p')), IDCANCEL);
}

TEST_F(AppTest, LoginReportsAnAbsentDeviceAndStaysOpen) {
    ASSERT_EQ(emu.Control("absent on"), "ok");
    EXPECT_EQ(Login("admin"), IDCANCEL);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Please Attach the Access Point USB Connector "
                                                   "or Install the Access Point Driver !  "});
}

TEST_F(AppTest, PasswordChangeRefusesMismatchEmptyAndBlanks) {
    CLoginDlg login;
    WhenModal([&] {
        QLineEdit* newEdit = Control<QLineEdit>(login, IDC_NEW_PASSWORD);
        QLineEdit* confirm = Control<QLineEdit>(login, IDC_CONFIRM_PASSWORD);
        EXPECT_FALSE(newEdit->isEnabled());
        Click(login, IDC_CHANGE);
        EXPECT_TRUE(newEdit->isEnabled());
        EXPECT_TRUE(confirm->isEnabled());
        EXPECT_TRUE(HasFocus(newEdit));
        TypeInto(Control<QLineEdit>(login, IDC_PASSWORD), "admin");
        const std::pair<std::string, std::string> attempts[] = {
            {"abc", "abd"}, {"", ""}, {"   ", "   "}};
        for (const auto& [typed, confirmed] : attempts) {
            TypeInto(newEdit, typed);
            TypeInto(confirm, confirmed);
            Click(login, IDOK);
            EXPECT_TRUE(newEdit->text().isEmpty());
            EXPECT_TRUE(confirm->text().isEmpty());
            EXPECT_TRUE(HasFocus(newEdit));
        }
        TypeInto(newEdit, std::string(20, 'x')); // the edit takes 16 at most
        EXPECT_EQ(newEdit->text().size(), 16);
        login.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(login.DoModal(), IDCANCEL);
    EXPECT_EQ(ui.Texts(),
              (std::vector<std::string>{
                  "The new and confirmed passwords do not match. Please type them again.", kNull,
                  kNull}));
    EXPECT_EQ(DevicePassword(), "admin");
}

TEST_F(AppTest, PasswordChangeStoresTheFirstWord) {
    CLoginDlg login;
    WhenModal([&] { ChangeAdminPassword(login, " new pass"); });
    EXPECT_EQ(login.DoModal(), IDOK);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "The password has been successfully changed.");
    EXPECT_EQ(ui.messages[0].type, MB_ICONINFORMATION);
    EXPECT_EQ(DevicePassword(), "new");
    EXPECT_EQ(Login("new pass"), IDCANCEL);
    EXPECT_EQ(Login("new"), IDOK);
}

// The device holds single bytes of the one code page: a password it cannot hold is refused
// as it is typed or pasted, never stored as something else; its bytes above 0x7F log in.
TEST_F(AppTest, PasswordsKeepToTheCodePage) {
    const QString cyrillic = QString::fromUtf16(u"\u043F\u0430\u0440\u043E\u043B\u044C");
    const QString high = QString::fromUtf16(u"caf\u00E9\u20AC");
    CLoginDlg login;
    WhenModal([&] {
        QLineEdit* newEdit = Control<QLineEdit>(login, IDC_NEW_PASSWORD);
        QLineEdit* confirm = Control<QLineEdit>(login, IDC_CONFIRM_PASSWORD);
        TypeInto(Control<QLineEdit>(login, IDC_PASSWORD), "admin");
        Click(login, IDC_CHANGE);
        TypeText(newEdit, cyrillic);
        PasteInto(confirm, cyrillic);
        EXPECT_TRUE(newEdit->text().isEmpty());
        EXPECT_TRUE(confirm->text().isEmpty());
        Click(login, IDOK); // nothing was taken: the empty new password is refused
        EXPECT_TRUE(login.IsModalRunning());
        TypeText(newEdit, high);
        TypeText(confirm, high);
        Click(login, IDOK);
    });
    EXPECT_EQ(login.DoModal(), IDOK);
    EXPECT_EQ(ui.beeps, 7); // six typed letters, one paste
    EXPECT_EQ(ui.Texts(),
              (std::vector<std::string>{kNull, "The password has been successfully changed."}));
    EXPECT_EQ(DevicePassword(), "caf\xE9\x80");
    EXPECT_EQ(LoginTyping(QString::fromUtf16(u"\u0441\u0435\u043A\u0440\u0435\u0442")), IDCANCEL);
    EXPECT_EQ(LoginTyping(high), IDOK);
}

// Enter on the focused push-like "Change" check box presses OK; it does not toggle it.
TEST_F(AppTest, EnterOnChangePressesOk) {
    CLoginDlg login;
    bool changeSet = true;
    WhenModal([&] {
        TypeInto(Control<QLineEdit>(login, IDC_PASSWORD), "admin");
        QAbstractButton* change = Control<QAbstractButton>(login, IDC_CHANGE);
        PressKey(change, Qt::Key_Return);
        changeSet = change->isChecked();
        CancelIfRunning(login);
    });
    EXPECT_EQ(login.DoModal(), IDOK);
    EXPECT_FALSE(changeSet);
    EXPECT_TRUE(ui.messages.empty());
}

// Pages ignore Enter and Escape whatever control of theirs has the focus: the main dialog
// stays open and nothing changes. Where a page has nothing to focus (Info), the keys
// belong to the main dialog, where Escape is Cancel.
TEST_F(AppTest, EnterAndEscapeOnEachPageChangeNothing) {
    auto device = emu.Dump("current");
    std::string keyFile;
    CMainDlg main;
    theApp.m_pMainWnd = &main;
    WhenModal([&] {
        keyFile = TempWorkingFolder::Read("OEM.tmp");
        std::vector<BYTE> image(main.Image().Bytes(), main.Image().Bytes() + 1024);
        QTabBar* tabs = qt::GetWidget(main)->findChild<QTabBar*>();
        ASSERT_NE(tabs, nullptr);
        for (int tab = 0; tab < 5; ++tab) {
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
            ASSERT_NE(g_pCurrentPage, nullptr);
            std::vector<QWidget*> targets;
            for (QWidget* w : qt::GetWidget(*g_pCurrentPage)->findChildren<QWidget*>())
                if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisible())
                    targets.push_back(w);
            EXPECT_FALSE(targets.empty()) << tab; // the Info page's values too
            for (QWidget* w : targets) {
                PressKey(w, Qt::Key_Return);
                QTest::keyClick(w, Qt::Key_Escape);
                ASSERT_TRUE(main.IsModalRunning()) << tab << " " << w->objectName().toStdString();
            }
        }
        EXPECT_EQ(std::vector<BYTE>(main.Image().Bytes(), main.Image().Bytes() + 1024), image);
        MoveFocusTo(tabs);
        QTest::keyClick(tabs, Qt::Key_Escape);
    });
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    theApp.m_pMainWnd = nullptr;
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(emu.Dump("current"), device);
    EXPECT_EQ(TempWorkingFolder::Read("OEM.tmp"), keyFile);
}

TEST_F(AppTest, FailedPasswordWriteIsNotReportedAsSuccess) {
    ASSERT_EQ(emu.Control("fail-writes 2"), "ok");
    CLoginDlg login;
    WhenModal([&] {
        ChangeAdminPassword(login, "other");
        EXPECT_TRUE(login.IsModalRunning());
        EXPECT_EQ(Control<QLineEdit>(login, IDC_NEW_PASSWORD)->text(), "other");
        EXPECT_EQ(Control<QLineEdit>(login, IDC_PASSWORD)->text(), "admin");
        login.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(login.DoModal(), IDCANCEL);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Please Attach the Access Point USB Connector"});
    EXPECT_EQ(DevicePassword(), "admin");
}

TEST_F(AppTest, MainDialogOpensOnWirelessAndApplyWritesTheImage) {
    CMainDlg main;
    theApp.m_pMainWnd = &main;
    WhenModal([&] {
        EXPECT_TRUE(HasFocus(Control<QWidget>(main, IDOK))); // not the tabs, not the page
        QTabBar* tabs = qt::GetWidget(main)->findChild<QTabBar*>();
        ASSERT_NE(tabs, nullptr);
        EXPECT_EQ(tabs->count(), 5);
        EXPECT_EQ(tabs->tabText(0), "Wireless");
        EXPECT_EQ(tabs->tabText(4), "Info");
        EXPECT_EQ(tabs->currentIndex(), 0);
        EXPECT_EQ(g_pCurrentPage, static_cast<CPageDialog*>(&g_wirelessPage));
        EXPECT_EQ(g_pConfigImage, &main.Image());
        QLineEdit* name = Control<QLineEdit>(g_wirelessPage, 1002);
        ClearByKeys(name);
        TypeInto(name, "Attic");
        // Another tab and back: the page shows what it stored.
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(4).center());
        EXPECT_EQ(g_wirelessPage.GetSafeHwnd(), nullptr);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
        EXPECT_EQ(Control<QLineEdit>(g_wirelessPage, 1002)->text(), "Attic");
        EXPECT_TRUE(HasFocus(tabs)); // a new page leaves the focus on the tabs
        QTest::keyClick(tabs, Qt::Key_Right);
        QTest::keyClick(tabs, Qt::Key_Right);
        EXPECT_EQ(tabs->currentIndex(), 2);
        EXPECT_EQ(g_pCurrentPage, static_cast<CPageDialog*>(&g_ipConfigPage));
        QTest::keyClick(tabs, Qt::Key_Home);
        Click(main, 1001); // Apply
        EXPECT_TRUE(main.IsModalRunning());
        Click(main, IDCANCEL);
    });
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    theApp.m_pMainWnd = nullptr;
    auto device = emu.Dump("current");
    EXPECT_EQ(0, std::memcmp(device.data(), main.Image().Bytes(), 348));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&device[124]), 6), std::string("Attic\0", 6));
    EXPECT_EQ(g_pCurrentPage, nullptr);
    EXPECT_TRUE(ui.messages.empty());
}

// The control that has the focus in window: its dialog's template and its id (the tabs and
// an address field hold it in a part of theirs).
std::pair<UINT, int> FocusedControl(QWidget* window) {
    for (QWidget* w = window->focusWidget(); w; w = w->parentWidget()) {
        if (!w->objectName().startsWith(QLatin1String("ctl")))
            continue;
        auto* dialog = dynamic_cast<CDialog*>(qt::FromWidget(w->parentWidget()));
        return {dialog ? dialog->GetTemplateId() : 0u, w->objectName().mid(3).toInt()};
    }
    return {0u, 0};
}

TEST_F(AppTest, TheKeyboardAloneReachesEveryFieldAndApplies) {
    using KeyboardCases::Key;
    CMainDlg main;
    theApp.m_pMainWnd = &main;
    const std::vector<KeyboardCases::Step> steps = KeyboardCases::Script();
    WhenModal([&] {
        QWidget* window = qt::GetWidget(main);
        MoveFocusTo(window->focusWidget());
        EXPECT_EQ(FocusedControl(window), std::make_pair(IDD_MAIN, IDOK));
        for (size_t i = 0; i < steps.size() && main.IsModalRunning(); ++i) {
            const KeyboardCases::Step& step = steps[i];
            QWidget* focus = window->focusWidget();
            ASSERT_NE(focus, nullptr) << "before step " << i;
            switch (step.key) {
            case Key::kTab:
                QTest::keyClick(focus, Qt::Key_Tab);
                break;
            case Key::kShiftTab:
                QTest::keyClick(focus, Qt::Key_Backtab, Qt::ShiftModifier);
                break;
            case Key::kCtrlTab:
                QTest::keyClick(focus, Qt::Key_Tab, Qt::ControlModifier);
                break;
            case Key::kCtrlShiftTab:
                QTest::keyClick(focus, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
                break;
            case Key::kDown:
                QTest::keyClick(focus, Qt::Key_Down);
                break;
            case Key::kUp:
                QTest::keyClick(focus, Qt::Key_Up);
                break;
            case Key::kReturn:
                QTest::keyClick(focus, Qt::Key_Return);
                break;
            case Key::kEscape:
                QTest::keyClick(focus, Qt::Key_Escape);
                break;
            case Key::kText:
                QTest::keyClicks(focus, QString::fromLatin1(step.text));
                break;
            }
            if (step.dialog &&
                FocusedControl(window) != std::make_pair(step.dialog, step.control)) {
                ADD_FAILURE() << "after step " << i << " the focus is on control "
                              << FocusedControl(window).second << " of dialog "
                              << FocusedControl(window).first << ", not " << step.control << " of "
                              << step.dialog;
                break;
            }
        }
        CancelIfRunning(main);
    });
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    theApp.m_pMainWnd = nullptr;
    auto device = emu.Dump("current");
    for (const KeyboardCases::Stored& stored : KeyboardCases::kStored)
        EXPECT_EQ(device.at(stored.offset), stored.value) << "at " << stored.offset;
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(AppTest, DefaultKeepsThePasswordAndCancelWritesNothing) {
    SetDevicePassword(196, "secret", 6);
    auto device = emu.Dump("current");
    std::string keyFile;
    {
        CMainDlg main;
        WhenModal([&] {
            keyFile = TempWorkingFolder::Read("OEM.tmp"); // as the opening left it
            Click(main, 3);                               // Default
            Click(main, IDCANCEL);
        });
        EXPECT_EQ(main.DoModal(), IDCANCEL);
    }
    EXPECT_FALSE(keyFile.empty());
    EXPECT_EQ(TempWorkingFolder::Read("OEM.tmp"), keyFile);
    EXPECT_EQ(emu.Dump("current"), device);
    {
        CMainDlg main;
        WhenModal([&] {
            Click(main, 3);
            EXPECT_EQ(g_wepKeyTable.keys64[2][4], 0x33);
            EXPECT_EQ(g_wepKeyTable.keys128[3][12], 0x44);
            Click(main, 1001);
            Click(main, IDCANCEL);
        });
        main.DoModal();
    }
    EXPECT_NE(TempWorkingFolder::Read("OEM.tmp"), keyFile);
    EXPECT_EQ(DevicePassword(), "secret");
    auto factory = emu.Dump("factory");
    auto now = emu.Dump("current");
    EXPECT_EQ(now[28], factory[28]);
    EXPECT_EQ(0, std::memcmp(&now[124], &factory[124], 32));
    EXPECT_EQ(Login("secret"), IDOK);
}

TEST_F(AppTest, DefaultKeepsAtMostNineteenCharacters) {
    SetDevicePassword(196, std::string(20, 'p'), 20); // no zero byte in the field
    CMainDlg main;
    WhenModal([&] {
        Click(main, 3);
        Click(main, 1001);
        Click(main, IDCANCEL);
    });
    main.DoModal();
    auto now = emu.Dump("current");
    EXPECT_EQ(now[192], 19);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&now[196])), std::string(19, 'p'));
}

TEST_F(AppTest, OkClosesOnlyAfterASuccessfulWrite) {
    ASSERT_EQ(emu.Control("fail-writes 2"), "ok");
    CMainDlg main;
    bool openAfterFailure = false;
    WhenModal([&] {
        Click(main, IDOK);
        openAfterFailure = main.IsModalRunning();
        Click(main, IDOK);
    });
    EXPECT_EQ(main.DoModal(), IDOK);
    EXPECT_TRUE(openAfterFailure);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Please Attach the Access Point USB Connector"});
}

TEST_F(AppTest, DeviceGoneBeforeTheMainDialogKeepsTheLoginImage) {
    CLoginDlg login;
    WhenModal([&] {
        TypeInto(Control<QLineEdit>(login, IDC_PASSWORD), "admin");
        Click(login, IDOK);
    });
    ASSERT_EQ(login.DoModal(), IDOK);
    ConfigImage* loginImage = g_pConfigImage;
    ASSERT_EQ(emu.Control("absent on"), "ok");
    CMainDlg main;
    WhenModal([&] {
        EXPECT_EQ(g_pConfigImage, loginImage);
        EXPECT_EQ(Control<QLineEdit>(g_wirelessPage, 1002)->text(), "AccessPoint");
        main.EndDialog(IDCANCEL);
    });
    main.DoModal();
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Please Attach the Access Point USB Connector "
                                                   "or Install the Access Point Driver !  "});
}

TEST_F(AppTest, StartUpShowsTheMainDialogOnlyAfterOk) {
    bool mainShown = false;
    WhenModal([&] {
        CDialog* login = CDialog::TopModal();
        ASSERT_NE(login, nullptr);
        EXPECT_EQ(login->GetTemplateId(), IDD_LOGIN);
        Click(*login, IDCANCEL);
        WhenModal([&] { mainShown = CDialog::TopModal() != nullptr; });
    });
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_FALSE(mainShown);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    EXPECT_TRUE(ui.messages.empty());

    WhenModal([&] {
        CDialog* login = CDialog::TopModal();
        TypeInto(Control<QLineEdit>(*login, IDC_PASSWORD), "admin");
        WhenModal([&] {
            CDialog* main = CDialog::TopModal();
            mainShown = main && main->GetTemplateId() == IDD_MAIN && AfxGetMainWnd() == main;
            Click(*main, IDCANCEL);
        });
        Click(*login, IDOK);
    });
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_TRUE(mainShown);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
}

// Whether a widget has been painted while it was disabled.
class DisabledPaintWatch : public QObject {
public:
    bool painted = false;
    bool paintedDisabled = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        painted = painted || event->type() == QEvent::Paint;
        if (event->type() == QEvent::Paint && !static_cast<QWidget*>(watched)->isEnabled())
            paintedDisabled = true;
        return false;
    }
};

// The main dialog's opening read may take seconds: the login stays on screen, disabled and
// drawn so, under the busy cursor, until the read is over, so a window of the program is up
// all along.
TEST_F(AppTest, TheLoginStaysUpDisabledThroughTheMainDialogsRead) {
    std::vector<std::string> upAtEachRead; // the program's windows shown as a read starts
    DisabledPaintWatch okButton;
    std::vector<bool> drawnDisabled; // whether the login's OK was, as each read starts
    ui.onBusyBegin = [&] {
        std::string up;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                up += w->windowTitle().toStdString() + (w->isEnabled() ? ";" : " (disabled);");
        upAtEachRead.push_back(up);
        drawnDisabled.push_back(okButton.paintedDisabled);
    };
    WhenModal([&] {
        CDialog* login = CDialog::TopModal();
        Control<QWidget>(*login, IDOK)->installEventFilter(&okButton);
        PumpUntil([&] { return okButton.painted; }); // the login on screen
        TypeInto(Control<QLineEdit>(*login, IDC_PASSWORD), "admin");
        WhenModal([&] { Click(*CDialog::TopModal(), IDCANCEL); });
        Click(*login, IDOK);
    });
    EXPECT_FALSE(theApp.InitInstance());
    // The login's own read, then the main dialog's.
    EXPECT_EQ(upAtEachRead, (std::vector<std::string>{"Login;", "Login (disabled);"}));
    EXPECT_EQ(drawnDisabled, (std::vector<bool>{false, true}));
}

// A start while the lock is held ends without a dialog: beside a running copy with a beep, as
// it always has; while ap-config writes, saying why.
TEST_F(AppTest, AStartWhileTheLockIsHeldEnds) {
    struct Row {
        const char* what;
        bool apConfigWrites; // else a copy of the utility holds the lock
        int beeps;
        std::vector<std::string> texts;
    } rows[] = {
        {"a second copy", false, 1, {}},
        {"ap-config writing",
         true,
         0,
         {"ap-config is writing to the access point. Start the utility again when it has "
          "finished."}},
    };
    for (const Row& row : rows) {
        ui.beeps = 0;
        ui.messages.clear();
        InstanceLock utility;
        WriterLocks apConfig;
        if (row.apConfigWrites)
            ASSERT_EQ(apConfig.Take(0), LockHolder::kNone) << row.what;
        else
            ASSERT_TRUE(utility.Acquire(InstanceLock::DefaultPath())) << row.what;
        bool anyDialog = false;
        WhenModal([&] {
            if (CDialog* dialog = CDialog::TopModal()) {
                anyDialog = true;
                CancelIfRunning(*dialog);
            }
        });
        EXPECT_FALSE(theApp.InitInstance()) << row.what;
        QCoreApplication::processEvents();
        EXPECT_FALSE(anyDialog) << row.what;
        EXPECT_EQ(ui.beeps, row.beeps) << row.what;
        EXPECT_EQ(ui.Texts(), row.texts) << row.what;
        for (const auto& message : ui.messages)
            EXPECT_EQ(message.type, static_cast<UINT>(MB_ICONEXCLAMATION)) << row.what;
        // The refused start leaves the holder's lock held: another start is still refused.
        InstanceLock second;
        EXPECT_FALSE(second.Acquire(InstanceLock::DefaultPath())) << row.what;
    }
}

} // namespace
