#pragma once

#include <cerrno>
#include <cstddef>

// The one loop that moves a whole buffer through a call that may move only part of it
// (write, pwrite, send, recv) and may be cut short by a signal before it moves anything.
namespace moveall {

// True when the call that just failed was only interrupted by a signal (EINTR).
inline bool Interrupted() {
    return errno == EINTR;
}

// Calls step(done) until size bytes have moved. step moves part of what is left, starting
// done bytes in, and returns how many it moved: 0 when it can move none, negative when it
// failed. A failure that interrupted() calls an interruption is tried again. True once all
// have moved; false at the first step that moves nothing or fails otherwise. *moved (when
// not null) gets the bytes moved either way.
template <typename Step, typename Retry = bool (*)()>
bool MoveAll(size_t size, Step step, size_t* moved = nullptr, Retry interrupted = Interrupted) {
    size_t done = 0;
    bool whole = true;
    while (done < size) {
        auto n = step(done);
        if (n < 0 && interrupted())
            continue;
        if (n <= 0) {
            whole = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (moved)
        *moved = done;
    return whole;
}

} // namespace moveall
