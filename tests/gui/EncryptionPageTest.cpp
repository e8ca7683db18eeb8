// The Encryption page: lists, the 72 key fields, collecting groups into the key slots.
#include "pages/EncryptionPage.h"
#include "../shared/EncryptionPageCases.h"
#include "PageFixture.h"
#include "device/WepKeyTable.h"
#include "platform/DialogTemplate.h"
#include "platform/qt/EditWidget.h"
#include "resources/Dialog131Ids.h"

#include <QFontMetrics>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include <cstdio>

namespace {

class EncryptionPageTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        image->SetWepType(1);
        image->SetAuthType(0);
        image->SetActiveKeyId(1);
        for (int k = 0; k < 4; ++k) {
            for (int j = 0; j < 13; ++j)
                image->SetWepKeyByte(k, j, static_cast<BYTE>(0xC0 + k * 16 + j));
            for (int j = 0; j < 5; ++j)
                g_wepKeyTable.keys64[k][j] = static_cast<BYTE>(0x10 * (k + 1) + j);
            for (int j = 0; j < 13; ++j)
                g_wepKeyTable.keys128[k][j] = static_cast<BYTE>(0x80 + k * 16 + j);
        }
    }
    QLineEdit* Key64(int k, int j) { return Get<QLineEdit>(kKey64Ids[k][j]); }
    QLineEdit* Key128(int k, int j) { return Get<QLineEdit>(kKey128Ids[k][j]); }
    QLineEdit* Key(const EncryptionPageCases::Field& f) {
        return f.wide ? Key128(f.key, f.byte) : Key64(f.key, f.byte);
    }
    BYTE& TableByte(const EncryptionPageCases::Field& f) {
        return f.wide ? g_wepKeyTable.keys128[f.key][f.byte] : g_wepKeyTable.keys64[f.key][f.byte];
    }
    // The group of f enabled, the fields refilled from the key table.
    void ShowGroupOf(const EncryptionPageCases::Field& f) {
        image->SetWepType(f.wide ? 2 : 1);
        Refresh();
    }
    void ExpectEnabled(bool lists, bool keys64, bool keys128) {
        EXPECT_TRUE(Get<QComboBox>(IDC_WEP_TYPE)->isEnabled());
        EXPECT_EQ(Get<QComboBox>(IDC_AUTH_TYPE)->isEnabled(), lists);
        EXPECT_EQ(Get<QComboBox>(IDC_ACTIVE_KEY)->isEnabled(), lists);
        for (int k = 0; k < 4; ++k) {
            for (int j = 0; j < 5; ++j)
                ASSERT_EQ(Key64(k, j)->isEnabled(), keys64);
            for (int j = 0; j < 13; ++j)
                ASSERT_EQ(Key128(k, j)->isEnabled(), keys128);
        }
    }
};

TEST_F(EncryptionPageTest, EnablingFollowsTheWepType) {
    Open(g_encryptionPage, IDD_ENCRYPTION);
    EXPECT_EQ(Get<QComboBox>(IDC_WEP_TYPE)->currentText(), "64-bit");
    ExpectEnabled(true, true, false);
    EXPECT_EQ(Key128(3, 12)->text(), "BC"); // disabled, still showing the table's key
    image->SetWepType(0);
    Refresh();
    ExpectEnabled(false, false, false);
    image->SetWepType(2);
    Refresh();
    ExpectEnabled(true, false, true);
    image->SetWepType(7); // unlisted: no selection, states as they were
    Refresh();
    EXPECT_EQ(Get<QComboBox>(IDC_WEP_TYPE)->currentIndex(), -1);
    ExpectEnabled(true, false, true);
}

TEST_F(EncryptionPageTest, ListsLoadAndStore) {
    for (BYTE active : {0, 5}) {
        image->SetActiveKeyId(active);
        auto before = Snapshot();
        if (page && page->GetSafeHwnd())
            page->DestroyWindow();
        Open(g_encryptionPage, IDD_ENCRYPTION);
        EXPECT_EQ(Get<QComboBox>(IDC_ACTIVE_KEY)->currentIndex(), -1);
        EXPECT_TRUE(ChangedSince(before).empty());
    }
    PickItem(Get<QComboBox>(IDC_ACTIVE_KEY), 3);
    EXPECT_EQ(image->ActiveKeyId(), 4);
    PickItem(Get<QComboBox>(IDC_AUTH_TYPE), 2);
    EXPECT_EQ(Get<QComboBox>(IDC_AUTH_TYPE)->currentText(), "Both Type");
    EXPECT_EQ(image->AuthType(), 2);
}

TEST_F(EncryptionPageTest, EachFieldShowsItsOwnByte) {
    for (int j = 0; j < 13; ++j)
        g_wepKeyTable.keys128[0][j] = static_cast<BYTE>(j);
    Open(g_encryptionPage, IDD_ENCRYPTION);
    const char* shown[13] = {"00", "01", "02", "03", "04", "05", "06",
                             "07", "08", "09", "0A", "0B", "0C"};
    for (int j = 0; j < 13; ++j)
        EXPECT_EQ(Key128(0, j)->text().toStdString(), shown[j]) << j;
    // Left to right on the screen, in byte order.
    for (int j = 1; j < 13; ++j)
        EXPECT_GT(Key128(0, j)->x(), Key128(0, j - 1)->x());
    EXPECT_EQ(Key64(1, 4)->text(), "24");
}

TEST_F(EncryptionPageTest, TypingCollectsTheWholeGroup) {
    Open(g_encryptionPage, IDD_ENCRYPTION);
    ClearByKeys(Key64(2, 1));
    auto before = Snapshot();
    TypeInto(Key64(2, 1), "a");
    EXPECT_EQ(g_wepKeyTable.keys64[2][1], 0x0A);
    EXPECT_EQ(image->WepKeyByte(2, 1), 0x0A);
    // All four 64-bit keys went into bytes 0..4 of the slots; bytes 5..12 kept.
    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < 5; ++j)
            EXPECT_EQ(image->WepKeyByte(k, j), g_wepKeyTable.keys64[k][j]);
        for (int j = 5; j < 13; ++j)
            EXPECT_EQ(image->WepKeyByte(k, j), before[72 + 13 * k + j]);
    }
    Refresh();
    EXPECT_EQ(Key64(2, 1)->text(), "0A");

    auto settled = Snapshot();
    int beeps = ui.beeps;
    TypeInto(Key64(0, 0), "G -");
    EXPECT_EQ(ui.beeps, beeps + 3);
    EXPECT_EQ(Key64(0, 0)->text(), "10");
    EXPECT_TRUE(ChangedSince(settled).empty());

    // An emptied field keeps its byte; the rest of the group is collected.
    g_wepKeyTable.keys64[3][4] = 0x77; // differs from its field: the collection rewrites it
    MoveFocusTo(Key64(0, 2));
    Key64(0, 2)->selectAll();
    QTest::keyClick(Key64(0, 2), Qt::Key_Backspace);
    EXPECT_EQ(Key64(0, 2)->text(), "");
    EXPECT_EQ(g_wepKeyTable.keys64[0][2], 0x12);
    EXPECT_EQ(image->WepKeyByte(0, 2), 0x12);
    EXPECT_EQ(g_wepKeyTable.keys64[3][4], 0x44);
    EXPECT_EQ(image->WepKeyByte(3, 4), 0x44);
}

TEST_F(EncryptionPageTest, ChoosingATypeCopiesItsGroup) {
    image->SetWepType(2);
    Open(g_encryptionPage, IDD_ENCRYPTION);
    PickItem(Get<QComboBox>(IDC_WEP_TYPE), 2); // 128-bit keys over whole slots
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 13; ++j)
            ASSERT_EQ(image->WepKeyByte(k, j), g_wepKeyTable.keys128[k][j]);
    PickItem(Get<QComboBox>(IDC_WEP_TYPE), 1); // 64-bit keys over bytes 0..4 only
    EXPECT_EQ(image->WepType(), 1);
    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < 5; ++j)
            ASSERT_EQ(image->WepKeyByte(k, j), g_wepKeyTable.keys64[k][j]);
        for (int j = 5; j < 13; ++j)
            ASSERT_EQ(image->WepKeyByte(k, j), g_wepKeyTable.keys128[k][j]);
    }
    auto before = Snapshot();
    PickItem(Get<QComboBox>(IDC_WEP_TYPE), 0);
    EXPECT_EQ(ChangedSince(before), std::vector<size_t>{70});
    EXPECT_EQ(image->WepType(), 0);
}

TEST_F(EncryptionPageTest, RefreshShowsTheTableAndNeverWritesSlots) {
    Open(g_encryptionPage, IDD_ENCRYPTION);
    for (int k = 0; k < 4; ++k) { // what "Default" leaves in the table
        std::memset(g_wepKeyTable.keys64[k], 0x11 * (k + 1), 5);
        std::memset(g_wepKeyTable.keys128[k], 0x11 * (k + 1), 13);
    }
    auto before = Snapshot();
    Refresh();
    const char* pairs[4] = {"11", "22", "33", "44"};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(Key64(k, 4)->text().toStdString(), pairs[k]);
        EXPECT_EQ(Key128(k, 12)->text().toStdString(), pairs[k]);
    }
    EXPECT_TRUE(ChangedSince(before).empty());

    QTest::keyClick(Key64(0, 0), Qt::Key_Return);
    QTest::keyClick(Key64(0, 0), Qt::Key_Escape);
    EXPECT_TRUE(page->IsWindowVisible());
    EXPECT_TRUE(ChangedSince(before).empty());
}

// The cases both backends run (tests/shared/EncryptionPageCases.h): what a field shows is
// the byte kept, whatever was pasted into it or after it was emptied.
TEST_F(EncryptionPageTest, PastedAndEmptiedFieldsShowTheByteKept) {
    using namespace EncryptionPageCases;
    for (const Pasted& c : kPasted)
        TableByte(c.field) = c.held;
    for (const Emptied& c : kEmptied)
        TableByte(c.field) = c.held;
    Open(g_encryptionPage, IDD_ENCRYPTION);
    for (const Pasted& c : kPasted) {
        SCOPED_TRACE(testing::Message()
                     << c.field.key << "/" << c.field.byte << " \"" << c.pasted << "\"");
        ShowGroupOf(c.field);
        Key(c.field)->selectAll();
        PasteInto(Key(c.field), c.pasted);
        EXPECT_EQ(Key(c.field)->text().toStdString(), c.shown);
        EXPECT_EQ(TableByte(c.field), c.stored);
        EXPECT_EQ(At(c.field.Offset()), c.stored);
        MoveFocusTo(Get<QComboBox>(IDC_WEP_TYPE));
        EXPECT_EQ(Key(c.field)->text().toStdString(), c.shown);
    }
    for (const Emptied& c : kEmptied) {
        SCOPED_TRACE(testing::Message() << c.field.key << "/" << c.field.byte);
        ShowGroupOf(c.field);
        MoveFocusTo(Key(c.field));
        Key(c.field)->selectAll();
        QTest::keyClick(Key(c.field), Qt::Key_Backspace);
        EXPECT_EQ(Key(c.field)->text(), "");
        EXPECT_EQ(TableByte(c.field), c.held);
        EXPECT_EQ(At(c.field.Offset()), c.held);
        MoveFocusTo(Get<QComboBox>(IDC_WEP_TYPE));
        EXPECT_EQ(Key(c.field)->text().toStdString(), c.shown);
        EXPECT_EQ(At(c.field.Offset()), c.held);
    }
}

// Every two-digit value shows whole in a hexadecimal field (the 72 key bytes, the six BSSID
// bytes): the widest of the 256 pairs, in the field's font, against the room the edit
// leaves its text. CMake runs this at 96 and at 144 dots per inch (AP_TEST_DPI).
TEST_F(EncryptionPageTest, HexFieldsHoldTheWidestPairWhole) {
    if (const char* dpi = std::getenv("AP_TEST_DPI")) {
        ASSERT_EQ(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), std::atof(dpi));
    }
    image->SetOperationalMode(3);
    for (const EncryptionPageCases::HexFields& p : EncryptionPageCases::AllHexFields()) {
        Open(*p.page, p.templateId);
        for (int id : p.ids) {
            auto* edit = Get<EditWidget>(id);
            ASSERT_NE(edit, nullptr) << id;
            QFontMetrics metrics(edit->font());
            int widest = 0;
            for (int v = 0; v < 256; ++v)
                widest = std::max(widest, metrics.horizontalAdvance(QString::asprintf("%02X", v)));
            ASSERT_GE(edit->TextRoom(), widest)
                << "field " << id << ", " << edit->width() << " wide";
        }
        p.page->DestroyWindow();
    }
}

// The key fields as the template lays them out, by key and byte: in the group box titled
// group, a key's fields are the edits in the row of its label ("Key1" to "Key4"), right of
// it and of no later label in that row, byte 0 leftmost.
std::vector<std::vector<int>> KeyFieldsByGeometry(const DialogTemplate& t, const char* group) {
    const DialogItem* box = nullptr;
    for (const DialogItem& item : t.items)
        if (item.kind == ControlKind::kGroupBox && std::string(item.text) == group)
            box = &item;
    if (!box)
        return {};
    auto inside = [box](const DialogItem& item) {
        return item.x >= box->x && item.x + item.cx <= box->x + box->cx && item.y >= box->y &&
               item.y + item.cy <= box->y + box->cy;
    };
    std::vector<std::vector<const DialogItem*>> keys(4);
    for (const DialogItem& edit : t.items) {
        if (edit.kind != ControlKind::kEdit || !inside(edit))
            continue;
        const DialogItem* label = nullptr;
        for (const DialogItem& item : t.items) {
            const int middle = item.y + item.cy / 2;
            const bool sameRow = middle >= edit.y && middle < edit.y + edit.cy;
            if (item.kind == ControlKind::kLabel && inside(item) && sameRow && item.x < edit.x &&
                std::string(item.text).rfind("Key", 0) == 0 && (!label || item.x > label->x))
                label = &item;
        }
        if (!label)
            return {};
        keys.at(static_cast<size_t>(label->text[3] - '1')).push_back(&edit);
    }
    std::vector<std::vector<int>> ids;
    for (auto& key : keys) {
        std::sort(key.begin(), key.end(),
                  [](const DialogItem* a, const DialogItem* b) { return a->x < b->x; });
        ids.emplace_back();
        for (const DialogItem* edit : key)
            ids.back().push_back(edit->id);
    }
    return ids;
}

// The ids header's 72 field ids against the template's own layout (rows by y, columns by
// x); then each field shows its byte of the key table.
TEST_F(EncryptionPageTest, FieldIdsByKeyAndByte) {
    const DialogTemplate* t = FindDialogTemplate(IDD_ENCRYPTION);
    ASSERT_NE(t, nullptr);
    const auto ids64 = KeyFieldsByGeometry(*t, "64 bit");
    const auto ids128 = KeyFieldsByGeometry(*t, "128 bit");
    ASSERT_EQ(ids64.size(), 4u);
    ASSERT_EQ(ids128.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(ids64[k], std::vector<int>(std::begin(kKey64Ids[k]), std::end(kKey64Ids[k])))
            << "64-bit key " << k + 1;
        EXPECT_EQ(ids128[k], std::vector<int>(std::begin(kKey128Ids[k]), std::end(kKey128Ids[k])))
            << "128-bit key " << k + 1;
    }
    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < 5; ++j)
            g_wepKeyTable.keys64[k][j] = static_cast<BYTE>(0x10 * k + j);
        for (int j = 0; j < 13; ++j)
            g_wepKeyTable.keys128[k][j] = static_cast<BYTE>(0x40 + 0x10 * k + j);
    }
    Open(g_encryptionPage, IDD_ENCRYPTION);
    char hex[3];
    for (int k = 0; k < 4; ++k) {
        for (size_t j = 0; j < ids64[k].size(); ++j) {
            std::snprintf(hex, sizeof hex, "%02X", static_cast<int>(0x10 * k + j));
            ASSERT_EQ(Get<QLineEdit>(ids64[k][j])->text().toStdString(), hex) << k << " " << j;
        }
        for (size_t j = 0; j < ids128[k].size(); ++j) {
            std::snprintf(hex, sizeof hex, "%02X", static_cast<int>(0x40 + 0x10 * k + j));
            ASSERT_EQ(Get<QLineEdit>(ids128[k][j])->text().toStdString(), hex) << k << " " << j;
        }
    }
}

TEST_F(EncryptionPageTest, TypingInto128BitFields) {
    image->SetWepType(2);
    Open(g_encryptionPage, IDD_ENCRYPTION);
    // Key 4, byte 12: the last field of the last row; two digits, a third refused.
    ClearByKeys(Key128(3, 12));
    TypeInto(Key128(3, 12), "f0");
    EXPECT_EQ(Key128(3, 12)->text(), "F0");
    EXPECT_EQ(g_wepKeyTable.keys128[3][12], 0xF0);
    EXPECT_EQ(image->WepKeyByte(3, 12), 0xF0);
    TypeInto(Key128(3, 12), "1");
    EXPECT_EQ(Key128(3, 12)->text(), "F0");
    // Every 128-bit byte of every slot is the table's after one keystroke.
    ClearByKeys(Key128(1, 7));
    TypeInto(Key128(1, 7), "5");
    EXPECT_EQ(g_wepKeyTable.keys128[1][7], 0x05);
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 13; ++j)
            ASSERT_EQ(image->WepKeyByte(k, j), g_wepKeyTable.keys128[k][j]) << k << " " << j;
    int beeps = ui.beeps;
    TypeInto(Key128(1, 7), "z");
    EXPECT_EQ(ui.beeps, beeps + 1);
    EXPECT_EQ(g_wepKeyTable.keys128[1][7], 0x05);
}

// An emptied field's byte, kept in the table, is the slot's byte too, whichever group
// was collected in between.
TEST_F(EncryptionPageTest, AnEmptiedFieldLeavesTableAndSlotAgreeing) {
    g_wepKeyTable.keys64[0][0] = 0x01;
    Open(g_encryptionPage, IDD_ENCRYPTION);
    PickItem(Get<QComboBox>(IDC_WEP_TYPE), 1);
    MoveFocusTo(Key64(0, 0));
    Key64(0, 0)->selectAll();
    QTest::keyClick(Key64(0, 0), Qt::Key_Backspace);
    EXPECT_EQ(Key64(0, 0)->text(), "");
    PickItem(Get<QComboBox>(IDC_WEP_TYPE), 2);
    ClearByKeys(Key128(0, 0));
    TypeInto(Key128(0, 0), "ee");
    EXPECT_EQ(image->WepKeyByte(0, 0), 0xEE);
    PickItem(Get<QComboBox>(IDC_WEP_TYPE), 1);
    EXPECT_EQ(g_wepKeyTable.keys64[0][0], 0x01);
    EXPECT_EQ(image->WepKeyByte(0, 0), 0x01);
    for (int j = 1; j < 5; ++j)
        EXPECT_EQ(image->WepKeyByte(0, j), g_wepKeyTable.keys64[0][j]);
}

} // namespace
