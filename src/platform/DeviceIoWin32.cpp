// On Windows the device calls are the system's own; only the test-facing timeout knob is
// provided here (the driver's requests are synchronous and have no limit of their own).
#ifdef _WIN32
#include "DeviceIo.h"

#include <atomic>

namespace {
std::atomic<int> g_replyTimeoutMs{5000};
}

namespace deviceio {
void SetReplyTimeoutMs(int ms) {
    g_replyTimeoutMs = ms;
}
int ReplyTimeoutMs() {
    return g_replyTimeoutMs;
}
} // namespace deviceio
#endif
