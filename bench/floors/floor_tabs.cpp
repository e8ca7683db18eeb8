// Floor of the switch to the Encryption page: a bare dialog of the main dialog's pixel size
// with a tab bar where the utility has its tabs, showing the Wireless page's widgets by kind
// and number (so each kind has been used once before the switch, as in the utility);
// picking the second tab deletes them, builds the Encryption page's 89 widgets by hand
// ("--edits": only 72 line edits) and shows them.
//   floor_tabs MAIN_WxH [--edits]
#include "MainFloor.h"
#include "QtFloor.h"

#include <QApplication>
#include <QDialog>
#include <cstring>

namespace {

QWidget* EncryptionPage(const mainfloor::Layout& layout, QWidget* parent, bool editsOnly) {
    auto At = [&](int x, int y, int cx, int cy) { return layout.At(x, y, cx, cy); };
    auto* page = new QWidget(parent);
    page->setGeometry(At(15, 20, 225, 160));
    if (!editsOnly) {
        (new QGroupBox(QStringLiteral("64 bit"), page))->setGeometry(At(1, 35, 223, 48));
        (new QGroupBox(QStringLiteral("128 bit"), page))->setGeometry(At(1, 86, 223, 73));
        const char* labels[] = {"WEP Type :", "Auth. Type :", "Active Key ID :"};
        const int lx[] = {3, 115, 115}, ly[] = {7, 7, 20}, cx[] = {44, 165, 165};
        const char* items[3][4] = {{"Disable", "64 bit", "128 bit", nullptr},
                                   {"Open System", "Shared Key", nullptr, nullptr},
                                   {"1", "2", "3", "4"}};
        for (int i = 0; i < 3; ++i) {
            (new QLabel(QString::fromLatin1(labels[i]), page))
                ->setGeometry(At(lx[i], ly[i], 45, 12));
            auto* combo = new QComboBox(page);
            for (const char* item : items[i])
                if (item)
                    combo->addItem(QString::fromLatin1(item));
            combo->setGeometry(At(cx[i], ly[i], 60, 12));
        }
        for (int i = 0; i < 8; ++i) {
            auto* label = new QLabel(QStringLiteral("Key%1").arg(i % 4 + 1), page);
            int x = i < 4 ? (i % 2 ? 121 : 9) : 9;
            int y = i < 4 ? 50 + 14 * (i / 2) : 99 + 14 * (i - 4);
            label->setGeometry(At(x, y, 20, 10));
        }
    }
    // 4 keys of 5 bytes, then 4 of 13.
    for (int i = 0; i < 72; ++i) {
        int x, y;
        if (i < 20) {
            int key = i / 5, byte = i % 5;
            x = (key % 2 ? 143 : 31) + 14 * byte;
            y = 48 + 14 * (key / 2);
        } else {
            int key = (i - 20) / 13, byte = (i - 20) % 13;
            x = 31 + 14 * byte;
            y = 97 + 14 * key;
        }
        auto* edit = new QLineEdit(QStringLiteral("00"), page);
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(2);
        edit->setGeometry(At(x, y, 15, 14));
    }
    page->show();
    return page;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qtfloor::Start();
    const QSize size = qtfloor::SizeArgument(argc > 1 ? argv[1] : nullptr, QSize(384, 434));
    const mainfloor::Layout layout(size);
    bool editsOnly = argc > 2 && std::strcmp(argv[2], "--edits") == 0;
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Tabs floor"));
    dialog.setFixedSize(size);
    QTabBar* bar = layout.Tabs(&dialog);
    QWidget* page = layout.WirelessPage(&dialog);
    QObject::connect(bar, &QTabBar::currentChanged, &dialog, [&](int index) {
        delete page;
        page = index == 1 ? EncryptionPage(layout, &dialog, editsOnly) : nullptr;
    });
    dialog.exec();
    return 0;
}
