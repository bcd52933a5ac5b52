#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zellwick::watch {

// A signal one thread raises and another waits for. A manual-reset event stays set until
// Reset(); an auto-reset event is cleared by the wait that sees it.
class WatchEvent
{
public:
    explicit WatchEvent(bool manualReset) : m_bManualReset(manualReset) {}

    void Set();
    void Reset();
    // True when the event was set within the time.
    bool WaitFor(std::chrono::milliseconds timeout);

private:
    const bool m_bManualReset;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bSet = false;
};

} // namespace zellwick::watch
