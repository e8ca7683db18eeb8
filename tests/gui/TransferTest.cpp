// Reads and writes of the configuration against a real emulator, with its faults.
#include "Emulator.h"
#include "GuiTest.h"
#include "device/ConfigDialog.h"
#include "device/ProgressDlg.h"
#include "platform/DialogTemplate.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <set>

namespace {

constexpr UINT kOwnerTemplate = 9002;
const DialogTemplate kOwner = {kOwnerTemplate, "Owner",         0, 0, 100, 40,
                               kCaption,       "MS Sans Serif", 9, {}};

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterDialogTemplate(&kOwner);
        CProgressDlg::SetTickIntervalForTesting(5);
        ASSERT_TRUE(emu.Running());
        other = std::make_unique<ConfigImage>();
        std::memset(other->Bytes(), 0x5A, kImageBufferSize);
        g_pConfigImage = other.get();
    }
    void TearDown() override {
        g_pConfigImage = nullptr;
        CProgressDlg::SetTickIntervalForTesting(0);
    }
    // Fills the current image with a pattern and writes it with the progress dialog.
    void WriteWithProgress(CConfigDialog& holder) {
        holder.StartWriteThread();
        g_progressDlg.DoModal();
        PumpUntil([&] { return holder.LastWrite() != CConfigDialog::kWriting; });
    }

    EmulatorProcess emu;
    UiRecorder ui;
    std::unique_ptr<ConfigImage> other;
};

TEST_F(TransferTest, ReadReportsAnAbsentDevice) {
    ASSERT_EQ(emu.Control("absent on"), "ok");
    CConfigDialog holder(kOwnerTemplate, nullptr);
    EXPECT_FALSE(holder.ReadConfiguration());
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{
                              "Please Attach the Access Point USB Connector or Install the "
                              "Access Point Driver !  "});
    EXPECT_EQ(g_pConfigImage, other.get());
}

TEST_F(TransferTest, ReadRetriesOnceAtOnce) {
    CConfigDialog holder(kOwnerTemplate, nullptr);
    ASSERT_EQ(emu.Control("fail-reads 1"), "ok");
    EXPECT_TRUE(holder.ReadConfiguration());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(g_pConfigImage, &holder.Image());
    EXPECT_EQ(0, std::memcmp(holder.Image().Bytes(), emu.Dump("current").data(), 889));

    g_pConfigImage = other.get();
    ASSERT_EQ(emu.Control("reset-stats"), "ok");
    ASSERT_EQ(emu.Control("fail-reads 2"), "ok");
    EXPECT_FALSE(holder.ReadConfiguration());
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Cannot get the configuration"});
    EXPECT_EQ(StatValue(emu.Control("stats"), "reads"), 2);
    EXPECT_EQ(g_pConfigImage, other.get());
}

TEST_F(TransferTest, FactoryReadFillsTheCurrentImageOrNothing) {
    CConfigDialog holder(kOwnerTemplate, nullptr);
    ASSERT_EQ(emu.Control("absent on"), "ok");
    EXPECT_FALSE(holder.ReadDefaultConfiguration(other->Bytes()));
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Please Attach the Access Point USB Connector"});
    for (size_t i = 0; i < kImageBufferSize; ++i)
        ASSERT_EQ(other->Bytes()[i], 0x5A);
    ASSERT_EQ(emu.Control("absent off"), "ok");
    EXPECT_TRUE(holder.ReadDefaultConfiguration(other->Bytes()));
    EXPECT_EQ(g_pConfigImage, other.get()); // the factory read never changes which is current
    EXPECT_EQ(0, std::memcmp(other->Bytes(), emu.Dump("factory").data(), 889));
    EXPECT_EQ(other->Bytes()[889], 0x5A);
}

TEST_F(TransferTest, WriteStoresTheBlockAndTheProgressRunsToItsEnd) {
    auto before = emu.Dump("current");
    for (int i = 0; i < 348; ++i)
        other->Bytes()[i] = static_cast<BYTE>(i * 3);
    CConfigDialog holder(kOwnerTemplate, nullptr);
    int textAtStart = -1;
    WhenModal([&] {
        textAtStart = Control<QLabel>(g_progressDlg, 1108)->text().isEmpty() &&
                              Control<QProgressBar>(g_progressDlg, 1106)->value() == 0
                          ? 1
                          : 0;
    });
    WriteWithProgress(holder);
    EXPECT_EQ(textAtStart, 1);
    EXPECT_EQ(holder.LastWrite(), CConfigDialog::kWriteSucceeded);
    EXPECT_TRUE(ui.messages.empty());
    auto after = emu.Dump("current");
    for (size_t i = 0; i < 348; ++i)
        ASSERT_EQ(after[i], static_cast<BYTE>(i * 3)) << i;
    for (size_t i = 348; i < 889; ++i)
        ASSERT_EQ(after[i], before[i]) << i;
    EXPECT_EQ(other->Bytes()[348], 1);
    // 100 steps, then the closing tick; never beyond 100.
    EXPECT_EQ(g_progressDlg.Percent(), 100);
    EXPECT_EQ(ui.busyShown, 101);
    EXPECT_EQ(ui.busyDepth, 0);

    // Opened again, it starts from 0 with an empty text.
    WhenModal([&] {
        textAtStart = Control<QLabel>(g_progressDlg, 1108)->text().isEmpty() ? 1 : 0;
        g_progressDlg.EndDialog(IDCANCEL);
    });
    g_progressDlg.DoModal();
    EXPECT_EQ(textAtStart, 1);
    EXPECT_EQ(g_progressDlg.Percent(), 0);
}

TEST_F(TransferTest, FailedWriteClosesTheProgressAfterItsMessage) {
    for (const char* fault : {"absent on", "fail-writes 2"}) {
        SCOPED_TRACE(fault);
        ASSERT_EQ(emu.Control("absent off"), "ok");
        ASSERT_EQ(emu.Control("reset-stats"), "ok");
        ASSERT_EQ(emu.Control(fault), "ok");
        ui.messages.clear();
        CConfigDialog owner(kOwnerTemplate, nullptr);
        int percentWhenDismissed = -1;
        bool progressUpMeanwhile = false;
        ui.onMessage = [&](const UiRecorder::Message&) {
            PumpUntil([] { return g_progressDlg.Percent() >= 10; }); // counting goes on
            progressUpMeanwhile = g_progressDlg.IsModalRunning();
            percentWhenDismissed = g_progressDlg.Percent();
        };
        bool ownerEnabledAfter = false;
        WhenModal([&] {
            WriteWithProgress(owner);
            ownerEnabledAfter = owner.IsWindowEnabled();
            owner.EndDialog(IDOK);
        });
        owner.DoModal();
        ui.onMessage = nullptr;
        EXPECT_EQ(ui.Texts(),
                  std::vector<std::string>{"Please Attach the Access Point USB Connector"});
        EXPECT_TRUE(progressUpMeanwhile);
        EXPECT_EQ(g_progressDlg.Percent(), percentWhenDismissed);
        EXPECT_LT(g_progressDlg.Percent(), 100);
        EXPECT_TRUE(ownerEnabledAfter);
        EXPECT_EQ(owner.LastWrite(), CConfigDialog::kWriteFailed);
        EXPECT_EQ(ui.busyDepth, 0);
        if (std::string(fault) == "fail-writes 2") {
            EXPECT_EQ(StatValue(emu.Control("stats"), "writes"), 2);
        }
    }
}

TEST_F(TransferTest, WriteSendsTheImageAsItWasWhenItStarted) {
    ASSERT_EQ(emu.Control("delay-ms 300"), "ok");
    std::memset(other->Bytes(), 0x21, 348);
    {
        CConfigDialog holder(kOwnerTemplate, nullptr);
        holder.StartWriteThread();
        std::memset(other->Bytes(), 0x99, 348); // an edit after the write began
        // Leaving before the write is done waits for it.
    }
    auto after = emu.Dump("current");
    EXPECT_EQ(after[0], 0x21);
    EXPECT_EQ(after[347], 0x21);
}

// Reads block the user-interface thread: the busy cursor is up for the whole request and
// down again before any message.
TEST_F(TransferTest, ReadsShowTheBusyCursor) {
    CConfigDialog holder(kOwnerTemplate, nullptr);
    EXPECT_TRUE(holder.ReadConfiguration());
    EXPECT_EQ(ui.busyBegins, 1);
    EXPECT_TRUE(holder.ReadDefaultConfiguration(other->Bytes()));
    EXPECT_EQ(ui.busyBegins, 2);
    EXPECT_EQ(ui.busyDepth, 0);

    std::vector<int> depthAtMessage;
    ui.onMessage = [&](const UiRecorder::Message&) { depthAtMessage.push_back(ui.busyDepth); };
    ASSERT_EQ(emu.Control("fail-reads 2"), "ok");
    EXPECT_FALSE(holder.ReadConfiguration());
    ASSERT_EQ(emu.Control("absent on"), "ok");
    EXPECT_FALSE(holder.ReadDefaultConfiguration(other->Bytes()));
    ui.onMessage = nullptr;
    EXPECT_EQ(ui.busyBegins, 4);
    EXPECT_EQ(depthAtMessage, (std::vector<int>{0, 0}));
    EXPECT_EQ(ui.busyDepth, 0);
}

// Enter or Escape ends the progress dialog while the write goes on; a second write asked
// for meanwhile waits for the first, so the device never sees two writers.
TEST_F(TransferTest, OneWriterAtATime) {
    ASSERT_EQ(emu.Control("delay-ms 400"), "ok");
    ASSERT_EQ(emu.Control("reset-stats"), "ok");
    std::memset(other->Bytes(), 0x31, 348);
    CConfigDialog first(kOwnerTemplate, nullptr);
    CConfigDialog second(kOwnerTemplate, nullptr);
    // Escape on the progress dialog once it is up, as the user presses it.
    auto escapeProgressWhenShown = [] {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll] {
            if (!g_progressDlg.IsModalRunning())
                return;
            QTest::keyClick(qt::GetWidget(g_progressDlg), Qt::Key_Escape);
            poll->deleteLater();
            poll->stop();
        });
        poll->start(5);
    };
    bool secondDone = false;
    bool firstWritingWhenSecondAsked = false;
    escapeProgressWhenShown();
    // Asked for once the first progress dialog has ended, while the write is with the device.
    QTimer::singleShot(100, [&] {
        firstWritingWhenSecondAsked =
            !g_progressDlg.IsModalRunning() && first.LastWrite() == CConfigDialog::kWriting;
        std::memset(other->Bytes(), 0x32, 348);
        escapeProgressWhenShown();
        second.WriteWithProgress();
        secondDone = true;
    });
    EXPECT_TRUE(first.WriteWithProgress());
    ASSERT_TRUE(PumpUntil([&] { return secondDone; }));
    EXPECT_TRUE(firstWritingWhenSecondAsked);
    EXPECT_TRUE(ui.messages.empty()) << ui.Texts().front();
    EXPECT_EQ(second.LastWrite(), CConfigDialog::kWriteSucceeded);
    EXPECT_EQ(StatValue(emu.Control("stats"), "writes"), 2);
    EXPECT_EQ(emu.Dump("current")[0], 0x32);
    EXPECT_EQ(ui.busyDepth, 0);
}

// The product's tick, as set on the dialog's timer, and a bar that shows every step.
TEST_F(TransferTest, ProgressTicksEvery200MsAndPaintsEveryStep) {
    CProgressDlg::SetTickIntervalForTesting(0);
    int interval = -1;
    WhenModal([&] {
        for (QTimer* t : qt::GetWidget(g_progressDlg)->findChildren<QTimer*>())
            if (t->isActive())
                interval = t->interval();
        g_progressDlg.EndDialog(IDCANCEL);
    });
    g_progressDlg.DoModal();
    EXPECT_EQ(interval, 200);

    struct PaintLog : QObject {
        std::set<int> painted;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                painted.insert(static_cast<QProgressBar*>(o)->value());
            return false;
        }
    } log;
    CProgressDlg::SetTickIntervalForTesting(10);
    WhenModal([&] { Control<QProgressBar>(g_progressDlg, 1106)->installEventFilter(&log); });
    g_progressDlg.DoModal();
    EXPECT_EQ(g_progressDlg.Percent(), 100);
    for (int percent = 1; percent <= 100; ++percent)
        ASSERT_TRUE(log.painted.count(percent)) << percent;
}

} // namespace
