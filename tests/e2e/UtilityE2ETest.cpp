// The real utility, the real emulator and a real X server, as separate processes: a user
// logs in, changes a setting on every page, applies, quits; the device and the key file
// are checked afterwards. Screenshots of every page go to $AP_SCREENSHOT_DIR when set.
#include "Emulator.h"
#include "TempFolder.h"
#include "X11Session.h"
#include "device/KeyStoreFile.h"
#include "platform/Profile.h"
#include "platform/qt/QtDialogUnits.h"
#include "resources/Dialog102Ids.h"
#include "resources/Dialog129Ids.h"
#include "resources/Dialog130Ids.h"
#include "resources/Dialog131Ids.h"
#include "resources/Dialog134Ids.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QFont>
#include <QRect>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const char kMainTitle[] = "Kestrel-A 2.0 / Kestrel-B 2.0 Utility";

// Where a control of a template lies on the screen, its dialog's client area at origin.
QPoint Center(UINT templateId, int controlId, QPoint origin) {
    const DialogTemplate* t = FindDialogTemplate(templateId);
    DialogUnits units = DialogUnits::ForFont(TemplateFont(*t));
    QPoint page = templateId == 102 ? QPoint() : QPoint(units.X(t->x), units.Y(t->y));
    for (const DialogItem& item : t->items) {
        if (item.id != controlId)
            continue;
        // A list's height includes its drop-down part: aim at the closed box.
        int cy = item.kind == ControlKind::kDropDownList ? 12 : item.cy;
        return origin + page + units.Rect(item.x, item.y, item.cx, cy).center();
    }
    ADD_FAILURE() << "no control " << controlId << " in template " << templateId;
    return origin;
}

// The left part of a control (the first field of an IP address control).
QPoint LeftPart(UINT templateId, int controlId, QPoint origin) {
    const DialogTemplate* t = FindDialogTemplate(templateId);
    DialogUnits units = DialogUnits::ForFont(TemplateFont(*t));
    for (const DialogItem& item : t->items)
        if (item.id == controlId)
            return origin + QPoint(units.X(t->x), units.Y(t->y)) +
                   units.Rect(item.x, item.y, item.cx, item.cy).topLeft() +
                   QPoint(units.X(item.cx) / 8, units.Y(item.cy) / 2);
    return origin;
}

class UtilityE2ETest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x11.Problem().empty())
            GTEST_SKIP() << "no X server for this test: " << x11.Problem();
        ASSERT_TRUE(emu.Running());
        ASSERT_EQ(mkdir("OEM", 0700), 0);
        std::vector<uint8_t> bmp = LogoBitmapFile();
        TempWorkingFolder::Write("OEM/Logo.bmp", std::string(bmp.begin(), bmp.end()));
        if (const char* dir = std::getenv("AP_SCREENSHOT_DIR"))
            shots = dir;
    }
    void TearDown() override {
        if (utility > 0) {
            kill(utility, SIGTERM);
            waitpid(utility, nullptr, 0);
        }
    }
    void StartUtility() {
        utility = fork();
        if (utility == 0) {
            setenv("QT_QPA_PLATFORM", "xcb", 1);
            setenv("QT_FONT_DPI", "96", 1);
            // The build's utility, or the one AP_TEST_UTILITY names (the installed one).
            const char* other = std::getenv("AP_TEST_UTILITY");
            execl(other && *other ? other : AP_UTILITY_PATH, "ap-utility",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    bool UtilityEnded(int timeoutMs) {
        for (int waited = 0; waited < timeoutMs; waited += 100) {
            int status = 0;
            if (waitpid(utility, &status, WNOHANG) == utility) {
                utility = -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    std::string LogIn() {
        std::string login = x11.WaitForWindow("Login");
        EXPECT_FALSE(login.empty()) << "the login dialog did not appear";
        x11.Run("xdotool windowfocus --sync " + login);
        Shot(login, "login.png");
        x11.Type("admin");
        x11.Key("Return");
        std::string main = x11.WaitForWindow(kMainTitle);
        EXPECT_FALSE(main.empty()) << "the main dialog did not appear";
        int x = 0, y = 0;
        x11.WindowOrigin(main, &x, &y);
        origin = QPoint(x, y);
        return main;
    }
    // Selects tab index by keyboard from the first tab, as a user would.
    void ShowTab(int index) {
        x11.Click(Center(IDD_MAIN, IDC_TAB, origin).x() - 150,
                  origin.y() + DialogUnits::ForFont(TemplateFont(*FindDialogTemplate(102))).Y(5) +
                      10);
        x11.Key("Home");
        for (int i = 0; i < index; ++i)
            x11.Key("Right");
    }
    // Replaces the text of an edit: click into it, erase it key by key, type.
    void Retype(UINT page, int id, const std::string& text) {
        QPoint p = Center(page, id, origin);
        x11.Click(p.x(), p.y());
        x11.Key("End");
        x11.Run("xdotool key --repeat 33 --delay 10 BackSpace");
        x11.Type(text);
    }
    // Opens a list and moves its selection by steps (negative: up), then takes it.
    void Pick(UINT page, int id, int steps) {
        QPoint p = Center(page, id, origin);
        x11.Click(p.x(), p.y());
        for (int i = 0; i < std::abs(steps); ++i)
            x11.Key(steps > 0 ? "Down" : "Up");
        x11.Key("Return");
    }
    void Shot(const std::string& window, const std::string& name) {
        if (!shots.empty())
            x11.Screenshot(window, shots + "/" + name);
    }
    // Apply, then wait for the progress dialog's count to end.
    void ApplyAndWait(const std::string& main) {
        long writes = StatValue(emu.Control("stats"), "writes");
        QPoint apply = Center(IDD_MAIN, IDC_APPLY, origin);
        x11.Click(apply.x(), apply.y());
        std::string progress;
        for (int i = 0; i < 50 && progress.empty(); ++i) {
            std::string ids =
                x11.Run("xdotool search --onlyvisible --pid " + std::to_string(utility));
            for (size_t at = 0; at < ids.size();) {
                size_t end = ids.find('\n', at);
                std::string id = ids.substr(at, end == std::string::npos ? end : end - at);
                if (!id.empty() && id != main)
                    progress = id;
                at = end == std::string::npos ? ids.size() : end + 1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ASSERT_FALSE(progress.empty()) << "no progress dialog";
        if (!shots.empty()) { // a third of the way, where the bar shows its progress
            std::this_thread::sleep_for(std::chrono::milliseconds(6000));
            Shot(progress, "progress.png");
        }
        ASSERT_TRUE(x11.WindowGone(progress, 30000)) << "the progress dialog did not end";
        EXPECT_EQ(StatValue(emu.Control("stats"), "writes"), writes + 1);
    }

    TempWorkingFolder dir;
    X11Session x11;
    EmulatorProcess emu;
    pid_t utility = -1;
    QPoint origin;
    std::string shots;
};

TEST_F(UtilityE2ETest, SettingsOnEveryPageReachTheDeviceAndTheKeyFile) {
    StartUtility();
    std::string main = LogIn();
    ASSERT_FALSE(main.empty());
    Shot(main, "focus-ok.png"); // as it opens: the focus on OK, the default button

    Retype(IDD_WIRELESS, IDC_NAME, "Attic AP");
    Retype(IDD_WIRELESS, IDC_ESSID, "atticnet");
    Pick(IDD_WIRELESS, IDC_CHANNEL, 3); // channel 6 -> 9
    Shot(main, "wireless.png");

    ShowTab(1);
    Pick(IDD_ENCRYPTION, IDC_WEP_TYPE, 1); // "Disable" -> "64-bit"
    Retype(IDD_ENCRYPTION, kKey64Ids[0][0], "ab");
    Shot(main, "encryption.png");

    ShowTab(2);
    QPoint ip = LeftPart(IDD_IPCONFIG, IDC_IP_ADDRESS, origin);
    x11.Click(ip.x(), ip.y());
    x11.Key("ctrl+a");
    x11.Type("10.1.2.3");
    Pick(IDD_IPCONFIG, IDC_DHCP, -1); // "Disable" -> "Enable"
    Shot(main, "ipconfig.png");

    ShowTab(3);
    Retype(IDD_ADVANCED, IDC_FRAGMENT, "1500");
    Shot(main, "advanced.png");

    ShowTab(4);
    Shot(main, "info.png");

    ApplyAndWait(main);
    QPoint cancel = Center(IDD_MAIN, IDCANCEL, origin);
    x11.Click(cancel.x(), cancel.y());
    ASSERT_TRUE(UtilityEnded(5000));

    auto d = emu.Dump("current");
    ASSERT_EQ(d.size(), 889u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&d[124]), 9), std::string("Attic AP\0", 9));
    EXPECT_EQ(d[31], 8);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&d[32]), 8), "atticnet");
    EXPECT_EQ(d[28], 9);
    EXPECT_EQ(d[70], 1);
    EXPECT_EQ(d[72], 0xAB);
    EXPECT_EQ(std::vector<uint8_t>(d.begin() + 14, d.begin() + 18),
              (std::vector<uint8_t>{10, 1, 2, 3}));
    EXPECT_EQ(d[248], 1);
    EXPECT_EQ(d[64] | (d[65] << 8), 1500);

    char entry[64];
    GetPrivateProfileStringA("OEM", "1", "", entry, sizeof(entry), ".\\OEM.tmp");
    EXPECT_EQ(UnscrambleKeyText(entry).substr(0, 2), "ab");

    // The next start takes the keys from the key file, not from the device's slots.
    d[72] = 0x00;
    emu.Load(d);
    StartUtility();
    main = LogIn();
    ASSERT_FALSE(main.empty());
    ShowTab(1);
    Pick(IDD_ENCRYPTION, IDC_WEP_TYPE, -1); // "64-bit" -> "Disable"
    Pick(IDD_ENCRYPTION, IDC_WEP_TYPE, 1); // and back: the 64-bit keys are collected into the slots
    ApplyAndWait(main);
    x11.Click(cancel.x(), cancel.y());
    ASSERT_TRUE(UtilityEnded(5000));
    EXPECT_EQ(emu.Dump("current")[72], 0xAB);
}

TEST_F(UtilityE2ETest, ALoginWindowOfAnotherProgramKeepsTheUtilityFromStarting) {
    if (!HaveProgram("xmessage"))
        GTEST_SKIP() << "xmessage is not installed";
    for (const char* caption : {"login", "Login page"}) {
        SCOPED_TRACE(caption);
        pid_t other = fork();
        if (other == 0) {
            execlp("xmessage", "xmessage", "-title", caption, "another program",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_FALSE(x11.WaitForWindow(caption).empty());
        StartUtility();
        bool blocked = std::string(caption) == "login";
        if (blocked) {
            EXPECT_TRUE(UtilityEnded(5000)) << "the utility started beside a Login window";
        } else {
            EXPECT_FALSE(x11.WaitForWindow("Login").empty());
            kill(utility, SIGTERM);
            EXPECT_TRUE(UtilityEnded(5000));
        }
        kill(other, SIGTERM);
        waitpid(other, nullptr, 0);
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterResources();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
