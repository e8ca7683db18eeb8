// The instance check's window search on an X server of the test's own: this process runs
// Qt on it (the search uses Qt's connection), and a second connection plays the other
// clients, with and without a window manager's client list.
#include "platform/FindWindow.h"
#include "X11Session.h"
#include "platform/qt/XcbAtoms.h"

#include <QApplication>
#include <QWidget>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace {

X11Session* g_session = nullptr;

HWND Handle(xcb_window_t window) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

// Another client's windows; they go when it disconnects.
class OtherClient {
public:
    OtherClient() : m_c(xcb_connect(nullptr, nullptr)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    }
    ~OtherClient() {
        // Root properties outlive the connection: take back what the tests put there.
        for (const char* name : {"_NET_CLIENT_LIST", "_NET_SUPPORTING_WM_CHECK"})
            xcb_delete_property(m_c, m_root, Atom(name));
        Sync();
        xcb_disconnect(m_c);
    }
    bool Connected() const { return !xcb_connection_has_error(m_c); }
    xcb_window_t Root() const { return m_root; }

    xcb_window_t Window(xcb_window_t parent, const std::string& wmName) {
        xcb_window_t w = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, parent, 0, 0, 50, 40, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (!wmName.empty())
            Text(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, wmName);
        xcb_map_window(m_c, w);
        return w;
    }
    void Text(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const std::string& text) {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, property, type, 8,
                            static_cast<uint32_t>(text.size()), text.data());
    }
    void Windows(xcb_window_t w, const char* property, const std::vector<xcb_window_t>& list) {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, Atom(property), XCB_ATOM_WINDOW, 32,
                            static_cast<uint32_t>(list.size()), list.data());
    }
    void Destroy(xcb_window_t w) { xcb_destroy_window(m_c, w); }
    xcb_atom_t Atom(const char* name) { return xcbatoms::Intern(m_c, name); }
    // Everything sent so far has reached the server.
    void Sync() { free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }

private:
    xcb_connection_t* m_c;
    xcb_window_t m_root;
};

class FindWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!g_session->Problem().empty())
            GTEST_SKIP() << "no X server for this test: " << g_session->Problem();
        ASSERT_TRUE(other.Connected());
    }
    OtherClient other;
};

TEST_F(FindWindowTest, EitherCaptionAmongHundredsOfWindowsAndInFrames) {
    std::vector<xcb_window_t> windows;
    for (int i = 0; i < 300; ++i)
        windows.push_back(other.Window(other.Root(), "Window " + std::to_string(i)));
    xcb_window_t frame = other.Window(other.Root(), "");
    xcb_window_t framed = other.Window(frame, "ap UTILITY");
    // Deeper than a frame's child is not a top-level window, nor is a window inside
    // another program's top-level window.
    xcb_window_t deep = other.Window(other.Window(frame, ""), "Login");
    other.Window(windows[5], "Login");
    other.Sync();

    EXPECT_EQ(FindTopLevelWindow({"Login", "AP Utility"}), Handle(framed));
    EXPECT_EQ(FindWindowA(nullptr, "window 299"), Handle(windows[299]));
    EXPECT_EQ(FindTopLevelWindow({"Login"}), nullptr) << deep;
    EXPECT_EQ(FindWindowA(nullptr, "Window"), nullptr); // the whole caption, not a part
    EXPECT_EQ(FindWindowA("Class", "Window 1"), nullptr);
    EXPECT_EQ(FindTopLevelWindow({}), nullptr);
}

TEST_F(FindWindowTest, TheUtf8NameCountsBeforeTheOldOne) {
    xcb_window_t w = other.Window(other.Root(), "Something else");
    other.Text(w, other.Atom("_NET_WM_NAME"), other.Atom("UTF8_STRING"), "Login");
    other.Sync();
    EXPECT_EQ(FindTopLevelWindow({"AP Utility", "login"}), Handle(w));
    EXPECT_EQ(FindWindowA(nullptr, "Something else"), nullptr);
}

TEST_F(FindWindowTest, TheClientListOfARunningWindowManager) {
    // A client three levels down, which only the manager's list can reach.
    xcb_window_t frame = other.Window(other.Root(), "");
    xcb_window_t client = other.Window(other.Window(frame, ""), "Login");
    xcb_window_t check = other.Window(other.Root(), "");
    other.Windows(check, "_NET_SUPPORTING_WM_CHECK", {check});
    other.Windows(other.Root(), "_NET_SUPPORTING_WM_CHECK", {check});
    other.Windows(other.Root(), "_NET_CLIENT_LIST", {frame, client});
    other.Sync();
    EXPECT_EQ(FindTopLevelWindow({"Login"}), Handle(client));

    // The manager has ended and left its list behind: the tree is searched instead.
    other.Destroy(check);
    other.Sync();
    EXPECT_EQ(FindTopLevelWindow({"Login"}), nullptr);
}

TEST_F(FindWindowTest, ThisProcessWindowsComeFirst) {
    other.Window(other.Root(), "AP Utility");
    other.Sync();
    QWidget mine;
    mine.setWindowTitle(QStringLiteral("AP Utility"));
    EXPECT_EQ(FindTopLevelWindow({"AP Utility"}), reinterpret_cast<HWND>(&mine));
}

} // namespace

int main(int argc, char** argv) {
    X11Session session;
    g_session = &session;
    qputenv("QT_QPA_PLATFORM", session.Problem().empty() ? "xcb" : "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
