// The Advanced page: silent range correction, the focus-lost refresh, the four lists.
#include "pages/AdvancedPage.h"
#include "../shared/AdvancedPageCases.h"
#include "PageFixture.h"
#include "resources/Dialog134Ids.h"

namespace {

class AdvancedPageTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        image->SetFragmentThreshold(AdvancedPageCases::kStartFragment);
        image->SetRtsThreshold(AdvancedPageCases::kStartRts);
        image->SetBeaconPeriod(AdvancedPageCases::kStartBeacon);
        image->SetPreambleType(2);
        image->SetAntennaSelect(3);
        image->SetSsidBroadcast(1);
        image->SetInternationalRoaming(2);
    }
    QLineEdit* Edit(int id) { return Get<QLineEdit>(id); }
    // Replaces a field's text key by key.
    void Retype(int id, const std::string& text) {
        ClearByKeys(Edit(id));
        TypeInto(Edit(id), text);
    }
    unsigned Word(size_t offset) const { return At(offset) | At(offset + 1) << 8; }
    void LeaveField() { MoveFocusTo(Get<QComboBox>(IDC_PREAMBLE)); }
};

TEST_F(AdvancedPageTest, EmptyFieldsStoreTheirFixedValues) {
    Open(g_advancedPage, IDD_ADVANCED);
    ClearByKeys(Edit(IDC_FRAGMENT));
    EXPECT_EQ(image->FragmentThreshold(), 256);
    EXPECT_EQ(Edit(IDC_FRAGMENT)->text(), ""); // shown corrected only once focus leaves
    LeaveField();
    EXPECT_EQ(Edit(IDC_FRAGMENT)->text(), "256");
    ClearByKeys(Edit(IDC_RTS));
    EXPECT_EQ(image->RtsThreshold(), 0);
    LeaveField();
    EXPECT_EQ(Edit(IDC_RTS)->text(), "0");
    ClearByKeys(Edit(IDC_BEACON));
    EXPECT_EQ(image->BeaconPeriod(), 20);
}

// The cases both backends run (tests/shared/AdvancedPageCases.h).
TEST_F(AdvancedPageTest, TypedNumbersAreClampedToTheirRanges) {
    Open(g_advancedPage, IDD_ADVANCED);
    for (const auto& c : AdvancedPageCases::kRetyped) {
        SCOPED_TRACE(testing::Message() << c.field << " \"" << c.typed << "\"");
        Retype(c.field, c.typed);
        EXPECT_EQ(Word(AdvancedPageCases::OffsetOf(c.field)), c.stored);
    }
    Retype(IDC_FRAGMENT, "3000");
    EXPECT_EQ(At(64), 0x2A);
    EXPECT_EQ(At(65), 0x09);
    LeaveField();
    EXPECT_EQ(Edit(IDC_FRAGMENT)->text(), "2346");
}

TEST_F(AdvancedPageTest, TypingIsFilteredWithABeep) {
    Open(g_advancedPage, IDD_ADVANCED);
    for (const auto& c : AdvancedPageCases::kRefused) {
        SCOPED_TRACE(testing::Message() << c.field << " \"" << c.typed << "\"");
        QString shown = Edit(c.field)->text();
        auto before = Snapshot();
        int beeps = ui.beeps;
        MoveFocusTo(Edit(c.field));
        QTest::keyClick(Edit(c.field), Qt::Key_End);
        TypeInto(Edit(c.field), c.typed);
        EXPECT_EQ(ui.beeps, beeps + c.beeps);
        EXPECT_EQ(Edit(c.field)->text(), shown);
        EXPECT_TRUE(ChangedSince(before).empty());
    }
    for (const auto& c : AdvancedPageCases::kMixed) {
        SCOPED_TRACE(testing::Message() << c.field << " \"" << c.typed << "\"");
        int beeps = ui.beeps;
        MoveFocusTo(Edit(c.field));
        Edit(c.field)->selectAll();
        TypeInto(Edit(c.field), c.typed);
        EXPECT_EQ(ui.beeps, beeps + c.beeps);
        EXPECT_EQ(Word(AdvancedPageCases::OffsetOf(c.field)), c.stored);
    }
}

TEST_F(AdvancedPageTest, DeviceValuesShowUnchecked) {
    image->SetFragmentThreshold(100);
    Open(g_advancedPage, IDD_ADVANCED);
    EXPECT_EQ(Edit(IDC_FRAGMENT)->text(), "100");
    EXPECT_EQ(image->FragmentThreshold(), 100);
}

// Device values are shown whole whatever the four-digit limit, on every visit; the user's
// edits are stored and no message ever comes up.
TEST_F(AdvancedPageTest, DeviceValuesLongerThanTheLimitShowWholeAndEditsStore) {
    image->SetFragmentThreshold(65535);
    image->SetRtsThreshold(65535);
    image->SetBeaconPeriod(12345);
    for (int visit = 0; visit < 2; ++visit) {
        Open(g_advancedPage, IDD_ADVANCED);
        EXPECT_EQ(Edit(IDC_FRAGMENT)->text(), "65535");
        EXPECT_EQ(Edit(IDC_RTS)->text(), "65535");
        EXPECT_EQ(Edit(IDC_BEACON)->text(), "12345");
        EXPECT_EQ(image->RtsThreshold(), 65535);
        if (visit == 0)
            page->DestroyWindow();
    }
    MoveFocusTo(Edit(IDC_RTS));
    QTest::keyClick(Edit(IDC_RTS), Qt::Key_End);
    QTest::keyClick(Edit(IDC_RTS), Qt::Key_Backspace); // 6553: above the range
    EXPECT_EQ(Edit(IDC_RTS)->text(), "6553");
    EXPECT_EQ(image->RtsThreshold(), 2347);
    Retype(IDC_BEACON, "300");
    EXPECT_EQ(image->BeaconPeriod(), 300);
    EXPECT_EQ(image->FragmentThreshold(), 65535); // never edited: kept as the device gave it
    // At four digits the field takes no fifth.
    TypeInto(Edit(IDC_BEACON), "12");
    EXPECT_EQ(Edit(IDC_BEACON)->text(), "3001");
    EXPECT_EQ(image->BeaconPeriod(), 1000);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(AdvancedPageTest, PastedTextStoresAValueInsideTheRange) {
    Open(g_advancedPage, IDD_ADVANCED);
    MoveFocusTo(Edit(IDC_RTS));
    Edit(IDC_RTS)->selectAll();
    Edit(IDC_RTS)->insert("-5");
    EXPECT_EQ(image->RtsThreshold(), 0);
    LeaveField();
    EXPECT_EQ(Edit(IDC_RTS)->text(), "0");
    Edit(IDC_FRAGMENT)->selectAll();
    Edit(IDC_FRAGMENT)->insert("12ab");
    EXPECT_EQ(image->FragmentThreshold(), 256);
    Edit(IDC_BEACON)->selectAll();
    Edit(IDC_BEACON)->insert("x");
    EXPECT_EQ(image->BeaconPeriod(), 20);
}

TEST_F(AdvancedPageTest, ListsLoadAndStore) {
    image->SetAntennaSelect(4);
    Open(g_advancedPage, IDD_ADVANCED);
    EXPECT_EQ(Get<QComboBox>(IDC_ANTENNA)->currentIndex(), -1);
    EXPECT_EQ(Get<QComboBox>(IDC_PREAMBLE)->currentText(), "Long");
    EXPECT_EQ(Get<QComboBox>(IDC_ROAMING)->currentText(), "Disable");
    PickItem(Get<QComboBox>(IDC_ANTENNA), 2);
    EXPECT_EQ(At(164), 0x03);
    EXPECT_EQ(At(165), 0x00);
    PickItem(Get<QComboBox>(IDC_PREAMBLE), 0);
    EXPECT_EQ(image->PreambleType(), 1);
    PickItem(Get<QComboBox>(IDC_SSID_BROADCAST), 1);
    EXPECT_EQ(image->SsidBroadcast(), 2);
    PickItem(Get<QComboBox>(IDC_ROAMING), 0);
    EXPECT_EQ(image->InternationalRoaming(), 1);
    image->SetAntennaSelect(0);
    Refresh();
    EXPECT_EQ(Get<QComboBox>(IDC_ANTENNA)->currentIndex(), -1);
}

} // namespace
