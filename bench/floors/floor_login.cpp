// Floor of the start-up and of the login: a bare Qt dialog of the login's pixel size with the
// same nine widgets, placed by hand. Enter reads the device once (the socket contract, in a
// few lines) and opens a dialog of the main dialog's size, which reads it once more before it
// is shown, with the main dialog's widgets placed by hand (MainFloor.h: the tabs, the first
// page's widgets, the four buttons): the toolkit's and the device's share of logging in.
//   floor_login LOGIN_WxH MAIN_WxH      (the pixel sizes of the utility's two dialogs)
#include "MainFloor.h"
#include "QtFloor.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool SendAll(int fd, const void* data, size_t size) {
    return send(fd, data, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size);
}

bool ReceiveAll(int fd, void* data, size_t size) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        ssize_t n = recv(fd, p, size, 0);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Open, one read of the current configuration, close: what the utility's read asks of the
// device. The host is little-endian, as the contract's integers are.
bool ReadDevice() {
    std::string dir = qEnvironmentVariable("AP_DEVICE_DIR").toStdString();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s/DfuDevice0", dir.c_str());
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0)
            close(fd);
        return false;
    }
    const uint32_t open[4] = {0x4E45504F, 1, 0xC0000000, 1};
    const uint32_t request[4] = {0x4C54434F, 0x222004, 1, 1024};
    const uint8_t current = 1;
    const uint32_t closing = 0x534F4C43;
    uint32_t status = 1, reply[2] = {1, 0}, closed = 1;
    uint8_t data[1024];
    bool ok = SendAll(fd, open, sizeof open) && ReceiveAll(fd, &status, 4) && status == 0 &&
              SendAll(fd, request, sizeof request) && SendAll(fd, &current, 1) &&
              ReceiveAll(fd, reply, sizeof reply) && reply[0] == 0 && reply[1] == sizeof data &&
              ReceiveAll(fd, data, sizeof data) && SendAll(fd, &closing, 4) &&
              ReceiveAll(fd, &closed, 4);
    close(fd);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qtfloor::Start();
    QSize loginSize = qtfloor::SizeArgument(argc > 1 ? argv[1] : nullptr, QSize(280, 142));
    QSize mainSize = qtfloor::SizeArgument(argc > 2 ? argv[2] : nullptr, QSize(280, 142));
    // The login's layout in its own units (187 x 87), scaled to its pixel size.
    auto at = [&](int x, int y, int cx, int cy) {
        return QRect(x * loginSize.width() / 187, y * loginSize.height() / 87,
                     cx * loginSize.width() / 187, cy * loginSize.height() / 87);
    };
    QDialog login;
    login.setWindowTitle(QStringLiteral("Login"));
    login.setFixedSize(loginSize);
    const char* labels[] = {"Password :", "New Password :", "Confirm New Password :"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromLatin1(labels[i]), &login);
        label->setGeometry(at(13, 7 + 18 * i + (i == 2), 82, 14));
        label->setEnabled(i == 0);
        auto* edit = new QLineEdit(&login);
        edit->setEchoMode(QLineEdit::Password);
        edit->setGeometry(at(98, 7 + 18 * i + (i == 2), 75, 14));
        edit->setEnabled(i == 0);
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), &login);
    ok->setGeometry(at(7, 66, 50, 14));
    ok->setDefault(true);
    (new QPushButton(QStringLiteral("Cancel"), &login))->setGeometry(at(67, 66, 50, 14));
    auto* change = new QPushButton(QStringLiteral("Change"), &login);
    change->setCheckable(true);
    change->setGeometry(at(127, 66, 50, 14));
    QObject::connect(ok, &QPushButton::clicked, &login, &QDialog::accept);
    if (login.exec() != QDialog::Accepted || !ReadDevice())
        return 1;
    QDialog main;
    main.setWindowTitle(QStringLiteral("Main floor"));
    main.setFixedSize(mainSize);
    if (!ReadDevice())
        return 1;
    const mainfloor::Layout layout(mainSize);
    layout.Tabs(&main);
    layout.WirelessPage(&main);
    layout.Buttons(&main);
    main.exec();
    return 0;
}
