// The one loop behind every whole write and read: partial moves, a signal's interruption
// tried again, and the first real failure or empty move ending it.
#include "platform/MoveAll.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Result {
    long n;    // what the call returns
    int error; // errno it leaves when it fails
};

TEST(MoveAllTest, MovesUntilDoneOrTheFirstFailure) {
    struct Case {
        const char* name;
        size_t size;
        std::vector<Result> results;
        bool whole;
        size_t moved;
        std::vector<size_t> offsets; // where each call was asked to start
    };
    const Case cases[] = {
        {"nothing to move", 0, {}, true, 0, {}},
        {"all at once", 5, {{5, 0}}, true, 5, {0}},
        {"in parts", 6, {{2, 0}, {3, 0}, {1, 0}}, true, 6, {0, 2, 5}},
        {"a signal first", 4, {{-1, EINTR}, {4, 0}}, true, 4, {0, 0}},
        {"a signal midway", 4, {{1, 0}, {-1, EINTR}, {-1, EINTR}, {3, 0}}, true, 4, {0, 1, 1, 1}},
        {"a failure", 4, {{1, 0}, {-1, EIO}}, false, 1, {0, 1}},
        {"nothing moved", 4, {{2, 0}, {0, 0}}, false, 2, {0, 2}},
        {"a failure at once", 3, {{-1, EAGAIN}}, false, 0, {0}},
    };
    for (const Case& c : cases) {
        std::vector<size_t> offsets;
        auto step = [&](size_t done) -> long {
            offsets.push_back(done);
            if (offsets.size() > c.results.size())
                return 0; // a call the case did not expect
            const Result& r = c.results[offsets.size() - 1];
            errno = r.n < 0 ? r.error : 0;
            return r.n;
        };
        size_t moved = 99;
        EXPECT_EQ(moveall::MoveAll(c.size, step, &moved), c.whole) << c.name;
        EXPECT_EQ(moved, c.moved) << c.name;
        EXPECT_EQ(offsets, c.offsets) << c.name;
    }
}

// A caller whose calls are never interrupted (Winsock) passes its own test: EINTR left in
// errno by something else is then a failure like any other.
TEST(MoveAllTest, TakesTheCallersTestOfAnInterruption) {
    int calls = 0;
    auto step = [&](size_t) -> long {
        ++calls;
        errno = EINTR;
        return -1;
    };
    EXPECT_FALSE(moveall::MoveAll(8, step, nullptr, [] { return false; }));
    EXPECT_EQ(calls, 1);
}

} // namespace
