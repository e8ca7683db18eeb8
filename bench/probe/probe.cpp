// An X client that times a program from outside, from the events the server sends it:
// it starts the program, waits for the MapNotify of its window with a given title and the
// first Damage (drawing) of that window, and prints the times since the start.
//
//   bench_probe [options] -- program args...
//     --title T        the first window to wait for (default "Login")
//     --type TEXT      then types TEXT into it and presses Return (XTEST) ...
//     --next T         ... and waits for the window titled T
//     --tab X,Y        then clicks at X,Y of that window, presses Right and waits for the
//                      last repaint (no drawing for --quiet ms)
//     --quiet MS       how long without drawing counts as done (default 300)
//   bench_probe --fill N    maps N named top-level windows and waits until killed
//   bench_probe --offscreen -- program args...
//                    runs the program offscreen with AP_PROBE_T0 set, for a program that
//                    times itself (bench/floors/SelfProbe.h)
//
// Output lines: "<name> <milliseconds>" and "<name>_kib <VmHWM in KiB>"; first_cpu: the
// program's processor time in milliseconds when its first window was drawn.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace {

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

long PeakKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// The processor time the program's live threads have had so far, in milliseconds (the first
// field of each thread's schedstat, in nanoseconds): unlike the wall-clock times, it hardly
// moves with the machine's load, though it leaves out the servers' work for the program.
double CpuMs(pid_t pid) {
    std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return -1;
    double ns = 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
        double value = 0;
        if (stat >> value)
            ns += value;
    }
    closedir(dir);
    return ns / 1e6;
}

struct Options {
    std::string title = "Login";
    std::string type;
    std::string next;
    int tabX = -1, tabY = -1;
    int quietMs = 300;
    int fill = -1;
    bool offscreen = false;
    char** command = nullptr;
};

class Probe {
public:
    explicit Probe(xcb_connection_t* c) : m_c(c) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c, &xcb_damage_id);
        if (!damage || !damage->present)
            Fail("the X server has no DAMAGE extension");
        m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));
        m_netName = Atom("_NET_WM_NAME");
        uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
    }

    // Blocks until the window titled title has been mapped and drawn into; returns the
    // times of both, or false after the timeout.
    bool WaitForPaint(const std::string& title, double* mapped, double* painted) {
        m_wanted = title;
        m_target = XCB_WINDOW_NONE;
        m_firstDamage = -1;
        while (m_firstDamage < 0) {
            if (!Next(20000))
                return false;
        }
        *mapped = m_mapped;
        *painted = m_firstDamage;
        return true;
    }

    // Reads events until nothing has been drawn for quietMs; the time of the last drawing.
    double WaitForQuiet(int quietMs) {
        m_lastDamage = -1;
        m_drawings = 0;
        while (Next(quietMs)) {
        }
        return m_lastDamage;
    }
    // Drawing requests seen by the last WaitForQuiet.
    int Drawings() const { return m_drawings; }

    void Focus() {
        xcb_set_input_focus(m_c, XCB_INPUT_FOCUS_POINTER_ROOT, m_target, XCB_CURRENT_TIME);
        free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }

    void Key(xcb_keysym_t keysym) {
        bool shift = false;
        xcb_keycode_t code = KeyCode(keysym, &shift);
        if (shift)
            Fake(XCB_KEY_PRESS, 50);
        Fake(XCB_KEY_PRESS, code);
        Fake(XCB_KEY_RELEASE, code);
        if (shift)
            Fake(XCB_KEY_RELEASE, 50);
        xcb_flush(m_c);
    }

    void Click(int x, int y) {
        xcb_translate_coordinates_reply_t* r = xcb_translate_coordinates_reply(
            m_c, xcb_translate_coordinates(m_c, m_target, m_root, x, y), nullptr);
        if (!r)
            Fail("the window went away");
        xcb_test_fake_input(m_c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, r->dst_x, r->dst_y,
                            0);
        free(r);
        Fake(XCB_BUTTON_PRESS, 1);
        Fake(XCB_BUTTON_RELEASE, 1);
        xcb_flush(m_c);
    }

    void PrintSize(const char* name) {
        xcb_get_geometry_reply_t* r =
            xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, m_target), nullptr);
        if (r)
            std::printf("%s %dx%d\n", name, r->width, r->height);
        free(r);
    }

    [[noreturn]] static void Fail(const std::string& why) {
        std::fprintf(stderr, "bench_probe: %s\n", why.c_str());
        std::exit(2);
    }

private:
    xcb_atom_t Atom(const char* name) {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        xcb_atom_t atom = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
        free(r);
        return atom;
    }

    std::string Title(xcb_window_t w) {
        auto netCookie = xcb_get_property(m_c, 0, w, m_netName, XCB_ATOM_ANY, 0, 256);
        auto nameCookie = xcb_get_property(m_c, 0, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256);
        std::string title;
        for (auto cookie : {netCookie, nameCookie}) {
            xcb_get_property_reply_t* r = xcb_get_property_reply(m_c, cookie, nullptr);
            if (r && title.empty() && r->format == 8)
                title.assign(static_cast<const char*>(xcb_get_property_value(r)),
                             static_cast<size_t>(xcb_get_property_value_length(r)));
            free(r);
        }
        return title;
    }

    // One event, waiting up to timeoutMs; false on timeout.
    bool Next(int timeoutMs) {
        xcb_generic_event_t* e = xcb_poll_for_event(m_c);
        if (!e) {
            pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
            if (poll(&fd, 1, timeoutMs) <= 0)
                return false;
            e = xcb_poll_for_event(m_c);
            if (!e) {
                if (xcb_connection_has_error(m_c))
                    Fail("the X connection broke");
                return true;
            }
        }
        double at = NowMs();
        uint8_t type = e->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            // Every new top-level window is watched for drawing before it is mapped, so its
            // first drawing cannot come before the watch.
            auto* create = reinterpret_cast<xcb_create_notify_event_t*>(e);
            xcb_damage_damage_t damage = xcb_generate_id(m_c);
            xcb_damage_create(m_c, damage, create->window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
            xcb_flush(m_c);
        } else if (type == XCB_MAP_NOTIFY) {
            auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
            if (m_target == XCB_WINDOW_NONE && !m_wanted.empty() &&
                Title(map->window) == m_wanted) {
                m_target = map->window;
                m_mapped = at;
            }
        } else if (type == m_damageEvent) {
            auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(e);
            m_lastDamage = at;
            ++m_drawings;
            if (damage->drawable == m_target && m_firstDamage < 0)
                m_firstDamage = at;
        }
        free(e);
        return true;
    }

    xcb_keycode_t KeyCode(xcb_keysym_t keysym, bool* shift) {
        const xcb_setup_t* setup = xcb_get_setup(m_c);
        uint8_t count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
        xcb_get_keyboard_mapping_reply_t* r = xcb_get_keyboard_mapping_reply(
            m_c, xcb_get_keyboard_mapping(m_c, setup->min_keycode, count), nullptr);
        if (!r)
            Fail("no keyboard mapping");
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
        xcb_keycode_t found = 0;
        for (int k = 0; k < count && !found; ++k)
            for (int i = 0; i < r->keysyms_per_keycode && i < 2; ++i)
                if (syms[k * r->keysyms_per_keycode + i] == keysym) {
                    found = static_cast<xcb_keycode_t>(setup->min_keycode + k);
                    *shift = i == 1;
                    break;
                }
        free(r);
        if (!found)
            Fail("no key for keysym " + std::to_string(keysym));
        return found;
    }

    void Fake(uint8_t type, uint8_t detail) {
        xcb_test_fake_input(m_c, type, detail, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    }

    xcb_connection_t* m_c;
    xcb_window_t m_root;
    xcb_atom_t m_netName;
    uint8_t m_damageEvent;
    std::string m_wanted;
    xcb_window_t m_target = XCB_WINDOW_NONE;
    double m_mapped = -1, m_firstDamage = -1, m_lastDamage = -1;
    int m_drawings = 0;
};

// Other clients' top-level windows, mapped and named, as a user's desktop holds them.
int Fill(int count) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        Probe::Fail("cannot open the display");
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    for (int i = 0; i < count; ++i) {
        xcb_window_t w = xcb_generate_id(c);
        uint32_t background = screen->white_pixel;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, (i * 7) % 900, (i * 5) % 700,
                          200, 120, 1, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL, &background);
        std::string name = "Window " + std::to_string(i + 1);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(name.size()), name.data());
        xcb_map_window(c, w);
    }
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    std::printf("ready\n");
    std::fflush(stdout);
    pause();
    return 0;
}

void Print(const char* name, double ms) {
    std::printf("%s %.2f\n", name, ms);
}

int Run(const Options& o) {
    if (o.offscreen) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        unsetenv("DISPLAY");
        setenv("AP_PROBE_TITLE", o.title.c_str(), 1);
        setenv("AP_PROBE_TYPE", o.type.c_str(), 1);
        setenv("AP_PROBE_NEXT", o.next.c_str(), 1);
        setenv("AP_PROBE_QUIET", std::to_string(o.quietMs).c_str(), 1);
        if (o.tabX >= 0)
            setenv("AP_PROBE_TAB", (std::to_string(o.tabX) + "," + std::to_string(o.tabY)).c_str(),
                   1);
        setenv("AP_PROBE_T0", std::to_string(NowMs()).c_str(), 1);
        execvp(o.command[0], o.command);
        Probe::Fail(std::string("cannot start ") + o.command[0]);
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        Probe::Fail("cannot open the display");
    if (!xcb_get_extension_data(c, &xcb_test_id)->present)
        Probe::Fail("the X server has no XTEST extension");
    Probe probe(c);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    double start = NowMs();
    pid_t child = fork();
    if (child == 0) {
        execvp(o.command[0], o.command);
        _exit(127);
    }
    int result = 0;
    double mapped = 0, painted = 0;
    if (!probe.WaitForPaint(o.title, &mapped, &painted)) {
        std::fprintf(stderr, "bench_probe: no window \"%s\"\n", o.title.c_str());
        result = 1;
    } else {
        Print("first_mapped", mapped - start);
        Print("first_painted", painted - start);
        std::printf("first_kib %ld\n", PeakKiB(child));
        Print("first_cpu", CpuMs(child));
        probe.PrintSize("first_size");
        if (!o.next.empty()) {
            probe.WaitForQuiet(o.quietMs);
            probe.Focus();
            for (char ch : o.type)
                probe.Key(static_cast<unsigned char>(ch));
            probe.WaitForQuiet(o.quietMs);
            double pressed = NowMs();
            probe.Key(0xff0d); // Return
            if (!probe.WaitForPaint(o.next, &mapped, &painted)) {
                std::fprintf(stderr, "bench_probe: no window \"%s\"\n", o.next.c_str());
                result = 1;
            } else {
                Print("next_painted", painted - pressed);
                probe.PrintSize("next_size");
                probe.WaitForQuiet(o.quietMs);
                std::printf("next_kib %ld\n", PeakKiB(child));
            }
        }
        if (result == 0 && o.tabX >= 0) {
            probe.Focus();
            probe.Click(o.tabX, o.tabY);
            probe.WaitForQuiet(o.quietMs);
            double pressed = NowMs();
            probe.Key(0xff53); // Right
            double last = probe.WaitForQuiet(o.quietMs);
            if (last < 0) {
                std::fprintf(stderr, "bench_probe: nothing was drawn after the tab key\n");
                result = 1;
            } else {
                Print("tab_repainted", last - pressed);
                std::printf("tab_drawings %d\n", probe.Drawings());
            }
        }
    }
    if (const char* hold = std::getenv("BENCH_PROBE_HOLD_MS")) // to look at the window
        usleep(static_cast<useconds_t>(std::atoi(hold)) * 1000);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    xcb_disconnect(c);
    std::fflush(stdout);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&] {
            if (i + 1 >= argc)
                Probe::Fail("no value for " + a);
            return std::string(argv[++i]);
        };
        if (a == "--") {
            ++i;
            break;
        } else if (a == "--title") {
            o.title = value();
        } else if (a == "--type") {
            o.type = value();
        } else if (a == "--next") {
            o.next = value();
        } else if (a == "--tab") {
            std::string v = value();
            if (std::sscanf(v.c_str(), "%d,%d", &o.tabX, &o.tabY) != 2)
                Probe::Fail("--tab takes X,Y");
        } else if (a == "--quiet") {
            o.quietMs = std::atoi(value().c_str());
        } else if (a == "--fill") {
            o.fill = std::atoi(value().c_str());
        } else if (a == "--offscreen") {
            o.offscreen = true;
        } else {
            Probe::Fail("unknown option " + a);
        }
    }
    if (o.fill >= 0)
        return Fill(o.fill);
    if (i >= argc)
        Probe::Fail("no program to run");
    o.command = argv + i;
    return Run(o);
}
