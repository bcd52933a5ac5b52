#include "watch/WatchEvent.h"

namespace zellwick::watch {

void WatchEvent::Set()
{
    // Notified under the lock: a waiter that sees the event may destroy it at once.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bSet = true;
    m_changed.notify_all();
}

void WatchEvent::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bSet = false;
}

bool WatchEvent::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_changed.wait_for(lock, timeout, [this] { return m_bSet; }))
        return false;
    if (!m_bManualReset)
        m_bSet = false;
    return true;
}

} // namespace zellwick::watch
