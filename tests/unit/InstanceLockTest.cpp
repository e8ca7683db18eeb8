// The per-user lock that tells a second copy of the utility (and ap-config) that one runs,
// and ap-config's writer lock taken before it.
#include "platform/InstanceLock.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <thread>

#ifndef _WIN32
#include "Unprivileged.h"

#include <fcntl.h>
#include <sys/file.h>
#endif

namespace {

#ifndef _WIN32
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
            EXPECT_EQ(InstanceLock::Held(at + name), firstRuns) << name;
            EXPECT_EQ(second.Acquire(at + name), startAllowed) << name;
        }
    }));
    close(others);
}
#endif

// The locks of a folder of their own (POSIX; the Windows names are the session's).
class LockFolder {
public:
    LockFolder() {
#ifndef _WIN32
        setenv("AP_DEVICE_DIR", (m_dir.Path() + "/devices").c_str(), 1);
#endif
    }
    ~LockFolder() {
#ifndef _WIN32
        unsetenv("AP_DEVICE_DIR");
#endif
    }

private:
    TempWorkingFolder m_dir;
};

constexpr LockHolder kNone = LockHolder::kNone, kUtility = LockHolder::kUtility,
                     kApConfig = LockHolder::kApConfig;
using IfUtilityRuns = WriterLocks::IfUtilityRuns;

// Who holds the locks, as a second utility and a second ap-config find them.
TEST(InstanceLockTest, TheHolderIsNamed) {
    LockFolder folder;
    ASSERT_NE(InstanceLock::DefaultPath(), InstanceLock::WriterPath());
    struct Row {
        const char* what;
        bool writerHeld, instanceHeld; // by the others, before
        LockHolder instanceHolder;     // what a utility's start is told
        LockHolder take, takeGoingOn;  // what an ap-config is told, without and with --force
    } rows[] = {
        {"nobody", false, false, kNone, kNone, kNone},
        {"the utility runs", false, true, kUtility, kUtility, kNone},
        {"an ap-config writes", true, true, kApConfig, kApConfig, kApConfig},
        {"an ap-config is between its two locks", true, false, kNone, kApConfig, kApConfig},
    };
    for (const Row& row : rows) {
        InstanceLock writer, instance;
        ASSERT_TRUE(!row.writerHeld || writer.Acquire(InstanceLock::WriterPath())) << row.what;
        ASSERT_TRUE(!row.instanceHeld || instance.Acquire(InstanceLock::DefaultPath())) << row.what;
        EXPECT_EQ(InstanceLock::InstanceHolder(), row.instanceHolder) << row.what;
        for (IfUtilityRuns rule : {IfUtilityRuns::kRefuse, IfUtilityRuns::kGoOn}) {
            const LockHolder expected = rule == IfUtilityRuns::kGoOn ? row.takeGoingOn : row.take;
            WriterLocks ours;
            EXPECT_EQ(ours.Take(0, rule), expected) << row.what;
            if (expected != kNone)
                continue;
            // Taken: a second ap-config is told of this one; so is a utility's start.
            WriterLocks second;
            EXPECT_EQ(second.Take(0, rule), kApConfig) << row.what;
            EXPECT_EQ(InstanceLock::InstanceHolder(), kApConfig) << row.what;
            ours.Release();
            EXPECT_EQ(InstanceLock::Held(InstanceLock::WriterPath()), row.writerHeld) << row.what;
            EXPECT_EQ(InstanceLock::Held(InstanceLock::DefaultPath()), row.instanceHeld)
                << row.what;
        }
        // A refused ap-config kept nothing: with the others gone, the locks are free.
        writer.Release();
        instance.Release();
        EXPECT_EQ(InstanceLock::InstanceHolder(), kNone) << row.what;
        EXPECT_FALSE(InstanceLock::Held(InstanceLock::WriterPath())) << row.what;
    }
}

// With a wait, the write goes on once the holder ends; a wait that runs out names the holder.
TEST(InstanceLockTest, TakeWaitsForTheHolderToEnd) {
    LockFolder folder;
    const std::pair<std::string, LockHolder> holders[] = {{InstanceLock::WriterPath(), kApConfig},
                                                          {InstanceLock::DefaultPath(), kUtility}};
    for (const auto& [path, holder] : holders) {
        InstanceLock other;
        ASSERT_TRUE(other.Acquire(path));
        WriterLocks ours;
        EXPECT_EQ(ours.Take(0), holder) << path;
        EXPECT_EQ(ours.Take(1), holder) << path; // the holder never ends
        // The holder ends while the write waits for it (a wait far longer than needed).
        std::thread ending([&other] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            other.Release();
        });
        EXPECT_EQ(ours.Take(60), kNone) << path;
        ending.join();
        EXPECT_EQ(InstanceLock::InstanceHolder(), kApConfig) << path;
    }
}

} // namespace
