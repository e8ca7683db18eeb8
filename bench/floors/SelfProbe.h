// Offscreen there is no X server to watch from outside, so a program started by
// "bench_probe --offscreen" times itself: the first paint of the window titled
// $AP_PROBE_TITLE after $AP_PROBE_T0 (the probe's clock when it started the program), then
// as the X probe does: types $AP_PROBE_TYPE and Return, waits for $AP_PROBE_NEXT painted,
// clicks at $AP_PROBE_TAB (x,y) and presses Right, and waits for the last repaint. It prints
// the probe's lines and ends the process. Nothing happens when AP_PROBE_T0 is not set.
// Only Qt here: the floors include it, and so does the utility's bench program.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace selfprobe {

inline double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

inline long PeakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

class SelfProbe : public QObject {
public:
    SelfProbe() {
        m_t0 = std::atof(qgetenv("AP_PROBE_T0").constData());
        m_title = QString::fromUtf8(qgetenv("AP_PROBE_TITLE"));
        if (m_title.isEmpty())
            m_title = QStringLiteral("Login");
        m_type = QString::fromUtf8(qgetenv("AP_PROBE_TYPE"));
        m_next = QString::fromUtf8(qgetenv("AP_PROBE_NEXT"));
        if (std::sscanf(qgetenv("AP_PROBE_TAB").constData(), "%d,%d", &m_tabX, &m_tabY) != 2)
            m_tabX = -1;
        m_quiet.setSingleShot(true);
        m_quiet.setInterval(qEnvironmentVariableIntValue("AP_PROBE_QUIET") > 0
                                ? qEnvironmentVariableIntValue("AP_PROBE_QUIET")
                                : 300);
        connect(&m_quiet, &QTimer::timeout, this, [this] { Quiet(); });
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        double at = NowMs();
        m_lastPaint = at;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        if (m_stage == kFirst && window->windowTitle() == m_title) {
            std::printf("first_painted %.2f\nfirst_kib %ld\n", at - m_t0, PeakKiB());
            m_window = window;
            if (m_next.isEmpty() && m_tabX < 0)
                End();
            m_stage = kFirstQuiet;
        } else if (m_stage == kNext && window->windowTitle() == m_next) {
            std::printf("next_painted %.2f\n", at - m_pressed);
            m_window = window;
            m_stage = kNextQuiet;
        }
        m_quiet.start();
        return false;
    }

private:
    enum Stage { kFirst, kFirstQuiet, kNext, kNextQuiet, kClicked, kTab };

    static QWidget* Focus(QWidget* window) {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus : window;
    }

    void Quiet() {
        if (m_stage == kFirstQuiet && !m_next.isEmpty()) {
            QTest::keyClicks(Focus(m_window), m_type);
            m_stage = kNext;
            m_pressed = NowMs();
            QTest::keyClick(Focus(m_window), Qt::Key_Return);
        } else if ((m_stage == kFirstQuiet || m_stage == kNextQuiet) && m_tabX >= 0) {
            if (m_stage == kNextQuiet)
                std::printf("next_kib %ld\n", PeakKiB());
            QPoint at(m_tabX, m_tabY);
            QWidget* target = m_window->childAt(at);
            if (!target)
                target = m_window;
            QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(m_window, at));
            m_stage = kClicked;
            m_quiet.start();
        } else if (m_stage == kClicked) {
            m_stage = kTab;
            m_lastPaint = -1;
            m_pressed = NowMs();
            QTest::keyClick(Focus(m_window), Qt::Key_Right);
            m_quiet.start();
        } else if (m_stage == kTab) {
            if (m_lastPaint < 0)
                std::fprintf(stderr, "nothing was painted after the tab key\n");
            else
                std::printf("tab_repainted %.2f\n", m_lastPaint - m_pressed);
            End();
        } else if (m_stage == kNextQuiet) {
            std::printf("next_kib %ld\n", PeakKiB());
            End();
        }
    }

    [[noreturn]] static void End() {
        std::fflush(stdout);
        std::_Exit(0);
    }

    double m_t0 = 0, m_pressed = 0, m_lastPaint = -1;
    QString m_title, m_type, m_next;
    int m_tabX = -1, m_tabY = -1;
    Stage m_stage = kFirst;
    QWidget* m_window = nullptr;
    QTimer m_quiet;
};

// Call once the application object exists.
inline void InstallIfAsked() {
    if (qEnvironmentVariableIsSet("AP_PROBE_T0"))
        new SelfProbe;
}

} // namespace selfprobe
