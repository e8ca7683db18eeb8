// The Wireless page, typed and picked as a user would, checked byte by byte.
#include "pages/WirelessPage.h"
#include "../shared/WirelessPageCases.h"
#include "PageFixture.h"
#include "resources/Dialog129Ids.h"

#include <cstring>

namespace {

class WirelessPageTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        image->Bytes()[160] = 0x10; // regulationDomain
        image->SetChannel(6);
        image->SetRateMode(1);
        image->SetOperationalMode(2);
        image->SetEssidLength(4);
        std::memcpy(image->Bytes() + 32, "home", 4);
        image->SetApName("ap");
    }
    QComboBox* Combo(int id) { return Get<QComboBox>(id); }
    QLineEdit* Bssid(int i) { return Get<QLineEdit>(IDC_BSSID0 + i); }
};

TEST_F(WirelessPageTest, ChannelsFollowTheRegulationDomain) {
    image->Bytes()[160] = 0x40; // regulationDomain
    image->SetChannel(3);
    Open(g_wirelessPage, IDD_WIRELESS);
    ASSERT_EQ(Combo(IDC_CHANNEL)->count(), 1);
    EXPECT_EQ(Combo(IDC_CHANNEL)->itemText(0), "Channel 14");
    EXPECT_EQ(Combo(IDC_CHANNEL)->currentIndex(), -1);
    PickItem(Combo(IDC_CHANNEL), 0);
    EXPECT_EQ(image->Channel(), 14);

    image->Bytes()[160] = 0x31; // regulationDomain
    Refresh();
    ASSERT_EQ(Combo(IDC_CHANNEL)->count(), 2);
    PickItem(Combo(IDC_CHANNEL), 1);
    EXPECT_EQ(Combo(IDC_CHANNEL)->itemText(1), "Channel 11");
    EXPECT_EQ(image->Channel(), 11);
}

TEST_F(WirelessPageTest, UnlistedChannelStaysUntilPicked) {
    image->SetChannel(12); // not offered under FCC
    Open(g_wirelessPage, IDD_WIRELESS);
    EXPECT_EQ(Combo(IDC_CHANNEL)->count(), 11);
    EXPECT_EQ(Combo(IDC_CHANNEL)->currentIndex(), -1);
    EXPECT_EQ(image->Channel(), 12);
    PickItem(Combo(IDC_CHANNEL), 0);
    EXPECT_EQ(image->Channel(), 1);

    image->Bytes()[160] = 0x33; // regulationDomain // no table: nothing to pick, nothing written
    image->SetChannel(9);
    Refresh();
    EXPECT_EQ(Combo(IDC_CHANNEL)->count(), 0);
    EXPECT_EQ(image->Channel(), 9);
}

TEST_F(WirelessPageTest, RateSetReadsBackAndStores) {
    image->SetOperationalRates({0, 0, 0, 0});
    Open(g_wirelessPage, IDD_WIRELESS);
    EXPECT_EQ(Combo(IDC_RATE)->currentText(), "Auto"); // rateMode 1 whatever the rates
    image->SetRateMode(2);
    image->SetOperationalRates({0x82, 0x84, 0, 0});
    Refresh();
    EXPECT_EQ(Combo(IDC_RATE)->currentText(), "2 Mbps");
    image->SetOperationalRates({0, 0, 0, 0});
    Refresh();
    EXPECT_EQ(Combo(IDC_RATE)->currentIndex(), -1);
    PickItem(Combo(IDC_RATE), 0);
    EXPECT_EQ(image->RateMode(), 2);
    EXPECT_EQ(image->OperationalRates(), (std::array<BYTE, 4>{0x82, 0, 0, 0}));
}

TEST_F(WirelessPageTest, ModeDecidesTheBssidFields) {
    image->SetOperationalMode(1);
    Open(g_wirelessPage, IDD_WIRELESS);
    EXPECT_EQ(Combo(IDC_MODE)->currentText(), "WBridge Point to MultiPoint");
    EXPECT_EQ(Combo(IDC_MODE)->itemText(0), "Access Point");
    EXPECT_EQ(Combo(IDC_MODE)->itemText(4), "Wireless Repeater");
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(Bssid(i)->isEnabled());
    PickItem(Combo(IDC_MODE), 1);
    EXPECT_EQ(image->OperationalMode(), 3);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(Bssid(i)->isEnabled());

    image->SetOperationalMode(0);
    page->DestroyWindow();
    Open(g_wirelessPage, IDD_WIRELESS);
    EXPECT_EQ(Combo(IDC_MODE)->currentIndex(), -1);
    EXPECT_TRUE(Bssid(0)->isEnabled());
}

TEST_F(WirelessPageTest, NameAndEssidNeverSpillOverTheirFields) {
    Open(g_wirelessPage, IDD_WIRELESS);
    auto before = Snapshot();
    ClearByKeys(Get<QLineEdit>(IDC_ESSID));
    TypeInto(Get<QLineEdit>(IDC_ESSID), std::string(40, 'E')); // the edit stops at 32
    EXPECT_EQ(Text(IDC_ESSID), std::string(32, 'E'));
    EXPECT_EQ(image->EssidLength(), 32);
    ClearByKeys(Get<QLineEdit>(IDC_NAME));
    TypeInto(Get<QLineEdit>(IDC_NAME), std::string(33, 'N'));
    EXPECT_EQ(image->ApName(), std::string(32, 'N'));
    for (size_t at : ChangedSince(before))
        ASSERT_TRUE(at == 31 || (at >= 32 && at < 64) || (at >= 124 && at < 156)) << at;
    EXPECT_EQ(At(64), 0xEE);
    EXPECT_EQ(At(156), 0xEE);
}

TEST_F(WirelessPageTest, LoadingClearsOnlyTheByteAfterTheEssid) {
    image->SetEssidLength(5);
    std::memset(image->Bytes() + 32, 'x', 32);
    auto before = Snapshot();
    Open(g_wirelessPage, IDD_WIRELESS);
    EXPECT_EQ(ChangedSince(before), std::vector<size_t>{37});
    EXPECT_EQ(At(37), 0);
    EXPECT_EQ(Text(IDC_ESSID), "xxxxx");

    image->SetEssidLength(40); // more than the field: 32 shown, nothing outside written
    before = Snapshot();
    Refresh();
    EXPECT_EQ(Text(IDC_ESSID), "xxxxx");
    std::memset(image->Bytes() + 32, 'y', 32);
    Refresh();
    EXPECT_EQ(Text(IDC_ESSID), std::string(32, 'y'));
    EXPECT_EQ(At(64), 0xEE);
}

// The typing cases both backends run (tests/shared/WirelessPageCases.h).
TEST_F(WirelessPageTest, BssidFieldsLoadTypeAndRefresh) {
    using namespace WirelessPageCases;
    std::memcpy(image->Bytes() + kBssidOffset, kBssid, 6);
    image->SetOperationalMode(3);
    Open(g_wirelessPage, IDD_WIRELESS);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Text(kFirstBssid + i), kBssidShown[i]);

    for (const Typed& c : kTyped) {
        SCOPED_TRACE(testing::Message() << c.field << " \"" << c.typed << "\"");
        ClearByKeys(Bssid(c.field));
        TypeInto(Bssid(c.field), c.typed);
        EXPECT_EQ(Text(kFirstBssid + c.field), c.shown);
        EXPECT_EQ(At(kBssidOffset + c.field), c.stored);
    }
    // An empty field is shown corrected once the focus has left it; a refresh shows the
    // byte in two digits.
    EXPECT_EQ(Text(IDC_BSSID0 + 2), "00");
    Refresh();
    EXPECT_EQ(Text(IDC_BSSID0 + 3), "0A");

    for (const Refused& c : kRefused) {
        SCOPED_TRACE(testing::Message() << c.field << " \"" << c.typed << "\"");
        auto before = Snapshot();
        int beeps = ui.beeps;
        TypeInto(Bssid(c.field), c.typed);
        EXPECT_EQ(ui.beeps, beeps + c.beeps);
        EXPECT_EQ(Text(kFirstBssid + c.field), kBssidShown[c.field]);
        EXPECT_TRUE(ChangedSince(before).empty());
    }

    // Pasted text that does not begin with a hexadecimal digit keeps that byte, and the
    // field shows the byte kept.
    Bssid(5)->selectAll();
    PasteInto(Bssid(5), "MY");
    EXPECT_EQ(At(271), 0x30);
    EXPECT_EQ(Text(IDC_BSSID0 + 5), "30");
    Bssid(5)->selectAll();
    PasteInto(Bssid(5), "ab"); // upper case at once, as typed
    EXPECT_EQ(Text(IDC_BSSID0 + 5), "AB");
    EXPECT_EQ(At(271), 0xAB);
}

// Name and ESSID bytes above 0x7F are characters of the one code page, both ways;
// characters it cannot hold are refused, typed or pasted.
TEST_F(WirelessPageTest, NameAndEssidCarryTheCodePage) {
    image->SetApName("Caf\xE9\x80\x9F\xFF");
    Open(g_wirelessPage, IDD_WIRELESS);
    EXPECT_EQ(Get<QLineEdit>(IDC_NAME)->text(), QString::fromUtf16(u"Caf\u00E9\u20AC\u0178\u00FF"));
    auto before = Snapshot();
    QLineEdit* essid = Get<QLineEdit>(IDC_ESSID);
    MoveFocusTo(essid);
    QTest::keyClick(essid, Qt::Key_End);
    TypeText(essid, QString::fromUtf16(u"\u043F\u0430"));
    PasteInto(essid, QString::fromUtf16(u"\u0441\u0435\u0442\u044C"));
    EXPECT_EQ(ui.beeps, 3);
    EXPECT_EQ(Text(IDC_ESSID), "home");
    EXPECT_TRUE(ChangedSince(before).empty());

    TypeText(essid, QString::fromUtf16(u"\u00E9\u20AC"));
    PasteInto(essid, QString::fromUtf16(u"\u2122"));
    EXPECT_EQ(image->EssidLength(), 7);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image->Bytes() + 32), 7),
              "home\xE9\x80\x99");
    ClearByKeys(Get<QLineEdit>(IDC_NAME));
    TypeText(Get<QLineEdit>(IDC_NAME), QString::fromUtf16(u"Zo\u00EB\u0161"));
    EXPECT_EQ(image->ApName(), "Zo\xEB\x9A");
}

// Texts the page sets show from their start, also the 32 characters of a full field.
TEST_F(WirelessPageTest, LoadedTextsShowFromTheirStart) {
    image->SetApName(std::string(32, 'n'));
    image->SetEssidLength(32);
    std::memset(image->Bytes() + 32, 'e', 32);
    Open(g_wirelessPage, IDD_WIRELESS);
    for (int id : {IDC_NAME, IDC_ESSID}) {
        QLineEdit* edit = Get<QLineEdit>(id);
        EXPECT_EQ(edit->text().size(), 32);
        EXPECT_EQ(edit->cursorPosition(), 0) << id;
    }
}

// Every regulation domain's channel list, written out here from the channel table: its
// items in order, and the channel the last item stores.
TEST_F(WirelessPageTest, EveryDomainOffersItsChannels) {
    const struct {
        BYTE domain;
        int first, last;
    } domains[] = {{0x10, 1, 11},  {0x20, 1, 11},  {0x30, 1, 13}, {0x31, 10, 11},
                   {0x32, 10, 13}, {0x40, 14, 14}, {0x41, 1, 14}};
    Open(g_wirelessPage, IDD_WIRELESS);
    for (const auto& d : domains) {
        SCOPED_TRACE(d.domain);
        image->Bytes()[160] = d.domain;
        image->SetChannel(0);
        Refresh();
        QComboBox* list = Combo(IDC_CHANNEL);
        ASSERT_EQ(list->count(), d.last - d.first + 1);
        for (int i = 0; i < list->count(); ++i)
            EXPECT_EQ(list->itemText(i).toStdString(), "Channel " + std::to_string(d.first + i));
        PickItem(list, list->count() - 1);
        EXPECT_EQ(image->Channel(), d.last);
    }
}

} // namespace

// A single-line field takes a pasted text up to its first line break, as the system's edit
// does: a line copied with its end never puts a CR or LF into the device's texts.
TEST_F(WirelessPageTest, PastedLinesStopAtTheFirstLineBreak) {
    Open(g_wirelessPage, IDD_WIRELESS);
    QLineEdit* essid = Get<QLineEdit>(IDC_ESSID);
    for (const WirelessPageCases::PastedLine& c : WirelessPageCases::kPastedLines) {
        ClearByKeys(essid);
        PasteInto(essid, QString::fromUtf16(c.pasted));
        EXPECT_EQ(image->Essid(), c.stored) << c.stored;
        EXPECT_EQ(image->EssidLength(), std::strlen(c.stored)) << c.stored;
    }
}
