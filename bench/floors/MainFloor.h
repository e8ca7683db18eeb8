// The main dialog's widgets placed by hand, as the floors build them: the tab bar and its
// frame where the utility has its tab control, the Wireless page's widgets by kind and number
// with texts, and the four buttons. Only Qt here.
#pragma once

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QTabBar>
#include <QWidget>

namespace mainfloor {

class Layout {
public:
    explicit Layout(QSize size) : m_size(size) {}

    // The main dialog's units (256 x 217), scaled to its pixel size.
    QRect At(int x, int y, int cx, int cy) const {
        return QRect(x * m_size.width() / 256, y * m_size.height() / 217, cx * m_size.width() / 256,
                     cy * m_size.height() / 217);
    }

    QTabBar* Tabs(QWidget* dialog) const {
        auto* frame = new QFrame(dialog);
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
        frame->setGeometry(At(10, 17, 236, 168));
        auto* bar = new QTabBar(dialog);
        bar->setDrawBase(false);
        bar->setFocusPolicy(Qt::StrongFocus);
        for (const char* text : {"Wireless", "Encryption", "IP Config", "Advanced", "Info"})
            bar->addTab(QString::fromLatin1(text));
        bar->move(At(10, 5, 0, 0).topLeft());
        bar->resize(bar->sizeHint());
        return bar;
    }

    // Every kind of widget of the page, and most of the letters, drawn as the utility draws
    // its first page.
    QWidget* WirelessPage(QWidget* parent) const {
        auto* page = new QWidget(parent);
        page->setGeometry(At(15, 20, 225, 160));
        (new QGroupBox(page))->setGeometry(At(0, 0, 225, 98));
        (new QGroupBox(page))->setGeometry(At(0, 97, 225, 62));
        const char* labels[] = {
            "Access Point Name :", "Wireless ESSID :",   "Operational Rate Set :",
            "Wireless Channel :",  "Operational Mode :", "Preferred BSSID :"};
        const int ly[] = {13, 33, 53, 73, 113, 133};
        for (int i = 0; i < 6; ++i)
            (new QLabel(QString::fromLatin1(labels[i]), page))->setGeometry(At(13, ly[i], 70, 14));
        (new QLineEdit(QStringLiteral("Access Point"), page))->setGeometry(At(91, 13, 116, 14));
        (new QLineEdit(QStringLiteral("Wireless"), page))->setGeometry(At(91, 33, 116, 14));
        const QStringList items[] = {{"1 Mbps", "2 Mbps", "5.5 Mbps", "11 Mbps", "Auto"},
                                     {"Channel 1", "Channel 6", "Channel 11"},
                                     {"Access Point", "Access Point Client",
                                      "WBridge Point to Point", "WBridge Point to MultiPoint",
                                      "Wireless Repeater"}};
        const int cy[] = {53, 73, 113};
        for (int i = 0; i < 3; ++i) {
            auto* combo = new QComboBox(page);
            combo->addItems(items[i]);
            combo->setGeometry(At(91, cy[i], 116, 12));
        }
        for (int i = 0; i < 6; ++i) {
            auto* edit = new QLineEdit(QStringLiteral("0A"), page);
            edit->setAlignment(Qt::AlignCenter);
            edit->setGeometry(At(91 + 20 * i, 133, 16, 14));
        }
        page->show();
        return page;
    }

    // OK (the default), Apply, Default and Cancel under the tabs.
    void Buttons(QWidget* dialog) const {
        const char* texts[] = {"OK", "Apply", "Default", "Cancel"};
        for (int i = 0; i < 4; ++i) {
            auto* button = new QPushButton(QString::fromLatin1(texts[i]), dialog);
            button->setGeometry(At(21 + 58 * i, 194, 50, 14));
            button->setDefault(i == 0);
        }
    }

private:
    QSize m_size;
};

} // namespace mainfloor
