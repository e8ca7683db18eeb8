// The one way the programs read a file whole: the caller's limit to the byte, what only a
// regular file may be, and names beyond ASCII (UTF-16 for the system on Windows).
#include "platform/WholeFile.h"

#include "TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#ifndef _WIN32
#include "PipeReaderWatch.h"

#include <sys/stat.h>
#endif

namespace {

using wholefile::Got;

TEST(WholeFileTest, ReadsWithinTheLimitAndOnlyWhatItMay) {
    TempWorkingFolder folder;
    const std::string beyondAscii = "caf\xC3\xA9-\xE6\x97\xA5\xE6\x9C\xAC";
    ASSERT_EQ(wholefile::Replace("four", "abcd", {}, nullptr), wholefile::Replaced::kDone);
    ASSERT_EQ(wholefile::Replace("empty", "", {}, nullptr), wholefile::Replaced::kDone);
    ASSERT_EQ(wholefile::Replace(beyondAscii, "\xC3\xA9t\xC3\xA9", {}, nullptr),
              wholefile::Replaced::kDone);
    ASSERT_TRUE(std::filesystem::create_directory("folder"));
    struct Case {
        const char* path;
        size_t limit;
        bool regularOnly;
        Got got;
        const char* content;
    };
    const Case cases[] = {
        {"four", 4, false, Got::kDone, "abcd"},
        {"four", 3, false, Got::kTooLarge, ""},
        {"four", 4, true, Got::kDone, "abcd"},
        {"four", 0, true, Got::kTooLarge, ""},
        {"empty", 0, true, Got::kDone, ""},
        {"missing", 4, false, Got::kMissing, ""},
        {"missing", 4, true, Got::kMissing, ""},
        {"folder", 4, true, Got::kNotRegular, ""},
        {"folder", 4, false, Got::kFailed, ""},
        {beyondAscii.c_str(), 5, true, Got::kDone, "\xC3\xA9t\xC3\xA9"},
#ifndef _WIN32
        // A device that never ends: read up to the limit and one byte, then refused.
        {"/dev/zero", 4096, false, Got::kTooLarge, ""},
        {"/dev/zero", 4096, true, Got::kNotRegular, ""},
        {"/dev/null", 4096, false, Got::kDone, ""},
#endif
    };
    for (const Case& c : cases) {
        std::string content = "left over", error;
        EXPECT_EQ(wholefile::Read(c.path, c.limit, c.regularOnly, &content, &error), c.got)
            << c.path << " limit " << c.limit << " regularOnly " << c.regularOnly;
        EXPECT_EQ(content, c.content) << c.path << " limit " << c.limit;
        // The system's reason where the system refused.
        EXPECT_EQ(error.empty(), c.got != Got::kMissing && c.got != Got::kFailed)
            << c.path << ": " << error;
    }
}

#ifndef _WIN32
TEST(WholeFileTest, PipeIsNeverOpenedWhereOnlyAFileMayBeRead) {
    TempWorkingFolder folder;
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    PipeReaderWatch watch("pipe");
    std::string content, error;
    EXPECT_EQ(wholefile::Read("pipe", 4096, true, &content, &error), Got::kNotRegular);
    EXPECT_FALSE(watch.ReaderWaited());
}
#endif

} // namespace
