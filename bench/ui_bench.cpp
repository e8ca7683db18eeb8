// Warm, in-process figures: the dialogs beside floors built in the same process, each
// repeated many times: the login dialog shown vs a bare dialog of the same size; the main
// dialog opened (read, key file, first page); the Encryption page created vs a bare widget
// with 72 line edits. The figures a user sees (first time, whole process) are taken by
// scripts/bench.sh with bench_probe and the floors in bench/floors/.
// "--app" instead runs the utility itself, as ap-utility does, timed by SelfProbe when
// started by "bench_probe --offscreen".
#include "Emulator.h"
#include "SelfProbe.h"
#include "TempFolder.h"
#include "app/ConfigApp.h"
#include "app/LoginDlg.h"
#include "app/MainDlg.h"
#include "pages/EncryptionPage.h"
#include "platform/qt/QtDialogUnits.h"
#include "qt/QtHost.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

QSize DialogSize(UINT id) {
    const DialogTemplate* t = FindDialogTemplate(id);
    DialogUnits u = DialogUnits::ForFont(TemplateFont(*t));
    return QSize(u.X(t->cx), u.Y(t->cy));
}

void EndWhenShown(CDialog& dialog) {
    QTimer::singleShot(0, [&dialog] { dialog.EndDialog(IDCANCEL); });
}

// Each run: a new dialog of the class, shown modal and ended as soon as it is up.
template <class Dialog> void ShowEachRun(benchmark::State& state) {
    for (auto _ : state) {
        Dialog dialog;
        EndWhenShown(dialog);
        dialog.DoModal();
    }
}

void ShowBareDialog(QSize size) {
    QDialog bare;
    bare.setFixedSize(size);
    QTimer::singleShot(0, &bare, [&bare] { bare.done(0); });
    bare.exec();
}

void BM_BareDialogShown(benchmark::State& state) {
    QSize size = DialogSize(IDD_LOGIN);
    for (auto _ : state)
        ShowBareDialog(size);
}
BENCHMARK(BM_BareDialogShown)->Unit(benchmark::kMicrosecond);

// The same widgets as the login dialog, placed by hand: the toolkit's cost of its content.
void BM_BareDialogWithLoginControls(benchmark::State& state) {
    QSize size = DialogSize(IDD_LOGIN);
    for (auto _ : state) {
        QDialog bare;
        bare.setFixedSize(size);
        for (int i = 0; i < 3; ++i) {
            (new QLabel(QStringLiteral("Password :"), &bare))
                ->setGeometry(20, 10 + 30 * i, 120, 22);
            auto* edit = new QLineEdit(&bare);
            edit->setEchoMode(QLineEdit::Password);
            edit->setGeometry(150, 10 + 30 * i, 120, 22);
            (new QPushButton(QStringLiteral("OK"), &bare))->setGeometry(10 + 90 * i, 110, 80, 24);
        }
        QTimer::singleShot(0, &bare, [&bare] { bare.done(0); });
        bare.exec();
    }
}
BENCHMARK(BM_BareDialogWithLoginControls)->Unit(benchmark::kMicrosecond);

void BM_LoginDialogShown(benchmark::State& state) {
    ShowEachRun<CLoginDlg>(state);
}
BENCHMARK(BM_LoginDialogShown)->Unit(benchmark::kMicrosecond);

void BM_MainDialogOpened(benchmark::State& state) {
    EmulatorProcess emu;
    ShowEachRun<CMainDlg>(state);
}
BENCHMARK(BM_MainDialogOpened)->Unit(benchmark::kMicrosecond);

// Each run: a page in a host window, the widgets fill puts on it, shown, then deleted.
template <class Fill> void ShowBarePageEachRun(benchmark::State& state, Fill fill) {
    QtHost host;
    for (auto _ : state) {
        auto* page = new QWidget(&host.widget);
        fill(page);
        page->show();
        QCoreApplication::processEvents();
        delete page;
    }
}

void BM_Bare72LineEdits(benchmark::State& state) {
    ShowBarePageEachRun(state, [](QWidget* page) {
        for (int i = 0; i < 72; ++i)
            (new QLineEdit(page))->setGeometry(10 + (i % 13) * 24, 10 + (i / 13) * 24, 22, 22);
    });
}
BENCHMARK(BM_Bare72LineEdits)->Unit(benchmark::kMicrosecond);

// The Encryption page's widgets by kind and number, placed by hand.
void BM_BareWidgetWithEncryptionControls(benchmark::State& state) {
    ShowBarePageEachRun(state, [](QWidget* page) {
        new QGroupBox(QStringLiteral("64 bit"), page);
        new QGroupBox(QStringLiteral("128 bit"), page);
        for (int i = 0; i < 3; ++i)
            (new QComboBox(page))->setGeometry(60, 10 + 24 * i, 90, 22);
        for (int i = 0; i < 11; ++i)
            (new QLabel(QStringLiteral("Key1"), page))->setGeometry(10, 10 + 20 * i, 30, 18);
        for (int i = 0; i < 72; ++i)
            (new QLineEdit(page))->setGeometry(10 + (i % 13) * 24, 90 + (i / 13) * 24, 22, 22);
    });
}
BENCHMARK(BM_BareWidgetWithEncryptionControls)->Unit(benchmark::kMicrosecond);

void BM_EncryptionPageShown(benchmark::State& state) {
    QtHost host;
    ConfigImage image;
    g_pConfigImage = &image;
    for (auto _ : state) {
        g_encryptionPage.Create(IDD_ENCRYPTION, &host.wnd);
        QCoreApplication::processEvents();
        g_encryptionPage.DestroyWindow();
    }
    g_pConfigImage = nullptr;
}
BENCHMARK(BM_EncryptionPageShown)->Unit(benchmark::kMicrosecond);

void InstallSelfProbe() {
    selfprobe::InstallIfAsked();
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--app") == 0) {
        qAddPreRoutine(InstallSelfProbe);
        // The utility sees its own command line: the program's name and no "--app".
        argv[1] = argv[0];
        return AfxWinMain(&theApp, argc - 1, argv + 1);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterResources();
    TempWorkingFolder folder; // the main dialog writes its key file here; removed at the end
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
