// What a screen reader reads for every field of the login dialog and the pages: the name
// of each edit, list and address part, as the accessibility layer hands it to AT-SPI.
#include "PageFixture.h"
#include "app/LoginDlg.h"
#include "pages/AdvancedPage.h"
#include "pages/EncryptionPage.h"
#include "pages/InfoPage.h"
#include "pages/IpConfigPage.h"
#include "pages/WirelessPage.h"

#include <QAccessible>
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
    for (QWidget* w : dialog.GetWidget()->findChildren<QWidget*>()) {
        if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w))
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
struct Row {
    UINT templateId;
    const char* name;
    std::vector<int> ids;
    bool parts = false;
};

const Row kRows[] = {
    {IDD_LOGIN, "Password", {1098}},
    {IDD_LOGIN, "New Password", {1099}},
    {IDD_LOGIN, "Confirm New Password", {1004}},
    {IDD_WIRELESS, "Access Point Name", {1002}},
    {IDD_WIRELESS, "Wireless ESSID", {1003}},
    {IDD_WIRELESS, "Operational Rate Set", {1008}},
    {IDD_WIRELESS, "Wireless Channel", {1007}},
    {IDD_WIRELESS, "Operational Mode", {1006}},
    {IDD_WIRELESS, "Preferred BSSID byte", {1014, 1015, 1016, 1017, 1018, 1019}},
    {IDD_IPCONFIG, "IP Address part", {1076}, true},
    {IDD_IPCONFIG, "Subnet Mask part", {1077}, true},
    {IDD_IPCONFIG, "Gateway part", {1078}, true},
    {IDD_IPCONFIG, "DHCP Client", {1074}},
    {IDD_IPCONFIG, "Primary Port", {1075}},
    {IDD_ENCRYPTION, "WEP Type", {1083}},
    {IDD_ENCRYPTION, "Auth. Type", {1084}},
    {IDD_ENCRYPTION, "Active Key ID", {1076}},
    {IDD_ENCRYPTION, "64 bit Key1 byte", {1058, 1057, 1056, 1055, 1054}},
    {IDD_ENCRYPTION, "64 bit Key2 byte", {1063, 1062, 1061, 1060, 1059}},
    {IDD_ENCRYPTION, "64 bit Key3 byte", {1068, 1067, 1066, 1065, 1064}},
    {IDD_ENCRYPTION, "64 bit Key4 byte", {1073, 1072, 1071, 1070, 1069}},
    {IDD_ENCRYPTION,
     "128 bit Key1 byte",
     {1085, 1013, 1012, 1011, 1086, 1087, 1088, 1005, 1006, 1007, 1008, 1009, 1010}},
    {IDD_ENCRYPTION,
     "128 bit Key2 byte",
     {1027, 1026, 1025, 1024, 1089, 1090, 1091, 1092, 1093, 1020, 1021, 1022, 1023}},
    {IDD_ENCRYPTION,
     "128 bit Key3 byte",
     {1040, 1039, 1038, 1037, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036}},
    {IDD_ENCRYPTION,
     "128 bit Key4 byte",
     {1053, 1052, 1051, 1050, 1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048, 1049}},
    {IDD_ADVANCED, "Fragment Threshold", {1077}},
    {IDD_ADVANCED, "RTS/CTS Threshold", {1078}},
    {IDD_ADVANCED, "Beacon Period(ms)", {1079}},
    {IDD_ADVANCED, "Preamble", {1080}},
    {IDD_ADVANCED, "Antenna Select", {1081}},
    {IDD_ADVANCED, "SSID Broadcasting", {1082}},
    {IDD_ADVANCED, "International Roaming", {1083}},
}; // the Info page has no fields: its values are labels, read by their text

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
// selected in its items.
TEST_F(AccessibleNamesTest, ListValueIsTheItemChosen) {
    Open(g_wirelessPage, IDD_WIRELESS);
    auto* channel = Get<QComboBox>(1007);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(channel);
    ASSERT_EQ(list->childCount(), 1);
    QAccessibleInterface* items = list->child(0);
    ASSERT_EQ(items->role(), QAccessible::List);
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
