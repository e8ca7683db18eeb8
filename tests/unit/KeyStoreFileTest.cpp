// The local key file: creation, device check, scrambling, loading of odd files.
#include "device/KeyStoreFile.h"
#include "TempFolder.h"
#include "Unprivileged.h"
#ifndef _WIN32
#include "PipeReaderWatch.h"
#include <sys/stat.h>
#include <unistd.h>
#endif
#include "device/ConfigImage.h"
#include "device/WepKeyTable.h"
#include "platform/Profile.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

class KeyStoreFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        image = std::make_unique<ConfigImage>();
        const BYTE mac[6] = {0x02, 0x0A, 0xBC, 0xDE, 0xF0, 0x12};
        std::memcpy(image->Bytes() + 8, mac, 6);
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 13; ++j)
                image->SetWepKeyByte(k, j, static_cast<BYTE>(0xA0 + 16 * k + j));
        g_pConfigImage = image.get();
        std::memset(&g_wepKeyTable, 0, sizeof(g_wepKeyTable));
    }
    void TearDown() override { g_pConfigImage = nullptr; }

    static std::string Entry(const char* name) {
        char buf[2000];
        GetPrivateProfileStringA("OEM", name, "<none>", buf, sizeof(buf), ".\\OEM.tmp");
        return buf;
    }
    void ExpectTableFromImage() const {
        for (int k = 0; k < 4; ++k) {
            for (int j = 0; j < 5; ++j)
                ASSERT_EQ(g_wepKeyTable.keys64[k][j], image->WepKeyByte(k, j));
            for (int j = 0; j < 13; ++j)
                ASSERT_EQ(g_wepKeyTable.keys128[k][j], image->WepKeyByte(k, j));
        }
    }

    TempWorkingFolder dir;
    std::unique_ptr<ConfigImage> image;
};

TEST_F(KeyStoreFileTest, FirstRunCreatesTheFileFromTheDevice) {
    SyncKeyFile();
    std::string text = TempWorkingFolder::Read("OEM.tmp");
    EXPECT_EQ(text.substr(0, 7), "[OEM]\r\n");
    EXPECT_EQ(Entry("0"), "020abcdef012");
    size_t previous = 0;
    for (int e = 0; e <= 8; ++e) { // entries in order "0" to "8"
        size_t at = text.find("\r\n" + std::to_string(e) + "=");
        ASSERT_NE(at, std::string::npos) << e;
        EXPECT_GT(at, previous);
        previous = at;
    }
    EXPECT_EQ(UnscrambleKeyText(Entry("1")), "a0a1a2a3a4");
    EXPECT_EQ(UnscrambleKeyText(Entry("8")), "d0d1d2d3d4d5d6d7d8d9dadbdc");
    ExpectTableFromImage();
}

#ifndef _WIN32
// The keys are only obscured in the file: it is the user's alone from its first byte,
// whatever the umask, in the working folder as in a folder of its own made for it.
TEST_F(KeyStoreFileTest, NewFileIsPrivateFromTheStart) {
    mode_t old = umask(0);
    SyncKeyFile();
    SetKeyFileFolder("made/for/keys");
    g_wepKeyTable.keys64[0][0] = 0x42;
    bool saved = SaveKeyFile();
    SetKeyFileFolder("");
    umask(old);
    ASSERT_TRUE(saved);
    struct stat st {};
    for (const char* path : {"OEM.tmp", "made/for/keys/OEM.tmp", "made/for/keys"}) {
        ASSERT_EQ(stat(path, &st), 0) << path;
        EXPECT_EQ(st.st_mode & 0777, S_ISDIR(st.st_mode) ? 0700u : 0600u) << path;
    }
}
#endif

TEST_F(KeyStoreFileTest, FirstRunFileByteForByte) {
    // Written out by hand from the file's rules: the header line, then entries "0" to "8"
    // in order, each line ended by CR LF. Entry 0 is the MAC address 02 0a bc de f0 12 in
    // lowercase hex, unscrambled. Entries 1-4 are the first 5 bytes of slots 1-4 (a0..a4,
    // b0..b4, c0..c4, d0..d4) and entries 5-8 all 13 bytes, as lowercase hex, each
    // character plus the same character of "NoPeeking!NoPeeking!..." modulo 256:
    // 'a'+'N' = af, '0'+'o' = 9f, 'a'+'P' = b1, '1'+'e' = 96, 'a'+'e' = c6, '2'+'k' = 9d,
    // 'a'+'i' = ca, '3'+'n' = a1, 'a'+'g' = c8, '4'+'!' = 55 'U', ...
    const std::string expected =
        "[OEM]\r\n"
        "0=020abcdef012\r\n"
        "1=\xaf\x9f\xb1\x96\xc6\x9d\xca\xa1\xc8U\r\n"
        "2=\xb0\x9f\xb2\x96\xc7\x9d\xcb\xa1\xc9U\r\n"
        "3=\xb1\x9f\xb3\x96\xc8\x9d\xcc\xa1\xcaU\r\n"
        "4=\xb2\x9f\xb4\x96\xc9\x9d\xcd\xa1\xcbU\r\n"
        "5=\xaf\x9f\xb1\x96\xc6\x9d\xca\xa1\xc8U\xaf\xa4\xb1\x9b\xc6\xa2\xca\xa6\xc8Z"
        "\xaf\xd0\xb1\xc7\xc6\xce\r\n"
        "6=\xb0\x9f\xb2\x96\xc7\x9d\xcb\xa1\xc9U\xb0\xa4\xb2\x9b\xc7\xa2\xcb\xa6\xc9Z"
        "\xb0\xd0\xb2\xc7\xc7\xce\r\n"
        "7=\xb1\x9f\xb3\x96\xc8\x9d\xcc\xa1\xcaU\xb1\xa4\xb3\x9b\xc8\xa2\xcc\xa6\xcaZ"
        "\xb1\xd0\xb3\xc7\xc8\xce\r\n"
        "8=\xb2\x9f\xb4\x96\xc9\x9d\xcd\xa1\xcbU\xb2\xa4\xb4\x9b\xc9\xa2\xcd\xa6\xcbZ"
        "\xb2\xd0\xb4\xc7\xc9\xce\r\n";
    SyncKeyFile();
    EXPECT_EQ(TempWorkingFolder::Read("OEM.tmp"), expected);
    // Saving the same table again changes nothing.
    ASSERT_TRUE(SaveKeyFile());
    EXPECT_EQ(TempWorkingFolder::Read("OEM.tmp"), expected);
}

TEST_F(KeyStoreFileTest, SameDeviceLoadsTheFileNotTheSlots) {
    SyncKeyFile();
    g_wepKeyTable.keys64[2][4] = 0x5C;
    g_wepKeyTable.keys128[3][12] = 0xC5;
    ASSERT_TRUE(SaveKeyFile());
    std::memset(&g_wepKeyTable, 0, sizeof(g_wepKeyTable));
    SyncKeyFile();
    EXPECT_EQ(g_wepKeyTable.keys64[2][4], 0x5C);
    EXPECT_EQ(g_wepKeyTable.keys128[3][12], 0xC5);
    EXPECT_EQ(g_wepKeyTable.keys64[0][0], 0xA0);
}

TEST_F(KeyStoreFileTest, AnotherDeviceRebuildsTheFile) {
    for (const char* entry0 : std::initializer_list<const char*>{"020ABCDEF012", nullptr}) {
        TempWorkingFolder::Write("OEM.tmp", "[OEM]\r\n");
        if (entry0)
            WritePrivateProfileStringA("OEM", "0", entry0, ".\\OEM.tmp");
        WritePrivateProfileStringA("OEM", "1", ScrambleKeyText("0102030405").c_str(), ".\\OEM.tmp");
        EXPECT_FALSE(KeyFileMatchesDevice());
        SyncKeyFile();
        EXPECT_EQ(Entry("0"), "020abcdef012");
        ExpectTableFromImage();
    }
}

TEST_F(KeyStoreFileTest, DefaultKeysAreSavedScrambled) {
    SyncKeyFile();
    for (int k = 0; k < 4; ++k) {
        std::memset(g_wepKeyTable.keys64[k], 0x11 * (k + 1), 5);
        std::memset(g_wepKeyTable.keys128[k], 0x11 * (k + 1), 13);
    }
    ASSERT_TRUE(SaveKeyFile());
    const char* pairs[] = {"11", "22", "33", "44"};
    for (int k = 0; k < 4; ++k) {
        std::string text64, text128;
        for (int i = 0; i < 13; ++i)
            (i < 5 ? text64 : text128) += pairs[k];
        text128 = text64 + text128;
        EXPECT_EQ(Entry(std::to_string(k + 1).c_str()), ScrambleKeyText(text64));
        EXPECT_EQ(Entry(std::to_string(k + 5).c_str()), ScrambleKeyText(text128));
    }
    EXPECT_EQ(ScrambleKeyText("11").substr(0, 2), "\x7f\xa0"); // '1' + 'N', '1' + 'o'
}

TEST(KeyText, ScrambleRoundTripAndParsing) {
    for (std::string text : {"0123456789", "abcdefabcdefabcdefabcdef00", ""}) {
        std::string scrambled = ScrambleKeyText(text);
        EXPECT_EQ(scrambled.size(), text.size());
        EXPECT_EQ(UnscrambleKeyText(scrambled), text);
    }
    EXPECT_EQ(UnscrambleKeyText("N"), ""); // a zero byte ends the text
    BYTE bytes[5] = {};
    EXPECT_EQ(ParseKeyText(" a 0B0cz9", bytes, 5), 3);
    EXPECT_EQ(bytes[0], 0x0A);
    EXPECT_EQ(bytes[1], 0x0B);
    EXPECT_EQ(bytes[2], 0x0C);
}

TEST_F(KeyStoreFileTest, OddFilesLoadWithoutHarm) {
    SyncKeyFile();
    // Garbage, an over-long value, a short one and a missing entry: bytes they do not
    // supply become 0.
    WritePrivateProfileStringA("OEM", "1", "garbage", ".\\OEM.tmp");
    WritePrivateProfileStringA("OEM", "2", std::string(1500, '\xC7').c_str(), ".\\OEM.tmp");
    WritePrivateProfileStringA("OEM", "3", ScrambleKeyText("1234").c_str(), ".\\OEM.tmp");
    WritePrivateProfileStringA("OEM", "5", nullptr, ".\\OEM.tmp");
    LoadKeyFile();
    const BYTE expected3[5] = {0x12, 0x34, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(g_wepKeyTable.keys64[2], expected3, 5));
    const BYTE zero[13] = {};
    EXPECT_EQ(0, std::memcmp(g_wepKeyTable.keys128[0], zero, 13));
    EXPECT_EQ(g_wepKeyTable.keys64[3][0], 0xD0); // untouched entries still load
}

TEST_F(KeyStoreFileTest, WindowsWrittenFileLoads) {
    // CRLF line ends and the scrambled bytes raw, as the Windows build writes them.
    std::string file = "[OEM]\r\n0=020abcdef012\r\n";
    for (int e = 1; e <= 8; ++e) {
        std::string hex = e <= 4 ? "0102030405" : "0102030405060708090a0b0c0d";
        file += std::to_string(e) + "=" + ScrambleKeyText(hex) + "\r\n";
    }
    TempWorkingFolder::Write("OEM.tmp", file);
    SyncKeyFile();
    EXPECT_EQ(g_wepKeyTable.keys64[3][4], 5);
    EXPECT_EQ(g_wepKeyTable.keys128[1][12], 0x0D);
    EXPECT_EQ(TempWorkingFolder::Read("OEM.tmp"), file); // nothing rewritten
}

#ifndef _WIN32
TEST_F(KeyStoreFileTest, PipeInItsPlaceIsNeverWaitedFor) {
    // A named pipe opens for reading only once a writer comes, which may be never.
    ASSERT_EQ(mkfifo("OEM.tmp", 0600), 0);
    PipeReaderWatch watch("OEM.tmp");
    SyncKeyFile();
    EXPECT_FALSE(SaveKeyFile());
    EXPECT_FALSE(watch.ReaderWaited());
    ExpectTableFromImage();
}
#endif

#ifndef _WIN32
TEST_F(KeyStoreFileTest, LinkLeadingNowhereCreatesNothingWhereItPoints) {
    ASSERT_TRUE(std::filesystem::create_directory("elsewhere"));
    ASSERT_EQ(symlink("elsewhere/startup.desktop", "OEM.tmp"), 0);
    SyncKeyFile();
    EXPECT_FALSE(std::filesystem::exists("elsewhere/startup.desktop"));
    EXPECT_TRUE(std::filesystem::is_symlink("OEM.tmp"));
    ExpectTableFromImage();
}
#endif

TEST_F(KeyStoreFileTest, UnwritableFileFallsBackToTheDeviceKeys) {
    // A folder in the key file's place: it can never be read or replaced.
    ASSERT_TRUE(std::filesystem::create_directory("OEM.tmp"));
    g_wepKeyTable.keys64[0][0] = 0x77;
    SyncKeyFile();
    ExpectTableFromImage();
    EXPECT_FALSE(SaveKeyFile());
}

#ifndef _WIN32
TEST_F(KeyStoreFileTest, UnreadableFileIsNeitherEmptiedNorReplaced) {
    TempWorkingFolder::Write("OEM.tmp", "[OEM]\r\n0=020abcdef012\r\n[mine]\r\nx=1\r\n");
    ASSERT_EQ(chmod("OEM.tmp", 0200), 0);
    GiveToUnprivileged(".");
    GiveToUnprivileged("OEM.tmp");
    EXPECT_TRUE(RunUnprivileged([this] {
        SyncKeyFile();
        ExpectTableFromImage();
        EXPECT_FALSE(SaveKeyFile());
    }));
    EXPECT_EQ(TempWorkingFolder::Read("OEM.tmp"), "[OEM]\r\n0=020abcdef012\r\n[mine]\r\nx=1\r\n");
}
#endif

TEST_F(KeyStoreFileTest, RandomFilesAndValuesNeverCrash) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 200; ++round) {
        std::string content(rng() % 600, '\0');
        for (char& c : content)
            c = static_cast<char>(rng() % 4 == 0 ? "[]=\r\n0123456789OEM"[rng() % 18] : rng());
        if (round % 2)
            content = "[OEM]\n" + content;
        TempWorkingFolder::Write("OEM.tmp", content);
        SyncKeyFile();
        ASSERT_TRUE(KeyFileMatchesDevice()) << "round " << round;
        std::string value(rng() % 60, '\0');
        for (char& c : value)
            c = static_cast<char>(rng() % 255 + 1);
        BYTE bytes[13];
        ParseKeyText(UnscrambleKeyText(value), bytes, 13);
    }
}

} // namespace
