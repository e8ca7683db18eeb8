// The profile services, rule by rule, as the Windows service behaves.
#include "platform/Profile.h"
#include "TempFolder.h"

#include "Unprivileged.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/resource.h>
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

    TempWorkingFolder::Write("test.ini",
                             "; note\r\n[One]\r\n Alpha = 1 \r\nbeta=2\r\n[two]\r\nc=3\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("one", "ALPHA", "  new value", ".\\test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("ONE", "gamma", "g", ".\\test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("three", "d", "\x80\xfe", ".\\test.ini"));
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"),
              "; note\r\n[One]\r\nAlpha=new value\r\nbeta=2\r\ngamma=g\r\n[two]\r\nc=3\r\n"
              "[three]\r\nd=\x80\xfe\r\n");
    EXPECT_EQ(Get("three", "d"), "\x80\xfe");
    ASSERT_TRUE(WritePrivateProfileStringA("one", "beta", nullptr, ".\\test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("two", nullptr, nullptr, ".\\test.ini"));
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"),
              "; note\r\n[One]\r\nAlpha=new value\r\ngamma=g\r\n[three]\r\nd=\x80\xfe\r\n");
}

TEST(ProfileWrite, UnchangedWritesLeaveTheFileAlone) {
    // The same value again, deleting what is not there: the file keeps its bytes, its line
    // ends and its time.
    namespace fs = std::filesystem;
    TempWorkingFolder dir;
    const std::string file = "[s]\nk = v\n\n; c\n[t]\r\nx=\"q\"";
    TempWorkingFolder::Write("test.ini", file);
    const auto old = fs::last_write_time("test.ini") - std::chrono::hours(1);
    fs::last_write_time("test.ini", old);
    EXPECT_TRUE(WritePrivateProfileStringA("S", " K ", "v", ".\\test.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("t", "x", "\"q\"", ".\\test.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("s", "missing", nullptr, ".\\test.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("missing", "k", nullptr, ".\\test.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("missing", nullptr, nullptr, ".\\test.ini"));
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"), file);
    EXPECT_TRUE(fs::last_write_time("test.ini") == old);
    EXPECT_TRUE(WritePrivateProfileStringA("missing", nullptr, nullptr, ".\\absent.ini"));
    EXPECT_FALSE(fs::exists("absent.ini"));
}

TEST(ProfileWrite, BlanksAroundNamesAreTrimmed) {
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "[s]\r\nk=v\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA(" s ", "  k2\t", "v2", ".\\test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("s", " k ", "v3", ".\\test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("\tnew ", " a ", "b", ".\\test.ini"));
    EXPECT_EQ(Get("s", "k2"), "v2");
    EXPECT_EQ(Get("s", "k"), "v3");
    EXPECT_EQ(Get("new", "a"), "b");
#ifndef _WIN32
    // (Wine's service cuts only the blanks before a new name in the file; both read back.)
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"), "[s]\r\nk=v3\r\nk2=v2\r\n[new]\r\na=b\r\n");
#endif
}

TEST(ProfileRead, DefaultTextLosesItsQuotes) {
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "[s]\r\n");
    EXPECT_EQ(Get("s", "missing", "\"quoted text\""), "quoted text");
    EXPECT_EQ(Get("s", "missing", "'single'"), "single");
    EXPECT_EQ(Get("s", "missing", "\"q\"  "), "q"); // trailing spaces go first
    EXPECT_EQ(Get("s", "missing", "\"half"), "\"half");
    EXPECT_EQ(Get("s", "missing", "\""), "\"");
    EXPECT_EQ(Get("s", "missing", "\"mixed'"), "\"mixed'");
    EXPECT_EQ(Get("missing", "k", "\"in a missing section\""), "in a missing section");
}

TEST(ProfileRead, ByteOrderMarkDoesNotHideTheFirstSection) {
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "\xEF\xBB\xBF[s]\r\nk=v\r\n");
    EXPECT_EQ(Get("s", "k"), "v");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "j", "w", ".\\test.ini"));
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"), "\xEF\xBB\xBF[s]\r\nk=v\r\nj=w\r\n");
}

// With a NULL key name the service lists the section's key names, with a NULL section name
// the file's section names: each name ended by a NUL, the list by a second NUL. A list that
// does not fit ends with its last name cut, and the count is size - 2.
std::string List(const char* section, DWORD size, DWORD* count, const char* def = "D") {
    char buf[64];
    std::memset(buf, '#', sizeof(buf));
    *count = GetPrivateProfileStringA(section, nullptr, def, buf, size, ".\\test.ini");
    return std::string(buf, size == 0 ? 0 : *count + 1);
}

TEST(ProfileRead, NullNamesListKeysAndSections) {
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "[s]\r\nk1=a\r\n K2 = b\r\n;c=1\r\nnoequals\r\n"
                                         "[t]\r\n[ u ]\r\nz=1\r\n[S]\r\nk3=c\r\n");
    DWORD n = 0;
    // Comments and lines without a value are no keys; only the first [s] counts.
    EXPECT_EQ(List("s", 64, &n), std::string("k1\0K2\0\0", 7));
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(List("S", 6, &n), std::string("k1\0K\0", 5));
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(List("s", 5, &n), std::string("k1\0\0", 4));
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(List(nullptr, 64, &n), std::string("s\0t\0u\0S\0\0", 9));
    EXPECT_EQ(n, 8u);
    EXPECT_EQ(List(nullptr, 6, &n), std::string("s\0t\0\0", 5));
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(List(nullptr, 5, &n), std::string("s\0t\0", 4));
    EXPECT_EQ(n, 3u);
    // An empty list (no such section, a section without keys, no room) gives the default.
    EXPECT_EQ(List("missing", 64, &n, "\"quoted \""), std::string("quoted \0", 8));
    EXPECT_EQ(List("t", 64, &n), std::string("D\0", 2));
    EXPECT_EQ(List("s", 2, &n), std::string("D\0", 2));
    EXPECT_EQ(List("s", 0, &n), "");
    EXPECT_EQ(n, 0u);

    TempWorkingFolder::Write("test.ini", "");
    EXPECT_EQ(List(nullptr, 64, &n), std::string("\0", 1));
    EXPECT_EQ(n, 0u);
}

TEST(ProfileBatch, WritesInMemoryThenOnce) {
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "[a]\r\nx=1\r\n");
    CProfileBatch batch(".\\test.ini");
    char buf[16];
    EXPECT_TRUE(batch.WriteString("s", "k", "v"));
    EXPECT_TRUE(batch.WriteString("a", "x", nullptr));
    EXPECT_EQ(batch.GetString("s", "k", "", buf, sizeof(buf)), 1u);
    EXPECT_STREQ(buf, "v");
    EXPECT_EQ(batch.GetString("a", "x", "gone", buf, sizeof(buf)), 4u);
    EXPECT_TRUE(batch.Commit());
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"), "[a]\r\n[s]\r\nk=v\r\n");
    EXPECT_FALSE(batch.WriteString(nullptr, "k", "v"));
    EXPECT_FALSE(batch.Commit());
}

// The file's own permissions: a file this user may not write is refused and left as it was.
#ifdef _WIN32
void MakeReadOnly(const char* name) {
    ASSERT_TRUE(SetFileAttributesA(name, FILE_ATTRIBUTE_READONLY));
}
bool ReadOnlyIsEnforced(const char* name) {
    HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(h);
    return false;
}
#else
void MakeReadOnly(const char* name) {
    ASSERT_EQ(chmod(name, 0444), 0);
}
bool ReadOnlyIsEnforced(const char*) {
    return true;
}
#endif

TEST(ProfileWrite, ReadOnlyFileIsRefused) {
    TempWorkingFolder dir;
    const std::string file = "[s]\nk=old\n[other]\ny=2\n";
    TempWorkingFolder::Write("test.ini", file);
#ifndef _WIN32
    GiveToUnprivileged(".");
    GiveToUnprivileged("test.ini");
#endif
    MakeReadOnly("test.ini");
    EXPECT_TRUE(RunUnprivileged([&] {
        if (!ReadOnlyIsEnforced("test.ini"))
            GTEST_SKIP() << "this process may write read-only files (Wine run as root)";
        EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "new", ".\\test.ini"));
        EXPECT_FALSE(WritePrivateProfileStringA("s", nullptr, nullptr, ".\\test.ini"));
        EXPECT_EQ(TempWorkingFolder::Read("test.ini"), file);
        EXPECT_EQ(Get("s", "k"), "old");
    }));
#ifdef _WIN32
    SetFileAttributesA("test.ini", FILE_ATTRIBUTE_NORMAL);
#else
    struct stat st;
    ASSERT_EQ(stat("test.ini", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
#endif
}

// What follows is beyond what the Windows service shows there, or needs POSIX means to set up.
#ifndef _WIN32
mode_t ModeOf(const char* name) {
    struct stat st {};
    stat(name, &st);
    return st.st_mode & 07777;
}

TEST(ProfileWrite, UnreadableFileIsRefused) {
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "[s]\nk=old\n[other]\ny=2\n");
    ASSERT_EQ(chmod("test.ini", 0200), 0); // may be written but not read
    GiveToUnprivileged(".");
    GiveToUnprivileged("test.ini");
    EXPECT_TRUE(RunUnprivileged([] {
        EXPECT_EQ(Get("s", "k"), "DEF");
        EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "new", ".\\test.ini"));
    }));
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"), "[s]\nk=old\n[other]\ny=2\n");
    EXPECT_EQ(ModeOf("test.ini"), 0200u);
}

TEST(ProfileWrite, AnotherUsersFileIsRefusedOrKeepsItsOwner) {
    if (!IsRoot())
        GTEST_SKIP() << "needs root to make files of another user";
    TempWorkingFolder dir;
    GiveToUnprivileged("."); // the user may replace files in this folder...
    const std::string file = "[s]\nk=old\n[other]\ny=2\n";
    TempWorkingFolder::Write("readable.ini", file); // ...but not write these two
    TempWorkingFolder::Write("private.ini", file);
    TempWorkingFolder::Write("shared.ini", file); // may be written by anyone
    ASSERT_EQ(chmod("readable.ini", 0644), 0);
    ASSERT_EQ(chmod("private.ini", 0600), 0);
    ASSERT_EQ(chmod("shared.ini", 0666), 0);
    EXPECT_TRUE(RunUnprivileged([] {
        EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "new", ".\\readable.ini"));
        EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "new", ".\\private.ini"));
        EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "new", ".\\shared.ini"));
    }));
    EXPECT_EQ(TempWorkingFolder::Read("readable.ini"), file);
    EXPECT_EQ(TempWorkingFolder::Read("private.ini"), file);
    EXPECT_EQ(TempWorkingFolder::Read("shared.ini"), "[s]\nk=new\n[other]\ny=2\n");
    struct stat st;
    ASSERT_EQ(stat("shared.ini", &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_mode & 07777, 0666u);
}

TEST(ProfileWrite, ModeAndUntouchedLinesAreKept) {
    TempWorkingFolder dir;
    TempWorkingFolder::Write("test.ini", "; note\n\n[One]\n Alpha = 1 \n\tbeta=2\n\n[two]\nc=3");
    ASSERT_EQ(chmod("test.ini", 0640), 0);
    ASSERT_EQ(link("test.ini", "other name.ini"), 0); // changed under both names
    ASSERT_TRUE(WritePrivateProfileStringA("one", "alpha", "new", ".\\test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("one", "gamma", "g", ".\\test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("two", "d", "4", ".\\test.ini"));
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"),
              "; note\n\n[One]\nAlpha=new\n\tbeta=2\ngamma=g\r\n\n[two]\nc=3\r\nd=4\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("one", "beta", nullptr, ".\\test.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("two", nullptr, nullptr, ".\\test.ini"));
    EXPECT_EQ(TempWorkingFolder::Read("test.ini"), "; note\n\n[One]\nAlpha=new\ngamma=g\r\n\n");
    EXPECT_EQ(ModeOf("test.ini"), 0640u);
    EXPECT_EQ(TempWorkingFolder::Read("other name.ini"), TempWorkingFolder::Read("test.ini"));

    TempWorkingFolder::Write("oem.ini", "[OEM]\n");
    ASSERT_TRUE(WritePrivateProfileStringA("OEM", "1", "x", ".\\oem.ini"));
    EXPECT_EQ(TempWorkingFolder::Read("oem.ini"), "[OEM]\n1=x\r\n");
}

TEST(ProfileWrite, WritesThroughSymbolicLinks) {
    TempWorkingFolder dir;
    ASSERT_EQ(mkdir("real", 0700), 0);
    TempWorkingFolder::Write("real/target.ini", "[s]\r\nk=old\r\n[other]\r\ny=2\r\n");
    ASSERT_EQ(symlink("real/target.ini", "link.ini"), 0);
    ASSERT_EQ(symlink("link.ini", "chain.ini"), 0);
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "new", ".\\chain.ini"));
    struct stat st;
    ASSERT_EQ(lstat("link.ini", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(lstat("chain.ini", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(TempWorkingFolder::Read("real/target.ini"), "[s]\r\nk=new\r\n[other]\r\ny=2\r\n");

    ASSERT_EQ(symlink("real/made.ini", "dangling.ini"), 0);
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "v", ".\\dangling.ini"));
    ASSERT_EQ(lstat("dangling.ini", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(TempWorkingFolder::Read("real/made.ini"), "[s]\r\nk=v\r\n");

    ASSERT_EQ(symlink("loop.ini", "loop.ini"), 0);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", ".\\loop.ini"));
}

// A link in a shared folder leads only where its maker may send this user: one made by
// the user or by the folder's owner is followed, one another user planted refuses the file.
TEST(ProfileWrite, LinksOthersPlantedAreNotFollowed) {
    if (!IsRoot())
        GTEST_SKIP() << "needs root to make links of other users";
    TempWorkingFolder dir;
    GiveToUnprivileged(".");
    TempWorkingFolder::Write("target.ini", "[s]\r\nk=old\r\n");
    GiveToUnprivileged("target.ini");
    const std::pair<unsigned, bool> owners[] = {{kUnprivilegedId, true}, {1, false}, {0, false}};
    for (const auto& [owner, followed] : owners) {
        std::string link = "link" + std::to_string(owner) + ".ini";
        ASSERT_EQ(symlink("target.ini", link.c_str()), 0);
        ASSERT_EQ(lchown(link.c_str(), owner, owner), 0);
        EXPECT_TRUE(RunUnprivileged([&, followed = followed] {
            std::string path = ".\\" + link;
            EXPECT_EQ(WritePrivateProfileStringA("s", "k", link.c_str(), path.c_str()) != FALSE,
                      followed)
                << link;
            char buf[64];
            GetPrivateProfileStringA("s", "k", "none", buf, sizeof(buf), path.c_str());
            EXPECT_EQ(std::string(buf), followed ? link : "none") << link;
        }));
    }
    EXPECT_EQ(TempWorkingFolder::Read("target.ini"), "[s]\r\nk=link65534.ini\r\n");
}

TEST(ProfileWrite, FileInAFolderThatMayNotBeWrittenIsRewrittenInPlace) {
    TempWorkingFolder dir;
    ASSERT_EQ(mkdir("locked", 0700), 0);
    TempWorkingFolder::Write("locked/test.ini", "[a]\nx=1\n[s]\nk=a long old value\n[z]\n");
    GiveToUnprivileged("locked");
    GiveToUnprivileged("locked/test.ini");
    ASSERT_EQ(chmod("locked", 0500), 0);
    EXPECT_TRUE(RunUnprivileged([] {
        ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "short", ".\\locked\\test.ini"));
        EXPECT_EQ(TempWorkingFolder::Read("locked/test.ini"), "[a]\nx=1\n[s]\nk=short\n[z]\n");
        ASSERT_TRUE(
            WritePrivateProfileStringA("z", "new", "longer than before", ".\\locked\\test.ini"));
        EXPECT_EQ(TempWorkingFolder::Read("locked/test.ini"),
                  "[a]\nx=1\n[s]\nk=short\n[z]\nnew=longer than before\r\n");
    }));
}

TEST(ProfileWrite, FailureLeavesTheOldFileWhole) {
    // A disk that fills up (a file size limit here): neither a replacement nor a rewrite in
    // place may leave the old file cut or mixed.
    TempWorkingFolder dir;
    ASSERT_EQ(mkdir("open", 0700), 0);
    ASSERT_EQ(mkdir("locked", 0700), 0);
    const std::string file = "[s]\nk=old\n";
    TempWorkingFolder::Write("open/test.ini", file);
    TempWorkingFolder::Write("locked/test.ini", file);
    for (const char* name : {"open", "open/test.ini", "locked", "locked/test.ini"})
        GiveToUnprivileged(name);
    ASSERT_EQ(chmod("locked", 0500), 0);
    EXPECT_TRUE(RunUnprivileged([] {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            64, 64
        };
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        std::string big(100, 'v');
        EXPECT_FALSE(WritePrivateProfileStringA("s", "k", big.c_str(), ".\\open\\test.ini"));
        EXPECT_FALSE(WritePrivateProfileStringA("s", "k", big.c_str(), ".\\locked\\test.ini"));
    }));
    EXPECT_EQ(TempWorkingFolder::Read("open/test.ini"), file);
    EXPECT_EQ(TempWorkingFolder::Read("locked/test.ini"), file);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("open"), {}), 1);
}
#endif

} // namespace
