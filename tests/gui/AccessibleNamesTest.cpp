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

// Names "<stem>1", "<stem>2", ... for the fields with these ids, in order.
void AddNumbered(Names* names, const std::string& stem, std::vector<std::string> fields) {
    for (size_t i = 0; i < fields.size(); ++i)
        (*names)[fields[i]] = stem + std::to_string(i + 1);
}

void AddKey(Names* names, const std::string& stem, std::vector<int> ids) {
    std::vector<std::string> fields;
    for (int id : ids)
        fields.push_back("ctl" + std::to_string(id));
    AddNumbered(names, stem, fields);
}

Names Parts(int id, const std::string& stem) {
    Names names;
    std::string ctl = "ctl" + std::to_string(id) + "/field";
    AddNumbered(&names, stem, {ctl + "0", ctl + "1", ctl + "2", ctl + "3"});
    return names;
}

Names Merge(std::initializer_list<Names> parts) {
    Names all;
    for (const Names& part : parts)
        all.insert(part.begin(), part.end());
    return all;
}

Names WirelessNames() {
    Names names{{"ctl1002", "Access Point Name"},
                {"ctl1003", "Wireless ESSID"},
                {"ctl1008", "Operational Rate Set"},
                {"ctl1007", "Wireless Channel"},
                {"ctl1006", "Operational Mode"}};
    AddKey(&names, "Preferred BSSID byte ", {1014, 1015, 1016, 1017, 1018, 1019});
    return names;
}

Names EncryptionNames() {
    Names names{{"ctl1083", "WEP Type"}, {"ctl1084", "Auth. Type"}, {"ctl1076", "Active Key ID"}};
    AddKey(&names, "64 bit Key1 byte ", {1058, 1057, 1056, 1055, 1054});
    AddKey(&names, "64 bit Key2 byte ", {1063, 1062, 1061, 1060, 1059});
    AddKey(&names, "64 bit Key3 byte ", {1068, 1067, 1066, 1065, 1064});
    AddKey(&names, "64 bit Key4 byte ", {1073, 1072, 1071, 1070, 1069});
    AddKey(&names, "128 bit Key1 byte ",
           {1085, 1013, 1012, 1011, 1086, 1087, 1088, 1005, 1006, 1007, 1008, 1009, 1010});
    AddKey(&names, "128 bit Key2 byte ",
           {1027, 1026, 1025, 1024, 1089, 1090, 1091, 1092, 1093, 1020, 1021, 1022, 1023});
    AddKey(&names, "128 bit Key3 byte ",
           {1040, 1039, 1038, 1037, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036});
    AddKey(&names, "128 bit Key4 byte ",
           {1053, 1052, 1051, 1050, 1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048, 1049});
    return names;
}

struct PageCase {
    CPageDialog* page;
    UINT templateId;
    Names names;
};

class AccessibleNamesTest : public PageFixture {};

TEST_F(AccessibleNamesTest, EveryFieldOfEveryPageHasItsName) {
    const PageCase cases[] = {
        {&g_wirelessPage, IDD_WIRELESS, WirelessNames()},
        {&g_ipConfigPage, IDD_IPCONFIG,
         Merge({Parts(1076, "IP Address part "),
                Parts(1077, "Subnet Mask part "),
                Parts(1078, "Gateway part "),
                {{"ctl1074", "DHCP Client"}, {"ctl1075", "Primary Port"}}})},
        {&g_encryptionPage, IDD_ENCRYPTION, EncryptionNames()},
        {&g_infoPage, IDD_INFO, {}}, // values only, read by their text
        {&g_advancedPage,
         IDD_ADVANCED,
         {{"ctl1077", "Fragment Threshold"},
          {"ctl1078", "RTS/CTS Threshold"},
          {"ctl1079", "Beacon Period(ms)"},
          {"ctl1080", "Preamble"},
          {"ctl1081", "Antenna Select"},
          {"ctl1082", "SSID Broadcasting"},
          {"ctl1083", "International Roaming"}}},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.templateId);
        Open(*c.page, c.templateId);
        EXPECT_EQ(FieldNames(*c.page), c.names);
        c.page->DestroyWindow();
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
    EXPECT_EQ(names, (Names{{"ctl1098", "Password"},
                            {"ctl1099", "New Password"},
                            {"ctl1004", "Confirm New Password"}}));
}

// A list is named by what it chooses; the item chosen is its value, and its items are
// reached through it.
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
        EXPECT_EQ(Read(channel, QAccessible::Value), channel->itemText(index).toStdString());
        for (int i = 0; i < items->childCount(); ++i) // only the item chosen is selected
            EXPECT_EQ(items->child(i)->state().selected, i == index) << i;
    }
}

} // namespace
