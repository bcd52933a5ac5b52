#include "watch/WatchPort.h"

#include "watch/DirWatchInfo.h"

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace zellwick::watch {

int WatchPort::Create(std::unique_ptr<WatchPort>& port)
{
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0)
        return errno;
    port.reset(new WatchPort(fd));
    return 0;
}

WatchPort::~WatchPort()
{
    ::close(m_fd);
}

void WatchPort::PostRequest(CDirWatchInfo* pRecord)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        pRecord->m_pNextRequest = nullptr;
        if (m_pLast)
            m_pLast->m_pNextRequest = pRecord;
        else
            m_pFirst = pRecord;
        m_pLast = pRecord;
    }
    Wake();
}

void WatchPort::PostQuit()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bQuit = true;
    }
    Wake();
}

CDirWatchInfo* WatchPort::TakeRequests(bool& quit)
{
    std::uint64_t count = 0;
    while (::read(m_fd, &count, sizeof count) < 0 && errno == EINTR) {
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    CDirWatchInfo* first = m_pFirst;
    m_pFirst = m_pLast = nullptr;
    quit = m_bQuit;
    return first;
}

void WatchPort::Wake()
{
    const std::uint64_t one = 1;
    // The counter cannot overflow: the worker reads it back to 0 at every wake-up.
    while (::write(m_fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

} // namespace zellwick::watch
