// What a screen reader reads for every field of the login dialog and the pages: the name
// of each edit, list and address part, as the accessibility layer hands it to AT-SPI.
#include "PageFixture.h"
#include "app/LoginDlg.h"
#include "pages/AdvancedPage.h"
#include "pages/EncryptionPage.h"
#include "pages/InfoPage.h"
#include "pages/IpConfigPage.h"
#include "pages/WirelessPage.h"
#include "platform/qt/ValueText.h"
#include "resources/Dialog129Ids.h"
#include "resources/Dialog130Ids.h"
#include "resources/Dialog131Ids.h"
#include "resources/Dialog132Ids.h"
#include "resources/Dialog134Ids.h"
#include "resources/Dialog136Ids.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <iterator>
#include <map>
#include <vector>

namespace {

using Names = std::map<std::string, std::string>; // field (ctlID or ctlID/fieldN) -> name

std::string Read(QWidget* w, QAccessible::Text text) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(text).toStdString() : std::string();
}

// Every field a user can reach in the dialog, with the name it is read by.
Names FieldNames(CWnd& dialog) {
    Names names;
    for (QWidget* w : qt::GetWidget(dialog)->findChildren<QWidget*>()) {
        if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w) &&
            !qobject_cast<ValueText*>(w))
            continue;
        std::string path = w->objectName().toStdString();
        if (path.rfind("field", 0) == 0) // a part of an address field
            path = w->parentWidget()->objectName().toStdString() + "/" + path;
        names[path] = Read(w, QAccessible::Name);
    }
    return names;
}

// The names a screen reader must read. A row of several fields names them "<name> 1",
// "<name> 2", ... in order; so does a row of address parts (the four of one field).
template <std::size_t N> std::vector<int> Ids(const int (&row)[N]) {
    return {std::begin(row), std::end(row)};
}

struct Row {
    UINT templateId;
    const char* name;
    std::vector<int> ids;
    bool parts = false;
};

const Row kRows[] = {
    {IDD_LOGIN, "Password", {IDC_PASSWORD}},
    {IDD_LOGIN, "New Password", {IDC_NEW_PASSWORD}},
    {IDD_LOGIN, "Confirm New Password", {IDC_CONFIRM_PASSWORD}},
    {IDD_WIRELESS, "Access Point Name", {IDC_NAME}},
    {IDD_WIRELESS, "Wireless ESSID", {IDC_ESSID}},
    {IDD_WIRELESS, "Operational Rate Set", {IDC_RATE}},
    {IDD_WIRELESS, "Wireless Channel", {IDC_CHANNEL}},
    {IDD_WIRELESS, "Operational Mode", {IDC_MODE}},
    {IDD_WIRELESS,
     "Preferred BSSID byte",
     {IDC_BSSID0, IDC_BSSID1, IDC_BSSID2, IDC_BSSID3, IDC_BSSID4, IDC_BSSID5}},
    {IDD_IPCONFIG, "IP Address part", {IDC_IP_ADDRESS}, true},
    {IDD_IPCONFIG, "Subnet Mask part", {IDC_SUBNET_MASK}, true},
    {IDD_IPCONFIG, "Gateway part", {IDC_GATEWAY}, true},
    {IDD_IPCONFIG, "DHCP Client", {IDC_DHCP}},
    {IDD_IPCONFIG, "Primary Port", {IDC_PRIMARY_PORT}},
    {IDD_ENCRYPTION, "WEP Type", {IDC_WEP_TYPE}},
    {IDD_ENCRYPTION, "Auth. Type", {IDC_AUTH_TYPE}},
    {IDD_ENCRYPTION, "Active Key ID", {IDC_ACTIVE_KEY}},
    {IDD_ENCRYPTION, "64 bit Key1 byte", Ids(kKey64Ids[0])},
    {IDD_ENCRYPTION, "64 bit Key2 byte", Ids(kKey64Ids[1])},
    {IDD_ENCRYPTION, "64 bit Key3 byte", Ids(kKey64Ids[2])},
    {IDD_ENCRYPTION, "64 bit Key4 byte", Ids(kKey64Ids[3])},
    {IDD_ENCRYPTION, "128 bit Key1 byte", Ids(kKey128Ids[0])},
    {IDD_ENCRYPTION, "128 bit Key2 byte", Ids(kKey128Ids[1])},
    {IDD_ENCRYPTION, "128 bit Key3 byte", Ids(kKey128Ids[2])},
    {IDD_ENCRYPTION, "128 bit Key4 byte", Ids(kKey128Ids[3])},
    {IDD_ADVANCED, "Fragment Threshold", {IDC_FRAGMENT}},
    {IDD_ADVANCED, "RTS/CTS Threshold", {IDC_RTS}},
    {IDD_ADVANCED, "Beacon Period(ms)", {IDC_BEACON}},
    {IDD_ADVANCED, "Preamble", {IDC_PREAMBLE}},
    {IDD_ADVANCED, "Antenna Select", {IDC_ANTENNA}},
    {IDD_ADVANCED, "SSID Broadcasting", {IDC_SSID_BROADCAST}},
    {IDD_ADVANCED, "International Roaming", {IDC_ROAMING}},
    {IDD_INFO, "Utility Version", {IDC_UTILITY_VERSION}}, // values: read-only text
    {IDD_INFO, "Firmware Version", {IDC_FIRMWARE}},
    {IDD_INFO, "Regulation Domain", {IDC_REGULATION}},
    {IDD_INFO, "MAC Address", {IDC_MAC}},
};

std::string Numbered(const char* name, size_t i) {
    return name + (" " + std::to_string(i + 1));
}

Names Expected(UINT templateId) {
    Names names;
    for (const Row& row : kRows) {
        const std::string ctl = "ctl" + std::to_string(row.ids.front());
        if (row.templateId != templateId)
            continue;
        if (row.parts) {
            for (size_t i = 0; i < 4; ++i)
                names[ctl + "/field" + std::to_string(i)] = Numbered(row.name, i);
        } else if (row.ids.size() == 1) {
            names[ctl] = row.name;
        } else {
            for (size_t i = 0; i < row.ids.size(); ++i)
                names["ctl" + std::to_string(row.ids[i])] = Numbered(row.name, i);
        }
    }
    return names;
}

class AccessibleNamesTest : public PageFixture {};

TEST_F(AccessibleNamesTest, EveryFieldOfEveryPageHasItsName) {
    const std::pair<CPageDialog*, UINT> pages[] = {{&g_wirelessPage, IDD_WIRELESS},
                                                   {&g_ipConfigPage, IDD_IPCONFIG},
                                                   {&g_encryptionPage, IDD_ENCRYPTION},
                                                   {&g_infoPage, IDD_INFO},
                                                   {&g_advancedPage, IDD_ADVANCED}};
    for (const auto& [page, templateId] : pages) {
        SCOPED_TRACE(templateId);
        Open(*page, templateId);
        EXPECT_EQ(FieldNames(*page), Expected(templateId));
        page->DestroyWindow();
    }
}

TEST_F(AccessibleNamesTest, LoginFieldsAreToldApart) {
    CLoginDlg login;
    Names names;
    WhenModal([&] {
        names = FieldNames(login);
        login.EndDialog(IDCANCEL);
    });
    login.DoModal();
    EXPECT_EQ(names, Expected(IDD_LOGIN));
}

// A list is named by what it chooses; the item chosen is its value, its text and the one
// selected in its items. The page's opening does not make the list of items: the one made
// when first asked for marks the item chosen before.
TEST_F(AccessibleNamesTest, ListValueIsTheItemChosen) {
    Open(g_wirelessPage, IDD_WIRELESS);
    auto* channel = Get<QComboBox>(IDC_CHANNEL);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(channel);
    ASSERT_EQ(list->childCount(), 1);
    QTest::keyClick(channel, Qt::Key_Home); // the first item, then the second, the list closed
    QTest::keyClick(channel, Qt::Key_Down);
    EXPECT_EQ(channel->findChild<QAbstractItemView*>(), nullptr);
    QAccessibleInterface* items = list->child(0);
    ASSERT_EQ(items->role(), QAccessible::List);
    for (int i = 0; i < items->childCount(); ++i)
        EXPECT_EQ(items->child(i)->state().selected, i == 1) << i;
    EXPECT_EQ(items->childCount(), channel->count());
    for (int index : {0, 5, channel->count() - 1}) {
        PickItem(channel, index);
        EXPECT_EQ(Read(channel, QAccessible::Name), "Wireless Channel");
        const std::string chosen = channel->itemText(index).toStdString();
        EXPECT_EQ(Read(channel, QAccessible::Value), chosen);
        EXPECT_EQ(list->textInterface()->text(0, -1).toStdString(), chosen);
        for (int i = 0; i < items->childCount(); ++i) // only the item chosen is selected
            EXPECT_EQ(items->child(i)->state().selected, i == index) << i;
    }
}

} // namespace
