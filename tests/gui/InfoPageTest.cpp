// The Info page: versions, regulation domain, MAC address and the logo.
#include "pages/InfoPage.h"
#include "PageFixture.h"
#include "PipeReaderWatch.h"
#include "TempFolder.h"
#include "device/DeviceChannel.h"
#include "resources/Dialog132Ids.h"
#include "resources/Resources.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <sys/stat.h>

namespace {

class InfoPageTest : public PageFixture {
protected:
    std::string Label(int id) { return Get<QLabel>(id)->text().toStdString(); }
    TempWorkingFolder dir;
};

TEST_F(InfoPageTest, ShowsVersionsDomainAndMacAddress) {
    const BYTE mac[6] = {0x02, 0x0A, 0xBC, 0xDE, 0xF0, 0x12};
    std::memcpy(image->Bytes() + 8, mac, 6);
    image->Bytes()[160] = 0x41;
    std::strcpy(g_szFirmwareVersion, "2.10.0.3");
    auto before = Snapshot();
    Open(g_infoPage, IDD_INFO);
    EXPECT_EQ(Label(IDC_UTILITY_VERSION), " 1.0.2.0");
    EXPECT_EQ(Label(IDC_FIRMWARE), " 2.10.0.3");
    EXPECT_EQ(Label(IDC_REGULATION), " MKK");
    EXPECT_EQ(Label(IDC_MAC), " 02-0a-bc-de-f0-12");
    for (auto [domain, text] : std::initializer_list<std::pair<BYTE, const char*>>{
             {0x40, " MKK"}, {0x31, " SPAIN"}, {0x32, " FRANCE"}, {0x10, " FCC"}}) {
        image->Bytes()[160] = domain;
        Refresh();
        EXPECT_EQ(Label(IDC_REGULATION), text);
    }
    EXPECT_TRUE(ChangedSince(before).size() == 1); // only the domain this test set
    std::strcpy(g_szFirmwareVersion, "");
}

// The values are read-only text the keyboard reaches, drawn as the sunken labels they were:
// a mouse user sees no change until one has the focus.
TEST_F(InfoPageTest, ValuesAreReadOnlyTextDrawnAsLabels) {
    std::strcpy(g_szFirmwareVersion, "2.10.0.3");
    Open(g_infoPage, IDD_INFO);
    for (int id : {IDC_UTILITY_VERSION, IDC_FIRMWARE, IDC_REGULATION, IDC_MAC}) {
        SCOPED_TRACE(id);
        QLabel* value = Get<QLabel>(id);
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(value);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->role(), QAccessible::EditableText);
        EXPECT_TRUE(read->state().readOnly);
        EXPECT_FALSE(read->state().editable);
        ASSERT_NE(read->textInterface(), nullptr);
        EXPECT_EQ(read->textInterface()->text(0, -1), value->text());
        EXPECT_TRUE(value->focusPolicy() & Qt::TabFocus);

        QLabel label(value->text(), value->parentWidget()); // the label as the page had it
        label.setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label.setGeometry(value->geometry());
        label.show();
        EXPECT_EQ(value->grab().toImage(), label.grab().toImage());
        MoveFocusTo(value);
        QApplication::processEvents(); // the window's activation, which may come after
        ASSERT_TRUE(value->hasFocus());
        // its text selected, or where it has none (the domain unknown here) a caret
        EXPECT_NE(value->grab().toImage(), label.grab().toImage());
        QTest::keyClick(value, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), value->text());
    }
    std::strcpy(g_szFirmwareVersion, "");
}

TEST_F(InfoPageTest, UnknownDomainShowsNothingOnAFreshPage) {
    image->Bytes()[160] = 0x33;
    g_infoPage.~CInfoPage(); // a page object as at start-up, with empty texts
    new (&g_infoPage) CInfoPage();
    Open(g_infoPage, IDD_INFO);
    EXPECT_EQ(Label(IDC_REGULATION), "");
}

TEST_F(InfoPageTest, LogoAtItsOwnSizeOrNone) {
    Open(g_infoPage, IDD_INFO);
    QLabel* logo = Get<QLabel>(IDC_LOGO);
    QSize templateSize = logo->size();
    EXPECT_TRUE(logo->pixmap().isNull()); // no OEM\Logo.bmp here
    page->DestroyWindow();

    ASSERT_EQ(mkdir("OEM", 0700), 0);
    std::vector<uint8_t> bmp = LogoBitmapFile();
    TempWorkingFolder::Write("OEM/Logo.bmp", std::string(bmp.begin(), bmp.end()));
    Open(g_infoPage, IDD_INFO);
    logo = Get<QLabel>(IDC_LOGO);
    ASSERT_FALSE(logo->pixmap().isNull());
    EXPECT_EQ(logo->pixmap().size(), QSize(302, 79));
    EXPECT_EQ(logo->contentsRect().size(), QSize(302, 79));
    page->DestroyWindow();

    TempWorkingFolder::Write("OEM/Logo.bmp", "not a bitmap");
    Open(g_infoPage, IDD_INFO);
    EXPECT_TRUE(Get<QLabel>(IDC_LOGO)->pixmap().isNull());
    EXPECT_EQ(Get<QLabel>(IDC_LOGO)->size(), templateSize);
}

// A logo name that stands for a pipe, not a file, shows no picture at once: the page never
// waits for a writer that may not come (before, the utility hung on the Info tab).
TEST_F(InfoPageTest, LogoThatIsAPipeShowsNoneWithoutWaiting) {
    ASSERT_EQ(mkdir("OEM", 0700), 0);
    ASSERT_EQ(mkfifo("OEM/Logo.bmp", 0600), 0);
    PipeReaderWatch watch("OEM/Logo.bmp");
    Open(g_infoPage, IDD_INFO);
    EXPECT_FALSE(watch.ReaderWaited());
    EXPECT_TRUE(Get<QLabel>(IDC_LOGO)->pixmap().isNull());
}

} // namespace
