// The per-user lock that tells a second copy of the utility (and ap-config) that one runs.
#include "platform/InstanceLock.h"
#include "TempFolder.h"

#include "Unprivileged.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

namespace {

// Without XDG_RUNTIME_DIR the lock is in /tmp: a file another user leaves at its path, held
// open for anyone to write, or a link to one, never keeps this user's copy from starting.
TEST(InstanceLockTest, OnlyTheUsersOwnHeldLockRefusesAStart) {
    if (!IsRoot())
        GTEST_SKIP() << "needs root to make files of another user";
    TempWorkingFolder dir;
    GiveToUnprivileged(".");
    const std::string at = dir.Path() + "/";
    int others = open((at + "others").c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_TRUE(others >= 0 && fchmod(others, 0666) == 0 && flock(others, LOCK_EX) == 0);
    ASSERT_EQ(symlink("others", (at + "link").c_str()), 0);
    EXPECT_TRUE(RunUnprivileged([&] {
        // path, whether this user's first copy holds it, whether a start may go on
        const std::tuple<std::string, bool, bool> cases[] = {{"fresh", false, true},
                                                             {"others", false, true},
                                                             {"link", false, true},
                                                             {"own", true, false}};
        for (const auto& [name, firstRuns, startAllowed] : cases) {
            InstanceLock first, second;
            EXPECT_TRUE(!firstRuns || first.Acquire(at + name)) << name;
            EXPECT_EQ(second.Acquire(at + name), startAllowed) << name;
        }
    }));
    close(others);
}

} // namespace
