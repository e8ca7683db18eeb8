// The profile services, rule by rule, as the Windows service behaves.
#include "platform/Profile.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

std::string Get(const char* section, const char* key, const char* def = "DEF", DWORD size = 256) {
    char buf[256];
    DWORD n = GetPrivateProfileStringA(section, key, def, buf, size, ".\\test.ini");
    EXPECT_EQ(n, std::string(buf).size());
    return buf;
}

TEST(ProfileRead, NamesMatchWithoutCaseAndBlanks) {
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini",
                             "[ Oem ]\r\n  Key1  =  value one  \r\n\tkey2=\x0bv2\x0c\r\n");
    EXPECT_EQ(Get("OEM", "KEY1"), "value one");
    EXPECT_EQ(Get(" oem\t", " key1 "), "value one");
    EXPECT_EQ(Get("oem", "key2"), "v2");
    EXPECT_EQ(Get("other", "key1"), "DEF");
    EXPECT_EQ(Get("oem", "missing", "fallback  "), "fallback");
    EXPECT_EQ(Get("oem", "missing", "tab\t "), "tab\t"); // only spaces are cut
}

TEST(ProfileRead, HeadersValuesAndQuotes) {
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "[a]b] x\n"
                                         "k=x=y\n"
                                         "q1=\"quoted \"\n"
                                         "q2='single'\n"
                                         "q3=\"mixed'\n"
                                         "q4=\"\n"
                                         "noequals\n");
    EXPECT_EQ(Get("a]b", "k"), "x=y");
    EXPECT_EQ(Get("a]b", "q1"), "quoted ");
    EXPECT_EQ(Get("a]b", "q2"), "single");
    EXPECT_EQ(Get("a]b", "q3"), "\"mixed'");
    EXPECT_EQ(Get("a]b", "q4"), "\"");
    EXPECT_EQ(Get("a]b", "noequals"), "DEF");
}

TEST(ProfileRead, FirstSectionAndFirstKeyWin) {
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "[s]\nk=1\nK=2\n[S]\nk=3\nj=4\n");
    EXPECT_EQ(Get("s", "k"), "1");
    EXPECT_EQ(Get("s", "j"), "DEF"); // only the first [s] is searched
}

TEST(ProfileRead, LineEndsHighBytesAndTruncation) {
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "[s]\rcr=1\rlf=2\ncrlf=3\r\nhigh=\x80\xff\x01z\r\nlast=4");
    EXPECT_EQ(Get("s", "cr"), "1");
    EXPECT_EQ(Get("s", "lf"), "2");
    EXPECT_EQ(Get("s", "crlf"), "3");
    EXPECT_EQ(Get("s", "high"), "\x80\xff\x01z");
    EXPECT_EQ(Get("s", "last"), "4");
    EXPECT_EQ(Get("s", "high", "", 3), "\x80\xff");
    char buf[4] = "xyz";
    EXPECT_EQ(GetPrivateProfileStringA("s", "cr", "", buf, 0, ".\\test.ini"), 0u);
    EXPECT_EQ(buf[0], 'x');
    EXPECT_EQ(Get("s", "x", "default text", 5), "defa");
    EXPECT_EQ(GetPrivateProfileStringA("s", "x", "d", buf, 4, ".\\missing.ini"), 1u);
}

TEST(ProfileWrite, CreatesReplacesInPlaceAndAppends) {
    TempWorkingFolder dir;
    ASSERT_TRUE(WritePrivateProfileStringA("OEM", "0", "abc", ".\\test.ini"));
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"), "[OEM]\r\n0=abc\r\n");

    TempWorkingFolder::Write("test.ini", "; note\n\n[One]\n Alpha = 1 \nbeta=2\n\n[two]\nc=3\n");
    ASSERT_TRUE(WritePrivateProfileStringA("one", "ALPHA", "  new value", ".\\test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("ONE", "gamma", "g", ".\\test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("three", "d", "\x80\xfe", ".\\test.ini"));
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"),
              "; note\r\n[One]\r\nAlpha=new value\r\nbeta=2\r\ngamma=g\r\n[two]\r\nc=3\r\n"
              "[three]\r\nd=\x80\xfe\r\n");
    EXPECT_EQ(Get("three", "d"), "\x80\xfe");

    TempWorkingFolder::Write("empty.ini", "[OEM]\n");
    ASSERT_TRUE(WritePrivateProfileStringA("OEM", "1", "x", ".\\empty.ini"));
    EXPECT_EQ(TempWorkingFolder::Read("empty.ini"), "[OEM]\r\n1=x\r\n");
}

// What follows is this project's sound behaviour beyond the Windows service (an atomic
// replacement through a temporary file), so it is checked where that code runs.
#ifndef _WIN32
TEST(ProfileWrite, FailureLeavesTheOldFileWhole) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "[s]\nk=old\n");
    ASSERT_EQ(chmod(".", 0500), 0);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "new", ".\\test.ini"));
    chmod(".", 0700);
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"), "[s]\nk=old\n");
}

TEST(ProfileWrite, UnwritableReplacementLeavesTheOldFileWhole) {
    // The temporary file's name is taken by a folder, so the replacement cannot be
    // written (as when the disk is full); this holds for root too.
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "[s]\nk=old\n");
    std::string tmp = "test.ini.tmp" + std::to_string(getpid());
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "new", ".\\test.ini"));
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"), "[s]\nk=old\n");
}
#endif

} // namespace
