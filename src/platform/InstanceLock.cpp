// The system-independent half of the locks: who holds them, and ap-config's two in order.
#include "InstanceLock.h"

#include "DeviceProtocol.h"

#include <algorithm>

LockHolder InstanceLock::InstanceHolder() {
    if (!Held(DefaultPath()))
        return LockHolder::kNone;
    return Held(WriterPath()) ? LockHolder::kApConfig : LockHolder::kUtility;
}

LockHolder WriterLocks::TryOnce(IfUtilityRuns ifUtility) {
    if (!m_writer.Acquire(InstanceLock::WriterPath()))
        return LockHolder::kApConfig;
    // Every ap-config takes its writer lock before the instance lock: with ours held, only
    // the utility can hold the instance lock.
    if (m_instance.Acquire(InstanceLock::DefaultPath()) || ifUtility == IfUtilityRuns::kGoOn)
        return LockHolder::kNone;
    m_writer.Release();
    return LockHolder::kUtility;
}

LockHolder WriterLocks::Take(int waitSeconds, IfUtilityRuns ifUtility) {
    const int64_t deadline =
        devproto::NowMs() + 1000 * static_cast<int64_t>(std::max(0, waitSeconds));
    for (;;) {
        LockHolder holder = TryOnce(ifUtility);
        int64_t left = deadline - devproto::NowMs();
        if (holder == LockHolder::kNone || left <= 0)
            return holder;
        Pause(static_cast<int>(std::min<int64_t>(left, kRetryMs)));
    }
}

void WriterLocks::Release() {
    m_instance.Release();
    m_writer.Release();
}
